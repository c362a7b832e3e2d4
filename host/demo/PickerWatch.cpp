#include "host/demo/PickerWatch.h"

#include <commctrl.h>

#include <cstdlib>

#include "host/ModalDriver.h"
#include "host/TextCodec.h"
#include "res/ResourceIds.h"

namespace velkin::demo {

namespace {

constexpr DWORD kPollMs = 20;
constexpr DWORD kCloseWaitMs = 5000;
constexpr int kColumns = 4;

std::string Utf8Text(HWND window)
{
    wchar_t text[1024] = L"";
    InternalGetWindowText(window, text, 1024);
    return sim::Narrow(text, CP_UTF8);
}

struct DialogSearch {
    DWORD thread;
    HWND found = nullptr;
};

// A visible dialog-class window of the command's thread. Nothing here sends
// a message: that thread may be busy (or waiting for this one) and would not
// answer.
BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<DialogSearch*>(parameter);
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    if (GetWindowThreadProcessId(window, nullptr) != search.thread || !IsWindowVisible(window) ||
        lstrcmpA(className, "#32770") != 0)
        return TRUE;
    search.found = window;
    return FALSE;
}

BOOL CALLBACK AddStaticText(HWND window, LPARAM parameter)
{
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    const std::string text = Utf8Text(window);
    if (lstrcmpiA(className, "Static") == 0 && !text.empty()) *reinterpret_cast<std::string*>(parameter) += text;
    return TRUE;
}

// Column captions (row -1) or the cells of a row, as the list holds them.
std::vector<std::string> ListTexts(HWND list, int row)
{
    std::vector<std::string> texts;
    for (int column = 0; column < kColumns; ++column) {
        texts.push_back(row < 0 ? sim::ListColumnCaption(list, column) : sim::ListCellText(list, row, column));
    }
    return texts;
}

// A point inside row `row` (0-based), near its left end, in the list's client coordinates.
POINT RowPoint(HWND list, int row)
{
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
    return POINT{bounds.left + 8, (bounds.top + bounds.bottom) / 2};
}

bool WaitForClose(HWND dialog, DWORD waitMs)
{
    const DWORD start = GetTickCount();
    while (IsWindow(dialog)) {
        if (waitMs != INFINITE && GetTickCount() - start >= waitMs) return false;
        Sleep(kPollMs);
    }
    return true;
}

}  // namespace

bool PickAction::Parse(const std::string& text, PickAction& action)
{
    const std::size_t colon = text.find(':');
    const std::string verb = text.substr(0, colon);
    if (colon == std::string::npos) {
        if (verb == "escape") action = PickAction{kEscape, 0};
        else if (verb == "user") action = PickAction{kUser, 0};
        else return false;
        return true;
    }
    const int row = std::atoi(text.c_str() + colon + 1);
    if (row < 1) return false;
    if (verb == "double-click") action = PickAction{kDoubleClick, row};
    else if (verb == "enter") action = PickAction{kClickEnter, row};
    else return false;
    return true;
}

std::string PickAction::Describe() const
{
    switch (kind) {
    case kDoubleClick: return "a double-click on row " + std::to_string(row);
    case kClickEnter: return "a click on row " + std::to_string(row) + ", then Enter";
    case kEscape: return "Escape";
    case kUser: break;
    }
    return "you";
}

PickerWatch::PickerWatch(PickAction action)
    : action_(action), uiThread_(GetCurrentThreadId()), thread_([this] { Run(); })
{
}

PickerWatch::~PickerWatch() { Finish(); }

const PickerReport& PickerWatch::Finish()
{
    stop_ = true;
    // Answer what the watcher sends this thread's windows until it is done.
    MSG message;
    while (!done_) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        Sleep(kPollMs);
    }
    if (thread_.joinable()) thread_.join();
    return report_;
}

void PickerWatch::Run()
{
    const std::string pickerCaption = "TAGSの検索結果";
    HWND handled = nullptr;
    while (!stop_) {
        DialogSearch search{uiThread_};
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found && search.found != handled) {
            handled = search.found;
            if (Utf8Text(search.found) == pickerCaption) Work(search.found);
            else Answer(search.found);
        }
        Sleep(kPollMs);
    }
    done_ = true;
}

void PickerWatch::Answer(HWND box)
{
    std::string body;
    EnumChildWindows(box, AddStaticText, reinterpret_cast<LPARAM>(&body));
    report_.boxes.push_back(Utf8Text(box) + ": " + body);
    if (action_.kind == PickAction::kUser) {
        WaitForClose(box, INFINITE);
        return;
    }
    sim::PressDialogButton(box, IDOK);
    WaitForClose(box, kCloseWaitMs);
}

void PickerWatch::Work(HWND dialog)
{
    report_.opened = true;
    report_.caption = Utf8Text(dialog);
    const HWND list = GetDlgItem(dialog, IDC_TAG_LIST);
    report_.captions = ListTexts(list, -1);
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) report_.rows.push_back(ListTexts(list, row));

    const int row = action_.row > count ? count - 1 : action_.row - 1;
    switch (action_.kind) {
    case PickAction::kDoubleClick: sim::DoubleClick(list, RowPoint(list, row)); break;
    case PickAction::kClickEnter:
        sim::Click(list, RowPoint(list, row));
        sim::PressKey(list, VK_RETURN);
        break;
    case PickAction::kEscape: sim::PressKey(sim::FocusOf(dialog), VK_ESCAPE); break;
    case PickAction::kUser: WaitForClose(dialog, INFINITE); return;
    }
    if (WaitForClose(dialog, kCloseWaitMs)) return;
    // Never leave the command hanging in the modal loop.
    report_.closedByAction = false;
    sim::PressDialogButton(dialog, IDCANCEL);
    WaitForClose(dialog, kCloseWaitMs);
}

}  // namespace velkin::demo
