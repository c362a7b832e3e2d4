// Full paths, as the file system resolves them.
#pragma once

#include <windows.h>

namespace velkin {

// `fileName` made absolute by GetFullPathNameA, however long (a path over 260
// bytes takes a second call). Empty on failure, and when the full path grows
// between those two calls (the current folder changed).
//
// `String` is the caller's string type: default-constructed empty, with
// OpenBuffer(int minimum) giving at least `minimum` writable bytes plus a
// terminator (null when storage runs out) and CloseBuffer(-1) measuring the
// written text. The base layer knows no string type of its own.
template <typename String>
String GetFullPath(const char* fileName)
{
    String fullPath;
    char* buffer = fullPath.OpenBuffer(MAX_PATH);
    if (!buffer) return String();
    DWORD result = GetFullPathNameA(fileName, MAX_PATH, buffer, nullptr);
    if (result > MAX_PATH) {
        // The path did not fit: `result` is the size it takes, terminator included.
        const DWORD needed = result;
        buffer = fullPath.OpenBuffer(static_cast<int>(needed));
        if (!buffer) return String();
        result = GetFullPathNameA(fileName, needed, buffer, nullptr);
        // The current folder may have changed in between; a path that no
        // longer fits was not written, and the buffer holds no path then.
        if (result >= needed) return String();
    }
    if (result == 0) return String();
    fullPath.CloseBuffer(-1);
    return fullPath;
}

}  // namespace velkin
