#include "plugin/ReadingProgress.h"

#include <cstdio>

#include "plugin/StatusText.h"
#include "res/ResourceIds.h"

namespace velkin {

namespace {

// Esc down now, or pressed since the last call (the low bit: a press between
// two views), typed into a window of this process: Esc typed into another
// program is not meant for the editor.
bool EscapePressed() noexcept
{
    if ((GetAsyncKeyState(VK_ESCAPE) & 0x8001) == 0) return false;
    DWORD process = 0;
    const HWND foreground = GetForegroundWindow();
    return foreground && GetWindowThreadProcessId(foreground, &process) && process == GetCurrentProcessId();
}

}  // namespace

ReadingProgress::ReadingProgress(HWND hostWindow) noexcept : hostWindow_(hostWindow), start_(GetTickCount())
{
    GetAsyncKeyState(VK_ESCAPE);  // forgets a press from before the command
}

bool ReadingProgress::GoOn(const CowString& file, std::uint64_t done, std::uint64_t size) noexcept
{
    if (stopped_) return false;
    if (EscapePressed()) {
        stopped_ = true;
        return false;
    }
    const DWORD now = GetTickCount();
    if (now - start_ >= kProgressDelayMs && (!shown_ || now - shownAt_ >= kProgressStepMs)) {
        Show(file, done, size);
        shown_ = true;
        shownAt_ = now;
    }
    return true;
}

void ReadingProgress::Show(const CowString& file, std::uint64_t done, std::uint64_t size) noexcept
{
    char percent[8];
    std::snprintf(percent, sizeof percent, "%u", static_cast<unsigned>(size ? done * 100 / size : 0));
    ShowStatus(hostWindow_, IDS_READING_TAGS, file, CowString(percent));
    // The editor's thread is busy reading: nothing paints the text unless it
    // is painted here, the status bar (a child window) with the frame.
    RedrawWindow(hostWindow_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace velkin
