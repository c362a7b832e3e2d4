// The document locator against real editor windows of the simulated host:
// which view it settles on, and the exact requests it sends on the way.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/TestText.h"
#include "host/SimHost.h"
#include "nav/DocumentLocator.h"

namespace {

using namespace velkin;
using namespace velkin::sim;

// T: is a scratch drive whose root the tests may write (see scripts/wine-run.sh).
const char* const kFolder = "T:\\nav";
const char* const kFile = "T:\\nav\\a.c";
const char* const kFileText = "int a;";

// A host window ("host") with two views: view1 directly below it, view2 two
// panes deeper. view1 is the active view, where a new document goes.
struct Desk {
    SimHost host;
    SimFrame& frame = host.AddFrame("host");
    SimView& view1 = frame.AddView("view1");
    SimView& view2 = frame.AddView("view2", frame.AddContainer(frame.AddContainer()));

    HWND Locate() { return FindOrOpenDocument(frame.Window(), kFile); }
};

class DocumentLocatorTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(kFolder);
        ASSERT_TRUE(WriteTestFile(kFile, kFileText));
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(kFolder, ignored);
    }
};

TEST_F(DocumentLocatorTest, SettlesOnTheFirstViewThatHoldsAndActivatesTheFile)
{
    const struct {
        const char* label;
        void (*arrange)(Desk&);
        const char* view;     // the view returned; null: none
        int document;         // its active document, which shows the file
        bool loaded;          // the file's text was loaded into it
    } cases[] = {
        {"open in two views: the first in enumeration order",
         [](Desk& d) { d.view1.AddDocument("T:\\nav\\b.c"); d.view1.AddDocument(kFile); d.view2.AddDocument(kFile); },
         "view1", 1, false},
        {"open twice in a view that refuses the first: the next view",
         [](Desk& d) {
             d.view1.AddDocument(kFile).refusesActivation = true;
             d.view1.AddDocument(kFile);
             d.view2.AddDocument(kFile);
         },
         "view2", 0, false},
        {"every holder refuses: a new document",
         [](Desk& d) {
             d.view1.AddDocument(kFile).refusesActivation = true;
             d.view2.AddDocument(kFile).refusesActivation = true;
         },
         "view1", 1, true},
        {"a name differing in case is not the file", [](Desk& d) { d.view1.AddDocument("T:\\NAV\\a.c"); }, "view1", 1, true},
        {"a name with slashes is not the file", [](Desk& d) { d.view1.AddDocument("T:/nav/a.c"); }, "view1", 1, true},
        {"an older untitled document earlier in order is loaded into",
         [](Desk& d) {
             d.view1.AddDocument();
             d.view2.AddDocument("T:\\nav\\b.c");
             d.frame.ActivateView(d.view2);
         },
         "view1", 0, true},
        {"an unanswered name counts as untitled",
         [](Desk& d) {
             d.view1.AddDocument("T:\\nav\\b.c").leavesNameUnanswered = true;
             d.view2.AddDocument("T:\\nav\\c.c");
             d.frame.ActivateView(d.view2);
         },
         "view1", 0, true},
        {"a top-level view is searched too", [](Desk& d) { d.frame.AddTopLevelView("floating").AddDocument(kFile); },
         "floating", 0, false},
        {"a refused load gives none", [](Desk& d) { d.view1.AddDocument("T:\\nav\\b.c"); d.view1.refusesLoading = true; },
         nullptr, 0, false},
    };
    for (const auto& c : cases) {
        Desk desk;
        c.arrange(desk);
        const HWND found = desk.Locate();
        if (!c.view) {
            EXPECT_EQ(nullptr, found) << c.label;
            // The new document stays open, untitled.
            EXPECT_EQ(2u, desk.view1.DocumentCount()) << c.label;
            EXPECT_EQ("", desk.view1.Document(1).AnsiPath()) << c.label;
            continue;
        }
        SimView* view = nullptr;
        for (std::size_t i = 0; i < desk.frame.ViewCount(); ++i)
            if (desk.frame.View(i).Name() == c.view) view = &desk.frame.View(i);
        ASSERT_NE(nullptr, view) << c.label;
        EXPECT_EQ(view->Window(), found) << c.label;
        EXPECT_EQ(c.document, view->ActiveIndex()) << c.label;
        EXPECT_EQ(kFile, view->ActiveDocument()->AnsiPath()) << c.label;
        EXPECT_EQ(c.loaded, view->ActiveDocument()->Text() == kFileText) << c.label;
    }
}

TEST_F(DocumentLocatorTest, SendsOneCountPerViewOneNamePerDocumentAndStopsAtTheFirstMatch)
{
    Desk desk;
    desk.view1.AddDocument("T:\\nav\\b.c");
    desk.view1.AddDocument(kFile).refusesActivation = true;
    desk.view1.AddDocument(kFile);
    desk.view2.AddDocument("T:\\nav\\c.c").leavesNameUnanswered = true;
    EXPECT_EQ(desk.view1.Window(), desk.Locate());
    EXPECT_EQ((std::vector<std::string>{
                  "host 2106 298 0 -> 0",
                  "view1 2106 301 0 -> 3",
                  "view1 2106 278@0 \"T:\\nav\\b.c\" -> 1",
                  "view1 2106 278@1 \"T:\\nav\\a.c\" -> 1",
                  "view1 2106 307@1 0 -> 0",   // refused: index 2 is not tried
                  "view2 2106 301 0 -> 1",
                  "view2 2106 278@0 buffer -> 0",
                  "host 2070 4096 0 -> 0",
                  "view1 2106 301 0 -> 4",
                  "view1 2106 278@0 \"T:\\nav\\b.c\" -> 1",
                  "view1 2106 278@1 \"T:\\nav\\a.c\" -> 1",
                  "view1 2106 278@2 \"T:\\nav\\a.c\" -> 1",
                  "view1 2106 278@3 \"\" -> 1",
                  "view1 2106 307@3 0 -> 1",
                  "view1 2060 0 \"T:\\nav\\a.c\" -> 1",
              }),
              desk.host.DescribeCalls());
}

TEST_F(DocumentLocatorTest, WithoutViewsBothRequestsGoToTheHostWindow)
{
    SimHost host;
    SimFrame& frame = host.AddFrame("host");
    EXPECT_EQ(nullptr, FindOrOpenDocument(frame.Window(), kFile));   // nothing there to load into
    EXPECT_EQ((std::vector<std::string>{"host 2106 298 0 -> 0", "host 2070 4096 0 -> 0",
                                        "host 2060 0 \"T:\\nav\\a.c\" -> 0"}),
              host.DescribeCalls());
}

}  // namespace
