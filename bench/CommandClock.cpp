#include "bench/CommandClock.h"

#include "bench/Clock.h"
#include "editor/HostMessages.h"
#include "host/TextCodec.h"

namespace velkin::bench {

namespace {

CommandClock* g_clock = nullptr;

}  // namespace

CommandClock::CommandClock() : frame_(host_.AddFrame()), document_(frame_.AddView().AddDocument())
{
    g_clock = this;
    frameProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(frame_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameProc)));
}

CommandClock::~CommandClock()
{
    SetWindowLongPtrA(frame_.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(frameProc_));
    g_clock = nullptr;
}

double CommandClock::Run(const std::string& documentPath, const std::string& word)
{
    document_.SetText(word);
    document_.path = sim::FromAnsi(documentPath);
    statuses_.clear();
    statusTimes_.clear();
    const double start = NowMilliseconds();
    plugin_.OnCommand(frame_.Window());
    return statusTimes_.size() >= 2 ? statusTimes_[1] - start : -1.0;
}

LRESULT CALLBACK CommandClock::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CommandClock& clock = *g_clock;
    if (message == HOSTMSG_SET_STATUS_TEXT && lParam) {
        clock.statusTimes_.push_back(NowMilliseconds());
        clock.statuses_.emplace_back(reinterpret_cast<const char*>(lParam));
    }
    // The picker's modal loop runs idle: close it, the time is taken.
    if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX) {
        PostMessageA(reinterpret_cast<HWND>(lParam), WM_COMMAND, IDCANCEL, 0);
    }
    return CallWindowProcA(clock.frameProc_, window, message, wParam, lParam);
}

}  // namespace velkin::bench
