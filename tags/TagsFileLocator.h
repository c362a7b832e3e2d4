// Where the tags file is: its name (from the registry, "tags" by default) and
// the nearest folder at or above the document's folder that holds it.
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

// The nearest folder at or above the folder of `documentPath` that holds an
// entry (file or folder) named `tagsFileName`; no trailing backslash (a
// drive's root is "C:"). Empty when there is none or the path has no backslash.
// Each level is probed once, nearest first, as folder + "\" + tagsFileName; a
// name holding backslashes is a path below each level. A network path
// \\server\share\dir\file goes through the folders \\server\share\dir,
// \\server\share, \\server, \ and last the empty folder, whose probe is
// \<name> in the current drive's root: found there, the result is empty all
// the same, which reads as not found.
CowString FindTagsFolder(const CowString& documentPath, const CowString& tagsFileName);

// `fileName` made absolute by GetFullPathNameA, however long (a path over 260
// bytes takes a second call); empty on failure, and when the full path grows
// between those two calls (the current folder changed).
CowString GetFullPath(const char* fileName);

}  // namespace velkin
