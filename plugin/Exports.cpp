// The functions the editor calls. Each returns normally whatever happens
// inside: nothing is ever raised into the host.
#include <windows.h>

#include "editor/HostMessages.h"
#include "plugin/TagJumpCommand.h"
#include "res/ResourceIds.h"
#include "text/CowString.h"

using namespace velkin;

namespace {

// Written by OnEvents with EVENT_STORE_VALUE, sent back with EVENT_SEND_REPLY.
LPARAM g_storedEventValue = 0;

// Name and version queries: the text goes to `buffer` (when given) cut to
// `bufferSize` bytes; the answer is always the full length + 1.
LRESULT AnswerTextQuery(UINT id, WPARAM bufferSize, LPARAM buffer)
{
    char text[80];
    LoadText(id, text, sizeof text);
    const int length = lstrlenA(text);
    if (buffer) lstrcpynA(reinterpret_cast<char*>(buffer), text, static_cast<int>(bufferSize));
    return length + 1;
}

LRESULT AskUninstall(HWND hostWindow)
{
    char question[80];
    LoadText(IDS_UNINSTALL_CONFIRM, question, sizeof question);
    const int answer = MessageBoxA(hostWindow, question, "EmEditor", MB_YESNO | MB_ICONQUESTION);
    return answer == IDYES ? 1 : 0;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH) SetResourceModule(instance);
    return TRUE;
}

extern "C" {

void WINAPI OnCommand(HWND hostWindow)
{
    try {
        TagJumpCommand(hostWindow);
    } catch (...) {
        // Out of memory while collecting tags: the command simply ends. Every
        // resource it held was released on the way out.
    }
}

BOOL WINAPI QueryStatus(HWND /*hostWindow*/, BOOL* checked)
{
    if (checked) *checked = FALSE;
    return TRUE;
}

void WINAPI OnEvents(HWND hostWindow, UINT events, LPARAM value)
{
    if (events & EVENT_STORE_VALUE) g_storedEventValue = value;
    if (events & EVENT_SEND_REPLY) SendMessageA(hostWindow, HOSTMSG_EVENT_REPLY, static_cast<WPARAM>(g_storedEventValue), 0);
}

UINT WINAPI GetMenuTextID() { return IDS_MENU_TEXT; }

UINT WINAPI GetStatusMessageID() { return IDS_STATUS_TEXT; }

UINT WINAPI GetBitmapID() { return IDB_TOOLBAR_SMALL; }

LRESULT WINAPI PlugInProc(HWND hostWindow, UINT query, WPARAM wParam, LPARAM lParam)
{
    switch (query) {
    case PLUGIN_QUERY_NAME: return AnswerTextQuery(IDS_PLUGIN_NAME, wParam, lParam);
    case PLUGIN_QUERY_VERSION: return AnswerTextQuery(IDS_PLUGIN_VERSION, wParam, lParam);
    case PLUGIN_QUERY_INTERFACE: return 1;
    case PLUGIN_QUERY_UNINSTALL: return AskUninstall(hostWindow);
    case PLUGIN_QUERY_BITMAP: return (wParam & 1) ? IDB_TOOLBAR_LARGE : IDB_TOOLBAR_SMALL;
    default: return 0;
    }
}

}  // extern "C"
