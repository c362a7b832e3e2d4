#include "tags/TagsFileLocator.h"

namespace velkin {

namespace {

// Any entry counts, a folder of that name as well as a file.
bool EntryExists(const CowString& path)
{
    return GetFileAttributesA(path.Text()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

CowString FindTagsFolder(const CowString& documentPath, const CowString& tagsFileName)
{
    // The first cut removes the file name; each later one goes up one level.
    CowString folder = documentPath;
    for (int cut = folder.FindLastByte('\\'); cut >= 0; cut = folder.FindLastByte('\\')) {
        folder = folder.Prefix(cut);
        if (EntryExists(folder + "\\" + tagsFileName)) return folder;
    }
    return CowString();
}

CowString JoinPath(const CowString& folder, const CowString& name)
{
    CowString path = folder + "\\" + name;
    return path.Length() == folder.Length() + 1 + name.Length() ? path : CowString();
}

}  // namespace velkin
