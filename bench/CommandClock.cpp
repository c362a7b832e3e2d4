#include "bench/CommandClock.h"

#include <cstring>

#include "bench/Clock.h"
#include "editor/HostMessages.h"
#include "res/ResourceIds.h"

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

// Presses Esc `delay` ms after it starts, noting when.
struct EscapePress {
    DWORD delay;
    double pressedAt = -1;
};

DWORD WINAPI PressEscapeLater(void* context)
{
    EscapePress& press = *static_cast<EscapePress*>(context);
    Sleep(press.delay);
    press.pressedAt = NowMilliseconds();
    keybd_event(VK_ESCAPE, 0, 0, 0);
    return 0;
}

}  // namespace

CommandClock::CommandClock(const std::string& library)
    : plugin_(library), frame_(host_.AddFrame()), view_(frame_.AddView()), document_(view_.AddDocument())
{
    SetPropA(frame_.Window(), kClockProperty, this);
    char format[256] = "";
    LoadStringA(plugin_.Module(), IDS_READING_TAGS, format, sizeof format);
    const char* first = std::strstr(format, "%s");
    const char* second = first ? std::strstr(first + 2, "%s") : nullptr;
    if (second) progressMark_.assign(first + 2, second);
    frameProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(frame_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameProc)));
}

CommandClock::~CommandClock()
{
    SetWindowLongPtrA(frame_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(frameProc_));
    RemovePropA(frame_.Window(), kClockProperty);
}

void CommandClock::Prepare(const std::string& documentPath, const std::string& word)
{
    view_.Activate(0);
    document_.SetText(word);
    document_.SetAnsiPath(documentPath);
    statuses_.clear();
    statusTimes_.clear();
}

double CommandClock::Run(const std::string& documentPath, const std::string& word)
{
    Prepare(documentPath, word);
    // A jump to a file that is not there says so in a message box.
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &CloseMessageBoxes);
    const double start = NowMilliseconds();
    plugin_.OnCommand(frame_.Window());
    KillTimer(nullptr, timer);
    return statusTimes_.size() >= 2 ? statusTimes_[1] - start : -1.0;
}

double CommandClock::RunStoppedByEscape(const std::string& documentPath, const std::string& word, DWORD escapeAfterMs)
{
    SetForegroundWindow(frame_.Window());
    if (GetForegroundWindow() != frame_.Window()) return -1.0;
    Prepare(documentPath, word);
    EscapePress press{escapeAfterMs};
    const HANDLE thread = CreateThread(nullptr, 0, &PressEscapeLater, &press, 0, nullptr);
    if (!thread) return -1.0;
    plugin_.OnCommand(frame_.Window());
    const double end = NowMilliseconds();
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    return press.pressedAt >= 0 && press.pressedAt <= end ? end - press.pressedAt : -1.0;
}

bool CommandClock::IsProgress(const char* status) const
{
    return !progressMark_.empty() && std::strstr(status, progressMark_.c_str()) != nullptr;
}

LRESULT CALLBACK CommandClock::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CommandClock& clock = *static_cast<CommandClock*>(GetPropA(window, kClockProperty));
    if (message == HOSTMSG_SET_STATUS_TEXT && lParam && !clock.IsProgress(reinterpret_cast<const char*>(lParam))) {
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
