// The plug-in's one command: jump from the word at the caret to its tag.
#pragma once

#include <windows.h>

namespace velkin {

// Runs the whole command inside the host's OnCommand call. Every outcome is
// reported to the host (status bar, message box); failures are not returned.
// Throws std::bad_alloc only when memory runs out.
void TagJumpCommand(HWND hostWindow);

}  // namespace velkin
