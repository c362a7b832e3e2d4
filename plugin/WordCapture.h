// Reading the word at the caret without disturbing the user's selection, and
// the active document's path. Every request goes to the host window.
#pragma once

#include <windows.h>

#include "plugin/HostMessages.h"
#include "text/CowString.h"

namespace velkin {

// The host window's selection: both points and the selection mode.
struct SelectionState {
    HostPoint start = {0, 0};
    HostPoint end = {0, 0};
    LRESULT mode = 0;

    void Save(HWND hostWindow);
    // Puts back the mode, then the two points.
    void Restore(HWND hostWindow) const;
};

// The selected text; empty when the host reports nothing selected (a size of
// 0 or 1) or the text cannot be stored.
CowString GetSelectedText(HWND hostWindow);

// The active document's full path (at most 259 bytes); empty when untitled.
CowString GetDocumentPath(HWND hostWindow);

// True for the bytes of an identifier: '0'-'9', 'A'-'Z', 'a'-'z' and '_'.
// Every byte of 128 and above, so every byte of a multibyte character, is false.
bool IsWordChar(unsigned char byte);

// The identifier at the caret: the host selects the word there, the text is
// kept only when every byte is a word byte, and the user's selection is put
// back whatever happens. Empty when there is no such word.
CowString CaptureWord(HWND hostWindow);

}  // namespace velkin
