#include "host/SimHost.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <stdexcept>

#include "host/TextCodec.h"
#include "win/Win32Handles.h"

namespace velkin::sim {

namespace {

constexpr const char* kContainerWindowClass = "VelkinSimPane";
// Files the simulated editor agrees to load; tests never need more.
constexpr LONGLONG kMaxLoadSize = 64LL * 1024 * 1024;
// Longest text read from a message's lParam: bounds a missing terminator.
constexpr std::size_t kMaxMessageText = 65536;
// The editor's name buffer for 2106/278.
constexpr std::size_t kNameBufferSize = 260;

// A character is one UTF-16 code unit, or a surrogate pair.
std::size_t NextCharOffset(const std::wstring& line, std::size_t offset)
{
    const bool pair = offset + 1 < line.size() && IS_HIGH_SURROGATE(line[offset]) && IS_LOW_SURROGATE(line[offset + 1]);
    return offset + (pair ? 2 : 1);
}

// ASCII letters, digits and '_', and every character beyond ASCII.
bool IsWordCharAt(const std::wstring& line, std::size_t offset)
{
    if (offset >= line.size()) return false;
    const wchar_t c = line[offset];
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' || c >= 0x80;
}

bool IsBefore(HostPoint a, HostPoint b)
{
    return a.y < b.y || (a.y == b.y && a.x < b.x);
}

// The first line end of `text`; "\r\n" when it has none.
std::wstring FirstLineBreak(const std::wstring& text)
{
    const std::size_t at = text.find_first_of(L"\r\n");
    if (at == std::wstring::npos) return L"\r\n";
    return text.compare(at, 2, L"\r\n") == 0 ? L"\r\n" : text.substr(at, 1);
}

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    std::wstring current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c != L'\r' && c != L'\n') {
            current += c;
            continue;
        }
        if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        lines.push_back(current);
        current.clear();
    }
    lines.push_back(current);
    return lines;
}

std::string PointText(HostPoint point)
{
    return "(" + std::to_string(point.x) + "," + std::to_string(point.y) + ")";
}

// The zero-terminated text at `address`, read up to kMaxMessageText bytes;
// unset for a null pointer.
std::optional<std::string> ReadMessageText(LPARAM address)
{
    const char* text = reinterpret_cast<const char*>(address);
    if (!text) return std::nullopt;
    const void* end = std::memchr(text, 0, kMaxMessageText);
    const std::size_t length = end ? static_cast<const char*>(end) - text : kMaxMessageText;
    return std::string(text, length);
}

// Copies `text` into `buffer` of `size` bytes, cut to fit with its terminator.
// Returns what was written.
std::string CopyOut(const std::string& text, char* buffer, std::size_t size)
{
    const std::size_t count = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return text.substr(0, count);
}

// Messages whose lParam is a pointer: shown as "buffer" when no text or point
// was recorded for them, so the compact form never prints an address.
bool HasPointerLParam(UINT message)
{
    switch (message) {
    case HOSTMSG_GET_SELECTED_TEXT:
    case HOSTMSG_LOAD_FILE:
    case HOSTMSG_SET_CARET_POS:
    case HOSTMSG_GET_SEL_START:
    case HOSTMSG_GET_SEL_END:
    case HOSTMSG_SET_SELECTION:
    case HOSTMSG_FIND:
    case HOSTMSG_SET_STATUS_TEXT:
    case HOSTMSG_INFO:
        return true;
    default:
        return false;
    }
}

void RegisterWindowClass(const char* name, WNDPROC procedure)
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = name;
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error(std::string("cannot register the window class ") + name);
}

}  // namespace

// ---- SimDocument -------------------------------------------------------------

std::string SimDocument::AnsiPath() const
{
    return ToAnsi(path);
}

void SimDocument::SetAnsiPath(const std::string& ansiPath)
{
    path = FromAnsi(ansiPath);
}

void SimDocument::SetText(const std::string& fileBytes)
{
    const std::wstring text = DecodeFileText(fileBytes);
    lines = SplitLines(text);
    loadedLineBreak_ = FirstLineBreak(text);
    MoveCaret({0, 0});
}

std::string SimDocument::Text() const
{
    std::wstring text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += L"\r\n";
        text += lines[i];
    }
    return ToAnsi(text);
}

std::string SimDocument::SelectedText() const
{
    if (forcedSelection_) return *forcedSelection_;
    return ToAnsi(SelectedRange());
}

std::wstring SimDocument::SelectedRange() const
{
    HostPoint first = Clamp(selectionStart);
    HostPoint last = Clamp(selectionEnd);
    if (IsBefore(last, first)) std::swap(first, last);
    if (first.y == last.y) return lines[first.y].substr(first.x, last.x - first.x);
    const std::wstring lineBreak = selectedLineBreak == SelectedLineBreak::asLoaded ? loadedLineBreak_ : L"\r\n";
    std::wstring text = lines[first.y].substr(first.x);
    for (LONG y = first.y + 1; y < last.y; ++y) text += lineBreak + lines[y];
    return text + lineBreak + lines[last.y].substr(0, last.x);
}

HostPoint SimDocument::Clamp(HostPoint point) const
{
    const LONG lastLine = static_cast<LONG>(lines.size()) - 1;
    const LONG y = std::clamp<LONG>(point.y, 0, lastLine);
    const LONG x = std::clamp<LONG>(point.x, 0, static_cast<LONG>(lines[y].size()));
    return {x, y};
}

void SimDocument::MoveCaret(HostPoint point)
{
    caret = Clamp(point);
    CancelSelection();
}

bool SimDocument::IsPastEnd(HostPoint point) const
{
    const LONG lastLine = static_cast<LONG>(lines.size()) - 1;
    return point.y > lastLine || (point.y == lastLine && point.x > static_cast<LONG>(lines.back().size()));
}

void SimDocument::Select(HostPoint start, HostPoint end)
{
    if (selectionPastEnd != SelectionPastEnd::keptOnLastLine && (IsPastEnd(start) || IsPastEnd(end))) {
        if (selectionPastEnd == SelectionPastEnd::ignored) return;
        const HostPoint textEnd{static_cast<LONG>(lines.back().size()), static_cast<LONG>(lines.size()) - 1};
        if (IsPastEnd(start)) start = textEnd;
        if (IsPastEnd(end)) end = textEnd;
    }
    forcedSelection_.reset();
    selectionStart = Clamp(start);
    selectionEnd = Clamp(end);
    caret = selectionEnd;
}

void SimDocument::CancelSelection()
{
    forcedSelection_.reset();
    selectionStart = selectionEnd = caret;
}

void SimDocument::SelectWord()
{
    caret = Clamp(caret);
    if (selectWordResult) {
        // Stands for whatever the editor would have picked at the caret; an
        // empty result selects nothing.
        Select(caret, {caret.x + static_cast<LONG>(FromAnsi(*selectWordResult).size()), caret.y});
        if (!selectWordResult->empty()) forcedSelection_ = *selectWordResult;
        return;
    }
    const std::wstring& line = lines[caret.y];
    const std::size_t at = static_cast<std::size_t>(caret.x);
    // Character starts of the line, and the character holding the caret.
    std::vector<std::size_t> starts;
    for (std::size_t offset = 0; offset < line.size(); offset = NextCharOffset(line, offset)) starts.push_back(offset);
    std::size_t index = 0;
    while (index < starts.size() && NextCharOffset(line, starts[index]) <= at) ++index;

    // The word under the caret, else the one just before it.
    std::size_t first;
    if (index < starts.size() && IsWordCharAt(line, starts[index])) {
        first = index;
    } else if (index > 0 && IsWordCharAt(line, starts[index - 1])) {
        first = index - 1;
    } else {
        CancelSelection();
        return;
    }
    std::size_t last = first;
    while (first > 0 && IsWordCharAt(line, starts[first - 1])) --first;
    while (last + 1 < starts.size() && IsWordCharAt(line, starts[last + 1])) ++last;
    Select({static_cast<LONG>(starts[first]), caret.y},
           {static_cast<LONG>(NextCharOffset(line, starts[last])), caret.y});
}

std::optional<HostPoint> SimDocument::FindBetween(const std::wstring& text, HostPoint from, HostPoint until) const
{
    for (LONG y = from.y; y <= until.y && y < static_cast<LONG>(lines.size()); ++y) {
        const std::wstring& line = lines[y];
        const std::size_t begin = y == from.y ? from.x : 0;
        for (std::size_t offset = 0; offset + text.size() <= line.size(); offset = NextCharOffset(line, offset)) {
            const HostPoint at{static_cast<LONG>(offset), y};
            if (!IsBefore(at, until)) return std::nullopt;
            if (offset >= begin && line.compare(offset, text.size(), text) == 0) return at;
        }
    }
    return std::nullopt;
}

bool SimDocument::Find(const std::string& ansiText)
{
    const std::wstring text = FromAnsi(ansiText);
    if (text.empty()) return false;
    const HostPoint from = Clamp(caret);
    const HostPoint textEnd{0, static_cast<LONG>(lines.size())};
    std::optional<HostPoint> at = FindBetween(text, from, textEnd);
    if (!at && findWraps) at = FindBetween(text, {0, 0}, from);
    if (!at) return false;
    const HostPoint end{at->x + static_cast<LONG>(text.size()), at->y};
    if (findCaret == FindCaret::atStart) {
        Select(end, *at);
    } else {
        Select(*at, end);
    }
    return true;
}

bool SimDocument::Load(const std::string& ansiFileName)
{
    const std::wstring fileName = FromAnsi(ansiFileName);
    FileHandle file(CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxLoadSize) return false;
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return false;
    SetText(bytes);
    path = fileName;
    return true;
}

// ---- HostCall ----------------------------------------------------------------

std::string HostCall::Describe() const
{
    std::string first = std::to_string(static_cast<unsigned long long>(wParam));
    std::string second = std::to_string(static_cast<long long>(lParam));
    if (message == HOSTMSG_INFO && HIWORD(wParam) != 0)
        first = std::to_string(LOWORD(wParam)) + "@" + std::to_string(HIWORD(wParam) - 1);
    if (message == HOSTMSG_SET_SELECTION && points.size() == 2) {
        first = PointText(points[0]);
        second = PointText(points[1]);
    } else if (!points.empty()) {
        second = PointText(points[0]);
    } else if (text) {
        second = "\"" + *text + "\"";
    } else if (lParam && HasPointerLParam(message)) {
        second = "buffer";
    }
    return windowName + " " + std::to_string(message) + " " + first + " " + second + " -> " +
           std::to_string(static_cast<long long>(answer));
}

// ---- SimFrame / SimView ------------------------------------------------------

struct SimHost::WindowSlot {
    SimHost* host;
    SimFrame* frame;
    SimView* view;   // null for a frame
    std::string name;
};

SimFrame::SimFrame(SimHost& host, std::string name) : host_(host), name_(std::move(name)) {}

std::string SimFrame::StatusText() const
{
    return ToAnsi(statusText_);
}

SimView& SimFrame::AddView(const std::string& name, HWND parent)
{
    return NewView(name, parent ? parent : window_, false);
}

SimView& SimFrame::AddTopLevelView(const std::string& name)
{
    return NewView(name, window_, true);
}

SimView& SimFrame::NewView(const std::string& name, HWND parent, bool topLevel)
{
    const std::string viewName = name.empty() ? "view" + std::to_string(++host_.viewCounter_) : name;
    views_.push_back(std::unique_ptr<SimView>(new SimView(*this, viewName)));
    SimView& view = *views_.back();
    host_.slots_.push_back(std::make_unique<SimHost::WindowSlot>(SimHost::WindowSlot{&host_, this, &view, viewName}));
    view.window_ = host_.CreateHostWindow(kViewWindowClass, parent, host_.slots_.back().get(), topLevel);
    if (!activeView_) activeView_ = &view;
    return view;
}

HWND SimFrame::AddContainer(HWND parent)
{
    return host_.CreateHostWindow(kContainerWindowClass, parent ? parent : window_, nullptr);
}

SimView::SimView(SimFrame& frame, std::string name) : frame_(frame), name_(std::move(name)) {}

SimDocument& SimView::AddDocument(const std::string& path, const std::string& text)
{
    documents_.push_back(std::make_unique<SimDocument>());
    SimDocument& document = *documents_.back();
    document.SetAnsiPath(path);
    document.SetText(text);
    if (activeIndex_ < 0) activeIndex_ = 0;
    return document;
}

SimDocument* SimView::ActiveDocument() const
{
    return activeIndex_ < 0 ? nullptr : documents_[activeIndex_].get();
}

void SimView::Activate(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= documents_.size())
        throw std::out_of_range("no such document");
    activeIndex_ = index;
    frame_.ActivateView(*this);
}

// ---- SimHost -----------------------------------------------------------------

SimHost::SimHost()
{
    // The editor's process has the common controls registered; the plug-in's
    // picker relies on the list-view class and does not register it itself.
    // (Wine would load them on first use; Windows does not.)
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    if (!InitCommonControlsEx(&controls)) throw std::runtime_error("cannot register the list-view class");
    RegisterWindowClass(kFrameWindowClass, WindowProc);
    RegisterWindowClass(kViewWindowClass, WindowProc);
    RegisterWindowClass(kContainerWindowClass, DefWindowProcA);
}

SimHost::~SimHost()
{
    for (const auto& frame : frames_)
        if (IsWindow(frame->Window())) DestroyWindow(frame->Window());
}

SimFrame& SimHost::AddFrame(const std::string& name)
{
    const std::string frameName = name.empty() ? "frame" + std::to_string(frames_.size() + 1) : name;
    frames_.push_back(std::unique_ptr<SimFrame>(new SimFrame(*this, frameName)));
    SimFrame& frame = *frames_.back();
    slots_.push_back(std::make_unique<WindowSlot>(WindowSlot{this, &frame, nullptr, frameName}));
    frame.window_ = CreateHostWindow(kFrameWindowClass, nullptr, slots_.back().get(), true);
    return frame;
}

HWND SimHost::CreateHostWindow(const char* className, HWND parent, WindowSlot* slot, bool topLevel)
{
    const int offset = 40 * static_cast<int>(frames_.size() % 8);
    // Top-level windows stay hidden: under Wine without a window manager,
    // destroying a visible one waits 2 s for the X server. Hidden ones are
    // still enumerated, own modal windows and take the foreground.
    const DWORD style = topLevel ? WS_OVERLAPPEDWINDOW : WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    HWND window = CreateWindowExA(0, className, slot ? slot->name.c_str() : "", style,
                                  topLevel ? 100 + offset : 0, topLevel ? 100 + offset : 0,
                                  topLevel ? 640 : 320, topLevel ? 480 : 240,
                                  parent, nullptr, GetModuleHandleA(nullptr), slot);
    if (!window) throw std::runtime_error(std::string("cannot create a window of class ") + className);
    return window;
}

std::vector<HostCall> SimHost::Calls(UINT message) const
{
    std::vector<HostCall> selected;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(selected),
                 [message](const HostCall& call) { return call.message == message; });
    return selected;
}

std::vector<std::string> SimHost::DescribeCalls() const
{
    std::vector<std::string> lines;
    for (const HostCall& call : calls_) lines.push_back(call.Describe());
    return lines;
}

LRESULT CALLBACK SimHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* slot = reinterpret_cast<WindowSlot*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (slot && message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) slot->host->activations_.push_back(slot->name);
    if (!slot || message < WM_USER) return DefWindowProcA(window, message, wParam, lParam);

    HostCall call;
    call.window = window;
    call.windowName = slot->name;
    call.message = message;
    call.wParam = wParam;
    call.lParam = lParam;
    call.answer = slot->host->Answer(*slot, call);
    slot->host->calls_.push_back(call);
    return call.answer;
}

LRESULT SimHost::Answer(WindowSlot& slot, HostCall& call)
{
    SimView* view = slot.view ? slot.view : slot.frame->ActiveView();
    SimDocument* document = view ? view->ActiveDocument() : nullptr;
    auto* point = reinterpret_cast<HostPoint*>(call.lParam);

    switch (call.message) {
    case HOSTMSG_INFO:
        return AnswerInfo(slot, call);
    case HOSTMSG_EXEC_COMMAND:
        return AnswerCommand(slot, call.wParam);
    case HOSTMSG_SET_STATUS_TEXT:
        call.text = ReadMessageText(call.lParam);
        slot.frame->statusText_ = FromAnsi(call.text.value_or(std::string()));
        return 0;
    case HOSTMSG_LOAD_FILE: {
        call.text = ReadMessageText(call.lParam);
        const bool refused = slot.view ? slot.view->refusesLoading : slot.frame->refusesLoading;
        return !refused && document && call.text && document->Load(*call.text) ? 1 : 0;
    }
    default:
        break;
    }

    if (!document) return 0;
    switch (call.message) {
    case HOSTMSG_GET_SELECTED_TEXT: {
        const std::string selected = document->SelectedText();
        char* buffer = reinterpret_cast<char*>(call.lParam);
        if (call.wParam && buffer) call.text = CopyOut(selected, buffer, call.wParam);
        return selected.empty() ? document->emptySelectionSize : static_cast<LRESULT>(selected.size() + 1);
    }
    case HOSTMSG_SET_CARET_POS:
        if (!point) return 0;
        call.points = {*point};
        document->MoveCaret(*point);
        return 0;
    case HOSTMSG_GET_SEL_START:
    case HOSTMSG_GET_SEL_END:
        if (!point) return 0;
        *point = call.message == HOSTMSG_GET_SEL_START ? document->selectionStart : document->selectionEnd;
        call.points = {*point};
        return 1;
    case HOSTMSG_SET_SELECTION: {
        const auto* start = reinterpret_cast<const HostPoint*>(call.wParam);
        if (!start || !point) return 0;
        call.points = {*start, *point};
        document->Select(*start, *point);
        return 0;
    }
    case HOSTMSG_FIND:
        call.text = ReadMessageText(call.lParam);
        return call.text && document->Find(*call.text) ? 1 : 0;
    case HOSTMSG_GET_SEL_TYPE:
        return document->selectionMode;
    case HOSTMSG_SET_SEL_TYPE:
        document->selectionMode = call.lParam;
        return 0;
    default:
        return 0;   // HOSTMSG_EVENT_REPLY and anything unknown: recorded only
    }
}

LRESULT SimHost::AnswerInfo(WindowSlot& slot, HostCall& call)
{
    SimView* view = slot.view ? slot.view : slot.frame->ActiveView();
    if (!view) return 0;
    const UINT code = LOWORD(call.wParam);
    if (code == INFO_DOC_COUNT) return static_cast<LRESULT>(view->DocumentCount());
    if (code != INFO_DOC_FILE_NAME && code != INFO_ACTIVATE_DOC) return 0;   // INFO_PREPARE, unknown codes

    const int index = HIWORD(call.wParam) == 0 ? view->ActiveIndex() : HIWORD(call.wParam) - 1;
    if (index < 0 || static_cast<std::size_t>(index) >= view->DocumentCount()) return 0;
    SimDocument& document = view->Document(index);

    if (code == INFO_ACTIVATE_DOC) {
        if (document.refusesActivation) return 0;
        view->Activate(index);
        return 1;
    }
    char* buffer = reinterpret_cast<char*>(call.lParam);
    if (!buffer || document.leavesNameUnanswered) return 0;
    call.text = CopyOut(document.AnsiPath(), buffer, kNameBufferSize);
    return 1;
}

LRESULT SimHost::AnswerCommand(WindowSlot& slot, WPARAM command)
{
    SimView* view = slot.view ? slot.view : slot.frame->ActiveView();
    if (!view) return 0;
    if (command == CMD_NEW_DOCUMENT) {
        SimDocument& document = view->AddDocument();
        if (onNewDocument) onNewDocument(document);
        view->Activate(static_cast<int>(view->DocumentCount()) - 1);
        return 0;
    }
    SimDocument* document = view->ActiveDocument();
    if (!document) return 0;
    switch (command) {
    case CMD_CANCEL_SELECTION: document->CancelSelection(); break;
    case CMD_SELECT_WORD: document->SelectWord(); break;
    case CMD_GO_TO_TOP: document->MoveCaret({0, 0}); break;
    default: break;   // CMD_AFTER_CARET_1/2 and anything unknown: recorded only
    }
    return 0;
}

}  // namespace velkin::sim
