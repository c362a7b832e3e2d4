// One tag read from the tags file, and the three lists the scanner sorts tags into.
#pragma once

#include <deque>

#include "tags/FileFieldReading.h"
#include "text/CowString.h"

namespace velkin {

// All text fields hold the tags file's bytes exactly as they stand: no
// code-page conversion, no unescaping, no trimming. Copies share their text.
struct TagEntry {
    CowString name;             // bytes before the line's first tab
    CowString file;             // the file field as written (normally relative to the tags folder)
    // How the tags file says its file fields are written (ReadFileField).
    FieldEncoding fileEncoding = FieldEncoding::unstated;
    CowString address;          // line number or search pattern, without the ;" terminator
    char kind = 0;              // first byte of the kind field
    // The whole kind field when it is longer than one byte: a kind's name
    // ("macro", with --fields=+K) or "kind:NAME"; empty for a one-letter kind.
    CowString kindField;
    CowString extensionFields;  // everything after the kind field's tab, raw; empty if none
    CowString kindText;         // the picker's kind description; empty after the scan
    // The tags file the tag was read from, and the folders its `file` is
    // placed from (PlaceTagFile: the tags file's own folder first, when it
    // was found from another); set by the lookup over several tags files.
    CowString tagsFile;
    CowString tagsFolder;
    CowString ownFolder;  // empty: `tagsFolder` holds the tags file
};

// A deque: appending never moves or invalidates the entries already held, so
// callers may keep references to entries while a list grows.
using TagList = std::deque<TagEntry>;

// The scan's results, each list in tags-file order. An exact match is in
// `exact` and `prefix`; a tag of the current document is also in `inDocument`.
struct TagMatchLists {
    static constexpr int kCount = 3;

    TagList exact;       // 0: name equals the word
    TagList prefix;      // 1: name begins with the word (exact matches included)
    TagList inDocument;  // 2: the file resolves to the current document's path

    // 0 exact, 1 prefix, 2 inDocument.
    TagList& operator[](int index) { return index == 0 ? exact : index == 1 ? prefix : inDocument; }
    const TagList& operator[](int index) const { return index == 0 ? exact : index == 1 ? prefix : inDocument; }
};

}  // namespace velkin
