// A read-only mapping of one whole file, read through views of parts of it: a
// 32-bit process seldom has room for one view of a large file, and no process
// for one of a file past its address space. Offsets and sizes are 64-bit in
// both builds; a view's length stays below 4 GiB.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <utility>

#include "win/Win32Handles.h"

namespace velkin {

// The longest view mapped: 2 GiB. A field within one view fits an int (the
// length of a CowString), and no 32-bit process has room for more.
constexpr std::uint32_t kMaxViewBytes = 0x80000000u;

// Why MappedFile::Open gave no file.
enum class MapFailure {
    cannotOpen,      // missing, a folder, no access, open for writing elsewhere, or the open reported an error
    cannotReadSize,  // GetFileSizeEx failed
    empty,           // zero bytes: there is nothing to map
    cannotMap,       // CreateFileMappingA failed
};

// One mapped view: [Begin(), End()) are the file's bytes from the view's
// offset on, readable until the view is destroyed (it unmaps itself). An
// empty (default) view has null bounds.
class MappedWindow {
public:
    MappedWindow() noexcept = default;
    MappedWindow(MappedView view, std::uint32_t length) noexcept
        : view_(std::move(view)),
          begin_(static_cast<const char*>(view_.Get())),
          end_(begin_ ? begin_ + length : nullptr)
    {
    }

    explicit operator bool() const noexcept { return view_.IsValid(); }
    const char* Begin() const noexcept { return begin_; }
    const char* End() const noexcept { return end_; }

private:
    MappedView view_;
    const char* begin_ = nullptr;
    const char* end_ = nullptr;
};

// What MappedFile::Open gives: the file, or why there is none.
struct MappedFileOrFailure;

class MappedFile {
public:
    // Opens `path` for reading, sharing reads only (no other process can open
    // it for writing while this object lives), and creates a read-only
    // mapping of the whole file. An empty file is refused before
    // CreateFileMappingA, whose zero size would mean "the whole file".
    static MappedFileOrFailure Open(const char* path) noexcept;

    // The file's size: at least 1 byte.
    std::uint64_t Size() const noexcept { return size_; }

    // Maps [offset, offset + length), cut at the file's end and at
    // kMaxViewBytes. `offset` must be a multiple of AllocationGranularity()
    // below Size(). An empty window when the view cannot be mapped (no room
    // in the address space).
    MappedWindow Map(std::uint64_t offset, std::uint64_t length) const noexcept;

    // The step of view offsets (64 KB on every Windows so far).
    static std::uint32_t AllocationGranularity() noexcept;
    // `bytes` as the length of a window read in turn: rounded down to the
    // allocation granularity, at least two granules.
    static std::uint32_t WindowLength(std::uint32_t bytes) noexcept;

private:
    MappedFile(FileHandle file, MappingHandle mapping, std::uint64_t size) noexcept
        : file_(std::move(file)), mapping_(std::move(mapping)), size_(size)
    {
    }

    // Released in reverse order: the mapping, then the file.
    FileHandle file_;
    MappingHandle mapping_;
    std::uint64_t size_;
};

struct MappedFileOrFailure {
    std::optional<MappedFile> file;
    MapFailure failure = MapFailure::cannotOpen;  // meaningful when `file` is empty
};

}  // namespace velkin
