#include "plugin/TagJumpCommand.h"

#include <string>
#include <vector>

#include "editor/HostWindow.h"
#include "plugin/MatchResolution.h"
#include "plugin/StatusText.h"
#include "plugin/WordCapture.h"
#include "res/ResourceIds.h"
#include "tags/TagsFileLocator.h"
#include "tags/TagsSettings.h"

namespace velkin {

namespace {

// Tells what will be searched: the word, or the document's own tags when
// there is no word, in the first of `searched` and how many more.
void ShowSearching(HWND hostWindow, const CowString& word, const CowString& documentPath,
                   const std::vector<const TagsFile*>& searched)
{
    const CowString& first = searched.front()->path;
    const std::size_t more = searched.size() - 1;
    if (more == 0) {
        if (!word.IsEmpty()) {
            ShowStatus(hostWindow, IDS_SEARCHING_WORD, word, first);
        } else {
            ShowStatus(hostWindow, IDS_SEARCHING_DOCUMENT, documentPath, first);
        }
        return;
    }
    const CowString count(std::to_string(more).c_str());
    if (!word.IsEmpty()) {
        ShowStatus(hostWindow, IDS_SEARCHING_WORD_MORE, word, first, count);
    } else {
        ShowStatus(hostWindow, IDS_SEARCHING_DOCUMENT_MORE, documentPath, first, count);
    }
}

// The files the lookup reads: every one for a word; with no word, only
// those that may name the document (all of them when none may, so that
// there is a file to name).
std::vector<const TagsFile*> SearchedFiles(const CowString& word, const std::vector<TagsFile>& files)
{
    std::vector<const TagsFile*> searched;
    for (const TagsFile& file : files) {
        if (!word.IsEmpty() || file.mayNameDocument) searched.push_back(&file);
    }
    if (searched.empty()) {
        for (const TagsFile& file : files) searched.push_back(&file);
    }
    return searched;
}

}  // namespace

void TagJumpCommand(HWND hostWindow)
{
    const CowString word = CaptureWord(hostWindow);
    const CowString documentPath = GetDocumentPath(hostWindow);
    CowString tagsFileName = ReadTagsFileName();
    // The name is never empty but when its copy could not be stored: out of
    // memory, the command ends without a word rather than search the folder.
    if (tagsFileName.IsEmpty()) return;
    std::vector<CowString> entries = SplitTagsFileList(tagsFileName);
    if (entries.empty()) {
        // Separators and blanks alone: as if the value were missing.
        tagsFileName = CowString(kDefaultTagsFileName);
        entries.push_back(tagsFileName);
    }
    const std::vector<TagsFile> files = FindTagsFiles(documentPath, entries);
    if (files.empty()) {
        ShowStatus(hostWindow, IDS_TAGS_FILE_NOT_FOUND, tagsFileName);
        return;
    }
    ShowSearching(hostWindow, word, documentPath, SearchedFiles(word, files));
    ResolveMatches(hostWindow, word, documentPath, files);
}

}  // namespace velkin
