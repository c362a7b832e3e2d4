// The command's second phase: look the word up in the tags files, offer what
// they hold, jump.
#pragma once

#include <windows.h>

#include <vector>

#include "tags/TagsFileLocator.h"
#include "text/CowString.h"

namespace velkin {

// Looks `word` up in `files` (LookUpTags: the lists of all files joined in
// their order; the tags of the document at `documentPath` are gathered only
// when no tag has the word, and only from the files that may name it), then
// takes the first list that holds an entry, in the order exact, prefix,
// in-document: a single exact match is jumped to at once; any other list is
// announced (531, 532, 533) and offered in the picker, after which the host
// window is repainted and the chosen entry, if any, jumped to, its file
// placed from its own tags file's folder, with what the list's other rows
// say about its line (SiblingsOf: which of its alike rows it is). Each tags
// file that cannot be read
// is named (530); when none could be, nothing more is said. No entry
// anywhere: message 529 naming the file read, or 537 naming the first and
// counting the others. A long read shows its progress, and Esc stops it
// (ReadingProgress): the command then says so (546) and ends, no list shown
// and nothing opened. Every outcome is reported to the host itself; the
// lists are released on every path. Throws std::bad_alloc only when memory
// runs out while tags are collected.
void ResolveMatches(HWND hostWindow, const CowString& word, const CowString& documentPath,
                    const std::vector<TagsFile>& files);

}  // namespace velkin
