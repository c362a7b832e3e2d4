#include "nav/TagJump.h"

#include "editor/HostWindow.h"
#include "nav/DocumentLocator.h"
#include "nav/PatternSearch.h"
#include "res/ResourceIds.h"
#include "tags/SearchTexts.h"
#include "tags/TagsFileLocator.h"
#include "text/Utf8ToAnsi.h"
#include "win/FullPath.h"

namespace velkin {

namespace {

// Digits only, over the whole stored length (an embedded zero byte is not a
// digit); the empty address counts as a line number.
bool IsLineNumber(const CowString& address)
{
    return IsAllDigits(address.Text(), address.Text() + address.Length());
}

void MoveToLine(HWND view, const CowString& address)
{
    // The editor counts lines from 0; a line beyond the text is the editor's to clamp.
    // Beyond int range the line saturates at INT_MAX, so the minus one stays defined.
    SetCaretPosition(view, HostPoint{0, ParseDigits(address.Text(), address.Text() + address.Length()) - 1});
    ExecuteCommand(view, CMD_AFTER_CARET_1);
    ExecuteCommand(view, CMD_AFTER_CARET_2);
}

// An empty full path the system would have given: there was no memory to
// store it, which is no file that cannot be opened.
bool FullPathNotStored(const CowString& filePath, const CowString& fullPath)
{
    return fullPath.IsEmpty() && GetFullPathNameA(filePath.Text(), 0, nullptr, nullptr) != 0;
}

// The box that says the file cannot be opened, naming it; modal on this thread.
void ShowOpenFailure(HWND hostWindow, const CowString& fullPath, const CowString& filePath)
{
    CowString caption;
    caption.FormatFromTable(IDS_CANNOT_OPEN_FILE, fullPath.Text());
    CowString body;
    body.FormatFromTable(IDS_CANNOT_OPEN_NAMED, fullPath.IsEmpty() ? filePath.Text() : fullPath.Text());
    MessageBoxA(hostWindow, body.Text(), caption.Text(), MB_OK);
}

}  // namespace

void JumpToTag(HWND hostWindow, const TagEntry& entry, const CowString& tagsFolder, const TagSiblings& siblings)
{
    // Out of memory the jump ends quietly, without a box.
    const CowString filePath = PlaceTagFile(tagsFolder, entry.ownFolder, entry.file);
    if (filePath.IsEmpty()) return;
    const CowString fullPath = GetFullPath<CowString>(filePath.Text());
    if (FullPathNotStored(filePath, fullPath)) return;

    // Shown before anything can fail, so it also stands when the jump does.
    CowString status;
    status.FormatFromTable(IDS_JUMPING_TO, fullPath.Text(), ReadableText(entry.address).Text());
    SetStatusText(hostWindow, status.Text());

    // An empty full path fails this test as well.
    if (GetFileAttributesA(fullPath.Text()) == INVALID_FILE_ATTRIBUTES) {
        ShowOpenFailure(hostWindow, fullPath, filePath);
        return;
    }
    HWND view = FindOrOpenDocument(hostWindow, fullPath.Text());
    if (!view) {
        ShowOpenFailure(hostWindow, fullPath, filePath);
        return;
    }

    if (IsLineNumber(entry.address)) {
        MoveToLine(view, entry.address);
    } else {
        MoveToPattern(view, entry, siblings);
    }
    if (view != hostWindow) SetForegroundWindow(GetAncestor(view, GA_ROOT));
}

}  // namespace velkin
