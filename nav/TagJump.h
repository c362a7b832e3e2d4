// The jump: shows a tag's file in an editor view and moves that view to the tag.
#pragma once

#include <windows.h>

#include "tags/TagEntry.h"
#include "tags/TagRelations.h"
#include "text/CowString.h"

namespace velkin {

// Shows `entry`'s file in an editor view and moves that view to the tag.
//  - The file: the `file` field read as ReadFileField reads it (a UTF-8 name
//    in the ANSI code page), placed as PlaceTagFile places it (a full path as
//    it stands, else below `tagsFolder` or on its drive; a relative one below
//    the entry's `ownFolder` first, when it has one), made absolute
//    (GetFullPath); found in whichever editor window holds it, or opened
//    (FindOrOpenDocument). Of two readings (bytes that are both valid UTF-8
//    and valid ANSI text) the first that names an existing file is taken,
//    UTF-8 first. A UTF-8 name the code page cannot hold is opened by its
//    short (8.3) path where its volume keeps one that the code page holds;
//    otherwise a box (caption 547, body 548 naming the full path with '?'
//    for each such character) says it cannot be passed to the editor. The
//    lossy spelling of such a name is never asked about nor opened.
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
// Each reading's full path (and, where it is local, the reading itself) is
// judged by its text in the ANSI code page (ClassifyPath), before Windows or
// the editor sees it, since a tags file may come from anyone:
//  - a device (COM1, \\.\pipe\x, src\con.h; a UTF-8 "あ\CON") is never
//    opened nor probed: a box (caption 543, body 544 naming the reading)
//    says it is no file, when no other reading names an existing file;
//  - a file on another machine is opened at once when its host is the one
//    that holds the tags file the entry came from (`entry.tagsFile`, else
//    `tagsFolder`) or is listed in TrustedHosts (read for the call); for any
//    other host a box (caption 540, question 541 naming the host and the
//    full path; MB_YESNO, No the default) asks first, and No ends the jump
//    with status 542 and nothing asked of the file system or the editor.
//    Nothing is remembered: the next jump asks again.
//
// Reports itself, to `hostWindow`: the status text (string 519, full path and
// address, shown as ReadableText gives it; the first reading's, and again
// the one taken when that is another) before anything else, so it stands
// also when the jump fails; a file that does not
// exist or that the editor will not load gives a message box (MB_OK, caption
// string 516, body string 515 naming the full path, or the field's path when
// no full path could be formed; the first reading's when none exists), and
// the call returns once it is closed. `entry` and `tagsFolder`
// are read during the call only.
void JumpToTag(HWND hostWindow, const TagEntry& entry, const CowString& tagsFolder,
               const TagSiblings& siblings = TagSiblings());

}  // namespace velkin
