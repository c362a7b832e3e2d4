#include "tags/TagsFileLocator.h"

namespace velkin {

namespace {

// Any entry counts, a folder of that name as well as a file.
bool EntryExists(const CowString& path)
{
    return GetFileAttributesA(path.Text()) != INVALID_FILE_ATTRIBUTES;
}

bool IsSeparator(char byte) { return byte == '\\' || byte == '/'; }

bool IsAsciiLetter(char byte) { return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z'); }

bool HasDrive(const char* path) { return IsAsciiLetter(path[0]) && path[1] == ':'; }

bool IsNetworkPath(const char* path) { return IsSeparator(path[0]) && IsSeparator(path[1]); }

bool IsFullPath(const char* path) { return IsNetworkPath(path) || (HasDrive(path) && IsSeparator(path[2])); }

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

}  // namespace velkin
