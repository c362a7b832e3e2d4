// The whole command through the real Velkin.dll in the simulated editor, on
// a copy of the sample tree with the tags file universal-ctags wrote for it.
// The user's part in the modal windows the command opens is played on the
// test's own thread: when the picker's modal loop first runs idle, its owner
// (the frame) gets WM_ENTERIDLE; a message box, whose loop sends no such
// message, is taken when it is activated. The session reads the window and
// posts the user's input (a double-click on a row, Escape, the box's OK) as
// the system queues it.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "common/ImportPatch.h"
#include "common/RegistryValueGuard.h"
#include "host/PluginLibrary.h"
#include "host/SimHost.h"

namespace velkin::test {

// What the user does in the picker: double-click row `pickRow`, or press
// Escape when it is negative.
constexpr int kCancel = -1;

struct CommandOutcome {
    // In order, UTF-8: "status <text>" for each status text, "picker" when the
    // picker is shown, "box <caption>" for a message box, "InvalidateRect
    // <window> erase" / "UpdateWindow <window>" for the repaint requests,
    // "RedrawWindow <window>" for a paint forced during a long read.
    std::vector<std::string> story;
    // The picker's rows as its list holds them: "symbol | file | position",
    // then " | tags file" where the list has that column.
    std::vector<std::string> rows;
    // The frame's active document after the command, and its caret line (zero-based).
    std::string document;
    int caretLine = -1;
};

class CommandSession {
public:
    // Copies the sample tree to a scratch folder, with number.tags as `tags`.
    CommandSession();
    ~CommandSession();
    CommandSession(const CommandSession&) = delete;
    CommandSession& operator=(const CommandSession&) = delete;

    // The scratch copy's folder, and a file below it ("src\main.c").
    static std::string Project();
    static std::string PathOf(const std::string& relative);

    // Makes the document at `relative` (opened from the copy, or a note of
    // words that is in no tag when empty) the frame's active one, with the
    // caret at `caret` and nothing selected.
    sim::SimDocument& Open(const std::string& relative, HostPoint caret);
    // Runs the command with the frame as the host window.
    CommandOutcome Run(int pickRow = 1);

    sim::SimHost& Host() { return host_; }
    sim::SimFrame& Frame() { return frame_; }
    sim::SimView& View() { return view_; }
    const sim::PluginLibrary& Plugin() const { return plugin_; }
    RegistryValueGuard& Registry() { return registry_; }
    // The words of the note, one per line: "SetValue", "Set", "Se", "Settl",
    // "Reset", "Zzz", "Settle".
    static const std::vector<std::string>& NoteWords();

private:
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    static BOOL WINAPI InvalidateRectHook(HWND window, const RECT* rect, BOOL erase);
    static BOOL WINAPI UpdateWindowHook(HWND window);
    static BOOL WINAPI RedrawWindowHook(HWND window, const RECT* rect, HRGN region, UINT flags);
    void Answer(HWND modal);
    std::string NameOf(HWND window) const;

    RegistryValueGuard registry_;   // TagsFileName absent: "tags"
    sim::SimHost host_;
    sim::PluginLibrary plugin_;
    sim::SimFrame& frame_;
    sim::SimView& view_;
    WNDPROC frameProc_ = nullptr;
    HHOOK cbtHook_ = nullptr;
    ImportPatch invalidate_;
    ImportPatch update_;
    ImportPatch redraw_;
    int pickRow_ = 1;
    std::set<HWND> answered_;   // modal windows already acted on in this command
    CommandOutcome outcome_;
};

}  // namespace velkin::test
