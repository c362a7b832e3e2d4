// The document locator: which editor view shows a given file? It looks at
// every editor window on the desktop, not only the one the command came from,
// asks each view for the names of its documents and activates the first one
// named exactly like the file; failing that it has the editor create a new
// document and load the file into it.
//
// Everything runs on the calling (the editor's user-interface) thread: every
// request is a synchronous message, and the enumeration callbacks run inside
// EnumWindows/EnumChildWindows. Nothing is kept between calls.
#pragma once

#include <windows.h>

#include <vector>

namespace velkin {

// "EmEditorView" windows in the order the enumeration reported them; only
// appended to, duplicates kept. Borrowed handles, valid for one locator call.
using ViewList = std::vector<HWND>;

// The view window that now shows `fullPath` as its active document, or null.
// First every view's documents are searched for one named `fullPath` (exact,
// lstrcmpA); the first that the editor agrees to activate wins. Otherwise the
// editor is told to create a new document (CMD_NEW_DOCUMENT to `hostWindow`),
// and after 100 ms the first untitled document that accepts activation (in any
// view, in the new enumeration order) has the file loaded into it; with no
// such document the load request goes to `hostWindow`, which is then the
// result. Null when the editor refuses the load; the new document it created
// stays open. `hostWindow` is the window the command was run in.
HWND FindOrOpenDocument(HWND hostWindow, const char* fullPath);

// Searches the views in list order for a document named `name` ("" finds an
// untitled one) and activates it: the view whose document the editor
// activated, or null. In each view only the first document of that name is
// tried; a refused activation moves on to the next view. A document whose
// name the editor leaves unwritten counts as untitled.
HWND FindDocumentView(const ViewList& views, const char* name);

// Appends every view window of the desktop to `views`: views at any depth
// below an "EmEditorMainFrame3" window, and top-level views.
void CollectViews(ViewList& views);

// The callback of EnumWindows and EnumChildWindows for CollectViews:
// `viewList` is the ViewList*. Descends into frames, appends views, ignores
// other windows and ones whose class cannot be read. Always TRUE (continue).
// A view that cannot be stored because memory ran out is left out.
BOOL CALLBACK CollectViewWindow(HWND window, LPARAM viewList);

// HOSTMSG_INFO `code` about document `documentIndex` (zero-based) of `view`,
// with `lParam` as the code needs: the editor's answer.
LRESULT QueryDocumentInfo(HWND view, int documentIndex, UINT code, LPARAM lParam);

}  // namespace velkin
