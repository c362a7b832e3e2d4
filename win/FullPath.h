// Full paths, as the file system resolves them.
#pragma once

#include <windows.h>

#include <string>

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

// Calls `get(buffer, size)`, a Win32 path function that returns the length
// written or, when the buffer is too small, the size it takes: the path,
// however long; empty on failure or when storage runs out.
template <typename Get>
std::wstring GetWidePath(Get&& get) noexcept
{
    try {
        std::wstring path(MAX_PATH, L'\0');
        for (int tries = 0; tries < 2; ++tries) {
            const DWORD result = get(&path[0], static_cast<DWORD>(path.size()));
            if (result == 0) return std::wstring();
            if (result < path.size()) {
                path.resize(result);
                return path;
            }
            path.assign(result, L'\0');
        }
    } catch (...) {
    }
    return std::wstring();
}

// `fileName` made absolute by GetFullPathNameW; empty on failure.
inline std::wstring GetFullPathWide(const std::wstring& fileName) noexcept
{
    return GetWidePath([&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(fileName.c_str(), size, buffer, nullptr); });
}

// The short (8.3) form of the existing `path` (GetShortPathNameW): each name
// that has a short name on its volume as that, the others as they are. Empty
// when the path does not exist or on failure.
inline std::wstring GetShortPathWide(const std::wstring& path) noexcept
{
    return GetWidePath([&](wchar_t* buffer, DWORD size) { return GetShortPathNameW(path.c_str(), buffer, size); });
}

}  // namespace velkin
