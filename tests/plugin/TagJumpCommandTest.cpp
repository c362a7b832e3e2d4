// The command run through the real DLL in the simulated editor: capturing the
// word at the caret, leaving the selection as it was, finding the tags file
// and announcing the search on the status bar.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/RegistryValueGuard.h"
#include "common/ResourceCounter.h"
#include "common/Sjis.h"
#include "common/TestText.h"
#include "host/PluginLibrary.h"
#include "host/SimHost.h"
#include "editor/HostMessages.h"
#include "plugin/WordCapture.h"

using velkin::HostPoint;
using velkin::sim::PluginLibrary;
using velkin::sim::SimDocument;
using velkin::sim::SimFrame;
using velkin::sim::SimHost;
using velkin::sim::SimView;

namespace {

// T: is a scratch drive whose root the tests may write (see scripts/wine-run.sh).
const char* const kProject = "T:\\command\\proj";
const char* const kDocument = "T:\\command\\proj\\src\\main.c";
const char* const kTagsFile = "T:\\command\\proj\\tags";
// No tag of the word and none of the document: the command ends after the
// search, which is what these tests look at.
const char* const kTagsLine = "other_tag\tsrc/other.c\t1;\"\tv\n";

void WriteTextFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(WriteTestFile(path, bytes)) << path;
}

void RemoveScratch()
{
    std::error_code ignored;
    std::filesystem::remove_all("T:\\command", ignored);
    DeleteFileA("T:\\tags");
}

bool SamePoint(HostPoint a, HostPoint b) { return a.x == b.x && a.y == b.y; }

class TagJumpCommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveScratch();
        WriteTextFile(kTagsFile, kTagsLine);
        WriteTextFile(kDocument, "int foo_bar2 = 1;\n");
        document_.SetAnsiPath(kDocument);
        document_.SetText("int foo_bar2 = 1;\n");
        document_.MoveCaret({6, 0});
    }
    void TearDown() override { RemoveScratch(); }

    // Runs the command with the frame as the host window and returns what the
    // host received. Every resource the DLL acquires meanwhile must be released
    // once before the command returns; `resources_` tells what it acquired.
    std::vector<std::string> RunCommand()
    {
        host_.ClearCalls();
        const velkin::test::ResourceCounter counter(plugin_.Module());
        plugin_.OnCommand(frame_.Window());
        resources_ = counter.Report();
        EXPECT_TRUE(counter.Balanced()) << resources_;
        return host_.DescribeCalls();
    }

    std::string Status() const { return frame_.StatusText(); }
    // The first status text of the last command: what it announced.
    std::string Announcement() const
    {
        const std::vector<velkin::sim::HostCall> statuses = host_.Calls(velkin::HOSTMSG_SET_STATUS_TEXT);
        return statuses.empty() ? std::string() : statuses.front().text.value_or("");
    }

    std::string resources_;  // the last command's ResourceCounter::Report()
    velkin::test::RegistryValueGuard registry_;  // TagsFileName absent unless a test sets it
    SimHost host_;
    PluginLibrary plugin_;
    SimFrame& frame_ = host_.AddFrame();
    SimView& view_ = frame_.AddView();
    SimDocument& document_ = view_.AddDocument();
};

TEST_F(TagJumpCommandTest, CapturesTheIdentifierAtTheCaretAndAnnouncesTheSearch)
{
    document_.selectionMode = 3;
    const std::vector<std::string> calls = RunCommand();

    const std::string status = Sjis("'foo_bar2'の位置を'T:\\command\\proj\\tags'から探します...");
    const std::vector<std::string> expected = {
        "frame1 2074 0 (6,0) -> 1",
        "frame1 2075 0 (6,0) -> 1",
        "frame1 2093 0 0 -> 3",
        "frame1 2051 0 0 -> 1",  // nothing selected: no cancel command
        "frame1 2070 4251 0 -> 0",
        "frame1 2051 0 0 -> 9",
        "frame1 2051 9 \"foo_bar2\" -> 9",
        "frame1 2108 0 3 -> 0",
        "frame1 2081 (6,0) (6,0) -> 0",
        std::string("frame1 2106 278 \"") + kDocument + "\" -> 1",
        "frame1 2085 0 \"" + status + "\" -> 0",
        "frame1 2085 0 \"" + Sjis("'foo_bar2' が 'T:\\command\\proj\\tags' に見つかりませんでした") + "\" -> 0",
    };
    EXPECT_EQ(expected, calls);
}

TEST_F(TagJumpCommandTest, DropsTheSelectionBeforeSelectingTheWordAndPutsItBack)
{
    document_.Select({4, 0}, {7, 0});
    document_.selectionMode = 2;
    document_.selectWordResult = "foo_bar2";
    const std::vector<std::string> calls = RunCommand();

    ASSERT_GE(calls.size(), 7u);
    EXPECT_EQ("frame1 2051 0 0 -> 4", calls[3]);
    EXPECT_EQ("frame1 2051 4 \"foo\" -> 4", calls[4]);
    EXPECT_EQ("frame1 2070 4157 0 -> 0", calls[5]);
    EXPECT_EQ("frame1 2070 4251 0 -> 0", calls[6]);
    EXPECT_EQ(1u, host_.Calls(velkin::HOSTMSG_SET_SEL_TYPE).size());
    EXPECT_EQ(1u, host_.Calls(velkin::HOSTMSG_SET_SELECTION).size());
    EXPECT_TRUE(SamePoint({4, 0}, document_.selectionStart));
    EXPECT_TRUE(SamePoint({7, 0}, document_.selectionEnd));
    EXPECT_EQ(2, document_.selectionMode);
    EXPECT_EQ(Sjis("'foo_bar2'の位置を'T:\\command\\proj\\tags'から探します..."), Announcement());
}

TEST_F(TagJumpCommandTest, AnythingButAnIdentifierSearchesTheDocumentsOwnTags)
{
    struct Case {
        const char* label;
        const char* selected;   // UTF-8; what the word selection leaves selected
        LRESULT emptySize;      // the size the host reports when nothing is selected
    };
    const Case cases[] = {
        {"a hyphen", "foo-bar", 1},  {"a blank", " ", 1},         {"a double-byte word", "表示", 1},
        {"a trailing blank", "foo ", 1}, {"nothing selected (size 1)", "", 1}, {"nothing selected (size 0)", "", 0},
    };
    const std::string status = Sjis("'T:\\command\\proj\\src\\main.c'内に定義されたシンボルを'T:\\command\\proj\\tags'から探します...");
    for (const Case& c : cases) {
        document_.selectWordResult = Sjis(c.selected);
        document_.emptySelectionSize = c.emptySize;
        RunCommand();
        EXPECT_EQ(status, Announcement()) << c.label;
        EXPECT_TRUE(SamePoint({6, 0}, document_.selectionStart)) << c.label;
        EXPECT_TRUE(SamePoint({6, 0}, document_.selectionEnd)) << c.label;
    }
}

TEST_F(TagJumpCommandTest, UntitledDocumentEndsWithTagsFileNotFound)
{
    document_.path.clear();
    const std::vector<std::string> calls = RunCommand();
    EXPECT_EQ(Sjis("フォルダを遡っても'tags'は見つかりませんでした"), Status());
    EXPECT_EQ(1u, host_.Calls(velkin::HOSTMSG_SET_STATUS_TEXT).size());
}

TEST_F(TagJumpCommandTest, NoTagsFileAboveTheDocumentNamesTheConfiguredName)
{
    registry_.Set(REG_SZ, std::string("nowhere\\tags", 13));
    RunCommand();
    EXPECT_EQ(Sjis("フォルダを遡っても'nowhere\\tags'は見つかりませんでした"), Status());
}

TEST_F(TagJumpCommandTest, TagsFileNameFromTheRegistryMayNameASubfolder)
{
    WriteTextFile(std::string(kProject) + "\\sub\\tags", kTagsLine);
    registry_.Set(REG_SZ, std::string("sub\\tags", 9));
    RunCommand();
    EXPECT_EQ(Sjis("'foo_bar2'の位置を'T:\\command\\proj\\sub\\tags'から探します..."), Announcement());
}

TEST_F(TagJumpCommandTest, TagsFileInADrivesRootIsJoinedWithOneBackslash)
{
    DeleteFileA(kTagsFile);
    WriteTextFile("T:\\tags", kTagsLine);
    RunCommand();
    EXPECT_EQ(Sjis("'foo_bar2'の位置を'T:\\tags'から探します..."), Announcement());
}

TEST_F(TagJumpCommandTest, UnreadableTagsFileIsReportedAfterTheSearchMessage)
{
    WriteTextFile(kTagsFile, "");  // an empty file cannot be mapped
    RunCommand();
    const std::vector<velkin::sim::HostCall> statuses = host_.Calls(velkin::HOSTMSG_SET_STATUS_TEXT);
    ASSERT_EQ(2u, statuses.size());
    EXPECT_EQ(Sjis("'foo_bar2'の位置を'T:\\command\\proj\\tags'から探します..."), *statuses[0].text);
    EXPECT_EQ(Sjis("'T:\\command\\proj\\tags' を開くことが出来ませんでした"), *statuses[1].text);
}

// What each outcome acquires (and, checked by RunCommand, releases once).
TEST_F(TagJumpCommandTest, EveryResourceACommandAcquiresIsReleasedOnce)
{
    registry_.Set(REG_SZ, std::string("tags", 5));  // the settings key exists: it is opened
    const struct {
        const char* label;
        const char* tagsBytes;  // null: no tags file
        const char* expected;
    } cases[] = {
        // A view of the header (it does not say sorted), then one of the lines.
        {"tags file scanned", kTagsLine, "file 1/1, mapping 1/1, view 2/2, key 1/1, handler 2/2"},
        {"empty tags file: opened, not mapped", "", "file 1/1, key 1/1"},
        {"no tags file", nullptr, "key 1/1"},
    };
    for (const auto& c : cases) {
        DeleteFileA(kTagsFile);
        if (c.tagsBytes) WriteTextFile(kTagsFile, c.tagsBytes);
        RunCommand();
        EXPECT_EQ(c.expected, resources_) << c.label;
    }
}

// The identifier bytes against the bytes just beside each of their ranges,
// DEL and the bytes above ASCII: the lead bytes of code page 932, its
// single-byte katakana, and the trail bytes outside ASCII.
TEST(WordCharTest, IdentifierBytesEndExactlyAtTheirRangesEdges)
{
    for (const unsigned char byte : std::string("09AZaz_")) EXPECT_TRUE(velkin::IsWordChar(byte)) << byte;
    for (const unsigned char byte : std::string("/:@[`{~ -\x7F\x80\x81\x9F\xA1\xDF\xE0\xFC\xFD\xFF")) {
        EXPECT_FALSE(velkin::IsWordChar(byte)) << static_cast<int>(byte);
    }
    EXPECT_FALSE(velkin::IsWordChar(0));
}

}  // namespace
