// Test texts are written in UTF-8; the plug-in works in the ANSI code page
// (932). Sjis() converts an expected text to the bytes the plug-in produces.
#pragma once

#include <windows.h>

#include <string>

inline std::string Sjis(const char* utf8)
{
    const int wideLength = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], wideLength);
    const int length = WideCharToMultiByte(932, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(932, 0, wide.c_str(), -1, &bytes[0], length, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(length) - 1);  // without the terminator
    return bytes;
}

// The reverse, for readable failure messages and terminal output.
inline std::string Utf8(const std::string& ansi)
{
    const int wideLength = MultiByteToWideChar(932, 0, ansi.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(932, 0, ansi.c_str(), -1, &wide[0], wideLength);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &bytes[0], length, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(length) - 1);
    return bytes;
}
