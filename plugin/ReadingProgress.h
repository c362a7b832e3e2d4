// The command's side of a long read of tags files: the read runs on the
// editor's thread, which paints nothing and reads no input meanwhile, so the
// reading reports here before each view, and this shows how far it has come
// and notices Esc.
#pragma once

#include <windows.h>

#include <cstdint>

#include "tags/ReadProgress.h"

namespace velkin {

// After kProgressDelayMs of reading, the status bar shows the file being read
// and the share read (545), again at most every kProgressStepMs, and the host
// window is painted each time (its status bar with it). Esc held down, or
// pressed since the command began, while the foreground window is one of the
// editor's process, stops the reading. A read shorter than the delay shows
// nothing.
class ReadingProgress final : public ReadProgress {
public:
    static constexpr DWORD kProgressDelayMs = 250;
    static constexpr DWORD kProgressStepMs = 100;

    // Starts the clock. An Esc pressed before this does not count.
    explicit ReadingProgress(HWND hostWindow) noexcept;

    bool GoOn(const CowString& file, std::uint64_t done, std::uint64_t size) noexcept override;

    // Whether Esc stopped the reading.
    bool Stopped() const noexcept { return stopped_; }

private:
    void Show(const CowString& file, std::uint64_t done, std::uint64_t size) noexcept;

    HWND hostWindow_;
    DWORD start_;
    DWORD shownAt_ = 0;
    bool shown_ = false;
    bool stopped_ = false;
};

}  // namespace velkin
