#include "nav/TagJump.h"

#include "editor/HostWindow.h"
#include "nav/DocumentLocator.h"
#include "nav/PatternSearch.h"
#include "res/ResourceIds.h"
#include "tags/SearchTexts.h"
#include "tags/TagsFileLocator.h"
#include "tags/TagsSettings.h"
#include "text/Utf8ToAnsi.h"
#include "win/FullPath.h"
#include "win/PathClass.h"

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

// The host the tags file that gave `entry` lies on, as its path or, for an
// entry read without one, the tags folder spells it; none for a local file.
PathClass TagsFileClass(const TagEntry& entry, const CowString& tagsFolder)
{
    const CowString& origin = entry.tagsFile.IsEmpty() ? tagsFolder : entry.tagsFile;
    return ClassifyPath(origin.Text(), origin.Text() + origin.Length());
}

// A host whose files the user lets any tags file name: the one that holds the
// tags file itself (a project on a share, tagged there), or one listed in
// TrustedHosts.
bool IsTrustedHost(const PathClass& path, const TagEntry& entry, const CowString& tagsFolder)
{
    const PathClass origin = TagsFileClass(entry, tagsFolder);
    if (origin.kind == PathKind::network && SameHost(origin.host, origin.hostEnd, path.host, path.hostEnd)) return true;
    return ListsHost(ReadTrustedHosts(), path.host, path.hostEnd);
}

// Asks whether to open `fullPath` on another host; No is the default button.
// No is said on the status bar.
bool ConfirmOtherHost(HWND hostWindow, const PathClass& path, const CowString& fullPath)
{
    const CowString host(path.host, static_cast<int>(path.hostEnd - path.host));
    CowString caption;
    caption.FormatFromTable(IDS_OTHER_HOST_CAPTION);
    CowString question;
    question.FormatFromTable(IDS_OTHER_HOST_QUESTION, host.Text(), fullPath.Text());
    // Out of memory nothing can be asked: the file is not opened.
    if (host.Length() != path.hostEnd - path.host || question.IsEmpty()) return false;
    if (MessageBoxA(hostWindow, question.Text(), caption.Text(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES)
        return true;
    CowString status;
    status.FormatFromTable(IDS_OTHER_HOST_DECLINED, fullPath.Text());
    SetStatusText(hostWindow, status.Text());
    return false;
}

// The box that says the field names a device, not a file.
void ShowDeviceRefused(HWND hostWindow, const CowString& field)
{
    CowString caption;
    caption.FormatFromTable(IDS_DEVICE_CAPTION);
    CowString body;
    body.FormatFromTable(IDS_DEVICE_NAMED, field.Text());
    MessageBoxA(hostWindow, body.Text(), caption.Text(), MB_OK | MB_ICONWARNING);
}

// Where the jump would go: where `fullPath` leads, or where the field as
// written leads when placing it made it local ("\??\UNC\host\..." is rooted
// on the tags folder's drive): a field that spells another machine or a
// device is taken at its word.
PathClass Destination(const CowString& fullPath, const CowString& field)
{
    const PathClass path = ClassifyPath(fullPath.Text(), fullPath.Text() + fullPath.Length());
    return path.kind != PathKind::local ? path : ClassifyPath(field.Text(), field.Text() + field.Length());
}

// Whether the jump may hand `fullPath` to Windows and the editor, judged by
// its text before either sees it: a device never; a file on another machine
// once the user agrees, unless its host is trusted; a local file always.
bool MayOpen(HWND hostWindow, const CowString& fullPath, const TagEntry& entry, const CowString& tagsFolder)
{
    const PathClass path = Destination(fullPath, entry.file);
    switch (path.kind) {
    case PathKind::local:
        return true;
    case PathKind::device:
        ShowDeviceRefused(hostWindow, entry.file);
        return false;
    case PathKind::network:
        return IsTrustedHost(path, entry, tagsFolder) || ConfirmOtherHost(hostWindow, path, fullPath);
    }
    return false;
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

    if (!MayOpen(hostWindow, fullPath, entry, tagsFolder)) return;
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
