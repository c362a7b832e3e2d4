#include "host/PluginLibrary.h"

#include <stdexcept>

namespace velkin::sim {

namespace {

template <typename Function>
void FindExport(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!function) throw std::runtime_error(std::string("the plug-in does not export ") + name);
}

}  // namespace

std::string ProgramFolder()
{
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) throw std::runtime_error("cannot read the program's path");
    // The last backslash, found character by character: a trail byte may be 0x5C.
    const char* lastBackslash = nullptr;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '\\') lastBackslash = p;
    return lastBackslash ? std::string(path, lastBackslash - path) : std::string(".");
}

PluginLibrary::PluginLibrary(const std::string& fileName) : path_(ProgramFolder() + "\\" + fileName)
{
    module_ = LoadLibraryA(path_.c_str());
    if (!module_) throw std::runtime_error("cannot load " + path_ + " (error " + std::to_string(GetLastError()) + ")");
    try {
        FindExport(module_, "OnCommand", OnCommand);
        FindExport(module_, "QueryStatus", QueryStatus);
        FindExport(module_, "OnEvents", OnEvents);
        FindExport(module_, "GetMenuTextID", GetMenuTextID);
        FindExport(module_, "GetStatusMessageID", GetStatusMessageID);
        FindExport(module_, "GetBitmapID", GetBitmapID);
        FindExport(module_, "PlugInProc", PlugInProc);
    } catch (...) {
        FreeLibrary(module_);
        throw;
    }
}

PluginLibrary::~PluginLibrary()
{
    FreeLibrary(module_);
}

std::string PluginLibrary::LoadText(UINT id) const
{
    char text[4096] = "";
    const int length = LoadStringA(module_, id, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

}  // namespace velkin::sim
