#include "plugin/MatchResolution.h"

#include <string>

#include "nav/TagJump.h"
#include "plugin/ReadingProgress.h"
#include "plugin/StatusText.h"
#include "res/ResourceIds.h"
#include "tags/TagRelations.h"
#include "tags/TagsFileLookup.h"
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
void ShowOfferedList(HWND hostWindow, int index, const CowString& word, const CowString& documentPath)
{
    constexpr UINT kMessages[TagMatchLists::kCount] = {IDS_FOUND_EXACT, IDS_FOUND_PREFIX, IDS_SHOWING_DOCUMENT_TAGS};
    ShowStatus(hostWindow, kMessages[index], index == 2 ? documentPath : word);
}

// Says that the word is in none of the files read (`read`, indexes into
// `files`; none read: the first file found).
void ShowWordNotFound(HWND hostWindow, const CowString& word, const std::vector<TagsFile>& files,
                      const std::vector<std::size_t>& read)
{
    const CowString& first = files[read.empty() ? 0 : read.front()].path;
    if (read.size() <= 1) {
        ShowStatus(hostWindow, IDS_WORD_NOT_FOUND, word, first);
    } else {
        ShowStatus(hostWindow, IDS_WORD_NOT_FOUND_MORE, word, first, std::to_string(read.size() - 1).c_str());
    }
}

// The picker leaves its trace on the owner's client area; have it redrawn
// whether or not a tag was chosen.
void RepaintHostWindow(HWND hostWindow)
{
    InvalidateRect(hostWindow, nullptr, TRUE);
    UpdateWindow(hostWindow);
}

}  // namespace

void ResolveMatches(HWND hostWindow, const CowString& word, const CowString& documentPath,
                    const std::vector<TagsFile>& files)
{
    ReadingProgress progress(hostWindow);
    ScanOptions options;
    options.progress = &progress;
    TagsLookup lookup = LookUpTags(files, word, documentPath, options);
    if (lookup.stopped) {
        ShowStatus(hostWindow, IDS_SEARCH_STOPPED);
        return;
    }
    for (const std::size_t unreadable : lookup.unreadable) ShowStatus(hostWindow, IDS_CANNOT_OPEN_TAGS, files[unreadable].path);
    if (lookup.read.empty() && !lookup.unreadable.empty()) return;

    TagMatchLists& lists = lookup.lists;
    const int index = FirstNonEmptyList(lists);
    if (index == TagMatchLists::kCount) {
        // Nothing beyond the search message has been said: say that the word
        // is not in the tags files. The in-document outcome said so with its
        // own message already, and a jump's status text must stay.
        ShowWordNotFound(hostWindow, word, files, lookup.read);
        return;
    }

    TagList& offered = lists[index];
    const TagEntry* chosen = nullptr;
    if (index == 0 && offered.size() == 1) {
        chosen = &offered.front();  // a single exact match needs no choice
    } else {
        ShowOfferedList(hostWindow, index, word, documentPath);
        chosen = PickTag(hostWindow, offered);
        RepaintHostWindow(hostWindow);
    }
    // The rows beside it tell which of the lines holding its text is the tag's.
    if (chosen) JumpToTag(hostWindow, *chosen, chosen->tagsFolder, SiblingsOf(offered, *chosen));
}

}  // namespace velkin
