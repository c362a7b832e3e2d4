// Where the jump lands for tags whose text stands on several lines, with
// universal-ctags' default fields (no line numbers): the k-th of alike rows
// on the k-th line, a member inside its owner, under every find behaviour.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/FindBehaviours.h"
#include "common/TestText.h"
#include "host/SimHost.h"
#include "nav/PatternSearch.h"
#include "tags/TagsFileLookup.h"
#include "win/FullPath.h"

namespace {

using namespace velkin;
using namespace velkin::sim;

// T: is a scratch drive whose root the tests may write (see scripts/wine-run.sh).
const char* const kFolder = "T:\\landing";
const char* const kTags = "T:\\landing\\tags";

const std::vector<std::string> kLines = {
    "struct list;",                          // 0: a prototype of the owner
    "struct dict {",                         // 1
    "    unsigned long len;",                // 2
    "    int used;",                         // 3
    "};",                                    // 4
    "struct list {",                         // 5
    "    unsigned long len;",                // 6
    "    int used;",                         // 7
    "};",                                    // 8
    "typedef struct {",                      // 9
    "    unsigned long len;",                // 10
    "} anon_t;",                             // 11
    "#if defined(A)",                        // 12
    "#define LUAI_THROW(L,c) throw(c)",      // 13
    "#elif defined(B)",                      // 14
    "#define LUAI_THROW(L,c) _longjmp(c)",   // 15
    "#else",                                 // 16
    "#define LUAI_THROW(L,c) longjmp(c)",    // 17
    "#endif",                                // 18
    "#ifdef X",                              // 19
    "int twice(void) { return 0; }",         // 20
    "#else",                                 // 21
    "int twice(void) { return 0; }",         // 22
    "#endif",                                // 23
    "struct twin {",                         // 24
    "    int used;",                         // 25
    "};",                                    // 26
    "/* the same member, twice more */",     // 27
    "",                                      // 28
    "struct bare { int used;",               // 29: the member on its owner's own line
    "    int used;",                         // 30
    "struct late {",                         // 31
    "};",                                    // 32
    "typedef struct {",                      // 33: a second anonymous struct
    "    unsigned long len;",                // 34
    "} anon2_t;",                            // 35
    "int load(void) {",                      // 36
    "    union {unsigned u; int i;} conv;",  // 37: an anonymous union in each of two functions
    "}",                                     // 38
    "int store(void) {",                     // 39
    "    union {unsigned u; int i;} conv;",  // 40
    "}",                                     // 41
};

// The owners' tags, sorted as ctags sorts: the lookup takes the binary search.
const char* const kOwnerTags =
    "!_TAG_FILE_FORMAT\t2\t/extended format/\n"
    "!_TAG_FILE_SORTED\t1\t/0=unsorted, 1=sorted, 2=foldcase/\n"
    "Inner\ta.c\t/^struct dict {$/;\"\tclass\tclass:Other\n"
    "Inner\ta.c\t/^struct list {$/;\"\tclass\tclass:Outer\n"
    "__anon1\ta.c\t/^typedef struct {$/;\"\ts\n"
    "__anon1234abcd0108\ta.c\t/^typedef struct {$/;\"\ts\n"
    "__anon1234abcd0208\ta.c\t/^typedef struct {$/;\"\ts\n"
    "__anon1234abcd0f0a\ta.c\t/^    union {unsigned u; int i;} conv;$/;\"\tu\tfunction:load\n"
    "__anon1234abcd100a\ta.c\t/^    union {unsigned u; int i;} conv;$/;\"\tu\tfunction:store\n"
    "bare\ta.c\t/^struct bare { int used;$/;\"\ts\n"
    "dict\ta.c\t/^struct dict {$/;\"\ts\n"
    "dup\ta.c\t/^struct list {$/;\"\ts\n"
    "dup\tb.c\t/^struct dict {$/;\"\ts\n"
    "elsewhere\tb.c\t/^struct dict {$/;\"\ts\n"
    "gone\ta.c\t/^struct gone {$/;\"\ts\n"
    "late\ta.c\t/^struct late {$/;\"\ts\n"
    "list\ta.c\t/^struct list {$/;\"\ts\n"
    "list\ta.c\t/^struct list;$/;\"\tx\n"
    "load\ta.c\t/^int load(void) {$/;\"\tf\n"
    "node\ta.c\t/^struct bare { int used;$/;\"\ts\tstruct:outer\n"
    "node\ta.c\t/^struct late {$/;\"\ts\tstruct:other\n"
    "num\ta.c\t6;\"\ts\n"
    "ping\ta.c\t/^typedef struct {$/;\"\ts\tstruct:pong\n"
    "pong\ta.c\t/^    unsigned long len;$/;\"\ts\tstruct:ping\n"
    "solo\ta.c\t/^struct twin {$/;\"\ts\n"
    "store\ta.c\t/^int store(void) {$/;\"\tf\n"
    "twin\ta.c\t/^struct twin {$/;\"\ts\n"
    "twin\ta.c\t/^struct twin {$/;\"\ts\n";

TagEntry Tag(const std::string& address, const std::string& fields, const char* name = "t")
{
    TagEntry entry;
    entry.name = name;
    entry.file = "a.c";
    entry.address = address.c_str();
    entry.kind = 'm';
    entry.extensionFields = fields.c_str();
    entry.tagsFile = kTags;
    entry.tagsFolder = kFolder;
    return entry;
}

TEST(PatternLandingTest, TwinsLandOnTheirOwnLinesAndMembersInsideTheirOwners)
{
    std::filesystem::create_directories(kFolder);
    ASSERT_TRUE(WriteTestFile(kTags, kOwnerTags));
    std::string chain;
    for (int i = 0; i < 199; ++i) chain += "a::";

    const std::string len = "/^    unsigned long len;$/";
    const std::string used = "/^    int used;$/";
    const std::string conv = "/^    union {unsigned u; int i;} conv;$/";
    const struct {
        std::string address;
        std::string fields;
        TagSiblings siblings;
        LONG line;   // where the jump lands, zero-based
        const char* name = "t";
    } cases[] = {
        {"/^#define LUAI_THROW(/", "", {1}, 13},
        {"/^#define LUAI_THROW(/", "", {2}, 15},
        {"/^#define LUAI_THROW(/", "", {3}, 17},
        {"/^#define LUAI_THROW(/", "", {4}, 17},                  // fewer lines than twins: the last
        {"/^#define LUAI_THROW(/", "\tline:16", {3}, 15},         // a line hint decides first
        {"/^int twice(void) { return 0; }$/", "", {1}, 20},
        {"/^int twice(void) { return 0; }$/", "", {2}, 22},
        {len, "\tstruct:dict", {1}, 2},
        {len, "\tstruct:list", {1}, 6},                     // past the prototype, to the owner's line
        {len, "\tscope:struct:list", {1}, 6},
        {len, "\tstruct:__anon1\ttyperef:typename:unsigned long", {1}, 10},
        {len, "\tstruct:" + chain + "list", {1}, 6},        // 200 components, the last one looked up
        {len, "\tstruct:list", {2}, 10},                    // a twin member: the k-th inside the owner
        {len, "\tstruct:__anon1234abcd0208", {1}, 34},      // the second of the file's anonymous structs
        {len, "\tstruct:__anon1234abcd0108", {1}, 10},
        {"/^typedef struct {$/", "", {1}, 33, "__anon1234abcd0208"},
        // In the union inside store(), not the one inside load() above it:
        // the file's 16th and 15th anonymous names, counted in hexadecimal.
        {conv, "\tunion:store::__anon1234abcd100a", {1}, 40},
        {conv, "\tunion:load::__anon1234abcd0f0a", {1}, 37},
        {conv, "\tfunction:store", {1}, 40, "__anon1234abcd100a"},
        {conv, "\tfunction:nowhere", {1}, 40, "__anon1234abcd100a"},   // no owner: the file's second
        {conv, "\tfunction:load", {1}, 37, "__anon1234abcd0f0a"},
        {used, "\tclass:Outer.Inner", {1}, 7},                 // a dotted scope, as ::
        {used, "\tstruct:dup", {1}, 7},                        // the owner in the member's own file
        {used, "\tstruct:bare", {1}, 30},                   // the owner's own line does not hold the anchors
        {"/^struct bare { int used;$/", "\tstruct:bare", {1}, 29},
        // No owner to land in: the first line, as for any tag.
        {used, "\tstruct:none", {1}, 3},
        {used, "\tstruct:elsewhere", {1}, 3},               // its tag is in another file
        {used, "\tstruct:twin", {1}, 3},                    // its tag has a twin
        {used, "\tunion:list", {1}, 3},                     // no tag of that kind
        {used, "\tstruct:li<st", {1}, 3},                   // odd bytes
        {used, "\tstruct:late", {1}, 3},                    // none of the lines below the owner's
        {used, "\tstruct:gone", {1}, 3},                    // the owner's line is not found
        {used, "\tstruct:node", {1}, 3},                    // two owners of that name
        {used, "\tstruct:nowhere::node", {1}, 3},
        {used, "\tstruct:outer::node", {1}, 30},            // the one its own scope names
        {used, "\tstruct:num", {1}, 7},                     // the owner's line by number
        {used, "\tstruct:ping", {1}, 3},                    // owners that own each other: the chain ends
        {used, "\tstruct:", {1}, 3},
        {used, "", {1}, 3},
        {used, "\tstruct:list", {1}, 7},
        {used, "\tstruct:list", {5}, 30},
        // A twin whose owner holds fewer of its lines: the k-th of the file,
        // no line above the owner counted when the find goes on from the top.
        {used, "\tstruct:solo", {3}, 25},
        {used, "\tstruct:solo", {4}, 30},
    };
    SimHost host;
    SimView& view = host.AddFrame().AddView();
    SimDocument& document = view.AddDocument("T:\\landing\\a.c");
    test::ForEachFindBehaviour(document, kLines, [&](const std::string& behaviour) {
        for (const auto& c : cases) {
            const std::string label =
                c.name + (" " + c.address) + c.fields + " #" + std::to_string(c.siblings.twin) + behaviour;
            document.MoveCaret({0, 0});
            MoveToPattern(view.Window(), Tag(c.address, c.fields, c.name), c.siblings);
            EXPECT_EQ(c.line, std::min(document.selectionStart.y, document.selectionEnd.y)) << label;
            EXPECT_EQ(c.line, std::max(document.selectionStart.y, document.selectionEnd.y)) << label;
        }
    });
    std::filesystem::remove_all(kFolder);
}

// The Windows form of a Unix path: drive Z: is the Unix root.
std::string WindowsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

// Universal-ctags' default output for sources whose members' texts stand on
// several lines (a local above its struct, anonymous structs and unions,
// classes of one name in two classes, and in two classes' classes of one
// name, told apart three owners out): every tag lands on the line ctags
// gives it with --fields=+n, under every find behaviour.
TEST(PatternLandingTest, RealMembersLandOnTheirOwnLines)
{
    // Each default row's line: its numbered row less the line: field.
    std::map<std::string, LONG> lineOf;
    for (std::string row : ReadLines(VELKIN_LANDING_TAGS_DIR "/numbered.tags")) {
        const std::size_t field = row.find("\tline:");
        if (field == std::string::npos) continue;
        const std::size_t end = row.find('\t', field + 1);
        lineOf[row.substr(0, field) + (end == std::string::npos ? "" : row.substr(end))] =
            std::stol(row.substr(field + 6)) - 1;
    }
    TagsFile tags;
    tags.path = WindowsPath(VELKIN_LANDING_TAGS_DIR "/default.tags").c_str();
    tags.folder = WindowsPath(VELKIN_LANDING_DIR).c_str();
    tags.mayNameDocument = true;
    SimHost host;
    SimView& view = host.AddFrame().AddView();
    std::size_t tagged = 0;
    for (const char* source : {"members.c", "Nested.java"}) {
        const std::string path = std::string(VELKIN_LANDING_DIR "/") + source;
        SimDocument& document = view.AddDocument(GetFullPath<CowString>(WindowsPath(path).c_str()).Text());
        const TagsLookup found = LookUpTags({tags}, CowString(), document.AnsiPath().c_str());
        const TagList& rows = found.lists.inDocument;
        tagged += rows.size();
        view.Activate(static_cast<int>(view.DocumentCount()) - 1);
        test::ForEachFindBehaviour(document, ReadLines(path), [&](const std::string& behaviour) {
            document.selectedLineBreak = sim::SimDocument::SelectedLineBreak::crlf;
            for (const TagEntry& row : rows) {
                const std::string text = std::string(row.name.Text()) + "\t" + row.file.Text() + "\t" +
                                         row.address.Text() + ";\"\t" + row.kind +
                                         (row.extensionFields.IsEmpty() ? "" : "\t") + row.extensionFields.Text();
                ASSERT_EQ(1u, lineOf.count(text)) << text;
                document.MoveCaret({0, 0});
                MoveToPattern(view.Window(), row, SiblingsOf(rows, row));
                EXPECT_EQ(lineOf[text], document.selectionStart.y) << text << behaviour;
                EXPECT_EQ(lineOf[text], document.selectionEnd.y) << text << behaviour;
                EXPECT_EQ(lineOf[text], document.caret.y) << text << behaviour;
            }
        });
    }
    const std::vector<std::string> defaultRows = ReadLines(VELKIN_LANDING_TAGS_DIR "/default.tags");
    EXPECT_EQ(std::count_if(defaultRows.begin(), defaultRows.end(), [](const std::string& row) { return row[0] != '!'; }),
              static_cast<std::ptrdiff_t>(tagged));
}

// Alike rows count in list order, among the rows of their tags file.
TEST(PatternLandingTest, TwinsAreCountedInTheListsOrder)
{
    TagList list;
    for (const char* file : {"a.c", "b.c", "a.c", "a.c", "a.c"}) {
        TagEntry entry = Tag("/^x$/", "");
        entry.file = file;
        list.push_back(entry);
    }
    list[3].extensionFields = "struct:s";
    list[4].address = "/^y$/";
    const auto twin = [&list](const TagEntry& entry) { return SiblingsOf(list, entry).twin; };
    EXPECT_EQ(1, twin(list[0]));
    EXPECT_EQ(1, twin(list[1]));
    EXPECT_EQ(2, twin(list[2]));
    EXPECT_EQ(1, twin(list[3]));
    EXPECT_EQ(1, twin(list[4]));
    EXPECT_EQ(1, twin(TagEntry(list[2])));   // not in the list
    list[2].tagsFile = "T:\\other\\tags";    // the same row of another tags file
    EXPECT_EQ(1, twin(list[2]));
}

}  // namespace
