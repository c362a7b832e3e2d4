// Reading the word at the caret without disturbing the user's selection.
// Every request goes to the host window.
#pragma once

#include <windows.h>

#include "text/CowString.h"

namespace velkin {

// True for the bytes of an identifier: '0'-'9', 'A'-'Z', 'a'-'z' and '_'.
// Every byte of 128 and above, so every byte of a multibyte character, is false.
bool IsWordChar(unsigned char byte);

// The identifier at the caret: the host selects the word there, the text is
// kept only when every byte is a word byte, and the user's selection is put
// back whatever happens. Empty when there is no such word.
CowString CaptureWord(HWND hostWindow);

}  // namespace velkin
