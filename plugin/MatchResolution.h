// The command's second phase: scan the tags file, offer what it holds, jump.
#pragma once

#include <windows.h>

#include "tags/TagScanner.h"
#include "text/CowString.h"

namespace velkin {

// Scans `tagsFilePath` for the query's word and for the tags of its document
// (file fields are relative to its tags folder; the document's tags are
// gathered only when no tag has the word: ScanTagsFile), then takes the first list
// that holds an entry, in the order exact, prefix, in-document: a single
// exact match is jumped to at once; any other list is announced (531, 532,
// 533) and offered in the picker, after which the host window is repainted
// and the chosen entry, if any, jumped to. No entry anywhere: message 529.
// An unreadable tags file: message 530. Every outcome is reported to the host
// itself; the lists are released on every path. Throws std::bad_alloc only
// when memory runs out while tags are collected.
void ResolveMatches(HWND hostWindow, const TagQuery& query, const CowString& tagsFilePath);

}  // namespace velkin
