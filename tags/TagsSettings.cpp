#include "tags/TagsSettings.h"

#include "win/PathClass.h"
#include "win/Win32Handles.h"

namespace velkin {

namespace {

// Registry sizes are DWORDs; a value this large could not be held in a string
// whose lengths are ints once the terminator's byte is added.
constexpr DWORD kLargestValueSize = 0x7FFFFF00;

// The value `valueName` of the settings key; empty when either is missing.
CowString ReadSetting(const char* valueName)
{
    RegistryKey settings;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, settings.Receive()) != ERROR_SUCCESS) {
        return CowString();
    }
    return ReadRegistryString(settings.Get(), valueName);
}

}  // namespace

CowString ReadTagsFileName()
{
    CowString name = ReadSetting(kTagsFileNameValue);
    return name.IsEmpty() ? CowString(kDefaultTagsFileName) : name;
}

CowString ReadTrustedHosts() { return ReadSetting(kTrustedHostsValue); }

bool ListsHost(const CowString& hosts, const char* host, const char* hostEnd) noexcept
{
    return ForEachListEntry(hosts, [&](const char* first, const char* last) {
        return SameHost(first, last, host, hostEnd);
    });
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

}  // namespace velkin
