// ModalDriver: lets a test answer a modal window (a message box, a dialog)
// that code under test opens on the test's own thread. The test thread sits
// inside the call that shows the window; a background thread finds the
// window, reports what it shows and acts on it (presses a button, sends
// messages, keys or clicks), so the call can return.
//
//   ModalDriver driver("EmEditor", [](const ModalSnapshot& box) { PressDialogButton(box.window, IDYES); });
//   const LRESULT answer = plugin.PlugInProc(frame, 2311, 0, 0);   // shows the box
//   const ModalReport& report = driver.Finish();                   // what the box showed
//
// Input is posted to the modal window's thread as the system would queue it
// for a user's keys and mouse; the modal loop handles it as such.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace velkin::sim {

// One child window of a modal window.
struct ModalControl {
    HWND window = nullptr;
    int id = 0;
    std::string className;   // as GetClassNameA gives it, e.g. "Button", "Static"
    std::string text;        // GetWindowTextA, ANSI code page
    LONG style = 0;
};

// What the modal window showed when it was found.
struct ModalSnapshot {
    HWND window = nullptr;
    HWND owner = nullptr;   // GetWindow(GW_OWNER)
    std::string caption;
    std::vector<ModalControl> controls;   // every descendant, in enumeration order

    // The controls of window class `className` (compared without case).
    std::vector<ModalControl> ControlsOf(const std::string& className) const;
};

struct ModalReport : ModalSnapshot {
    bool found = false;            // a window appeared within the wait
    bool closedByAction = false;   // it was gone within the wait after the action
};

// Posts the WM_COMMAND a click on button `id` of `dialog` sends; the modal
// loop handles it as the click.
void PressDialogButton(HWND dialog, int id);

// The window of `modal`'s thread that has the keyboard focus, or `modal`.
HWND FocusOf(HWND modal);
// Posts a key stroke of virtual key `key` to `window`: down, then up.
void PressKey(HWND window, UINT key);
// Posts `key` pressed while Alt is held (Alt+F4): the system-key forms.
void PressAltKey(HWND window, UINT key);
// Posts a left click at `point` (client coordinates of `window`): down, up.
void Click(HWND window, POINT point);
// Posts what two quick clicks at `point` become: down, up, double-click, up.
void DoubleClick(HWND window, POINT point);
// Posts a drag with the left button held from `from` to `to` (client
// coordinates of `window`): down, moves in steps, up.
void Drag(HWND window, POINT from, POINT to);

// What a report-style list view holds, in the ANSI code page: the caption of
// `column`, and the text of the cell at `row` (zero-based) and `column`.
std::string ListColumnCaption(HWND list, int column);
std::string ListCellText(HWND list, int row, int column);

// A hidden top-level window of the calling thread, at `rect`, to own modal
// windows under test. A modal loop sends its owner WM_ENTERIDLE whenever its
// queue runs empty; the owner counts them, so a driver can wait until the
// input it posted has been handled.
class ModalOwner {
public:
    // Throws std::runtime_error when the window cannot be created.
    explicit ModalOwner(RECT rect);
    ~ModalOwner();
    ModalOwner(const ModalOwner&) = delete;
    ModalOwner& operator=(const ModalOwner&) = delete;

    HWND Window() const { return window_; }
    // From another thread: waits until the modal loop of `modal` has handled
    // every message posted to its thread before the call, and the messages
    // those posted in turn (a double-click's command). False when `modal`
    // closed meanwhile or `waitMs` passed.
    bool Settle(HWND modal, DWORD waitMs = 5000) const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::atomic<long> idleCount_{0};
};

class ModalDriver {
public:
    using Action = std::function<void(const ModalSnapshot&)>;

    // Starts the background thread at once. It waits up to `waitMs` for a
    // visible dialog-class ("#32770") top-level window of thread `uiThread`
    // whose caption is `caption` (any caption when empty), takes its snapshot
    // and runs `action` with it on the background thread. Then it waits up to
    // `waitMs` for the window to close; if it is still open, it is closed by
    // force (IDCANCEL, WM_CLOSE, then a click on each button) so the test
    // thread is never left hanging, and the report says so.
    ModalDriver(std::string caption, Action action, DWORD uiThread = GetCurrentThreadId(), DWORD waitMs = 5000);
    // Finishes (joins the thread) when Finish was not called.
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    // Waits for the background thread and returns its report. Call it after
    // the call that shows the window has returned.
    const ModalReport& Finish();

private:
    void Run();

    std::string caption_;
    Action action_;
    DWORD uiThread_;
    DWORD waitMs_;
    ModalReport report_;
    std::thread thread_;
};

}  // namespace velkin::sim
