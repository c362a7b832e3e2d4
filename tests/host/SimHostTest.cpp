// The simulated editor's answers: what the plug-in's tests rely on.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/TestText.h"
#include "host/SimHost.h"
#include "host/TextCodec.h"

namespace {

using namespace velkin;
using namespace velkin::sim;

const std::string kKatakanaA = "\x83\x41";   // "ア": its trail byte is 'A'

BOOL CALLBACK CollectViews(HWND window, LPARAM views)
{
    char name[260] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, kViewWindowClass) == 0) reinterpret_cast<std::vector<HWND>*>(views)->push_back(window);
    return TRUE;
}

class SimHostTest : public testing::Test {
protected:
    LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(window, message, wParam, lParam);
    }
    LRESULT Send(HWND window, UINT message, WPARAM wParam, const void* lParam)
    {
        return Send(window, message, wParam, reinterpret_cast<LPARAM>(lParam));
    }
    // The selected text as the plug-in reads it: size first, then the text.
    std::string SelectedText(HWND window)
    {
        const LRESULT size = Send(window, HOSTMSG_GET_SELECTED_TEXT);
        if (size <= 1) return std::string();
        std::string text(size, '\0');
        Send(window, HOSTMSG_GET_SELECTED_TEXT, size, &text[0]);
        return text.c_str();
    }

    SimHost host;
    SimFrame& frame = host.AddFrame();
    SimView& view = frame.AddView();
};

TEST_F(SimHostTest, InfoCodesAddressTheActiveOrTheIndexedDocument)
{
    view.AddDocument("C:\\src\\a.c");
    view.AddDocument("");
    view.AddDocument("C:\\src\\b.c");
    view.Activate(2);
    struct Case { WPARAM wParam; LRESULT answer; const char* name; };
    const Case cases[] = {
        {INFO_DOC_FILE_NAME, 1, "C:\\src\\b.c"},
        {MakeDocumentInfoCode(0, INFO_DOC_FILE_NAME), 1, "C:\\src\\a.c"},
        {MakeDocumentInfoCode(1, INFO_DOC_FILE_NAME), 1, ""},
        {MakeDocumentInfoCode(3, INFO_DOC_FILE_NAME), 0, "unchanged"},
    };
    for (HWND target : {frame.Window(), view.Window()}) {
        EXPECT_EQ(3, Send(target, HOSTMSG_INFO, INFO_DOC_COUNT));
        for (const Case& c : cases) {
            char name[260] = "unchanged";
            EXPECT_EQ(c.answer, Send(target, HOSTMSG_INFO, c.wParam, name)) << c.wParam;
            EXPECT_STREQ(c.name, name) << c.wParam;
        }
    }
    EXPECT_EQ(1, Send(view.Window(), HOSTMSG_INFO, MakeDocumentInfoCode(0, INFO_ACTIVATE_DOC)));
    EXPECT_EQ(0, view.ActiveIndex());
    EXPECT_EQ(0, Send(view.Window(), HOSTMSG_INFO, MakeDocumentInfoCode(5, INFO_ACTIVATE_DOC)));
}

TEST_F(SimHostTest, SwitchesRefuseActivationLoadingAndNames)
{
    SimDocument& first = view.AddDocument("C:\\a.c");
    SimDocument& second = view.AddDocument("C:\\b.c");
    second.refusesActivation = true;
    first.leavesNameUnanswered = true;
    EXPECT_EQ(0, Send(view.Window(), HOSTMSG_INFO, MakeDocumentInfoCode(1, INFO_ACTIVATE_DOC)));
    EXPECT_EQ(0, view.ActiveIndex());
    char name[260] = "untouched";
    EXPECT_EQ(0, Send(view.Window(), HOSTMSG_INFO, MakeDocumentInfoCode(0, INFO_DOC_FILE_NAME), name));
    EXPECT_STREQ("untouched", name);

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    frame.refusesLoading = true;
    EXPECT_EQ(0, Send(frame.Window(), HOSTMSG_LOAD_FILE, 0, self));
    view.refusesLoading = true;
    frame.refusesLoading = false;
    EXPECT_EQ(0, Send(view.Window(), HOSTMSG_LOAD_FILE, 0, self));
    EXPECT_EQ("C:\\a.c", first.AnsiPath());
}

TEST_F(SimHostTest, NestedViewsAreReachedByEnumeration)
{
    HWND outer = frame.AddContainer();
    SimView& nested = frame.AddView("deep", frame.AddContainer(outer));
    nested.AddDocument("C:\\deep.c");
    std::vector<HWND> views;
    EnumChildWindows(frame.Window(), CollectViews, reinterpret_cast<LPARAM>(&views));
    EXPECT_EQ((std::vector<HWND>{view.Window(), nested.Window()}), views);
    EXPECT_EQ(1, Send(nested.Window(), HOSTMSG_INFO, INFO_DOC_COUNT));
}

TEST_F(SimHostTest, SelectWordTakesTheWordAroundTheCaretWholeCharactersOnly)
{
    const std::string japanese = Utf8ToShiftJis("漢字かな");
    struct Case { std::string line; LONG caret; std::string word; };
    const Case cases[] = {
        {"x = foo_bar2;", 6, "foo_bar2"},
        {"foo bar", 3, "foo"},                       // just after a word
        {"a  b", 2, ""},                             // between blanks
        {"s = " + japanese + ";", 7, japanese},      // inside, on a trail byte
        {"abc" + japanese + " d", 1, "abc" + japanese},
        {"-" + kKatakanaA + "-", 2, kKatakanaA},     // caret on the trail byte 'A'
    };
    SimDocument& document = view.AddDocument("C:\\a.c");
    for (const Case& c : cases) {
        document.SetText(c.line);
        document.caret = {c.caret, 0};
        Send(frame.Window(), HOSTMSG_EXEC_COMMAND, CMD_SELECT_WORD);
        EXPECT_EQ(c.word, SelectedText(frame.Window())) << c.line;
    }
}

TEST_F(SimHostTest, SelectWordCanBeToldWhatToSelect)
{
    SimDocument& document = view.AddDocument("C:\\a.c", "foo-bar baz");
    document.selectWordResult = "foo-bar";
    Send(frame.Window(), HOSTMSG_EXEC_COMMAND, CMD_SELECT_WORD);
    EXPECT_EQ(8, Send(frame.Window(), HOSTMSG_GET_SELECTED_TEXT));
    EXPECT_EQ("foo-bar", SelectedText(frame.Window()));

    document.selectWordResult = "";
    for (LRESULT size : {0, 1}) {
        document.emptySelectionSize = size;
        Send(frame.Window(), HOSTMSG_EXEC_COMMAND, CMD_SELECT_WORD);
        EXPECT_EQ(size, Send(frame.Window(), HOSTMSG_GET_SELECTED_TEXT));
    }
}

TEST_F(SimHostTest, SelectedTextNeverOverrunsTheBuffer)
{
    SimDocument& document = view.AddDocument("C:\\a.c", "abcdef");
    document.Select({0, 0}, {6, 0});
    char buffer[8];
    std::memset(buffer, 'X', sizeof buffer);
    EXPECT_EQ(7, Send(frame.Window(), HOSTMSG_GET_SELECTED_TEXT, 4, buffer));
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ('X', buffer[4]);
}

TEST_F(SimHostTest, FindSearchesForwardFromTheCaretAtCharacterStarts)
{
    SimDocument& document = view.AddDocument("C:\\a.c", kKatakanaA + " Abc\nabc\nx Abc");
    EXPECT_EQ(1, Send(frame.Window(), HOSTMSG_FIND, FIND_FLAGS, "A"));   // not the trail byte of "ア"
    EXPECT_EQ(2, document.selectionStart.x);   // "ア" is one character
    EXPECT_EQ(1, Send(frame.Window(), HOSTMSG_FIND, FIND_FLAGS, "Abc"));
    EXPECT_EQ((std::vector<LONG>{2, 2, 5, 2}),
              (std::vector<LONG>{document.selectionStart.x, document.selectionStart.y, document.caret.x, document.caret.y}));
    EXPECT_EQ(0, Send(frame.Window(), HOSTMSG_FIND, FIND_FLAGS, "Abc"));
    EXPECT_EQ(0, Send(frame.Window(), HOSTMSG_FIND, FIND_FLAGS, ""));
    EXPECT_EQ(5, document.caret.x);
}

// The editor may leave the caret at a match's start (the selection then runs
// backward) and go on from the top: both are switches of the stand-in.
TEST_F(SimHostTest, FindCanLeaveTheCaretAtTheStartAndGoOnFromTheTop)
{
    SimDocument& document = view.AddDocument("C:\\a.c", "ab\nxab");
    document.findCaret = SimDocument::FindCaret::atStart;
    document.findWraps = true;
    document.MoveCaret({1, 0});
    EXPECT_EQ(1, Send(frame.Window(), HOSTMSG_FIND, FIND_FLAGS, "ab"));
    EXPECT_EQ((std::vector<LONG>{3, 1, 1, 1, 1, 1}),
              (std::vector<LONG>{document.selectionStart.x, document.selectionStart.y, document.selectionEnd.x,
                                 document.selectionEnd.y, document.caret.x, document.caret.y}));
    document.MoveCaret({2, 1});
    EXPECT_EQ(1, Send(frame.Window(), HOSTMSG_FIND, FIND_FLAGS, "ab"));
    EXPECT_EQ(0, document.caret.y);
}

// Where a selection reaching past the text's end goes is the editor's own:
// each a switch of the stand-in. Past another line's end, a point is clamped.
TEST_F(SimHostTest, SelectionPastTheEndIsKeptOnTheLastLineMovedToTheEndOrIgnored)
{
    using PastEnd = SimDocument::SelectionPastEnd;
    SimDocument& document = view.AddDocument("C:\\a.c", "abc\nde");
    const struct {
        HostPoint start, end;
        PastEnd mode;
        HostPoint selectedStart, selectedEnd;
    } cases[] = {
        {{3, 0}, {0, 2}, PastEnd::keptOnLastLine, {3, 0}, {0, 1}},
        {{1, 1}, {0, 2}, PastEnd::keptOnLastLine, {1, 1}, {0, 1}},
        {{1, 1}, {3, 1}, PastEnd::keptOnLastLine, {1, 1}, {2, 1}},
        {{1, 1}, {0, 2}, PastEnd::textEnd, {1, 1}, {2, 1}},
        {{1, 1}, {3, 1}, PastEnd::textEnd, {1, 1}, {2, 1}},
        {{1, 1}, {0, 2}, PastEnd::ignored, {0, 0}, {1, 0}},
        {{1, 1}, {3, 1}, PastEnd::ignored, {0, 0}, {1, 0}},
        {{2, 0}, {9, 0}, PastEnd::ignored, {2, 0}, {3, 0}},
        {{2, 0}, {9, 0}, PastEnd::textEnd, {2, 0}, {3, 0}},
    };
    for (const auto& c : cases) {
        document.selectionPastEnd = c.mode;
        document.Select({0, 0}, {1, 0});
        Send(frame.Window(), HOSTMSG_SET_SELECTION, reinterpret_cast<WPARAM>(&c.start), &c.end);
        EXPECT_EQ((std::vector<LONG>{c.selectedStart.x, c.selectedStart.y, c.selectedEnd.x, c.selectedEnd.y}),
                  (std::vector<LONG>{document.selectionStart.x, document.selectionStart.y, document.selectionEnd.x,
                                     document.selectionEnd.y}))
            << static_cast<int>(c.mode) << " to (" << c.end.x << "," << c.end.y << ")";
    }
}

// Whether a selected line break reads as "\r\n" or as the file had it is the
// editor's own too.
TEST_F(SimHostTest, SelectedLineBreaksReadAsCrLfOrAsLoaded)
{
    using LineBreak = SimDocument::SelectedLineBreak;
    SimDocument& document = view.AddDocument("C:\\a.c");
    const struct {
        std::string text;
        LineBreak lineBreak;
        std::string selected;
    } cases[] = {
        {"ab\ncd\r\ne", LineBreak::crlf, "b\r\nc"},
        {"ab\ncd\r\ne", LineBreak::asLoaded, "b\nc"},
        {"ab\r\ncd\ne", LineBreak::asLoaded, "b\r\nc"},
        {"ab\rcd", LineBreak::asLoaded, "b\rc"},
    };
    for (const auto& c : cases) {
        document.selectedLineBreak = c.lineBreak;
        document.SetText(c.text);
        document.Select({1, 0}, {1, 1});
        EXPECT_EQ(c.selected, SelectedText(frame.Window())) << c.text;
    }
}

TEST_F(SimHostTest, LoadFileReadsARealFileIntoTheActiveDocument)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "simhost-load.txt";
    ASSERT_TRUE(WriteTestFile(path, "one\r\ntwo\n"));

    view.AddDocument("C:\\old.c");
    SimDocument& untitled = view.AddDocument();
    view.Activate(1);
    EXPECT_EQ(0, Send(frame.Window(), HOSTMSG_LOAD_FILE, 0, (path + ".missing").c_str()));
    EXPECT_EQ("", untitled.AnsiPath());
    EXPECT_NE(0, Send(frame.Window(), HOSTMSG_LOAD_FILE, 0, path.c_str()));
    EXPECT_EQ(path, untitled.AnsiPath());
    EXPECT_EQ((std::vector<std::wstring>{L"one", L"two", L""}), untitled.lines);
    DeleteFileA(path.c_str());
}

// The editor holds documents in Unicode: a file is decoded on load, and the
// ANSI texts of the messages go through the ANSI code page, so UTF-8 bytes
// sent as a search text are other characters.
TEST_F(SimHostTest, LoadDecodesTheFileAndMessagesCarryAnsi)
{
    const std::string kensu = "\xE4\xBB\xB6\xE6\x95\xB0";   // "件数" in UTF-8
    const std::string bom = "\xEF\xBB\xBF";
    struct Case { const char* label; std::string bytes; std::wstring line; };
    const Case cases[] = {
        {"UTF-8", "n = " + kensu, L"n = \u4EF6\u6570"},
        {"UTF-8 after a byte-order mark", bom + "n = " + kensu, L"n = \u4EF6\u6570"},
        {"a byte-order mark before ASCII", bom + "n = 1", L"n = 1"},
        {"Shift-JIS", "n = " + Utf8ToShiftJis("件数"), L"n = \u4EF6\u6570"},
        {"not valid UTF-8: the ANSI code page", "n = " + kensu.substr(0, 5), Widen("n = " + kensu.substr(0, 5), 932)},
    };
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + Utf8ToShiftJis("読み込み.c");
    SimDocument& document = view.AddDocument();
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteTestFile(path, c.bytes + "\r\nx"));
        ASSERT_NE(0, Send(frame.Window(), HOSTMSG_LOAD_FILE, 0, path.c_str())) << c.label;
        EXPECT_EQ((std::vector<std::wstring>{c.line, L"x"}), document.lines) << c.label;
        EXPECT_EQ(FromAnsi(path), document.path) << c.label;
        const bool japanese = c.line.find(L'\u6570') != std::wstring::npos;
        EXPECT_EQ(0, Send(frame.Window(), HOSTMSG_FIND, FIND_FLAGS, ("= " + kensu).c_str())) << c.label;
        EXPECT_EQ(japanese, Send(frame.Window(), HOSTMSG_FIND, FIND_FLAGS, Utf8ToShiftJis("= 件数").c_str()) != 0)
            << c.label;
        EXPECT_EQ(japanese ? Utf8ToShiftJis("= 件数") : "", SelectedText(frame.Window())) << c.label;
    }
    DeleteFileA(path.c_str());
    Send(frame.Window(), HOSTMSG_SET_STATUS_TEXT, 0, path.c_str());
    EXPECT_EQ(path, frame.StatusText());
    char name[260] = "";
    Send(frame.Window(), HOSTMSG_INFO, INFO_DOC_FILE_NAME, name);
    EXPECT_EQ(path, name);
}

TEST_F(SimHostTest, RecordsEveryEditorMessageInOrder)
{
    view.AddDocument("C:\\a.c", "alpha beta\ngamma");
    const HostPoint start{6, 0}, end{10, 0}, beyondTop{0, -1};
    HostPoint filled{};
    Send(frame.Window(), WM_SETTEXT, 0, "not an editor message");
    Send(frame.Window(), HOSTMSG_SET_SELECTION, reinterpret_cast<WPARAM>(&start), &end);
    Send(frame.Window(), HOSTMSG_GET_SEL_END, 0, &filled);
    Send(frame.Window(), HOSTMSG_SET_SEL_TYPE, 0, 2);
    Send(frame.Window(), HOSTMSG_GET_SEL_TYPE);
    Send(frame.Window(), HOSTMSG_SET_STATUS_TEXT, 0, "status");
    Send(view.Window(), HOSTMSG_SET_CARET_POS, 1, &beyondTop);
    Send(view.Window(), HOSTMSG_EXEC_COMMAND, CMD_NEW_DOCUMENT);
    char name[260];
    Send(view.Window(), HOSTMSG_INFO, MakeDocumentInfoCode(0, INFO_DOC_FILE_NAME), name);
    Send(view.Window(), HOSTMSG_INFO, INFO_DOC_FILE_NAME, name);
    Send(frame.Window(), HOSTMSG_EVENT_REPLY, 7);
    EXPECT_EQ((std::vector<std::string>{
                  "frame1 2081 (6,0) (10,0) -> 0",
                  "frame1 2075 0 (10,0) -> 1",
                  "frame1 2108 0 2 -> 0",
                  "frame1 2093 0 0 -> 2",
                  "frame1 2085 0 \"status\" -> 0",
                  "view1 2066 1 (0,-1) -> 0",
                  "view1 2070 4096 0 -> 0",
                  "view1 2106 278@0 \"C:\\a.c\" -> 1",
                  "view1 2106 278 \"\" -> 1",
                  "frame1 2050 7 0 -> 0",
              }),
              host.DescribeCalls());
    EXPECT_EQ("status", frame.StatusText());
    EXPECT_EQ(0, view.Document(0).caret.y);   // the editor keeps the caret inside the text
    EXPECT_EQ(2u, host.Calls(HOSTMSG_INFO).size());
    host.ClearCalls();
    EXPECT_TRUE(host.Calls().empty());
}

}  // namespace
