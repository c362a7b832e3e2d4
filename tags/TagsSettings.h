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
