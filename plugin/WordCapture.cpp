#include "plugin/WordCapture.h"

#include "editor/HostWindow.h"

namespace velkin {

namespace {

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
        ExecuteCommand(hostWindow, CMD_CANCEL_SELECTION);
    }
    ExecuteCommand(hostWindow, CMD_SELECT_WORD);
    const CowString word = GetSelectedText(hostWindow);
    return IsIdentifier(word) ? word : CowString();
}

}  // namespace velkin
