// Where a path leads, told from its text alone: to a file of this machine, to
// another machine, or to a device. Nothing here asks the file system or the
// network; the only call is the code page's lead-byte test, for bytes past
// ASCII, so that a double-byte character whose trail byte is '\' does not end
// a name.
#pragma once

namespace velkin {

enum class PathKind {
    local,    // a file of this machine (or a path that names nothing)
    network,  // a file on another machine: reaching it signs in to that host
    device,   // a device or an object of the system's namespaces: never a file
};

struct PathClass {
    PathKind kind = PathKind::local;
    // A network path's host, inside the classified text: the name after the
    // leading separators (or after "\\?\UNC\", "\??\UNC\") up to the first
    // '@' (WebDAV's "@SSL", "@8080") or separator; may be empty ("\\\x").
    // Null for other kinds.
    const char* host = nullptr;
    const char* hostEnd = nullptr;
    // The text begins with \\.\, \\?\ or \??\ (either separator), the
    // spellings that hand a path to the system's namespaces past the rules
    // that apply to file names.
    bool namespacePrefix = false;
};

// The class of the path [path, pathEnd), read as Windows reads it (up to a
// zero byte, if one comes first):
//  - network: two leading separators in any mix ("\\host\", "//host/",
//    "\/host\"), or \\?\ or \??\ followed by "UNC" and a separator, letter
//    case ignored;
//  - device: \\.\...; \\?\ or \??\ followed by anything but a drive path
//    ("C:\") or UNC ("\\?\GLOBALROOT\...", "\\?\C:"); any other path one of
//    whose names (split at separators and after a drive's ':') is a device
//    name (IsDeviceName);
//  - local: anything else, a drive path after \\?\ included.
PathClass ClassifyPath(const char* path, const char* pathEnd) noexcept;

// The name [name, nameEnd) (no separator in it) is one the system takes for
// a device in any folder: CON, PRN, AUX, NUL, CONIN$, CONOUT$, CLOCK$,
// COM0-COM9, LPT0-LPT9 (and COM/LPT with a superscript 1, 2 or 3 of code
// page 1252), letter case ignored, alone or before a '.' or ':' (an
// extension, a stream), with blanks before it ("NUL .c").
bool IsDeviceName(const char* name, const char* nameEnd) noexcept;

// Two host names are one, letter case ignored (ASCII letters; a name with
// other bytes must match them exactly). An empty name is no host: false.
bool SameHost(const char* a, const char* aEnd, const char* b, const char* bEnd) noexcept;

}  // namespace velkin
