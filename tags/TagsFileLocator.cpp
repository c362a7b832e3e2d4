#include "tags/TagsFileLocator.h"

#include "tags/Win32Handles.h"

namespace velkin {

namespace {

// Registry sizes are DWORDs; a value this large could not be held in a string
// whose lengths are ints once the terminator's byte is added.
constexpr DWORD kLargestValueSize = 0x7FFFFF00;

// Any entry counts, a folder of that name as well as a file.
bool EntryExists(const CowString& path)
{
    return GetFileAttributesA(path.Text()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

CowString ReadTagsFileName()
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return CowString(kDefaultTagsFileName);
    }
    const RegistryKey settings(opened);
    CowString name = ReadRegistryString(settings.Get(), kTagsFileNameValue);
    return name.IsEmpty() ? CowString(kDefaultTagsFileName) : name;
}

CowString ReadRegistryString(HKEY key, const char* valueName)
{
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return CowString();
    if (size == 0 || size > kLargestValueSize) return CowString();

    // One byte more than the value needs, so data stored without a terminator
    // can still be terminated inside the buffer.
    const DWORD room = size + 1;
    CowString value;
    char* buffer = value.OpenBuffer(static_cast<int>(room));
    if (!buffer) return CowString();
    DWORD delivered = room;
    const LONG status =
        RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &delivered);
    // The value may have grown or vanished since its size was asked; a
    // delivered size beyond the buffer would put the terminator outside it.
    if (status != ERROR_SUCCESS || delivered > room) return CowString();
    buffer[delivered] = 0;
    value.CloseBuffer(-1);
    return value;
}

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

CowString GetFullPath(const char* fileName)
{
    CowString fullPath;
    char* buffer = fullPath.OpenBuffer(MAX_PATH);
    if (!buffer) return fullPath;
    DWORD result = GetFullPathNameA(fileName, MAX_PATH, buffer, nullptr);
    if (result > MAX_PATH) {
        // The path did not fit: `result` is the size it takes, terminator included.
        const DWORD needed = result;
        buffer = fullPath.OpenBuffer(static_cast<int>(needed));
        if (!buffer) return CowString();
        result = GetFullPathNameA(fileName, needed, buffer, nullptr);
        // The current folder may have changed in between; a path that no
        // longer fits was not written, and the buffer holds no path then.
        if (result >= needed) return CowString();
    }
    if (result == 0) return CowString();
    fullPath.CloseBuffer(-1);
    return fullPath;
}

}  // namespace velkin
