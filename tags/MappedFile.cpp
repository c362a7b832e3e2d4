#include "tags/MappedFile.h"

#include <algorithm>

namespace velkin {

MappedFileOrFailure MappedFile::Open(const char* path) noexcept
{
    MappedFileOrFailure result;
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file || GetLastError() != 0) {
        result.failure = MapFailure::cannotOpen;
        return result;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) {
        result.failure = MapFailure::cannotReadSize;
        return result;
    }
    if (size.QuadPart == 0) {
        result.failure = MapFailure::empty;
        return result;
    }
    const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
    MappingHandle mapping(CreateFileMappingA(file.Get(), nullptr, PAGE_READONLY, static_cast<DWORD>(bytes >> 32),
                                             static_cast<DWORD>(bytes), nullptr));
    if (!mapping) {
        result.failure = MapFailure::cannotMap;
        return result;
    }
    result.file.emplace(MappedFile(std::move(file), std::move(mapping), bytes));
    return result;
}

MappedWindow MappedFile::Map(std::uint64_t offset, std::uint64_t length) const noexcept
{
    if (offset >= size_) return MappedWindow();
    const auto bytes = static_cast<std::uint32_t>(std::min({length, size_ - offset, std::uint64_t{kMaxViewBytes}}));
    MappedView view(MapViewOfFile(mapping_.Get(), FILE_MAP_READ, static_cast<DWORD>(offset >> 32),
                                  static_cast<DWORD>(offset), bytes));
    if (!view) return MappedWindow();
    return MappedWindow(std::move(view), bytes);
}

std::uint32_t MappedFile::AllocationGranularity() noexcept
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    return system.dwAllocationGranularity;
}

std::uint32_t MappedFile::WindowLength(std::uint32_t bytes) noexcept
{
    const std::uint32_t granularity = AllocationGranularity();
    return std::max(bytes - bytes % granularity, 2 * granularity);
}

}  // namespace velkin
