// Japanese text in the patterns of a tags file, through the real DLL: ctags
// writes a pattern with the source line's bytes, UTF-8 for a UTF-8 source;
// the editor reads what the plug-in sends through the ANSI code page (932).
// The picker's Position column and the jump's status text show a UTF-8
// pattern converted when every character converts, other bytes as they are;
// the jump searches for that converted text before the tag's name.
#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/Sjis.h"
#include "common/TestText.h"
#include "plugin/CommandSession.h"

namespace {

using namespace velkin;
using namespace velkin::test;

const std::string kUtf8Kensu = "\xE4\xBB\xB6\xE6\x95\xB0";   // "件数"
const std::string kBom = "\xEF\xBB\xBF";

TEST(JapaneseTextTest, Utf8PatternsAreShownAndSearchedConverted)
{
    const struct {
        const char* name;        // the tag, defined in src/<name>.c
        std::string fileStart;   // the file's bytes before the definition line
        std::string line;        // the definition line, in the file's encoding
        std::string shown;       // its pattern as the user reads it, in UTF-8
        int landing;             // the caret's line after the jump: 0 is the comment naming the tag
        std::size_t kept = std::string::npos;   // the line's bytes in a pattern ctags cut short
    } cases[] = {
        {"label_bom", kBom + "// label_bom\n", "const char *label_bom = \"" + kUtf8Kensu + "\";",
         "/^const char *label_bom = \"件数\";$/", 1},
        {"label_cut", "// label_cut\n", "const char *label_cut = \"" + kUtf8Kensu.substr(0, 5),   // not UTF-8
         Utf8("/^const char *label_cut = \"" + kUtf8Kensu.substr(0, 5) + "$/"), 1},
        // Escaped by ctags: the unescaped text is the one converted.
        {"label_escaped", "// label_escaped\n", "const char *label_escaped = \"" + kUtf8Kensu + "/\";",
         R"(/^const char *label_escaped = "件数\/";$/)", 1},
        // Escapes in a row, below a comment that names the tag: the line's "\\" (written
        // "\\\\") and its "\/" (written "\\\/").
        {"label_backslashes", "// label_backslashes\n", "const char *label_backslashes = \"" + kUtf8Kensu + "\\\\\";",
         R"(/^const char *label_backslashes = "件数\\\\";$/)", 1},
        {"label_slash", "// label_slash\n", "const char *label_slash = \"" + kUtf8Kensu + "\\/\";",
         R"(/^const char *label_slash = "件数\\\/";$/)", 1},
        {"label_lacking", "// label_lacking\n", "const char *label_lacking = \"caf\xC3\xA9\";",   // no "é" in 932
         Utf8("/^const char *label_lacking = \"caf\xC3\xA9\";$/"), 0},
        // Cut at ctags' length limit after "件数件数", without "$".
        {"label_long", "// label_long\n", "const char *label_long = \"" + kUtf8Kensu + kUtf8Kensu + kUtf8Kensu + "\";",
         "/^const char *label_long = \"件数件数/", 1, 26 + 12},
        // Cut inside the last "数" (universal-ctags 5.9 cuts between characters).
        {"label_split", "// label_split\n", "const char *label_split = \"" + kUtf8Kensu + kUtf8Kensu + kUtf8Kensu + "\";",
         Utf8("/^const char *label_split = \"" + (kUtf8Kensu + kUtf8Kensu).substr(0, 11) + "/"), 1, 27 + 11},
        // Cut after a whole "数", below a line that starts with the text less that "数".
        {"label_whole", "// label_whole\nconst char *label_whole = \"" + kUtf8Kensu + kUtf8Kensu.substr(0, 3) + "\";\n",
         "const char *label_whole = \"" + kUtf8Kensu + kUtf8Kensu + kUtf8Kensu + "\";",
         "/^const char *label_whole = \"件数件数/", 2, 27 + 12},
        {"label_sjis", "// label_sjis\n", Sjis("const char *label_sjis = \"件数\";"),
         "/^const char *label_sjis = \"件数\";$/", 1},
        {"label_utf8", "// label_utf8\n", "const char *label_utf8 = \"" + kUtf8Kensu + "\";",
         "/^const char *label_utf8 = \"件数\";$/", 1},
    };
    CommandSession session;
    std::string tags;
    std::vector<std::string> rows;
    for (const auto& c : cases) {
        const std::string file = std::string("src/") + c.name + ".c";
        std::string pattern;   // escaped as ctags escapes it
        for (char byte : c.line.substr(0, c.kept)) pattern += byte == '/' || byte == '\\' ? std::string{'\\', byte} : std::string{byte};
        tags += std::string(c.name) + "\t" + file + "\t/^" + pattern + (c.kept == std::string::npos ? "$/" : "/") + ";\"\tv\n";
        ASSERT_TRUE(WriteTestFile(CommandSession::PathOf("src\\" + std::string(c.name) + ".c"), c.fileStart + c.line + "\n"));
        rows.push_back(std::string(c.name) + " | " + file + " | " + c.shown);
    }
    ASSERT_TRUE(WriteTestFile(CommandSession::PathOf("tags"), tags));
    ASSERT_TRUE(WriteTestFile(CommandSession::PathOf("src\\use.c"), "label;\n"));

    for (int row = 0; row < static_cast<int>(std::size(cases)); ++row) {
        session.Open("src\\use.c", {1, 0});
        const CommandOutcome outcome = session.Run(row);
        std::vector<std::string> shownRows;
        for (const std::string& cells : outcome.rows) shownRows.push_back(Utf8(cells));
        EXPECT_EQ(rows, shownRows) << cases[row].name;
        EXPECT_EQ("status '" + CommandSession::PathOf("src\\") + cases[row].name + ".c' を開き '" + cases[row].shown +
                      "'に移動します。",
                  outcome.story.back())
            << cases[row].name;
        EXPECT_EQ("src\\" + std::string(cases[row].name) + ".c", outcome.document);
        EXPECT_EQ(cases[row].landing, outcome.caretLine) << cases[row].name;
    }
}

// A tags file of today's ctags names its files in UTF-8: the File column
// reads them in the code page, and a document with a Japanese name lists its
// own tags and jumps within itself; with the header saying Shift-JIS, the
// same bytes are taken as written and name no such document.
TEST(JapaneseTextTest, Utf8FileFieldsAreListedReadablyAndNameTheirDocument)
{
    const std::string field = "\xE8\xB3\x87\xE6\x96\x99/\xE8\xA8\x88\xE7\xAE\x97.c";   // 資料/計算.c
    CommandSession session;
    ASSERT_TRUE(CreateDirectoryA(CommandSession::PathOf(Sjis("資料")).c_str(), nullptr));
    ASSERT_TRUE(WriteTestFile(CommandSession::PathOf(Sjis("資料\\計算.c")), "\nint keisan(void)\nint shukei;\n"));
    for (const std::string header : {"", "!_TAG_FILE_ENCODING\tcp932\t//\n"}) {
        ASSERT_TRUE(WriteTestFile(CommandSession::PathOf("tags"),
                                  "!_TAG_FILE_SORTED\t1\t//\n" + header + "keisan\t" + field +
                                      "\t/^int keisan(void)$/;\"\tf\nshukei\t" + field + "\t3;\"\tv\n"));
        session.Open(Sjis("資料\\計算.c"), {0, 0});   // on a blank: the document's tags
        const CommandOutcome outcome = session.Run(1);
        if (!header.empty()) {
            EXPECT_TRUE(outcome.rows.empty());
            continue;
        }
        EXPECT_EQ((std::vector<std::string>{Sjis("keisan | 資料/計算.c | /^int keisan(void)$/"),
                                            Sjis("shukei | 資料/計算.c | 3")}),
                  outcome.rows);
        EXPECT_EQ(Sjis("資料\\計算.c"), outcome.document);
        EXPECT_EQ(2, outcome.caretLine);   // shukei, on line 3
    }
}

}  // namespace
