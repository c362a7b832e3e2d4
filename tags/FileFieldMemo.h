// Decides whether a tags line's file field names the current document, and
// remembers the answer for each distinct field within one scan: resolving a
// path with GetFullPathNameA (and comparing it with lstrcmpA) costs far more
// than the rest of a line's scan.
//
// Most fields are settled without either: when the document's own name (the
// text after its last backslash) is a plain name, an ASCII field whose last
// component is another plain name cannot resolve to the document. Plain means
// ASCII letters, digits, '_' and '.' (not '-', which word sorting treats
// specially), not ending in '.', and not a device name such as CON or COM1:
// full-path resolution keeps such a component exactly as written, and lstrcmpA
// equality of the whole paths needs equal last components when both are plain.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tags/FileFieldReading.h"
#include "text/CowString.h"

namespace velkin {

class FileFieldMemo {
public:
    // Borrows nothing: the strings are copied by reference count. A tags
    // file found from another folder than its own gives `ownFolder` (see
    // PlaceTagFile); empty otherwise. `encoding` is what the tags file says
    // of its fields (ReadFileField).
    FileFieldMemo(const CowString& documentPath, const CowString& tagsFolder, const CowString& ownFolder = CowString(),
                  FieldEncoding encoding = FieldEncoding::unstated);

    // True when GetFullPath(PlaceTagFile(tagsFolder, ownFolder, reading))
    // equals documentPath under lstrcmpA for a reading of the field in the
    // ANSI code page (ReadFileField: a UTF-8 field's converted form, or the
    // bytes as written); always the same answer as resolving
    // the field afresh (while the files probed stay as they are). Fields
    // are remembered as copies, but the last one is compared in place: its
    // bytes must stay readable and unchanged until the next call or Forget.
    // Remembering stops (fields are then resolved each time) when storage
    // runs out or the memo reaches its size limit.
    bool IsInDocument(const char* field, const char* fieldEnd);

    // Drops every remembered field (before the last field's bytes go away).
    void Forget() noexcept;
    // Drops only the borrowed bytes of the last field; remembered answers stay.
    void ForgetLastField() noexcept { lastField_ = nullptr; }

    // Whole lines, rather than fields, ruled out by the document's name: in a
    // line whose bytes are all printable ASCII (0x20-0x7E), tab, CR or LF, a
    // file field resolves to the document only when one of its own components
    // is this name, perhaps followed by dots and blanks (resolution trims
    // them), so a scan may search for the name so written instead of reading
    // every line's file field. A name that holds a letter of a script other
    // than Latin (kana, kanji, hangul, Greek, Cyrillic) is in no such line:
    // only lines with other bytes are then read (and of those, for a name
    // with a kanji, only the ones that hold it: LineFilterAnchor). Empty when no line can be
    // ruled out this way: the name is empty, holds a separator or a control
    // character, ends in '.' or ' ', is a device name, is neither printable
    // ASCII nor holds such a letter (a name of full-width letters, say), or
    // is (trimmed) a component of the tags folder (or of the file's own
    // folder), which '.' and '..' steps can make the last one.
    const CowString& LineFilterName() const noexcept { return lineFilterName_; }

    // A character of a LineFilterName() that holds a kanji, by whose bytes a
    // scan may rule out even lines with bytes past ASCII: a line whose file
    // field, read in UTF-8 or in the ANSI code page (ReadFileField), resolves
    // to the document holds the character's UTF-8 or its ANSI bytes. Set only
    // under code page 932, for the name's first kanji of JIS X 0208 (one
    // spelling in the code page, where the NEC and IBM rows spell some
    // characters twice) that no character of the code page equals under
    // lstrcmpA (a compatibility ideograph may equal its unified one).
    struct Anchor {
        bool set = false;
        char utf8[3] = {};
        char ansi[2] = {};
    };
    const Anchor& LineFilterAnchor() const noexcept { return lineFilterAnchor_; }

    // How many times a field was resolved with GetFullPath: at most once per
    // distinct field between two Forget calls, while the memo has room.
    std::size_t ResolvedCount() const noexcept { return resolved_; }

private:
    struct Slot {
        std::uint32_t hash;
        std::uint32_t offset;  // of the field's copy in keys_
        std::uint32_t length;
        std::uint32_t answer;  // 0: free slot, 1: not in the document, 2: in it
    };

    bool IsLastField(const char* field, std::size_t length) const noexcept;
    // The remembered answer for the field, resolving and remembering it when new.
    bool LookUp(const char* field, std::size_t length);
    bool CannotBeDocument(const char* field, const char* fieldEnd) const noexcept;
    bool IsDocumentName(const char* name, const char* nameEnd) const noexcept;
    bool Resolve(const char* field, std::size_t length) const;
    const Slot* Find(const char* field, std::size_t length, std::uint32_t hash) const noexcept;
    void Remember(const char* field, std::size_t length, std::uint32_t hash, bool inDocument) noexcept;
    static void Place(std::vector<Slot>& slots, const Slot& slot) noexcept;

    CowString documentPath_;
    CowString tagsFolder_;
    CowString ownFolder_;
    FieldEncoding encoding_;
    CowString documentName_;   // the document's plain name; empty: no field is ruled out early
    CowString lineFilterName_;
    Anchor lineFilterAnchor_;
    std::vector<Slot> slots_;  // open addressing, linear probing; a power of two, at most half full
    // The remembered fields side by side: looked up in random order, they stay
    // cached far better here than scattered over the mapped file.
    std::vector<char> keys_;
    std::size_t used_ = 0;
    std::size_t resolved_ = 0;
    const char* lastField_ = nullptr;  // the previous line's field: many lines repeat it
    std::size_t lastLength_ = 0;
    bool lastInDocument_ = false;
};

}  // namespace velkin
