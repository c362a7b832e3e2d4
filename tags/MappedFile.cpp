#include "tags/MappedFile.h"

namespace velkin {

namespace {

// The largest file mapped: 2 GiB, which a large-address-aware 32-bit process
// can still map as one view.
constexpr ULONGLONG kMaxMappedSize = 2147483648ULL;

}  // namespace

void MappedFile::Open(const char* path) noexcept
{
    Close();
    file_.Reset(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_.IsValid() || GetLastError() != 0) return;

    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.Get(), &size)) return;
    fileSize_ = static_cast<ULONGLONG>(size.QuadPart);
    // An empty file cannot be mapped; checked here rather than left to
    // CreateFileMappingA, whose zero size would mean "the whole file".
    if (fileSize_ == 0 || fileSize_ > kMaxMappedSize) return;

    mapping_.Reset(CreateFileMappingA(file_.Get(), nullptr, PAGE_READONLY, 0,
                                      static_cast<DWORD>(fileSize_), nullptr));
}

bool MappedFile::MapView(MappedBytes& bytes) noexcept
{
    if (!view_.IsValid()) {
        if (!mapping_.IsValid()) return false;
        view_.Reset(MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(fileSize_)));
        if (!view_.IsValid()) return false;
    }
    bytes.begin = static_cast<const char*>(view_.Get());
    bytes.end = bytes.begin + static_cast<DWORD>(fileSize_);
    return true;
}

void MappedFile::Close() noexcept
{
    view_.Reset();
    mapping_.Reset();
    file_.Reset();
    fileSize_ = 0;
}

}  // namespace velkin
