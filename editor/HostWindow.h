// Typed requests to the editor's windows: one small function per message of
// editor/HostMessages.h that the plug-in sends. Each sends synchronously
// (SendMessageA) to the window it is given, a frame (the host window) or a
// view, and returns once the editor has answered.
#pragma once

#include <windows.h>

#include "editor/HostMessages.h"
#include "text/CowString.h"

namespace velkin {

// ---- Text and state of the host window's active document --------------------

// The window's selection: both points and the selection mode.
struct SelectionState {
    HostPoint start = {0, 0};
    HostPoint end = {0, 0};
    LRESULT mode = 0;

    void Save(HWND window);
    // Puts back the mode, then the two points.
    void Restore(HWND window) const;
};

// The selected text; empty when the editor reports nothing selected (a size
// of 0 or 1, or one beyond int range) or the text cannot be stored.
CowString GetSelectedText(HWND window);

// The active document's full path (at most 259 bytes); empty when untitled or
// when the editor leaves the request unanswered.
CowString GetDocumentPath(HWND window);

// Shows `text` on the status bar. The text is read during the call only.
void SetStatusText(HWND window, const char* text);

// Runs editor command `commandId` (a CMD_ id).
void ExecuteCommand(HWND window, WPARAM commandId);

// ---- Documents of a view -----------------------------------------------------

// HOSTMSG_INFO: the editor's answer. `infoCode` is a bare INFO_ code for the
// window's active document (INFO_PREPARE, INFO_DOC_COUNT, ...), or
// MakeDocumentInfoCode(index, code) for one document of a view; `lParam` per
// code (INFO_DOC_FILE_NAME: a 260-byte buffer).
LRESULT QueryInfo(HWND window, WPARAM infoCode, LPARAM lParam = 0);

// Loads `fullPath` into the window's active (normally new, untitled) document.
// True when the editor reports it loaded.
bool LoadFile(HWND window, const char* fullPath);

// ---- Moving in a view --------------------------------------------------------

// Puts the caret at `point` (zero-based; lines beyond the text are the editor's to clamp).
void SetCaretPosition(HWND view, HostPoint point);

// Searches `text` with FIND_FLAGS from the caret. True when the editor found
// it; it then selects what it found and brings it into view.
bool FindText(HWND view, const char* text);

// A stretch of text between two points, `start` not after `end`.
struct TextSpan {
    HostPoint start;
    HostPoint end;
};

// True when `a` comes before `b` (an earlier line, or the same line further left).
bool IsBefore(HostPoint a, HostPoint b) noexcept;

// The selection's two points in text order, whichever end the caret is at.
TextSpan GetSelection(HWND view);

// Selects from `start` to `end` (points beyond the text are the editor's to clamp).
void SetSelection(HWND view, HostPoint start, HostPoint end);

// The bytes the selected text needs, terminator included: 0 or 1 when nothing
// is selected.
unsigned SelectedTextSize(HWND view);

}  // namespace velkin
