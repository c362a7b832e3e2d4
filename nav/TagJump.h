// The jump: shows a tag's file in an editor view and moves that view to the tag.
#pragma once

#include <windows.h>

#include "tags/TagEntry.h"
#include "tags/TagRelations.h"
#include "text/CowString.h"

namespace velkin {

// Shows `entry`'s file in an editor view and moves that view to the tag.
//  - The file: the `file` field as PlaceTagFile places it (a full path as it
//    stands, else below `tagsFolder` or on its drive; a relative one below
//    the entry's `ownFolder` first, when it has one), made absolute
//    (GetFullPath); found in whichever editor window holds it, or opened
//    (FindOrOpenDocument).
//  - The tag: an `address` of digits only (the empty one included) is a line
//    number: the caret goes to (0, line - 1), a line beyond int range counting
//    as INT_MAX. Any other address is a search pattern, plain or after
//    "N;": the view goes to the line it describes (MoveToPattern: the text
//    as written, unescaped, in the ANSI code page when it is UTF-8, each on
//    a line that holds the pattern's anchors, line N first, else as
//    `siblings` and the tags file tell: the twin-th such line, or for a
//    member the one inside its owner; then the tag's `name`).
//  - When the view is not `hostWindow`, its top-level window is brought to
//    the foreground.
//
// The full path (and, where it is local, the field as written) is judged by
// its text (ClassifyPath) before Windows or the editor sees it, since a tags
// file may come from anyone:
//  - a device (COM1, \\.\pipe\x, src\con.h) is never opened: a box
//    (caption 543, body 544 naming the file field) says it is no file;
//  - a file on another machine is opened at once when its host is the one
//    that holds the tags file the entry came from (`entry.tagsFile`, else
//    `tagsFolder`) or is listed in TrustedHosts (read for the call); for any
//    other host a box (caption 540, question 541 naming the host and the
//    full path; MB_YESNO, No the default) asks first, and No ends the jump
//    with status 542 and nothing asked of the file system or the editor.
//    Nothing is remembered: the next jump asks again.
//
// Reports itself, to `hostWindow`: the status text (string 519, full path and
// address, shown as ReadableText gives it) before anything else, so it stands
// also when the jump fails; a file that does not exist or that the editor will
// not load gives a message box (MB_OK, caption string 516, body string 515
// naming the full path, or the field's path when no full path could be
// formed), and the call returns once it is closed. `entry` and `tagsFolder`
// are read during the call only.
void JumpToTag(HWND hostWindow, const TagEntry& entry, const CowString& tagsFolder,
               const TagSiblings& siblings = TagSiblings());

}  // namespace velkin
