#include "plugin/TagJumpCommand.h"

#include "editor/HostWindow.h"
#include "plugin/MatchResolution.h"
#include "plugin/StatusText.h"
#include "plugin/WordCapture.h"
#include "res/ResourceIds.h"
#include "tags/TagsFileLocator.h"
#include "tags/TagsSettings.h"

namespace velkin {

void TagJumpCommand(HWND hostWindow)
{
    const CowString word = CaptureWord(hostWindow);
    const CowString documentPath = GetDocumentPath(hostWindow);
    const CowString tagsFileName = ReadTagsFileName();
    // The name is never empty but when its copy could not be stored: out of
    // memory, the command ends without a word rather than search the folder.
    if (tagsFileName.IsEmpty()) return;
    const CowString tagsFolder = FindTagsFolder(documentPath, tagsFileName);
    if (tagsFolder.IsEmpty()) {
        ShowStatus(hostWindow, IDS_TAGS_FILE_NOT_FOUND, tagsFileName);
        return;
    }
    const CowString tagsFilePath = JoinPath(tagsFolder, tagsFileName);
    if (tagsFilePath.IsEmpty()) return;  // out of memory: not a tags file that cannot be read
    if (!word.IsEmpty()) {
        ShowStatus(hostWindow, IDS_SEARCHING_WORD, word, tagsFilePath);
    } else {
        // No identifier at the caret: the document's own tags will be offered.
        ShowStatus(hostWindow, IDS_SEARCHING_DOCUMENT, documentPath, tagsFilePath);
    }
    ResolveMatches(hostWindow, {word, documentPath, tagsFolder}, tagsFilePath);
}

}  // namespace velkin
