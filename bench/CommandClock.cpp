#include "bench/CommandClock.h"

#include "bench/Clock.h"
#include "editor/HostMessages.h"

namespace velkin::bench {

namespace {

// The clock of a frame, found by the window: several clocks may live side by side.
constexpr char kClockProperty[] = "VelkinCommandClock";

// A message box of this thread (a dialog without a list: not the picker) is
// closed. Its modal loop sends no WM_ENTERIDLE, but it runs the thread's timers.
BOOL CALLBACK CloseIfMessageBox(HWND window, LPARAM)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window) &&
        !FindWindowExA(window, nullptr, "SysListView32", nullptr)) {
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

void CALLBACK CloseMessageBoxes(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), &CloseIfMessageBox, 0);
}

}  // namespace

CommandClock::CommandClock(const std::string& library)
    : plugin_(library), frame_(host_.AddFrame()), view_(frame_.AddView()), document_(view_.AddDocument())
{
    SetPropA(frame_.Window(), kClockProperty, this);
    frameProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(frame_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameProc)));
}

CommandClock::~CommandClock()
{
    SetWindowLongPtrA(frame_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(frameProc_));
    RemovePropA(frame_.Window(), kClockProperty);
}

double CommandClock::Run(const std::string& documentPath, const std::string& word)
{
    view_.Activate(0);
    document_.SetText(word);
    document_.SetAnsiPath(documentPath);
    statuses_.clear();
    statusTimes_.clear();
    // A jump to a file that is not there says so in a message box.
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &CloseMessageBoxes);
    const double start = NowMilliseconds();
    plugin_.OnCommand(frame_.Window());
    KillTimer(nullptr, timer);
    return statusTimes_.size() >= 2 ? statusTimes_[1] - start : -1.0;
}

LRESULT CALLBACK CommandClock::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CommandClock& clock = *static_cast<CommandClock*>(GetPropA(window, kClockProperty));
    if (message == HOSTMSG_SET_STATUS_TEXT && lParam) {
        clock.statusTimes_.push_back(NowMilliseconds());
        clock.statuses_.emplace_back(reinterpret_cast<const char*>(lParam));
    }
    // The picker's modal loop runs idle: close it, the time is taken.
    if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX) {
        PostMessageA(reinterpret_cast<HWND>(lParam), WM_COMMAND, IDCANCEL, 0);
    }
    return CallWindowProcA(clock.frameProc_, window, message, wParam, lParam);
}

}  // namespace velkin::bench
