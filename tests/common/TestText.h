// Small helpers shared by the test programs.
#pragma once

#include <windows.h>

#include <string>

#include "text/CowString.h"

// The bytes of a CowString, embedded zeros included.
inline std::string Str(const velkin::CowString& text)
{
    return std::string(text.Text(), static_cast<size_t>(text.Length()));
}

// Creates (or replaces) the file `path` (ANSI) holding exactly `bytes`; its
// folder must exist. False when the file cannot be written.
inline bool WriteTestFile(const std::string& path, const std::string& bytes)
{
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}
