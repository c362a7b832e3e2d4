// The command as the editor runs it: the real Velkin.dll (or a copy built
// otherwise, beside the program) loaded into the simulated editor, timed from
// OnCommand to the status text that follows the search announcement, the
// first one sent after the scan (texts of a long read's progress aside).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/PluginLibrary.h"
#include "host/SimHost.h"

namespace velkin::bench {

class CommandClock {
public:
    // Throws std::runtime_error when the library or a window cannot be had
    // (no display, no such library beside the program).
    explicit CommandClock(const std::string& library = "Velkin.dll");
    ~CommandClock();
    CommandClock(const CommandClock&) = delete;
    CommandClock& operator=(const CommandClock&) = delete;

    // Runs the command with the caret on `word` in a document at
    // `documentPath`; a picker it opens is cancelled, a message box closed. Milliseconds from
    // OnCommand to the second status text, or a negative value when fewer
    // came (the tags file was not found, or the word was not captured).
    // Texts of the read's progress do not count.
    double Run(const std::string& documentPath, const std::string& word);
    // Runs the command as Run does, with Esc pressed (keybd_event, the
    // editor's window in front) `escapeAfterMs` after OnCommand: milliseconds
    // from the press to OnCommand's return, or a negative value when the
    // command ended before the press or the editor's window cannot be made
    // the foreground one.
    double RunStoppedByEscape(const std::string& documentPath, const std::string& word, DWORD escapeAfterMs);
    // The status texts of the last run, in order.
    const std::vector<std::string>& Statuses() const { return statuses_; }

private:
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Prepare(const std::string& documentPath, const std::string& word);
    bool IsProgress(const char* status) const;

    sim::SimHost host_;
    sim::PluginLibrary plugin_;
    sim::SimFrame& frame_;
    sim::SimView& view_;
    sim::SimDocument& document_;  // the view's first; a jump may open others
    WNDPROC frameProc_ = nullptr;
    std::vector<std::string> statuses_;
    std::vector<double> statusTimes_;
    std::string progressMark_;  // the text between the two arguments of the progress message
};

}  // namespace velkin::bench
