#include "bench/VelkinResources.h"

#include <windows.h>

#include <cstring>

#include "text/CowString.h"

namespace velkin::bench {

bool UseVelkinResources()
{
    static const char kName[] = "Velkin.dll";
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    char* folderEnd = std::strrchr(path, '\\');
    if (!folderEnd || (folderEnd + 1 - path) + sizeof kName > MAX_PATH) return false;
    std::memcpy(folderEnd + 1, kName, sizeof kName);
    const HMODULE velkin = LoadLibraryA(path);
    if (!velkin) return false;
    SetResourceModule(velkin);
    return true;
}

}  // namespace velkin::bench
