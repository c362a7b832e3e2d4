#include "plugin/WordCapture.h"

#include <climits>

namespace velkin {

namespace {

LRESULT SendToHost(HWND hostWindow, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendMessageA(hostWindow, message, wParam, lParam);
}

// Restores a saved selection when it leaves scope, on every path.
class SelectionKeeper {
public:
    explicit SelectionKeeper(HWND hostWindow) : hostWindow_(hostWindow) { saved_.Save(hostWindow); }
    ~SelectionKeeper() { saved_.Restore(hostWindow_); }
    SelectionKeeper(const SelectionKeeper&) = delete;
    SelectionKeeper& operator=(const SelectionKeeper&) = delete;

private:
    HWND hostWindow_;
    SelectionState saved_;
};

bool IsIdentifier(const CowString& text)
{
    const char* bytes = text.Text();
    for (int i = 0; i < text.Length(); ++i) {
        if (!IsWordChar(static_cast<unsigned char>(bytes[i]))) return false;
    }
    return true;
}

}  // namespace

void SelectionState::Save(HWND hostWindow)
{
    SendToHost(hostWindow, HOSTMSG_GET_SEL_START, 0, reinterpret_cast<LPARAM>(&start));
    SendToHost(hostWindow, HOSTMSG_GET_SEL_END, 0, reinterpret_cast<LPARAM>(&end));
    mode = SendToHost(hostWindow, HOSTMSG_GET_SEL_TYPE);
}

void SelectionState::Restore(HWND hostWindow) const
{
    SendToHost(hostWindow, HOSTMSG_SET_SEL_TYPE, 0, mode);
    SendToHost(hostWindow, HOSTMSG_SET_SELECTION, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
}

CowString GetSelectedText(HWND hostWindow)
{
    // The answer is the size the text needs, terminator included.
    const auto needed = static_cast<unsigned>(SendToHost(hostWindow, HOSTMSG_GET_SELECTED_TEXT));
    if (needed <= 1 || needed > INT_MAX) return CowString();
    CowString text;
    char* buffer = text.OpenBuffer(static_cast<int>(needed));
    if (!buffer) return CowString();
    SendToHost(hostWindow, HOSTMSG_GET_SELECTED_TEXT, needed, reinterpret_cast<LPARAM>(buffer));
    text.CloseBuffer(-1);
    return text;
}

CowString GetDocumentPath(HWND hostWindow)
{
    char buffer[MAX_PATH] = "";
    SendToHost(hostWindow, HOSTMSG_INFO, INFO_DOC_FILE_NAME, reinterpret_cast<LPARAM>(buffer));
    buffer[MAX_PATH - 1] = 0;  // a host that fills the whole buffer still leaves a text
    return CowString(buffer);
}

bool IsWordChar(unsigned char byte)
{
    return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           byte == '_';
}

CowString CaptureWord(HWND hostWindow)
{
    const SelectionKeeper keeper(hostWindow);
    // The selected text only tells whether there is a selection to drop first.
    if (!GetSelectedText(hostWindow).IsEmpty()) {
        SendToHost(hostWindow, HOSTMSG_EXEC_COMMAND, CMD_CANCEL_SELECTION);
    }
    SendToHost(hostWindow, HOSTMSG_EXEC_COMMAND, CMD_SELECT_WORD);
    const CowString word = GetSelectedText(hostWindow);
    return IsIdentifier(word) ? word : CowString();
}

}  // namespace velkin
