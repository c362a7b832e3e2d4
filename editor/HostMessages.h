// The editor's window-message interface: every message, info code, command id
// and window class the plug-in uses, in one place. The simulated host answers
// exactly these.
//
// A "point" is two signed 32-bit integers, x then y, both zero-based.
#pragma once

#include <windows.h>

namespace velkin {

struct HostPoint {
    LONG x;
    LONG y;
};

// ---- Messages (SendMessageA to a frame or a view window) -------------------

// wParam: the stored event value; lParam: 0. Answer: not used.
constexpr UINT HOSTMSG_EVENT_REPLY = 2050;
// wParam: 0 or the buffer size; lParam: 0 or the buffer.
// Answer: the size the selected text needs, terminator included (<= 1: nothing selected).
constexpr UINT HOSTMSG_GET_SELECTED_TEXT = 2051;
// wParam: 0; lParam: zero-terminated full path. Answer: nonzero when the file was loaded.
constexpr UINT HOSTMSG_LOAD_FILE = 2060;
// wParam: 1; lParam: HostPoint* caret position. Answer: not used.
constexpr UINT HOSTMSG_SET_CARET_POS = 2066;
// wParam: a CMD_ id; lParam: 0. Answer: not used.
constexpr UINT HOSTMSG_EXEC_COMMAND = 2070;
// wParam: 0; lParam: HostPoint* the host fills with the selection start. Answer: not used.
constexpr UINT HOSTMSG_GET_SEL_START = 2074;
// wParam: 0; lParam: HostPoint* the host fills with the selection end. Answer: not used.
constexpr UINT HOSTMSG_GET_SEL_END = 2075;
// wParam: HostPoint* start; lParam: HostPoint* end. Answer: not used.
constexpr UINT HOSTMSG_SET_SELECTION = 2081;
// wParam: FIND_FLAGS; lParam: zero-terminated text. Answer: nonzero when found.
constexpr UINT HOSTMSG_FIND = 2082;
// wParam: 0; lParam: zero-terminated status-bar text. Answer: not used.
constexpr UINT HOSTMSG_SET_STATUS_TEXT = 2085;
// wParam: 0; lParam: 0. Answer: the selection mode.
constexpr UINT HOSTMSG_GET_SEL_TYPE = 2093;
// wParam: an INFO_ code, alone or as MakeDocumentInfoCode(index, code); lParam and answer: per code.
constexpr UINT HOSTMSG_INFO = 2106;
// wParam: 0; lParam: the selection mode. Answer: not used.
constexpr UINT HOSTMSG_SET_SEL_TYPE = 2108;

// The search flags sent with HOSTMSG_FIND.
constexpr WPARAM FIND_FLAGS = 675;

// ---- Info codes for HOSTMSG_INFO -------------------------------------------

// lParam: 260-byte buffer the host fills with the document's full path, "" when untitled. Answer: not used.
constexpr UINT INFO_DOC_FILE_NAME = 278;
// lParam: 0. Answer: not used.
constexpr UINT INFO_PREPARE = 298;
// lParam: 0. Answer: the number of documents of that window.
constexpr UINT INFO_DOC_COUNT = 301;
// lParam: 0. Answer: nonzero when the indexed document is now active.
constexpr UINT INFO_ACTIVATE_DOC = 307;

// wParam of HOSTMSG_INFO addressing document `index` (zero-based) of a window:
// index + 1 travels in the high 16 bits, the code in the low 16 bits.
constexpr WPARAM MakeDocumentInfoCode(int index, UINT code)
{
    return (static_cast<WPARAM>(static_cast<unsigned>(index + 1) & 0xFFFFu) << 16) | (code & 0xFFFFu);
}

// ---- Command ids for HOSTMSG_EXEC_COMMAND ----------------------------------

constexpr WPARAM CMD_NEW_DOCUMENT = 4096;      // creates a new untitled document
constexpr WPARAM CMD_AFTER_CARET_1 = 4153;     // sent after a caret move, before CMD_AFTER_CARET_2
constexpr WPARAM CMD_CANCEL_SELECTION = 4157;  // drops the selection
constexpr WPARAM CMD_GO_TO_TOP = 4164;         // caret to the top, before a forward search
constexpr WPARAM CMD_AFTER_CARET_2 = 4183;     // second notification after a caret move
constexpr WPARAM CMD_SELECT_WORD = 4251;       // selects the word at the caret

// ---- Window classes --------------------------------------------------------

constexpr const char* kFrameWindowClass = "EmEditorMainFrame3";  // a top-level editor window
constexpr const char* kViewWindowClass = "EmEditorView";         // an edit view of a frame

// ---- Plug-in queries (PlugInProc codes) and event flags --------------------

constexpr UINT PLUGIN_QUERY_NAME = 2306;         // wParam: buffer size; lParam: buffer or null
constexpr UINT PLUGIN_QUERY_VERSION = 2308;      // wParam: buffer size; lParam: buffer or null
constexpr UINT PLUGIN_QUERY_INTERFACE = 2310;    // answer: 1
constexpr UINT PLUGIN_QUERY_UNINSTALL = 2311;    // answer: 1 when the user confirms
constexpr UINT PLUGIN_QUERY_BITMAP = 2312;       // wParam bit 0: large toolbar; answer: bitmap id

constexpr UINT EVENT_SEND_REPLY = 0x40;          // OnEvents: send HOSTMSG_EVENT_REPLY
constexpr UINT EVENT_STORE_VALUE = 0x400;        // OnEvents: store the event value first

}  // namespace velkin
