// The real plug-in DLL loaded into this process, as the editor loads it: by
// LoadLibraryA from the folder of the running program, its exports looked up
// by their undecorated names.
#pragma once

#include <windows.h>

#include <string>

namespace velkin::sim {

class PluginLibrary {
public:
    using OnCommandFunction = void(WINAPI*)(HWND hostWindow);
    using QueryStatusFunction = BOOL(WINAPI*)(HWND hostWindow, BOOL* checked);
    using OnEventsFunction = void(WINAPI*)(HWND hostWindow, UINT events, LPARAM value);
    using IdFunction = UINT(WINAPI*)();
    using PlugInProcFunction = LRESULT(WINAPI*)(HWND hostWindow, UINT query, WPARAM wParam, LPARAM lParam);

    // Loads `fileName` from the program's own folder and finds all seven
    // exports. Throws std::runtime_error naming the library or the export
    // that is missing (the library is released again).
    explicit PluginLibrary(const std::string& fileName = "Velkin.dll");
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    HMODULE Module() const { return module_; }
    const std::string& Path() const { return path_; }

    // String-table entry `id` of the library as LoadStringA gives it (ANSI
    // code page, at most 4095 bytes); "" when there is none.
    std::string LoadText(UINT id) const;

    OnCommandFunction OnCommand = nullptr;
    QueryStatusFunction QueryStatus = nullptr;
    OnEventsFunction OnEvents = nullptr;
    IdFunction GetMenuTextID = nullptr;
    IdFunction GetStatusMessageID = nullptr;
    IdFunction GetBitmapID = nullptr;
    PlugInProcFunction PlugInProc = nullptr;

private:
    std::string path_;
    HMODULE module_ = nullptr;
};

// The folder of the running program, without a trailing backslash.
std::string ProgramFolder();

}  // namespace velkin::sim
