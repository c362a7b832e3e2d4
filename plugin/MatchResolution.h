// The command's second phase: scan the tags file and act on what it holds.
#pragma once

#include <windows.h>

#include "tags/TagScanner.h"
#include "text/CowString.h"

namespace velkin {

// Scans `tagsFilePath` for the query's word and for the tags of its document
// (file fields are relative to its tags folder). An unreadable tags file is
// reported on the host's status bar. Throws std::bad_alloc only when memory
// runs out while tags are collected.
void ResolveMatches(HWND hostWindow, const TagQuery& query, const CowString& tagsFilePath);

}  // namespace velkin
