#include "editor/HostWindow.h"

#include <climits>

namespace velkin {

namespace {

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendMessageA(window, message, wParam, lParam);
}

template <typename T>
LPARAM AsLParam(T* pointer)
{
    return reinterpret_cast<LPARAM>(pointer);
}

}  // namespace

void SelectionState::Save(HWND window)
{
    Send(window, HOSTMSG_GET_SEL_START, 0, AsLParam(&start));
    Send(window, HOSTMSG_GET_SEL_END, 0, AsLParam(&end));
    mode = Send(window, HOSTMSG_GET_SEL_TYPE);
}

void SelectionState::Restore(HWND window) const
{
    Send(window, HOSTMSG_SET_SEL_TYPE, 0, mode);
    SetSelection(window, start, end);
}

CowString GetSelectedText(HWND window)
{
    // The answer is the size the text needs, terminator included.
    const unsigned needed = SelectedTextSize(window);
    if (needed <= 1 || needed > INT_MAX) return CowString();
    CowString text;
    char* buffer = text.OpenBuffer(static_cast<int>(needed));
    if (!buffer) return CowString();
    Send(window, HOSTMSG_GET_SELECTED_TEXT, needed, AsLParam(buffer));
    text.CloseBuffer(-1);
    return text;
}

CowString GetDocumentPath(HWND window)
{
    char buffer[MAX_PATH] = "";
    QueryInfo(window, INFO_DOC_FILE_NAME, AsLParam(buffer));
    buffer[MAX_PATH - 1] = 0;  // a host that fills the whole buffer still leaves a text
    return CowString(buffer);
}

void SetStatusText(HWND window, const char* text) { Send(window, HOSTMSG_SET_STATUS_TEXT, 0, AsLParam(text)); }

void ExecuteCommand(HWND window, WPARAM commandId) { Send(window, HOSTMSG_EXEC_COMMAND, commandId); }

LRESULT QueryInfo(HWND window, WPARAM infoCode, LPARAM lParam) { return Send(window, HOSTMSG_INFO, infoCode, lParam); }

bool LoadFile(HWND window, const char* fullPath) { return Send(window, HOSTMSG_LOAD_FILE, 0, AsLParam(fullPath)) != 0; }

void SetCaretPosition(HWND view, HostPoint point) { Send(view, HOSTMSG_SET_CARET_POS, 1, AsLParam(&point)); }

bool FindText(HWND view, const char* text) { return Send(view, HOSTMSG_FIND, FIND_FLAGS, AsLParam(text)) != 0; }

bool IsBefore(HostPoint a, HostPoint b) noexcept { return a.y < b.y || (a.y == b.y && a.x < b.x); }

TextSpan GetSelection(HWND view)
{
    HostPoint start{0, 0};
    HostPoint end{0, 0};
    Send(view, HOSTMSG_GET_SEL_START, 0, AsLParam(&start));
    Send(view, HOSTMSG_GET_SEL_END, 0, AsLParam(&end));
    return IsBefore(end, start) ? TextSpan{end, start} : TextSpan{start, end};
}

void SetSelection(HWND view, HostPoint start, HostPoint end)
{
    Send(view, HOSTMSG_SET_SELECTION, reinterpret_cast<WPARAM>(&start), AsLParam(&end));
}

unsigned SelectedTextSize(HWND view) { return static_cast<unsigned>(Send(view, HOSTMSG_GET_SELECTED_TEXT)); }

}  // namespace velkin
