#include "plugin/MatchResolution.h"

#include "nav/TagJump.h"
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
    // A single exact match needs no choice: the jump follows at once.
    // Choosing among several tags builds on the picker; until it exists the
    // command ends here for every other outcome.
    if (lists.exact.size() == 1) JumpToTag(hostWindow, lists.exact.front(), query.tagsFolder);
}

}  // namespace velkin
