// SimHost: a stand-in for the editor, for tests and the demo. It registers the
// editor's window classes ("EmEditorMainFrame3" frames, "EmEditorView" views),
// answers every message of editor/HostMessages.h on the calling thread, and
// records each one it receives so a test can assert exact sequences.
//
// Model: a host owns frames (top-level windows); a frame owns views, placed
// directly below it or below plain container windows (so EnumChildWindows on
// the frame has to descend to find them), or in top-level windows of their
// own that the frame owns (floating views); a view owns an ordered list of
// documents. A message to a frame acts on its active view's active document,
// a message to a view on that view's active document.
//
// As the editor does: CMD_NEW_DOCUMENT adds an untitled document at the end
// of the addressed view (for a frame: its active view) and makes it active;
// sent to a frame without views it does nothing. HOSTMSG_LOAD_FILE reads the
// file into the active document. HOSTMSG_SET_CARET_POS, CMD_GO_TO_TOP and
// HOSTMSG_FIND move the caret (the find searches the text from the caret);
// CMD_AFTER_CARET_1/2 leave it where it is (the editor only brings the caret
// into view). A top-level window of the host that becomes the active window
// (SetForegroundWindow) is recorded.
//
// Texts, as the editor holds them: documents, their paths and the status text
// are Unicode (UTF-16). A file is decoded on load (DecodeFileText: UTF-8 with a
// byte-order mark, or valid UTF-8 holding non-ASCII bytes; otherwise the ANSI
// code page). Every text a message carries in or out (search text, selected
// text, document names, status text, file to load) is ANSI and converted
// through the ANSI code page (FromAnsi, ToAnsi), so the search compares
// Unicode: UTF-8 bytes sent as a search text are read as other characters.
// The test-facing helpers take and give ANSI where tests deal in bytes. The
// simulator shares no code with the plug-in under test.
//
// Threads: create, use and destroy a host on one thread, the one that calls
// the plug-in; every window of the host belongs to it.
//
// Lifetime: references returned by Add* stay valid until the host is
// destroyed; nothing is ever removed. Destroying the host destroys its windows.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/HostMessages.h"

namespace velkin::sim {

class SimHost;
class SimFrame;
class SimView;

// One document of a view: path, lines, caret and selection, and the switches
// that make it misbehave. Points are zero-based (x = UTF-16 code units into
// the line).
class SimDocument {
public:
    // Full path as the editor holds it; empty for an untitled document.
    std::wstring path;
    // The text, one entry per line, without line ends. Never empty: an empty
    // text is one empty line.
    std::vector<std::wstring> lines{std::wstring()};
    HostPoint caret{0, 0};
    // The selection as the editor reports it (2074/2075); nothing is selected
    // when both are equal.
    HostPoint selectionStart{0, 0};
    HostPoint selectionEnd{0, 0};
    // What 2093 answers and 2108 sets; not interpreted.
    LRESULT selectionMode = 0;

    // Switches. Activation (2106/307) answers 0 and changes nothing.
    bool refusesActivation = false;
    // The name request (2106/278) leaves the buffer unwritten and answers 0.
    bool leavesNameUnanswered = false;
    // What CMD_SELECT_WORD selects: unset, the word-character run around the
    // caret; set, exactly this text (ANSI; the empty text: nothing is selected).
    std::optional<std::string> selectWordResult;
    // What 2051 answers for the size while nothing is selected (0 or 1).
    LRESULT emptySelectionSize = 1;
    // Where a find leaves the caret: at the end of what it found (the
    // selection runs forward, start to end) or at its start (the selection
    // runs backward: 2074 gives the match's end, 2075 its start).
    enum class FindCaret { atEnd, atStart };
    FindCaret findCaret = FindCaret::atEnd;
    // A find that meets the end of the text goes on from the top, up to the caret.
    bool findWraps = false;
    // What a selection request does with a point past the text's end (on a
    // line below the last, or beyond the last line's end): keeps it on the
    // last line, clamping each coordinate (a line below at x 0 gives the last
    // line's start), moves it to the text's end, or leaves the selection as
    // it was. Points outside the text elsewhere are clamped.
    enum class SelectionPastEnd { keptOnLastLine, textEnd, ignored };
    SelectionPastEnd selectionPastEnd = SelectionPastEnd::keptOnLastLine;
    // How the selected text gives a line break: always "\r\n", or as the
    // text last set ended its first line ("\n", "\r\n" or "\r"; "\r\n" when
    // that text has a single line).
    enum class SelectedLineBreak { crlf, asLoaded };
    SelectedLineBreak selectedLineBreak = SelectedLineBreak::crlf;

    // The path through the ANSI code page, as the name request hands it out,
    // and set from an ANSI path, as a load request gives it.
    std::string AnsiPath() const;
    void SetAnsiPath(const std::string& ansiPath);
    // Replaces the text with the bytes of a file, decoded as on load
    // (DecodeFileText); lines end at "\n", "\r\n" or "\r". Caret and selection
    // go to the top.
    void SetText(const std::string& fileBytes);
    // The lines joined with "\r\n", in ANSI.
    std::string Text() const;
    // The selected text (lines joined as `selectedLineBreak` says), or the
    // text a forced word selection stands for, in ANSI; "" when nothing is
    // selected.
    std::string SelectedText() const;

    // Editor operations, as the messages perform them. Points are clamped to
    // the text.
    void MoveCaret(HostPoint point);                  // drops the selection
    void Select(HostPoint start, HostPoint end);      // caret to `end`; see selectionPastEnd
    void CancelSelection();                           // caret stays
    void SelectWord();
    // Searches the Unicode form of `ansiText` (case-sensitive, plain) forward
    // from the caret, starting only at character starts (with `findWraps`, then
    // from the top up to the caret); selects the match, the caret where
    // `findCaret` says. False, nothing changed, when not found or `ansiText`
    // is empty.
    bool Find(const std::string& ansiText);
    // Reads the file named by `ansiFileName` and takes its decoded text
    // (SetText) and the name as the path. False, nothing changed, when it
    // cannot be read.
    bool Load(const std::string& ansiFileName);

private:
    HostPoint Clamp(HostPoint point) const;
    bool IsPastEnd(HostPoint point) const;
    // The first match of `text` starting at or after `from` and before `until`.
    std::optional<HostPoint> FindBetween(const std::wstring& text, HostPoint from, HostPoint until) const;
    std::wstring SelectedRange() const;
    // Set by a forced word selection (ANSI); any other selection change drops it.
    std::optional<std::string> forcedSelection_;
    std::wstring loadedLineBreak_ = L"\r\n";
};

// One recorded message: where it went, what it carried and what it answered.
struct HostCall {
    HWND window = nullptr;
    std::string windowName;   // the name given at creation ("frame1", "view2", ...)
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // The ANSI text lParam pointed to (2060, 2082, 2085), as the plug-in sent
    // it, or the ANSI text the host wrote (2051 into the buffer, 2106/278 the
    // name); unset when there was none.
    std::optional<std::string> text;
    // Points passed or filled: 2066 and 2074/2075 one, 2081 two (start, end).
    std::vector<HostPoint> points;
    LRESULT answer = 0;

    // Compact form "<window> <message> <wParam> <lParam> -> <answer>", where a
    // point reads "(x,y)", a text "\"...\"" (raw bytes), an indexed info code
    // "278@0" (code @ document index) and other values decimal, e.g.
    //   frame1 2081 (0,0) (3,0) -> 0
    //   view2 2106 278@1 "C:\src\a.c" -> 1
    //   frame1 2085 0 "status" -> 0
    std::string Describe() const;
};

// A top-level "EmEditorMainFrame3" window.
class SimFrame {
public:
    HWND Window() const { return window_; }
    const std::string& Name() const { return name_; }

    // A new view directly below the frame, or below `parent` (a container of
    // this frame). The first view becomes the active one. Empty name: "viewN".
    SimView& AddView(const std::string& name = std::string(), HWND parent = nullptr);
    // A plain child window below the frame or below `parent`, to nest views in.
    HWND AddContainer(HWND parent = nullptr);
    // A new view in a top-level window of its own, owned by the frame (a
    // floating view): EnumWindows reports it, EnumChildWindows on the frame
    // does not, and its own window is its root. Hidden, as frames are.
    SimView& AddTopLevelView(const std::string& name = std::string());

    std::size_t ViewCount() const { return views_.size(); }
    SimView& View(std::size_t index) { return *views_.at(index); }
    // Null when the frame has no view.
    SimView* ActiveView() const { return activeView_; }
    // `view` must be one of this frame's views.
    void ActivateView(SimView& view) { activeView_ = &view; }

    // The last text received with 2085 (held in Unicode), in ANSI; "" before any.
    std::string StatusText() const;

    // Switch: load-file (2060) sent to this frame answers 0 and loads nothing.
    bool refusesLoading = false;

private:
    friend class SimHost;
    SimFrame(SimHost& host, std::string name);
    SimView& NewView(const std::string& name, HWND parent, bool topLevel);
    SimHost& host_;
    std::string name_;
    HWND window_ = nullptr;
    std::vector<std::unique_ptr<SimView>> views_;
    SimView* activeView_ = nullptr;
    std::wstring statusText_;
};

// An "EmEditorView" child window holding documents.
class SimView {
public:
    HWND Window() const { return window_; }
    const std::string& Name() const { return name_; }
    SimFrame& Frame() const { return frame_; }

    // A new document at the end; the first one becomes active. `path` is ANSI,
    // `text` a file's bytes as in SimDocument::SetText.
    SimDocument& AddDocument(const std::string& path = std::string(), const std::string& text = std::string());
    std::size_t DocumentCount() const { return documents_.size(); }
    SimDocument& Document(std::size_t index) { return *documents_.at(index); }
    // -1 when the view has no document.
    int ActiveIndex() const { return activeIndex_; }
    // Null when the view has no document.
    SimDocument* ActiveDocument() const;
    // Makes document `index` active, and this view its frame's active view.
    // Throws std::out_of_range for an index outside the documents.
    void Activate(int index);

    // Switch: load-file (2060) sent to this view answers 0 and loads nothing.
    bool refusesLoading = false;

private:
    friend class SimFrame;
    SimView(SimFrame& frame, std::string name);
    SimFrame& frame_;
    std::string name_;
    HWND window_ = nullptr;
    std::vector<std::unique_ptr<SimDocument>> documents_;
    int activeIndex_ = -1;
};

class SimHost {
public:
    // Registers the window classes (once per process) and, as the editor's
    // process has them, the common controls' list-view class. Throws
    // std::runtime_error when a class cannot be registered.
    SimHost();
    ~SimHost();
    SimHost(const SimHost&) = delete;
    SimHost& operator=(const SimHost&) = delete;

    // A new frame. It is created hidden, as under Wine without a window
    // manager destroying a visible top-level window waits 2 s; it is still
    // enumerated, owns modal windows and takes the foreground. Empty name:
    // "frameN". Throws std::runtime_error when the window cannot be created
    // (no display).
    SimFrame& AddFrame(const std::string& name = std::string());
    std::size_t FrameCount() const { return frames_.size(); }
    SimFrame& Frame(std::size_t index) { return *frames_.at(index); }

    // Every editor message (WM_USER and above) any window of this host
    // received, in order. Window-manager traffic is not recorded.
    const std::vector<HostCall>& Calls() const { return calls_; }
    // The calls of one message only.
    std::vector<HostCall> Calls(UINT message) const;
    // HostCall::Describe of every call, in order.
    std::vector<std::string> DescribeCalls() const;
    // The names of the host's top-level windows (frames, floating views) that
    // became the active window, the foreground one under Wine, in order.
    const std::vector<std::string>& Activations() const { return activations_; }
    // Forgets the calls and the activations recorded so far.
    void ClearCalls()
    {
        calls_.clear();
        activations_.clear();
    }

    // Called with each document CMD_NEW_DOCUMENT creates, before it is made
    // active: lets a test set its switches, as the editor's own state would.
    std::function<void(SimDocument&)> onNewDocument;

private:
    friend class SimFrame;
    friend class SimView;
    struct WindowSlot;   // what a window's user data points to

    // A child of `parent`; with `topLevel`, a top-level window owned by
    // `parent` (which may be null).
    HWND CreateHostWindow(const char* className, HWND parent, WindowSlot* slot, bool topLevel = false);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Answer(WindowSlot& slot, HostCall& call);
    LRESULT AnswerInfo(WindowSlot& slot, HostCall& call);
    LRESULT AnswerCommand(WindowSlot& slot, WPARAM command);

    std::vector<std::unique_ptr<SimFrame>> frames_;
    std::vector<std::unique_ptr<WindowSlot>> slots_;
    std::vector<HostCall> calls_;
    std::vector<std::string> activations_;
    int viewCounter_ = 0;
};

}  // namespace velkin::sim
