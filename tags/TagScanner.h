// The tags file scanner: one pass over the mapped bytes of an extended-format
// ctags file, sorting the lines that concern the command into TagMatchLists.
//
// Line grammar (a line ends at the first CR or LF; any run of CR/LF separates
// lines; a line starting with '!' is a pseudo-tag and ignored):
//   name TAB file TAB address ;" [anything] TAB kind... [TAB extension fields]
// A line missing a required separator yields nothing. The address runs to
// the first ;" of the line (tabs inside it belong to it). `kind` is the byte
// after the kind field's tab, whatever it is: a tab when the kind field is
// empty and extension fields follow, CR or LF when it is empty at the line
// end, and the zero byte when that tab is the last byte of the data.
//
// Every function reads only within [begin, end): the data need not be
// zero-terminated, and zero bytes are ordinary data. Searches compare 16 or
// 32 bytes at a time (SSE2) and never load a block that reaches past `end`.
#pragma once

#include <memory>

#include "tags/TagEntry.h"
#include "text/CowString.h"

namespace velkin {

// What a scan looks for. Copies share the text.
struct TagQuery {
    // ASCII letters, digits and '_'; empty: no line matches by name.
    CowString word;
    // The current document's full path; a line belongs to the document when
    // GetFullPath(tagsFolder + "\" + file field) equals it under lstrcmpA.
    CowString documentPath;
    // The folder holding the tags file, no trailing backslash.
    CowString tagsFolder;
};

// Maps `tagsFilePath` and scans it into `lists`. True when the file was opened,
// mapped and scanned (whether or not anything matched); false when it cannot be
// opened or mapped, the lists then unchanged. Throws std::bad_alloc when an
// entry cannot be appended; the file is closed on that path too.
bool ScanTagsFile(const CowString& tagsFilePath, const TagQuery& query, TagMatchLists& lists);

// Scans blocks of tags-file data for `query`. Each distinct file field is
// resolved once per Scan (see FileFieldMemo). The scanner keeps its own
// (shared) copy of the query and borrows the lists for its lifetime.
class TagScanner {
public:
    TagScanner(const TagQuery& query, TagMatchLists& lists);
    ~TagScanner();
    TagScanner(const TagScanner&) = delete;
    TagScanner& operator=(const TagScanner&) = delete;

    // Appends the records of every qualifying line of [begin, end), in order.
    // The bytes are read only during the call; records hold copies. Throws
    // std::bad_alloc when an entry cannot be appended (the lists then hold
    // what was appended so far).
    void Scan(const char* begin, const char* end);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// ---- Line operations (each bounded by `end`; none reads at or past it) -------

// The start of the next non-empty line after the one holding `p`, or `end`.
const char* SkipLine(const char* p, const char* end) noexcept;
// The first tab at or after `p`; null when CR, LF or `end` comes first.
const char* NextTab(const char* p, const char* end) noexcept;
// The first ';' at or after `p` followed by '"' inside the data; null when CR,
// LF or `end` comes first.
const char* FindTerminator(const char* p, const char* end) noexcept;

enum class NameMatch { none, prefix, exact };
// Compares a tag name with a non-empty word, byte for byte and case-sensitively,
// from the name's first byte: exact when equal, prefix when the name is longer.
// (An empty word would match every name; the scanner never passes one.)
NameMatch MatchName(const CowString& word, const char* nameStart, const char* nameEnd) noexcept;

}  // namespace velkin
