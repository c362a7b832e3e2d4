#include "tags/TagsFileLocator.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "tags/TagsSettings.h"
#include "text/Utf8ToAnsi.h"
#include "win/FullPath.h"
#include "win/PathClass.h"

namespace velkin {

namespace {

// Any entry counts, a folder of that name as well as a file.
bool EntryExists(const CowString& path)
{
    return GetFileAttributesA(path.Text()) != INVALID_FILE_ATTRIBUTES;
}

// On bytes of an ANSI path or on UTF-16 characters alike.
template <typename Char>
bool IsSeparator(Char c) { return c == '\\' || c == '/'; }

template <typename Char>
bool IsAsciiLetter(Char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

template <typename Char>
bool HasDrive(const Char* path) { return IsAsciiLetter(path[0]) && path[1] == ':'; }

template <typename Char>
bool IsNetworkPath(const Char* path) { return IsSeparator(path[0]) && IsSeparator(path[1]); }

template <typename Char>
bool IsFullPath(const Char* path) { return IsNetworkPath(path) || (HasDrive(path) && IsSeparator(path[2])); }

// The length of the drive part of `folder`: 2 for "C:...", the length of
// "\\server\share" for a network folder, 0 when it has none.
int DriveLength(const CowString& folder)
{
    const char* const text = folder.Text();
    if (HasDrive(text)) return 2;
    if (!IsNetworkPath(text)) return 0;
    // Past the server name, then past the share name: each ends at a
    // separator. Names are stepped over by character, so a trail byte equal
    // to '\\' does not end one.
    const char* p = text + 2;
    for (int name = 0; name < 2 && *p; ++name) {
        if (name > 0) ++p;  // the separator after the server name
        while (*p && !IsSeparator(*p)) p = CharNextA(p);
    }
    return static_cast<int>(p - text);
}

}  // namespace

CowString FindTagsFolder(const CowString& documentPath, const CowString& tagsFileName)
{
    // The first cut removes the file name; each later one goes up one level.
    CowString folder = documentPath;
    for (int cut = folder.FindLastByte('\\'); cut >= 0; cut = folder.FindLastByte('\\')) {
        folder = folder.Prefix(cut);
        if (EntryExists(folder + "\\" + tagsFileName)) return folder;
    }
    return CowString();
}

CowString JoinPath(const CowString& folder, const CowString& name)
{
    CowString path = folder + "\\" + name;
    return path.Length() == folder.Length() + 1 + name.Length() ? path : CowString();
}

CowString TagFilePath(const CowString& tagsFolder, const CowString& field)
{
    const char* const text = field.Text();
    if (IsFullPath(text)) return field;
    if (!IsSeparator(text[0])) return JoinPath(tagsFolder, field);
    const int driveLength = DriveLength(tagsFolder);
    if (driveLength == 0) return field;
    CowString path = tagsFolder.Prefix(driveLength) + field;
    return path.Length() == driveLength + field.Length() ? path : CowString();
}

bool HasOwnFolder(const CowString& tagsFolder, const CowString& ownFolder) noexcept
{
    return !ownFolder.IsEmpty() && (ownFolder.Length() != tagsFolder.Length() ||
                                    std::memcmp(ownFolder.Text(), tagsFolder.Text(), ownFolder.Length()) != 0);
}

CowString PlaceTagFile(const CowString& tagsFolder, const CowString& ownFolder, const CowString& field)
{
    const char* const text = field.Text();
    if (!HasOwnFolder(tagsFolder, ownFolder) || IsFullPath(text) || IsSeparator(text[0]))
        return TagFilePath(tagsFolder, field);
    CowString beside = JoinPath(ownFolder, field);
    if (beside.IsEmpty()) return beside;
    // A device is never probed ("con.h" would be the console). A network
    // path here is on the host that holds the tags file itself.
    const bool device = ClassifyPath(beside.Text(), beside.Text() + beside.Length()).kind == PathKind::device;
    return !device && EntryExists(beside) ? beside : JoinPath(tagsFolder, field);
}

namespace {

// The UTF-16 form of an ANSI path. Throws std::bad_alloc when it cannot be made.
std::wstring Widened(const CowString& path)
{
    if (path.IsEmpty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_ACP, 0, path.Text(), path.Length(), nullptr, 0);
    if (length <= 0) throw std::bad_alloc();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.Text(), path.Length(), &wide[0], length);
    return wide;
}

}  // namespace

std::wstring PlaceTagFileWide(const CowString& tagsFolder, const CowString& ownFolder, const std::wstring& field)
{
    try {
        const wchar_t* const text = field.c_str();
        if (IsFullPath(text)) return field;
        if (IsSeparator(text[0])) {
            const int driveLength = DriveLength(tagsFolder);
            return driveLength == 0 ? field : Widened(tagsFolder.Prefix(driveLength)) + field;
        }
        if (HasOwnFolder(tagsFolder, ownFolder)) {
            const std::wstring beside = Widened(ownFolder) + L'\\' + field;
            // As PlaceTagFile: a device is never probed. A character the code
            // page lacks stands as '?' for the test, which no device name holds.
            const CowString shown = WideToShownAnsi(beside);
            const bool device = ClassifyPath(shown.Text(), shown.Text() + shown.Length()).kind == PathKind::device;
            if (!device && GetFileAttributesW(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
        }
        return Widened(tagsFolder) + L'\\' + field;
    } catch (const std::bad_alloc&) {
        return std::wstring();
    }
}

namespace {

// A byte no name in a path may hold. ':' is checked apart: it may follow a
// drive letter.
bool IsForbiddenByte(char byte)
{
    const auto code = static_cast<unsigned char>(byte);
    return code < 0x20 || byte == '<' || byte == '>' || byte == '"' || byte == '|' || byte == '?' || byte == '*';
}

// Whether `entry` may be probed at all: no device, no special path, no
// forbidden byte, shorter than the path length limit.
bool IsProbableEntry(const CowString& entry)
{
    const char* const text = entry.Text();
    // Any \\?\ or \??\ path, a drive path too: the user's own entries go
    // through the file system's rules.
    if (entry.Length() >= MAX_PATH || ClassifyPath(text, text + entry.Length()).namespacePrefix) return false;
    const char* component = text;
    for (const char* p = text;; p = CharNextA(p)) {
        const bool drive = p == text + 1 && HasDrive(text);
        if (*p == 0 || IsSeparator(*p) || drive) {
            // A network path's names too, unlike a file field's.
            if (IsDeviceName(component, p)) return false;
            if (*p == 0) return true;
            component = p + 1;
            continue;
        }
        if (IsForbiddenByte(*p) || *p == ':') return false;
    }
}

// The folder of a full path (no trailing backslash); empty when it has none.
CowString FolderOf(const CowString& fullPath)
{
    const int cut = fullPath.FindLastByte('\\');
    return cut > 0 ? fullPath.Prefix(cut) : CowString();
}

// The first `length` bytes of `a` and `b` are the same text, letter case
// ignored, as the file system compares names.
bool SameIgnoringCase(const char* a, const char* b, int length)
{
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a, length, b, length) == CSTR_EQUAL;
}

bool SamePath(const CowString& a, const CowString& b)
{
    return a.Length() == b.Length() && SameIgnoringCase(a.Text(), b.Text(), a.Length());
}

// `path` lies in `folder` or below it, letter case ignored.
bool LiesIn(const CowString& path, const CowString& folder)
{
    const int length = folder.Length();
    if (length == 0 || path.Length() <= length || path.Text()[length] != '\\') return false;
    return SameIgnoringCase(path.Text(), folder.Text(), length);
}

bool IsExistingFile(const CowString& path)
{
    const DWORD attributes = GetFileAttributesA(path.Text());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool HoldsSeparator(const CowString& entry)
{
    for (const char* p = entry.Text(); *p; p = CharNextA(p))
        if (IsSeparator(*p)) return true;
    return false;
}

// `text`, or throws std::bad_alloc when it could not be stored.
CowString Stored(CowString text)
{
    if (text.IsEmpty()) throw std::bad_alloc();
    return text;
}

// The file `entry` names for the document, or nothing (an empty path).
TagsFile LocateEntry(const CowString& documentPath, const CowString& entry)
{
    TagsFile found;
    if (IsFullPath(entry.Text())) {
        if (!IsExistingFile(entry)) return found;
        const CowString fullPath = GetFullPath<CowString>(entry.Text());
        found.folder = FolderOf(fullPath);
        if (found.folder.IsEmpty()) return found;
        found.path = entry;
        found.mayNameDocument = LiesIn(documentPath, found.folder);
        return found;
    }
    found.folder = FindTagsFolder(documentPath, entry);
    if (found.folder.IsEmpty()) return found;
    found.path = Stored(JoinPath(found.folder, entry));
    found.mayNameDocument = true;
    if (HoldsSeparator(entry)) {
        const CowString ownFolder = FolderOf(GetFullPath<CowString>(found.path.Text()));
        if (HasOwnFolder(found.folder, ownFolder)) found.ownFolder = ownFolder;
    }
    return found;
}

}  // namespace

std::vector<CowString> SplitTagsFileList(const CowString& value)
{
    std::vector<CowString> entries;
    ForEachListEntry(value, [&](const char* first, const char* last) {
        if (first == last) return false;
        const auto length = static_cast<int>(last - first);
        CowString entry = value.Substring(static_cast<int>(first - value.Text()), length);
        if (entry.Length() != length) throw std::bad_alloc();
        entries.push_back(std::move(entry));
        return false;
    });
    return entries;
}

std::vector<TagsFile> FindTagsFiles(const CowString& documentPath, const std::vector<CowString>& entries)
{
    std::vector<TagsFile> files;
    std::vector<CowString> fullPaths;  // of `files`, to find a file named twice
    for (const CowString& entry : entries) {
        if (!IsProbableEntry(entry)) continue;
        TagsFile file = LocateEntry(documentPath, entry);
        if (file.path.IsEmpty()) continue;
        CowString fullPath = GetFullPath<CowString>(file.path.Text());
        if (fullPath.IsEmpty()) fullPath = file.path;
        const auto named = [&fullPath](const CowString& seen) { return SamePath(seen, fullPath); };
        if (std::any_of(fullPaths.begin(), fullPaths.end(), named)) continue;
        fullPaths.push_back(std::move(fullPath));
        files.push_back(std::move(file));
    }
    return files;
}

}  // namespace velkin
