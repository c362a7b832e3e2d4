// PickerWatch: watches for the tag picker while the command runs on the main
// thread, reads its rows back from the real list view, and either works it as
// a user would (a double-click, a click and Enter, or Escape) or, when the
// person watching picks, leaves it alone until it closes. Any other dialog
// the command opens (the box naming a file that cannot be opened) is read
// and, unless the person watching answers it, closed with OK.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace velkin::demo {

// What the watcher does to an open picker.
struct PickAction {
    enum Kind { kDoubleClick, kClickEnter, kEscape, kUser } kind = kUser;
    int row = 1;   // 1-based; for kDoubleClick and kClickEnter

    // Parses "double-click:N", "enter:N", "escape" or "user"; false for
    // anything else.
    static bool Parse(const std::string& text, PickAction& action);
    // "double-click on row 2", "Escape", ...
    std::string Describe() const;
};

// What the picker showed, texts in the ANSI code page.
struct PickerReport {
    bool opened = false;
    std::string caption;                            // the dialog's, UTF-8
    std::vector<std::string> captions;              // the column captions
    std::vector<std::vector<std::string>> rows;     // the cells of each row
    bool closedByAction = true;                     // false: it had to be closed by force
    std::vector<std::string> boxes;                 // other dialogs, "caption: text", UTF-8
};

class PickerWatch {
public:
    // Starts watching for a picker of the calling thread at once.
    explicit PickerWatch(PickAction action);
    // Stops, as Finish does.
    ~PickerWatch();
    PickerWatch(const PickerWatch&) = delete;
    PickerWatch& operator=(const PickerWatch&) = delete;

    // Call after the command has returned: stops watching and returns what
    // the picker and any other dialog showed.
    const PickerReport& Finish();

private:
    void Run();
    void Work(HWND dialog);
    void Answer(HWND box);

    PickAction action_;
    DWORD uiThread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    PickerReport report_;
    std::thread thread_;
};

}  // namespace velkin::demo
