// The tag picker: a modal dialog (template 103, "TAGSの検索結果") listing tags
// in four columns (symbol, kind, file, position) fitted to their texts, from
// which the user picks one with a double-click or Enter. When the tags come
// from more than one tags file, a fifth column names each one's tags file.
#pragma once

#include <windows.h>

#include "tags/TagEntry.h"
#include "text/CowString.h"

namespace velkin {

// Shows every entry of `list` as one row, in list order, and waits for the
// user. Returns the entry of the row picked (an element of `list`), or null
// when the user closed the dialog without a pick (Escape, the close box,
// Enter with no row selected) or the dialog could not be created.
//
// `hostWindow` owns the dialog and is disabled while it is open; the dialog
// is centred on it, kept inside the work area of its monitor, and as wide as
// the columns need within that. The list is owner-data: it asks for the
// texts of the cells it draws or is asked for (LVM_GETITEMTEXTA), so opening
// costs little per row beyond measuring each text once to fit the columns.
// A name, as a pattern, shows in its ANSI form when it is UTF-8
// (ShownText), and type-ahead matches the letters typed against that form.
// Asking for a row's Kind cell writes that entry's `kindText`
// (DescribeTagKind); nothing else of `list` changes (the names stay as they
// are), and `list` must not change while the dialog is open. Needs the list-view window class
// registered in the process; one picker at a time.
TagEntry* PickTag(HWND hostWindow, TagList& list);

// The Position column's text for `address`: as ReadableText gives it (a UTF-8
// pattern in its ANSI form), each tab shown as a blank, as a cell would show a
// tab as a glyph. `address` itself when nothing changes; empty when storage
// runs out.
CowString ShownPosition(const CowString& address);

}  // namespace velkin
