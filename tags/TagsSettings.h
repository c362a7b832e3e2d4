// The plug-in's settings: the tags file's name ("tags" by default) and the
// hosts whose files a tags file may name without a question. Read from the
// registry when a command needs them; the plug-in never writes them.
#pragma once

#include <windows.h>

#include "text/CowString.h"

namespace velkin {

// The registry key and value holding the tags file name (read only).
constexpr const char* kSettingsKey = "Software\\EmSoft\\EmEditorPlugIns\\Pemwick\\Tavrel";
constexpr const char* kTagsFileNameValue = "TagsFileName";
constexpr const char* kDefaultTagsFileName = "tags";
constexpr const char* kTrustedHostsValue = "TrustedHosts";

// The tags file name: the registry value's bytes up to the first zero, or
// "tags" when the key or value is missing or empty. Never empty.
CowString ReadTagsFileName();

// Calls `visit(first, last)` for each entry of a ';'-separated setting list
// (TagsFileName, TrustedHosts), in order: the text between separators, less
// the blanks (spaces and tabs) around it; an empty entry gives first == last.
// Steps by characters, so a double-byte character's trail byte is never taken
// for a ';'. Stops early when `visit` returns true; returns whether it did.
template <typename Visit>
bool ForEachListEntry(const CowString& value, Visit&& visit)
{
    const auto isBlank = [](char byte) { return byte == ' ' || byte == '\t'; };
    const char* const end = value.Text() + value.Length();
    for (const char* start = value.Text(); start <= end;) {
        const char* stop = start;
        while (stop != end && *stop != ';') stop = CharNextA(stop);
        const char* first = start;
        const char* last = stop;
        while (first != last && isBlank(*first)) ++first;
        while (last != first && isBlank(last[-1])) --last;
        if (visit(first, last)) return true;
        start = stop + 1;
    }
    return false;
}

// The TrustedHosts value: host names separated by ';'. Empty when the key or
// the value is missing.
CowString ReadTrustedHosts();

// Whether `hosts` (as ReadTrustedHosts gives it) lists the host
// [host, hostEnd): one of its names, less the blanks around it, is that host
// (SameHost: letter case ignored). An empty host is listed nowhere.
bool ListsHost(const CowString& hosts, const char* host, const char* hostEnd) noexcept;

// The value `valueName` of the open `key` as text, whatever its type (an
// expandable string is not expanded), cut at its first zero byte; data stored
// without a terminator is read whole. Empty when the value's size cannot be
// queried, the value holds no bytes, or the read after the size query fails
// (the value grew or vanished in between). `key` stays open: the caller owns it.
CowString ReadRegistryString(HKEY key, const char* valueName);

}  // namespace velkin
