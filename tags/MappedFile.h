// A read-only memory mapping of one whole file.
#pragma once

#include <windows.h>

#include "win/Win32Handles.h"

namespace velkin {

struct MappedBytes {
    const char* begin;
    const char* end;
};

class MappedFile {
public:
    MappedFile() noexcept = default;
    ~MappedFile() { Close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Closes what was open, then opens `path` for reading (sharing reads only)
    // and creates a read-only mapping of it. Any failure leaves the object
    // without a mapping: the file is missing, a folder or open for writing
    // elsewhere, the open reported an error, the size cannot be read, is zero
    // (cannot be mapped) or exceeds 2,147,483,648 bytes. While the file is
    // open, no other process can open it for writing.
    void Open(const char* path) noexcept;

    // Maps the whole file the first time and returns the same view later:
    // bytes.end - bytes.begin is the file size. False, with `bytes` untouched,
    // when there is no mapping or the view fails (a 32-bit process needs to be
    // large-address-aware to map views near 2 GiB). The bytes borrow from the
    // view: valid until Close.
    bool MapView(MappedBytes& bytes) noexcept;

    bool HasMapping() const noexcept { return mapping_.IsValid(); }
    // The size GetFileSizeEx reported (also when it was too large to map); 0 after Close.
    ULONGLONG FileSize() const noexcept { return fileSize_; }

    // Releases the view, the mapping and the file, in that order, each if present.
    void Close() noexcept;

private:
    ULONGLONG fileSize_ = 0;
    FileHandle file_;
    MappingHandle mapping_;
    MappedView view_;
};

}  // namespace velkin
