#include "tags/TagsFileLocator.h"

namespace velkin {

CowString GetFullPath(const char* fileName)
{
    CowString fullPath;
    char* buffer = fullPath.OpenBuffer(MAX_PATH);
    if (!buffer) return fullPath;
    const DWORD needed = GetFullPathNameA(fileName, MAX_PATH, buffer, nullptr);
    if (needed == 0) return CowString();
    if (needed > MAX_PATH) {
        // The path did not fit: `needed` is the size it takes, terminator included.
        buffer = fullPath.OpenBuffer(static_cast<int>(needed));
        if (!buffer) return CowString();
        GetFullPathNameA(fileName, needed, buffer, nullptr);
    }
    fullPath.CloseBuffer(-1);
    return fullPath;
}

}  // namespace velkin
