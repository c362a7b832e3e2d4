#include "plugin/CommandSession.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/Sjis.h"
#include "host/ModalDriver.h"
#include "res/ResourceIds.h"

namespace velkin::test {

namespace {

// T: is a scratch drive whose root the tests may write (see scripts/wine-run.sh).
const char* const kScratch = "T:\\session";

// The Windows form of a Unix path: drive Z: is the Unix root.
std::string WindowsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

void RemoveScratch()
{
    std::error_code ignored;
    std::filesystem::remove_all(kScratch, ignored);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool IsPicker(HWND list)
{
    char className[64] = "";
    return list && GetClassNameA(list, className, sizeof className) && lstrcmpiA(className, WC_LISTVIEWA) == 0;
}

CommandSession* g_session = nullptr;
decltype(&::InvalidateRect) g_invalidateRect = nullptr;
decltype(&::UpdateWindow) g_updateWindow = nullptr;
decltype(&::RedrawWindow) g_redrawWindow = nullptr;

}  // namespace

CommandSession::CommandSession()
    : frame_(host_.AddFrame()),
      view_(frame_.AddView()),
      invalidate_(plugin_.Module(), "InvalidateRect", reinterpret_cast<const void*>(&InvalidateRectHook)),
      update_(plugin_.Module(), "UpdateWindow", reinterpret_cast<const void*>(&UpdateWindowHook)),
      redraw_(plugin_.Module(), "RedrawWindow", reinterpret_cast<const void*>(&RedrawWindowHook))
{
    g_session = this;
    g_invalidateRect = invalidate_.Original<decltype(&::InvalidateRect)>();
    g_updateWindow = update_.Original<decltype(&::UpdateWindow)>();
    g_redrawWindow = redraw_.Original<decltype(&::RedrawWindow)>();
    RemoveScratch();
    std::filesystem::create_directories(kScratch);
    std::filesystem::copy(WindowsPath(VELKIN_SAMPLE_DIR), Project(), std::filesystem::copy_options::recursive);
    std::filesystem::copy_file(WindowsPath(VELKIN_SAMPLE_TAGS_DIR "/number.tags"), PathOf("tags"));
    frameProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(frame_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameProc)));
    cbtHook_ = SetWindowsHookExA(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId());
}

CommandSession::~CommandSession()
{
    UnhookWindowsHookEx(cbtHook_);
    SetWindowLongPtrA(frame_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(frameProc_));
    g_session = nullptr;
    RemoveScratch();
}

std::string CommandSession::Project() { return std::string(kScratch) + "\\proj"; }

std::string CommandSession::PathOf(const std::string& relative) { return Project() + "\\" + relative; }

const std::vector<std::string>& CommandSession::NoteWords()
{
    static const std::vector<std::string> words = {"SetValue", "Set", "Se", "Settl", "Reset", "Zzz", "Settle"};
    return words;
}

sim::SimDocument& CommandSession::Open(const std::string& relative, HostPoint caret)
{
    const std::string path = PathOf(relative.empty() ? "notes.txt" : relative);
    for (std::size_t index = 0; index < view_.DocumentCount(); ++index) {
        if (view_.Document(index).AnsiPath() != path) continue;
        view_.Activate(static_cast<int>(index));
        view_.Document(index).MoveCaret(caret);
        return view_.Document(index);
    }
    std::string text;
    if (relative.empty()) {
        for (const std::string& word : NoteWords()) text += word + "\n";
    } else {
        text = ReadFile(path);
    }
    sim::SimDocument& document = view_.AddDocument(path, text);
    view_.Activate(static_cast<int>(view_.DocumentCount() - 1));
    document.MoveCaret(caret);
    return document;
}

CommandOutcome CommandSession::Run(int pickRow)
{
    outcome_ = CommandOutcome();
    answered_.clear();
    pickRow_ = pickRow;
    host_.ClearCalls();
    plugin_.OnCommand(frame_.Window());
    if (const sim::SimView* view = frame_.ActiveView()) {
        if (const sim::SimDocument* document = view->ActiveDocument()) {
            const std::string prefix = Project() + "\\";
            const std::string path = document->AnsiPath();
            outcome_.document = path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : path;
            outcome_.caretLine = document->caret.y;
        }
    }
    return outcome_;
}

std::string CommandSession::NameOf(HWND window) const
{
    return window == frame_.Window() ? frame_.Name() : "another window";
}

// The user looks at each modal window once.
void CommandSession::Answer(HWND modal)
{
    if (!answered_.insert(modal).second) return;
    const HWND list = GetDlgItem(modal, IDC_TAG_LIST);
    if (!IsPicker(list)) {
        char caption[200] = "";
        GetWindowTextA(modal, caption, sizeof caption);
        outcome_.story.push_back("box " + Utf8(caption));
        sim::PressDialogButton(modal, IDOK);
        return;
    }
    outcome_.story.push_back("picker");
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    const auto header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const bool tagsFiles = SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) > 4;
    for (int row = 0; row < rows; ++row) {
        outcome_.rows.push_back(sim::ListCellText(list, row, 0) + " | " + sim::ListCellText(list, row, 2) + " | " +
                                sim::ListCellText(list, row, 3) +
                                (tagsFiles ? " | " + sim::ListCellText(list, row, 4) : std::string()));
    }
    if (pickRow_ < 0 || pickRow_ >= rows) {
        sim::PressKey(sim::FocusOf(modal), VK_ESCAPE);
        return;
    }
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(pickRow_), reinterpret_cast<LPARAM>(&bounds));
    sim::DoubleClick(list, POINT{bounds.left + 8, (bounds.top + bounds.bottom) / 2});
}

LRESULT CALLBACK CommandSession::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CommandSession& session = *g_session;
    if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX) session.Answer(reinterpret_cast<HWND>(lParam));
    if (message == HOSTMSG_SET_STATUS_TEXT && lParam)
        session.outcome_.story.push_back("status " + Utf8(reinterpret_cast<const char*>(lParam)));
    return CallWindowProcA(session.frameProc_, window, message, wParam, lParam);
}

LRESULT CALLBACK CommandSession::CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    const auto window = reinterpret_cast<HWND>(wParam);
    char className[16] = "";
    if (code == HCBT_ACTIVATE && GetClassNameA(window, className, sizeof className) &&
        lstrcmpA(className, "#32770") == 0 && !IsPicker(GetDlgItem(window, IDC_TAG_LIST)))
        g_session->Answer(window);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI CommandSession::InvalidateRectHook(HWND window, const RECT* rect, BOOL erase)
{
    g_session->outcome_.story.push_back("InvalidateRect " + g_session->NameOf(window) + (rect ? " part" : "") +
                                        (erase ? " erase" : ""));
    return g_invalidateRect(window, rect, erase);
}

BOOL WINAPI CommandSession::UpdateWindowHook(HWND window)
{
    g_session->outcome_.story.push_back("UpdateWindow " + g_session->NameOf(window));
    return g_updateWindow(window);
}

// Only a paint of the whole window and its children, at once, shows a status
// text while the editor's thread is busy.
BOOL WINAPI CommandSession::RedrawWindowHook(HWND window, const RECT* rect, HRGN region, UINT flags)
{
    const bool whole = !rect && !region && (flags & (RDW_UPDATENOW | RDW_ALLCHILDREN)) == (RDW_UPDATENOW | RDW_ALLCHILDREN);
    g_session->outcome_.story.push_back("RedrawWindow " + g_session->NameOf(window) + (whole ? "" : " part"));
    return g_redrawWindow(window, rect, region, flags);
}

}  // namespace velkin::test
