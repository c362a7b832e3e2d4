// Decides whether a tags line's file field names the current document, and
// remembers the answer for each distinct field within one scan: resolving a
// path with GetFullPathNameA costs far more than the rest of a line's scan.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "text/CowString.h"

namespace velkin {

class FileFieldMemo {
public:
    // Borrows nothing: both strings are copied by reference count.
    FileFieldMemo(const CowString& documentPath, const CowString& tagsFolder);

    // True when GetFullPath(tagsFolder + "\" + field) equals documentPath under
    // lstrcmpA; always the same answer as resolving the field afresh. The memo
    // keeps pointers to [field, fieldEnd): the bytes must stay readable and
    // unchanged until the next Forget.
    bool IsInDocument(const char* field, const char* fieldEnd);

    // Drops every remembered field (before the bytes they point into go away).
    void Forget() noexcept;

    // How many times a field was resolved with GetFullPath: once per distinct
    // field between two Forget calls.
    std::size_t ResolvedCount() const noexcept { return resolved_; }

private:
    struct Slot {
        const char* key;  // null: free
        std::size_t length;
        std::uint32_t hash;
        bool inDocument;
    };

    bool Resolve(const char* field, std::size_t length) const;
    const Slot* Find(const char* field, std::size_t length, std::uint32_t hash) const noexcept;
    void Remember(const Slot& slot) noexcept;
    static void Place(std::vector<Slot>& slots, const Slot& slot) noexcept;

    CowString documentPath_;
    CowString folderPrefix_;   // tagsFolder and one backslash
    std::vector<Slot> slots_;  // open addressing, linear probing; a power of two, at most half full
    std::size_t used_ = 0;
    std::size_t resolved_ = 0;
    Slot last_{};  // the previous line's field: most lines repeat it
};

}  // namespace velkin
