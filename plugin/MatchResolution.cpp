#include "plugin/MatchResolution.h"

#include "nav/TagJump.h"
#include "plugin/StatusText.h"
#include "res/ResourceIds.h"
#include "ui/TagPicker.h"

namespace velkin {

namespace {

// The first list, in the order exact, prefix, in-document, that holds an
// entry; TagMatchLists::kCount when all are empty.
int FirstNonEmptyList(const TagMatchLists& lists)
{
    int index = 0;
    while (index < TagMatchLists::kCount && lists[index].empty()) ++index;
    return index;
}

// The status message that offers list `index` in the picker: the exact and
// prefix lists name the word, the in-document list names the document.
void ShowOfferedList(HWND hostWindow, int index, const TagQuery& query)
{
    constexpr UINT kMessages[TagMatchLists::kCount] = {IDS_FOUND_EXACT, IDS_FOUND_PREFIX, IDS_SHOWING_DOCUMENT_TAGS};
    ShowStatus(hostWindow, kMessages[index], index == 2 ? query.documentPath : query.word);
}

// The picker leaves its trace on the owner's client area; have it redrawn
// whether or not a tag was chosen.
void RepaintHostWindow(HWND hostWindow)
{
    InvalidateRect(hostWindow, nullptr, TRUE);
    UpdateWindow(hostWindow);
}

}  // namespace

void ResolveMatches(HWND hostWindow, const TagQuery& query, const CowString& tagsFilePath)
{
    TagMatchLists lists;
    if (!ScanTagsFile(tagsFilePath, query, lists)) {
        ShowStatus(hostWindow, IDS_CANNOT_OPEN_TAGS, tagsFilePath);
        return;
    }

    const int index = FirstNonEmptyList(lists);
    if (index == TagMatchLists::kCount) {
        // Nothing beyond the search message has been said: say that the word
        // is not in the tags file. The in-document outcome said so with its
        // own message already, and a jump's status text must stay.
        ShowStatus(hostWindow, IDS_WORD_NOT_FOUND, query.word, tagsFilePath);
        return;
    }

    TagList& offered = lists[index];
    const TagEntry* chosen = nullptr;
    if (index == 0 && offered.size() == 1) {
        chosen = &offered.front();  // a single exact match needs no choice
    } else {
        ShowOfferedList(hostWindow, index, query);
        chosen = PickTag(hostWindow, offered);
        RepaintHostWindow(hostWindow);
    }
    if (chosen) JumpToTag(hostWindow, *chosen, query.tagsFolder);
}

}  // namespace velkin
