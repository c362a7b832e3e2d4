// Where the tags files are: for each entry of the TagsFileName value, the
// nearest folder at or above the document's folder that holds an entry of
// that name, or the file a full path names.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

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

// The path a file field names when the tags file lies in `ownFolder` but was
// found from `tagsFolder` (an entry with a folder in it, ".git\tags"): a
// relative field is taken from `ownFolder` first, as a hook running ctags
// with --tag-relative=yes writes it, and from `tagsFolder` when nothing of
// that name is there. Without a second folder (`ownFolder` empty or equal to
// `tagsFolder`) it is TagFilePath(tagsFolder, field), and nothing is probed;
// nor is a path beside the tags file that names a device (ClassifyPath).
// The probe asks only the file system that holds the tags file itself.
// Empty when the path cannot be stored (out of memory).
CowString PlaceTagFile(const CowString& tagsFolder, const CowString& ownFolder, const CowString& field);

// PlaceTagFile for a field held in UTF-16 (a UTF-8 name the ANSI code page
// cannot hold): the same rules, the folders widened from ANSI, the own
// folder probed with GetFileAttributesW. Empty when out of memory.
std::wstring PlaceTagFileWide(const CowString& tagsFolder, const CowString& ownFolder, const std::wstring& field);

// Whether PlaceTagFile probes for `ownFolder`: it differs from `tagsFolder`.
bool HasOwnFolder(const CowString& tagsFolder, const CowString& ownFolder) noexcept;

// One tags file a command reads.
struct TagsFile {
    CowString path;    // as it is opened: the folder and a relative entry joined, or a full-path entry as written
    CowString folder;  // where its tags' file fields are placed (TagFilePath); no trailing backslash
    // The folder holding the file itself, when that is not `folder` (an entry
    // with a folder in it, ".git\tags"): relative fields are placed from
    // here first (PlaceTagFile). Empty otherwise.
    CowString ownFolder;
    // Found by the walk up from the document's folder, or a full path whose
    // folder holds the document: only such a file is read for the document's
    // own tags.
    bool mayNameDocument = false;
};

// The entries of a TagsFileName value, in order: the texts between ';'
// separators, less the blanks (spaces and tabs) around each; empty ones are
// dropped. Throws std::bad_alloc.
std::vector<CowString> SplitTagsFileList(const CowString& value);

// The tags files `entries` name for the document at `documentPath`, in the
// order listed:
//  - a relative entry (the only kind a single name could be before lists):
//    the nearest folder at or above the document's that holds it
//    (FindTagsFolder), joined to it; mayNameDocument;
//  - a full path (a drive letter, ':' and a separator; or a network path
//    \\server\share\...): that file, wherever the document lies, when it
//    exists and is not a folder; its folder is the one holding it, and it
//    may name the document when the document lies in or below that folder.
// Skipped without a probe: an entry that names a device (IsDeviceName: CON,
// NUL, COM1..., in any component, with or without an extension) or a special
// path (\\.\..., \\?\..., \??\...), one holding a byte no file name may hold
// ('<', '>', '"', '|', '?', '*', a control byte, or ':' but after a drive
// letter), and one whose path reaches the path length limit (MAX_PATH, the
// terminator included). A file reached by two entries (the same full path,
// letter case ignored: ".\tags", "sub\..\tags") counts once, at the first.
// Each entry probes each folder at most once. Throws std::bad_alloc.
std::vector<TagsFile> FindTagsFiles(const CowString& documentPath, const std::vector<CowString>& entries);

}  // namespace velkin
