#include "plugin/MatchResolution.h"

#include "plugin/StatusText.h"
#include "res/ResourceIds.h"
#include "tags/TagScanner.h"

namespace velkin {

void ResolveMatches(HWND hostWindow, const TagQuery& query, const CowString& tagsFilePath)
{
    TagMatchLists lists;
    if (!ScanTagsFile(tagsFilePath, query, lists)) {
        ShowStatus(hostWindow, IDS_CANNOT_OPEN_TAGS, tagsFilePath);
        return;
    }
    // Choosing a tag from the lists and jumping to it build on the picker and
    // the navigation; until they exist the command ends after the scan.
}

}  // namespace velkin
