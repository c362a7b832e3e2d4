#include "nav/DocumentLocator.h"

#include <new>

#include "editor/HostWindow.h"
#include "text/CowString.h"

namespace velkin {

namespace {

// Class names and document names are read into buffers of this size.
constexpr int kNameBufferSize = MAX_PATH;
// Time the editor is given to create the new document before the views are
// enumerated again.
constexpr DWORD kNewDocumentWaitMs = 100;
// Document indexes 0 to 65534 travel as 1 to 65535 in the high word.
constexpr LRESULT kMaxAddressableDocuments = 0xFFFF;

bool HasClass(const char* className, const char* wanted)
{
    return lstrcmpA(className, wanted) == 0;
}

// Whether document `documentIndex` of `view` is named `name`. The buffer starts
// as the empty text, so a document the editor writes no name for reads as
// untitled; its own terminator after the 260 bytes bounds what is written.
bool DocumentHasName(HWND view, int documentIndex, const char* name)
{
    CowString documentName;
    char* buffer = documentName.OpenBuffer(kNameBufferSize);
    if (!buffer) return false;   // no memory for the name: it matches nothing
    QueryDocumentInfo(view, documentIndex, INFO_DOC_FILE_NAME, reinterpret_cast<LPARAM>(buffer));
    documentName.CloseBuffer(-1);
    return lstrcmpA(documentName.Text(), name) == 0;
}

// The first index of a document of `view` named `name`, or -1.
int FindDocumentIndex(HWND view, const char* name)
{
    const LRESULT count = QueryInfo(view, INFO_DOC_COUNT);
    if (count <= 0) return -1;
    // An index travels as index + 1 in 16 bits: documents beyond that cannot
    // be addressed, and a wild count must not run the loop for ever.
    const int last = count > kMaxAddressableDocuments ? kMaxAddressableDocuments : static_cast<int>(count);
    for (int index = 0; index < last; ++index)
        if (DocumentHasName(view, index, name)) return index;
    return -1;
}

}  // namespace

LRESULT QueryDocumentInfo(HWND view, int documentIndex, UINT code, LPARAM lParam)
{
    return QueryInfo(view, MakeDocumentInfoCode(documentIndex, code), lParam);
}

BOOL CALLBACK CollectViewWindow(HWND window, LPARAM viewList)
{
    auto* views = reinterpret_cast<ViewList*>(viewList);
    if (!views) return TRUE;
    char className[kNameBufferSize];
    if (GetClassNameA(window, className, kNameBufferSize) == 0) return TRUE;
    className[kNameBufferSize - 1] = 0;
    if (HasClass(className, kFrameWindowClass)) {
        // Visits every descendant, so views nested in panes are found too.
        EnumChildWindows(window, CollectViewWindow, viewList);
    } else if (HasClass(className, kViewWindowClass)) {
        // No exception may cross the system's enumeration frames.
        try {
            views->push_back(window);
        } catch (const std::bad_alloc&) {
        }
    }
    return TRUE;
}

void CollectViews(ViewList& views)
{
    EnumWindows(CollectViewWindow, reinterpret_cast<LPARAM>(&views));
}

HWND FindDocumentView(const ViewList& views, const char* name)
{
    for (HWND view : views) {
        const int index = FindDocumentIndex(view, name);
        if (index < 0) continue;
        // A refused activation abandons this view, not just this document.
        if (QueryDocumentInfo(view, index, INFO_ACTIVATE_DOC, 0) != 0) return view;
    }
    return nullptr;
}

HWND FindOrOpenDocument(HWND hostWindow, const char* fullPath)
{
    ViewList views;
    QueryInfo(hostWindow, INFO_PREPARE);
    CollectViews(views);
    if (HWND view = FindDocumentView(views, fullPath)) return view;

    ExecuteCommand(hostWindow, CMD_NEW_DOCUMENT);
    views.clear();
    Sleep(kNewDocumentWaitMs);
    CollectViews(views);
    HWND target = FindDocumentView(views, "");
    if (!target) target = hostWindow;
    return LoadFile(target, fullPath) ? target : nullptr;
}

}  // namespace velkin
