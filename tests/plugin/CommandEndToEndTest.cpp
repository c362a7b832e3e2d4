// The command end to end on the sample tree tagged by universal-ctags: what
// the status bar says, in order, whether the picker opens and with which
// rows, the repaint after it, and where the caret ends.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/CommandSession.h"

namespace {

using namespace velkin;
using namespace velkin::test;

const std::string kProject = "T:\\session\\proj";
const std::string kTags = kProject + "\\tags";

std::string Searching(const std::string& word) { return "status '" + word + "'の位置を'" + kTags + "'から探します..."; }
std::string Jumping(const std::string& file, const std::string& line)
{
    return "status '" + kProject + "\\" + file + "' を開き '" + line + "'に移動します。";
}
const std::vector<std::string> kRepaint = {"InvalidateRect frame1 erase", "UpdateWindow frame1"};

std::vector<std::string> Join(std::vector<std::vector<std::string>> parts)
{
    std::vector<std::string> joined;
    for (const auto& part : parts) joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

TEST(CommandEndToEndTest, EachOutcomeSaysWhatItDoesOffersTheFirstListThatHoldsTagsAndLands)
{
    CommandSession session;
    const std::string mainC = kProject + "\\src\\main.c";
    const struct {
        const char* label;
        std::string document;   // "" for the note of words, line `line` under the caret
        int line;
        int pickRow;
        std::vector<std::string> story;
        std::vector<std::string> rows;
        std::string landedIn;
        int landedLine;
    } cases[] = {
        {"one definition jumps at once", "", 0, 0,
         {Searching("SetValue"), Jumping("src\\widget.cpp", "10")}, {}, "src\\widget.cpp", 9},
        {"a word defined twice: the second row double-clicked", "", 1, 1,
         Join({{Searching("Set"), "status 'Set' が見つかりました", "picker"}, kRepaint,
               {Jumping("src\\widget.cpp", "8")}}),
         {"Set | include/config.h | 7", "Set | src/widget.cpp | 8"}, "src\\widget.cpp", 7},
        {"one exact match among tags that begin with the word", "", 2, 0,
         {Searching("Se"), Jumping("src\\util\\strings.h", "5")}, {}, "src\\util\\strings.h", 4},
        {"a prefix of one tag still goes through the picker", "", 3, 0,
         Join({{Searching("Settl"), "status 'Settl' を含むシンボルが見つかりました", "picker"}, kRepaint,
               {Jumping("src\\util\\strings.c", "15")}}),
         {"Settle | src/util/strings.c | 15"}, "src\\util\\strings.c", 14},
        {"the picker cancelled: no jump, a repaint", "", 4, kCancel,
         Join({{Searching("Reset"), "status 'Reset' が見つかりました", "picker"}, kRepaint}),
         {"Reset | src/util/strings.c | 20", "Reset | src/widget.cpp | 18"}, "notes.txt", 4},
        {"a word that is nowhere", "", 5, 0,
         {Searching("Zzz"), "status 'Zzz' が '" + kTags + "' に見つかりませんでした"}, {}, "notes.txt", 5},
        {"the caret on a blank: the document's tags", "src\\main.c", 2, 4,
         Join({{"status '" + mainC + "'内に定義されたシンボルを'" + kTags + "'から探します...",
                "status 適切なシンボルが見つからないので '" + mainC + "' 内のシンボル一覧を表示します", "picker"},
               kRepaint, {Jumping("src\\main.c", "24")}}),
         {"MAIN_NAME | src/main.c | 7", "SetAll | src/main.c | 18", "flag | src/main.c | 15",
          "globalSettings | src/main.c | 9", "main | src/main.c | 24", "name | src/main.c | 14",
          "option | src/main.c | 13", "set | src/main.c | 11"},
         "src\\main.c", 23},
    };
    for (const auto& c : cases) {
        session.Open(c.document, {1, c.line});
        const CommandOutcome outcome = session.Run(c.pickRow);
        EXPECT_EQ(c.story, outcome.story) << c.label;
        EXPECT_EQ(c.rows, outcome.rows) << c.label;
        EXPECT_EQ(c.landedIn, outcome.document) << c.label;
        EXPECT_EQ(c.landedLine, outcome.caretLine) << c.label;
    }
}

TEST(CommandEndToEndTest, ATagsFileThatCannotBeReadIsNamedAndNothingElseHappens)
{
    CommandSession session;
    const std::string tags = CommandSession::PathOf("tags");
    const struct {
        const char* label;
        void (*make)(const std::string& path);
    } cases[] = {
        {"zero bytes", [](const std::string& path) { std::filesystem::resize_file(path, 0); }},
        {"a folder", [](const std::string& path) {
             std::filesystem::remove(path);
             std::filesystem::create_directory(path);
         }},
    };
    for (const auto& c : cases) {
        c.make(tags);
        session.Open("", {1, 1});
        const CommandOutcome outcome = session.Run();
        EXPECT_EQ((std::vector<std::string>{Searching("Set"), "status '" + kTags + "' を開くことが出来ませんでした"}),
                  outcome.story)
            << c.label;
        EXPECT_EQ("notes.txt", outcome.document) << c.label;
    }
}

}  // namespace
