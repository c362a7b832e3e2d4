// The command's second phase: scan the tags file and act on what it holds.
#pragma once

#include <windows.h>

#include "text/CowString.h"

namespace velkin {

// Scans `tagsFilePath` for `word` and for the tags of `documentPath` (file
// fields are relative to `tagsFolder`). An unreadable tags file is reported on
// the host's status bar. Throws std::bad_alloc only when memory runs out
// while tags are collected.
void ResolveMatches(HWND hostWindow, const CowString& word, const CowString& documentPath,
                    const CowString& tagsFolder, const CowString& tagsFilePath);

}  // namespace velkin
