// The module-wide status text: every status message of the command is
// formatted into this one string and shown on the host's status bar. It keeps
// the last message until the next one replaces it, also between commands.
#pragma once

#include <windows.h>

#include "text/CowString.h"

namespace velkin {

// Formats string-table message `messageId` with up to three "%s" arguments
// into the status text and sends it to `hostWindow` (HOSTMSG_SET_STATUS_TEXT).
void ShowStatus(HWND hostWindow, UINT messageId, const CowString& first = CowString(),
                const CowString& second = CowString(), const CowString& third = CowString());

}  // namespace velkin
