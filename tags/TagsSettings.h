// The plug-in's one setting: the tags file's name, read from the registry on
// every command ("tags" by default). The plug-in never writes it.
#pragma once

#include <windows.h>

#include "text/CowString.h"

namespace velkin {

// The registry key and value holding the tags file name (read only).
constexpr const char* kSettingsKey = "Software\\EmSoft\\EmEditorPlugIns\\Pemwick\\Tavrel";
constexpr const char* kTagsFileNameValue = "TagsFileName";
constexpr const char* kDefaultTagsFileName = "tags";

// The tags file name: the registry value's bytes up to the first zero, or
// "tags" when the key or value is missing or empty. Never empty.
CowString ReadTagsFileName();

// The value `valueName` of the open `key` as text, whatever its type (an
// expandable string is not expanded), cut at its first zero byte; data stored
// without a terminator is read whole. Empty when the value's size cannot be
// queried, the value holds no bytes, or the read after the size query fails
// (the value grew or vanished in between). `key` stays open: the caller owns it.
CowString ReadRegistryString(HKEY key, const char* valueName);

}  // namespace velkin
