#include "host/ModalDriver.h"

#include <utility>

namespace velkin::sim {

namespace {

constexpr DWORD kPollMs = 10;
constexpr const char* kDialogClass = "#32770";

std::string WindowText(HWND window)
{
    char text[1024] = "";
    const int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

std::string ClassName(HWND window)
{
    char name[260] = "";
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

struct DialogSearch {
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<DialogSearch*>(parameter);
    const bool matches = IsWindowVisible(window) && ClassName(window) == kDialogClass &&
                         (search.caption->empty() || WindowText(window) == *search.caption);
    if (matches) search.found = window;
    return !matches;
}

BOOL CALLBACK AddControl(HWND window, LPARAM parameter)
{
    auto& controls = *reinterpret_cast<std::vector<ModalControl>*>(parameter);
    controls.push_back({window, GetDlgCtrlID(window), ClassName(window), WindowText(window),
                        static_cast<LONG>(GetWindowLongPtrA(window, GWL_STYLE))});
    return TRUE;
}

// Polls `done` until it holds or `waitMs` has passed; its last answer.
template <typename Condition>
bool WaitUntil(DWORD waitMs, Condition done)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= waitMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

}  // namespace

std::vector<ModalControl> ModalSnapshot::ControlsOf(const std::string& className) const
{
    std::vector<ModalControl> selected;
    for (const ModalControl& control : controls)
        if (lstrcmpiA(control.className.c_str(), className.c_str()) == 0) selected.push_back(control);
    return selected;
}

void PressDialogButton(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

ModalDriver::ModalDriver(std::string caption, Action action, DWORD uiThread, DWORD waitMs)
    : caption_(std::move(caption)), action_(std::move(action)), uiThread_(uiThread), waitMs_(waitMs),
      thread_([this] { Run(); })
{
}

ModalDriver::~ModalDriver()
{
    Finish();
}

const ModalReport& ModalDriver::Finish()
{
    if (thread_.joinable()) thread_.join();
    return report_;
}

void ModalDriver::Run()
{
    DialogSearch search{&caption_, nullptr};
    report_.found = WaitUntil(waitMs_, [&] {
        EnumThreadWindows(uiThread_, MatchDialog, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    if (!report_.found) return;

    HWND window = search.found;
    report_.window = window;
    report_.owner = GetWindow(window, GW_OWNER);
    report_.caption = WindowText(window);
    EnumChildWindows(window, AddControl, reinterpret_cast<LPARAM>(&report_.controls));
    if (action_) action_(report_);

    report_.closedByAction = WaitUntil(waitMs_, [window] { return !IsWindow(window); });
    if (report_.closedByAction) return;
    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(window, WM_CLOSE, 0, 0);
    for (const ModalControl& button : report_.ControlsOf("Button")) PressDialogButton(window, button.id);
}

}  // namespace velkin::sim
