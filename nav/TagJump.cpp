#include "nav/TagJump.h"

#include "editor/HostWindow.h"
#include "nav/DocumentLocator.h"
#include "nav/PatternSearch.h"
#include "res/ResourceIds.h"
#include "tags/FileFieldReading.h"
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

// A warning box (caption `captionId`) whose body `bodyId` names `named`:
// why a file is not opened.
void ShowNotOpened(HWND hostWindow, UINT captionId, UINT bodyId, const CowString& named)
{
    CowString caption;
    caption.FormatFromTable(captionId);
    CowString body;
    body.FormatFromTable(bodyId, named.Text());
    MessageBoxA(hostWindow, body.Text(), caption.Text(), MB_OK | MB_ICONWARNING);
}

// Where the jump would go: where `fullPath` leads, or where the field as
// written leads when placing it made it local ("\\??\\UNC\\host\\..." is rooted
// on the tags folder's drive): a field that spells another machine or a
// device is taken at its word.
PathClass Destination(const CowString& fullPath, const CowString& field)
{
    const PathClass path = ClassifyPath(fullPath.Text(), fullPath.Text() + fullPath.Length());
    return path.kind != PathKind::local ? path : ClassifyPath(field.Text(), field.Text() + field.Length());
}

// One reading of the file field (ReadFileField) and where it leads, in the
// ANSI code page: the forms Windows and the editor are handed, and judged in.
struct Target {
    // The reading, or for a name the code page cannot hold its shown form
    // ('?' for each character the code page lacks): named in boxes.
    CowString field;
    CowString filePath;  // placed (PlaceTagFile), in the same form
    CowString fullPath;  // made absolute: what the editor opens, once judged
    // A name the code page cannot hold, placed and made absolute: opened only
    // by its short name, when the volume keeps one.
    std::wstring wideFullPath;
};

// Where `reading` leads. False when out of memory.
bool MakeTarget(const FieldReading& reading, const TagEntry& entry, const CowString& tagsFolder, Target& target)
{
    if (reading.wide.empty()) {
        target.field = reading.text;
        target.filePath = PlaceTagFile(tagsFolder, entry.ownFolder, reading.text);
        if (target.filePath.IsEmpty()) return false;
        target.fullPath = GetFullPath<CowString>(target.filePath.Text());
        return !FullPathNotStored(target.filePath, target.fullPath);
    }
    const std::wstring filePath = PlaceTagFileWide(tagsFolder, entry.ownFolder, reading.wide);
    if (filePath.empty()) return false;
    target.wideFullPath = GetFullPathWide(filePath);
    target.field = WideToShownAnsi(reading.wide);
    target.filePath = WideToShownAnsi(filePath);
    target.fullPath = WideToShownAnsi(target.wideFullPath);
    return !target.field.IsEmpty() && !target.filePath.IsEmpty();
}

// Whether the jump may hand `target` to Windows and the editor, judged by its
// text before either sees it: a device never; a file on another machine once
// the user agrees, unless its host is trusted; a local file always.
enum class Verdict { open, device, declined };

Verdict Judge(HWND hostWindow, const Target& target, const TagEntry& entry, const CowString& tagsFolder)
{
    const PathClass path = Destination(target.fullPath, target.field);
    switch (path.kind) {
    case PathKind::local:
        return Verdict::open;
    case PathKind::device:
        return Verdict::device;
    case PathKind::network:
        return IsTrustedHost(path, entry, tagsFolder) || ConfirmOtherHost(hostWindow, path, target.fullPath)
                   ? Verdict::open
                   : Verdict::declined;
    }
    return Verdict::declined;
}

// The short (8.3) ANSI path of a name the code page cannot hold, when its
// volume keeps short names that the code page holds and that lead where the
// long name does; empty otherwise. Never the lossy spelling of the name:
// that may be another file's.
CowString ShortAnsiPath(const Target& target)
{
    if (target.wideFullPath.empty()) return CowString();
    const CowString shortPath = WideToAnsi(GetShortPathWide(target.wideFullPath));
    if (shortPath.IsEmpty()) return CowString();
    const PathClass path = ClassifyPath(shortPath.Text(), shortPath.Text() + shortPath.Length());
    const PathClass judged = Destination(target.fullPath, target.field);
    return path.kind == judged.kind && path.kind != PathKind::device ? shortPath : CowString();
}

// Why a reading was not taken, to name the first one's in a box.
enum class Miss { none, device, notPassable, notFound };

}  // namespace

void JumpToTag(HWND hostWindow, const TagEntry& entry, const CowString& tagsFolder, const TagSiblings& siblings)
{
    // Out of memory the jump ends quietly, without a box.
    const FieldReadings readings = ReadFileField(entry.file, entry.fileEncoding);
    Target targets[2];
    for (int i = 0; i < readings.count; ++i)
        if (!MakeTarget(readings.reading[i], entry, tagsFolder, targets[i])) return;
    if (readings.count == 0) return;

    // Shown before anything can fail, so it also stands when the jump does.
    CowString status;
    status.FormatFromTable(IDS_JUMPING_TO, targets[0].fullPath.Text(), ReadableText(entry.address).Text());
    SetStatusText(hostWindow, status.Text());

    // The first reading that names an existing file wins (UTF-8 first); each
    // is judged before Windows is asked about it.
    const Target* chosen = nullptr;
    Miss firstMiss = Miss::none;
    for (int i = 0; i < readings.count && !chosen; ++i) {
        Target& target = targets[i];
        Miss miss = Miss::notFound;
        const Verdict verdict = Judge(hostWindow, target, entry, tagsFolder);
        if (verdict == Verdict::declined) return;
        if (verdict == Verdict::device) {
            miss = Miss::device;
        } else if (!target.wideFullPath.empty()) {
            // Only an existing file has a short name.
            const CowString shortPath = ShortAnsiPath(target);
            if (shortPath.IsEmpty()) {
                miss = Miss::notPassable;
            } else {
                target.fullPath = shortPath;
                chosen = &target;
            }
        } else if (GetFileAttributesA(target.fullPath.Text()) != INVALID_FILE_ATTRIBUTES) {
            // An empty full path fails this test as well.
            chosen = &target;
        }
        if (i == 0) firstMiss = miss;
    }
    if (chosen && chosen != &targets[0]) {
        // The status names the file the jump goes to.
        status.FormatFromTable(IDS_JUMPING_TO, chosen->fullPath.Text(), ReadableText(entry.address).Text());
        SetStatusText(hostWindow, status.Text());
    }
    HWND view = chosen ? FindOrOpenDocument(hostWindow, chosen->fullPath.Text()) : nullptr;
    if (!view) {
        const Target& named = chosen ? *chosen : targets[0];
        if (!chosen && firstMiss == Miss::device) {
            // The field names a device, not a file.
            ShowNotOpened(hostWindow, IDS_DEVICE_CAPTION, IDS_DEVICE_NAMED, named.field);
        } else if (!chosen && firstMiss == Miss::notPassable) {
            // The name cannot be passed to the editor: named as far as the code page shows it.
            ShowNotOpened(hostWindow, IDS_NAME_NOT_PASSABLE_CAPTION, IDS_NAME_NOT_PASSABLE, named.fullPath);
        } else {
            ShowOpenFailure(hostWindow, named.fullPath, named.filePath);
        }
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
