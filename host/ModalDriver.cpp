#include "host/ModalDriver.h"

#include <commctrl.h>

#include <stdexcept>
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

// ---- Input -------------------------------------------------------------------

namespace {

// The lParam of a key message: repeat count 1 and the key's scan code, with
// the context (Alt) and transition (release) bits as asked.
LPARAM KeyData(UINT key, bool alt, bool release)
{
    LPARAM data = 1 | static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC) & 0xFF) << 16;
    if (alt) data |= LPARAM{1} << 29;
    if (release) data |= LPARAM{3} << 30;
    return data;
}

LPARAM PointData(POINT point) { return MAKELPARAM(point.x, point.y); }

}  // namespace

HWND FocusOf(HWND modal)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(modal, nullptr), &info) && info.hwndFocus) return info.hwndFocus;
    return modal;
}

void PressKey(HWND window, UINT key)
{
    PostMessageA(window, WM_KEYDOWN, key, KeyData(key, false, false));
    PostMessageA(window, WM_KEYUP, key, KeyData(key, false, true));
}

void PressAltKey(HWND window, UINT key)
{
    PostMessageA(window, WM_SYSKEYDOWN, key, KeyData(key, true, false));
    PostMessageA(window, WM_SYSKEYUP, key, KeyData(key, true, true));
}

void Click(HWND window, POINT point)
{
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, PointData(point));
    PostMessageA(window, WM_LBUTTONUP, 0, PointData(point));
}

void DoubleClick(HWND window, POINT point)
{
    Click(window, point);
    PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, PointData(point));
    PostMessageA(window, WM_LBUTTONUP, 0, PointData(point));
}

void Drag(HWND window, POINT from, POINT to)
{
    constexpr int kSteps = 8;
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, PointData(from));
    for (int step = 1; step <= kSteps; ++step) {
        const POINT at{from.x + (to.x - from.x) * step / kSteps, from.y + (to.y - from.y) * step / kSteps};
        PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, PointData(at));
    }
    PostMessageA(window, WM_LBUTTONUP, 0, PointData(to));
}

// ---- ModalOwner ---------------------------------------------------------------

namespace {

constexpr const char* kOwnerClass = "VelkinModalOwner";

}  // namespace

ModalOwner::ModalOwner(RECT rect)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kOwnerClass;
    RegisterClassA(&windowClass);   // fails harmlessly once registered
    window_ = CreateWindowExA(0, kOwnerClass, "owner", WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (!window_) throw std::runtime_error("cannot create the owner window (no display?)");
}

ModalOwner::~ModalOwner()
{
    DestroyWindow(window_);
}

LRESULT CALLBACK ModalOwner::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    if (message == WM_ENTERIDLE) {
        if (auto* owner = reinterpret_cast<ModalOwner*>(GetWindowLongPtrA(window, GWLP_USERDATA))) ++owner->idleCount_;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ModalOwner::Settle(HWND modal, DWORD waitMs) const
{
    // An idle notice already on its way when a round starts may stem from an
    // empty queue before the input was posted; the notice of a second round
    // cannot.
    for (int round = 0; round < 2; ++round) {
        const long seen = idleCount_;
        if (!PostMessageA(modal, WM_NULL, 0, 0)) return false;
        if (!WaitUntil(waitMs, [&] { return idleCount_ != seen || !IsWindow(modal); })) return false;
        if (!IsWindow(modal)) return false;
    }
    return true;
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

std::string ListColumnCaption(HWND list, int column)
{
    char text[1024] = "";
    LVCOLUMNA caption{};
    caption.mask = LVCF_TEXT;
    caption.pszText = text;
    caption.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&caption));
    return text;
}

std::string ListCellText(HWND list, int row, int column)
{
    char text[1024] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

}  // namespace velkin::sim
