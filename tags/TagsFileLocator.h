// Where the tags file is: the nearest folder at or above the document's folder
// that holds an entry of the tags file's name.
#pragma once

#include <windows.h>

#include "text/CowString.h"

namespace velkin {

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

// `folder`, one backslash and `name`. Empty when the whole text cannot be
// stored (out of memory): a path missing a part would name another file.
CowString JoinPath(const CowString& folder, const CowString& name);

// The path a tags line's file field names, before it is made absolute:
//  - a full path (a drive letter, ':' and '\' or '/'; or two leading
//    separators, a network path) stands as written;
//  - a path rooted at one separator takes the drive of `tagsFolder` ("C:", or
//    "\\server\share" for a network folder); with a folder that has no
//    drive it stands as written, on the current drive;
//  - anything else is below `tagsFolder` (JoinPath).
// Empty when the path cannot be stored (out of memory). The jump and the
// scanner's current-document test both resolve fields through this.
CowString TagFilePath(const CowString& tagsFolder, const CowString& field);

}  // namespace velkin
