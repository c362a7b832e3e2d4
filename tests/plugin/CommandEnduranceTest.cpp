// The command in a long-running editor: nothing of the plug-in is called once
// it is unloaded, an allocation that fails anywhere in a run ends it quietly,
// and a thousand runs through every outcome leave every resource released and
// the memory where it started.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/AllocationCounter.h"
#include "common/ResourceCounter.h"
#include "plugin/CommandSession.h"

namespace {

using namespace velkin;
using namespace velkin::test;

BOOL CALLBACK CountWindow(HWND, LPARAM counter)
{
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

BOOL CALLBACK CountWindowAndDescendants(HWND window, LPARAM counter)
{
    CountWindow(window, counter);
    EnumChildWindows(window, CountWindow, counter);
    return TRUE;
}

// The windows of this thread, top-level ones and all their descendants.
int CountThreadWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindowAndDescendants, reinterpret_cast<LPARAM>(&count));
    return count;
}

// The committed private memory of the process (its private bytes), summed
// over the address space: Wine's process counters leave it 0.
SIZE_T PrivateBytes()
{
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (auto* at = static_cast<const char*>(nullptr); VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    }
    return total;
}

bool SamePoint(HostPoint a, HostPoint b) { return a.x == b.x && a.y == b.y; }

constexpr DWORD kEditorException = 0xE0000017;

LONG CALLBACK ContinueAfterEditorException(EXCEPTION_POINTERS* exception)
{
    return exception->ExceptionRecord->ExceptionCode == kEditorException ? EXCEPTION_CONTINUE_EXECUTION
                                                                         : EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void ExitSaying(const char* outcome)
{
    std::fprintf(stderr, "%s\n", outcome);
    std::exit(0);
}

// An exception the editor raises and handles itself, after a command that
// read the tags file and the plug-in's unloading: a fault handler the plug-in
// left registered would be called first, in code that is gone. In a process
// of its own, as such a call ends it (under Wine with exit code 0, hence the
// message). First in the program, while no earlier test can have left such a
// handler in this process.
TEST(PluginUnloadTest, TheEditorHandlesItsOwnExceptionsAfterACommandAndTheUnload)
{
    const auto commandUnloadRaise = [] {
        {
            CommandSession session;
            session.Open("", {0, 0});
            if (session.Run().document != "src\\widget.cpp") ExitSaying("the command did not jump");
        }
        if (GetModuleHandleA("Velkin.dll")) ExitSaying("the library stayed loaded");
        const PVOID last = AddVectoredExceptionHandler(0, ContinueAfterEditorException);
        RaiseException(kEditorException, 0, 0, nullptr);
        RemoveVectoredExceptionHandler(last);
        ExitSaying("the exception was handled");
    };
    EXPECT_EXIT(commandUnloadRaise(), testing::ExitedWithCode(0), "the exception was handled");
}

// The word "Set" on the note's second line, with the user's selection over
// its first two letters: the command opens the picker with two rows, the
// user double-clicks the second, and the jump opens src\widget.cpp.
class AllocationFailureTest : public testing::Test {
protected:
    sim::SimDocument& Prepare()
    {
        sim::SimDocument& note = session_.Open("", {0, 1});
        note.Select({0, 1}, {2, 1});
        note.selectionMode = 2;
        return note;
    }
    CommandSession session_;
};

TEST_F(AllocationFailureTest, AFailureAtAnyAllocationEndsTheCommandQuietlyAndReleasesEverything)
{
    const int windows = CountThreadWindows();
    AllocationCounter heap(session_.Plugin().Module());
    ASSERT_TRUE(heap.Patched());
    // A first clean run fills what the library keeps between commands (the
    // status text, the column captions). The runtime keeps a few blocks after
    // the library's first exception: one run is ended by one (it stops right
    // after the search is announced) before the blocks are counted.
    Prepare();
    const CommandOutcome first = session_.Run();
    for (long k = 1; k < 1000; ++k) {
        Prepare();
        heap.FailAt(k);
        const std::vector<std::string> story = session_.Run().story;
        if (story.size() == 1 && story.front() == first.story.front()) break;
    }
    Prepare();
    heap.FailAt(0);
    session_.Run();
    const std::size_t kept = heap.Live();

    long n = 1;
    for (;; ++n) {
        sim::SimDocument& note = Prepare();
        heap.FailAt(n);
        ResourceCounter resources(session_.Plugin().Module());
        const CommandOutcome outcome = session_.Run();
        const bool reached = heap.Allocations() >= n;
        SCOPED_TRACE("allocation " + std::to_string(n) + " failed; the command went as far as " +
                     (outcome.story.empty() ? std::string("nothing") : outcome.story.back()));
        EXPECT_TRUE(resources.Balanced()) << resources.Report();
        // Running out of memory is no reason to tell the user that a file cannot be opened.
        for (const std::string& event : outcome.story) {
            EXPECT_NE(0u, event.rfind("box", 0)) << event;
            EXPECT_EQ(std::string::npos, event.find("を開くことが出来ませんでした")) << event;
        }
        EXPECT_EQ(windows, CountThreadWindows());
        EXPECT_TRUE(SamePoint({0, 1}, note.selectionStart));
        EXPECT_TRUE(SamePoint({2, 1}, note.selectionEnd));
        EXPECT_EQ(2, note.selectionMode);
        // A clean run after it: only the kept blocks remain.
        Prepare();
        heap.FailAt(0);
        const CommandOutcome clean = session_.Run();
        EXPECT_EQ("src\\widget.cpp", clean.document);
        EXPECT_EQ(kept, heap.Live());
        if (!reached || HasFailure()) break;
    }
    std::printf("A command run that picks from two rows and jumps makes %ld allocations.\n", n - 1);
}

// Jump, picker chosen, picker cancelled, failure box, nothing found: the
// resources acquired in a thousand commands are all released, no window is
// left behind, and the heap blocks and private bytes are where they started.
TEST(LongRunningEditorTest, AThousandCommandsThroughEveryOutcomeLeaveNothingBehind)
{
    CommandSession session;
    session.Registry().Set(REG_SZ, std::string("tags", 5));   // the settings key exists: it is opened
    std::filesystem::remove(CommandSession::PathOf("src\\util\\strings.c"));   // Settle: the box
    const struct {
        int line;   // of the note: "SetValue", "Set", "Reset", "Settle", "Zzz"
        int pickRow;
        const char* ends;   // the story's last event
    } outcomes[] = {
        {0, 0, "status"}, {1, 1, "status"}, {4, kCancel, "UpdateWindow frame1"}, {6, 0, "box"}, {5, 0, "status"},
    };
    const auto runRound = [&] {
        for (const auto& o : outcomes) {
            session.Open("", {0, o.line});
            const CommandOutcome outcome = session.Run(o.pickRow);
            if (outcome.story.empty() || outcome.story.back().rfind(o.ends, 0) != 0) {
                ADD_FAILURE() << "line " << o.line << " ended with "
                              << (outcome.story.empty() ? "nothing" : outcome.story.back());
            }
        }
    };
    AllocationCounter heap(session.Plugin().Module());
    runRound();   // the document the jumps open, the library's kept strings
    const std::size_t kept = heap.Live();
    const int windows = CountThreadWindows();
    const SIZE_T privateBytes = PrivateBytes();

    constexpr int kRounds = 200;
    const auto start = std::chrono::steady_clock::now();
    ResourceCounter resources(session.Plugin().Module());
    for (int round = 0; round < kRounds && !HasFailure(); ++round) runRound();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    EXPECT_TRUE(resources.Balanced()) << resources.Report();
    EXPECT_EQ(windows, CountThreadWindows());
    EXPECT_EQ(kept, heap.Live());
    const long long grown = static_cast<long long>(PrivateBytes()) - static_cast<long long>(privateBytes);
    EXPECT_LT(grown, 1024 * 1024);
    std::printf("%d commands in %.1f s; %s; heap blocks kept %zu; private bytes %zu, grown by %lld\n",
                kRounds * static_cast<int>(std::size(outcomes)), seconds, resources.Report().c_str(), kept,
                static_cast<std::size_t>(privateBytes), grown);
}

}  // namespace
