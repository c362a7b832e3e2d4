// The exported entry points of the real Velkin.dll, called as the editor calls
// them, with a simulated editor window as the host window.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/ModalDriver.h"
#include "host/PluginLibrary.h"
#include "host/SimHost.h"
#include "host/TextCodec.h"
#include "editor/HostMessages.h"

namespace {

using namespace velkin;
using namespace velkin::sim;

// A fresh library for every test: its module state (the stored event value)
// starts from load.
class ExportsTest : public testing::Test {
protected:
    PluginLibrary plugin;
    SimHost host;
    SimFrame& frame = host.AddFrame();
};

TEST_F(ExportsTest, DescriptiveQueries)
{
    EXPECT_EQ(1u, plugin.GetMenuTextID());
    EXPECT_EQ(2u, plugin.GetStatusMessageID());
    EXPECT_EQ(101u, plugin.GetBitmapID());
    BOOL checked = 7;
    EXPECT_EQ(TRUE, plugin.QueryStatus(frame.Window(), &checked));
    EXPECT_EQ(FALSE, checked);
}

TEST_F(ExportsTest, PlugInProcAnswersEachQueryCode)
{
    struct Case { UINT code; WPARAM wParam; LRESULT answer; };
    const Case cases[] = {
        {PLUGIN_QUERY_INTERFACE, 0, 1},
        {PLUGIN_QUERY_BITMAP, 0, 101}, {PLUGIN_QUERY_BITMAP, 1, 102},
        {PLUGIN_QUERY_BITMAP, 2, 101}, {PLUGIN_QUERY_BITMAP, 3, 102},
        {2304, 80, 0}, {2305, 80, 0}, {2307, 80, 0}, {2309, 80, 0}, {2313, 80, 0}, {0, 80, 0}, {4000, 80, 0},
    };
    for (const Case& c : cases) {
        char buffer[80] = "untouched";
        EXPECT_EQ(c.answer, plugin.PlugInProc(frame.Window(), c.code, c.wParam, reinterpret_cast<LPARAM>(buffer)))
            << c.code << " " << c.wParam;
        EXPECT_STREQ("untouched", buffer) << c.code;
    }
    EXPECT_TRUE(host.Calls().empty());
}

TEST_F(ExportsTest, NameAndVersionAreCutToTheBufferButAnswerTheFullSize)
{
    struct Case { UINT code; std::string text; };
    for (const Case& c : {Case{PLUGIN_QUERY_NAME, "Velkin"}, Case{PLUGIN_QUERY_VERSION, "1.0.0"}}) {
        const LRESULT fullSize = static_cast<LRESULT>(c.text.size() + 1);
        EXPECT_EQ(fullSize, plugin.PlugInProc(frame.Window(), c.code, 80, 0));
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4}, c.text.size() + 1, std::size_t{80}}) {
            char buffer[96];
            std::memset(buffer, 'X', sizeof buffer);
            EXPECT_EQ(fullSize, plugin.PlugInProc(frame.Window(), c.code, size, reinterpret_cast<LPARAM>(buffer)));
            const std::size_t copied = size == 0 ? 0 : std::min(size - 1, c.text.size());
            std::string expected = c.text.substr(0, copied);
            if (size > 0) expected += '\0';
            expected.resize(sizeof buffer, 'X');
            EXPECT_EQ(expected, std::string(buffer, sizeof buffer)) << c.text << " in " << size << " bytes";
        }
    }
}

TEST_F(ExportsTest, OnEventsStoresThenRepliesWithTheStoredValue)
{
    struct Step { UINT events; LPARAM value; std::vector<std::string> calls; };
    const Step steps[] = {
        {EVENT_SEND_REPLY, 99, {"frame1 2050 0 0 -> 0"}},   // nothing stored yet
        {EVENT_STORE_VALUE | EVENT_SEND_REPLY, 7, {"frame1 2050 7 0 -> 0"}},
        {EVENT_SEND_REPLY, 5, {"frame1 2050 7 0 -> 0"}},
        {EVENT_STORE_VALUE, 9, {}},
        {EVENT_STORE_VALUE | 0x1, 11, {}},
        {0x1, 3, {}}, {0x80, 3, {}}, {0x200, 3, {}}, {0, 3, {}},
        {EVENT_SEND_REPLY | 0x80, 3, {"frame1 2050 11 0 -> 0"}},
    };
    for (const Step& step : steps) {
        host.ClearCalls();
        plugin.OnEvents(frame.Window(), step.events, step.value);
        EXPECT_EQ(step.calls, host.DescribeCalls()) << "events 0x" << std::hex << step.events;
    }
}

TEST_F(ExportsTest, UninstallAsksWithAYesNoBoxOnTheHostWindow)
{
    const std::string question = Utf8ToShiftJis("アンインストールしてもよろしいですか？");
    for (const int button : {IDYES, IDNO}) {
        ModalDriver driver("EmEditor", [button](const ModalSnapshot& box) { PressDialogButton(box.window, button); });
        const LRESULT answer = plugin.PlugInProc(frame.Window(), PLUGIN_QUERY_UNINSTALL, 0, 0);
        const ModalReport& box = driver.Finish();
        ASSERT_TRUE(box.found);
        EXPECT_TRUE(box.closedByAction);
        EXPECT_EQ(button == IDYES ? 1 : 0, answer);
        EXPECT_EQ(frame.Window(), box.owner);
        std::vector<std::string> texts;
        bool hasIcon = false;
        for (const ModalControl& control : box.ControlsOf("Static")) {
            if (!control.text.empty()) texts.push_back(control.text);
            hasIcon = hasIcon || (control.style & SS_TYPEMASK) == SS_ICON;
        }
        EXPECT_EQ(std::vector<std::string>{question}, texts);
        EXPECT_TRUE(hasIcon);
        std::vector<int> buttons;
        for (const ModalControl& control : box.ControlsOf("Button")) buttons.push_back(control.id);
        std::sort(buttons.begin(), buttons.end());
        EXPECT_EQ((std::vector<int>{IDYES, IDNO}), buttons);
    }
}

TEST_F(ExportsTest, OnCommandReturnsWithoutAModalWindow)
{
    frame.AddView().AddDocument();
    SimFrame& bare = host.AddFrame();   // no view: the host answers 0 to everything
    for (HWND hostWindow : {frame.Window(), bare.Window()}) {
        ModalDriver driver(std::string(), ModalDriver::Action(), GetCurrentThreadId(), 500);
        plugin.OnCommand(hostWindow);
        EXPECT_FALSE(driver.Finish().found);
    }
}

}  // namespace
