// The command end to end on the sample tree tagged by universal-ctags: what
// the status bar says, in order, whether the picker opens and with which
// rows, the repaint after it, and where the caret ends.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/AllocationCounter.h"
#include "common/ResourceCounter.h"
#include "plugin/CommandSession.h"
#include "tags/TagsFileLookup.h"

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

// What a command should leave: its story, the picker's rows, and the
// document and line where the caret ends.
struct Expected {
    std::vector<std::string> story;
    std::vector<std::string> rows;
    std::string landedIn;
    int landedLine;
};

void ExpectOutcome(const Expected& expected, const CommandOutcome& outcome, const std::string& label)
{
    EXPECT_EQ(expected.story, outcome.story) << label;
    EXPECT_EQ(expected.rows, outcome.rows) << label;
    EXPECT_EQ(expected.landedIn, outcome.document) << label;
    EXPECT_EQ(expected.landedLine, outcome.caretLine) << label;
}

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
        Expected expected;
    } cases[] = {
        {"one definition jumps at once", "", 0, 0,
         {{Searching("SetValue"), Jumping("src\\widget.cpp", "10")}, {}, "src\\widget.cpp", 9}},
        {"a word defined twice: the second row double-clicked", "", 1, 1,
         {Join({{Searching("Set"), "status 'Set' が見つかりました", "picker"}, kRepaint,
                {Jumping("src\\widget.cpp", "8")}}),
          {"Set | include/config.h | 7", "Set | src/widget.cpp | 8"}, "src\\widget.cpp", 7}},
        {"one exact match among tags that begin with the word", "", 2, 0,
         {{Searching("Se"), Jumping("src\\util\\strings.h", "5")}, {}, "src\\util\\strings.h", 4}},
        {"a prefix of one tag still goes through the picker", "", 3, 0,
         {Join({{Searching("Settl"), "status 'Settl' を含むシンボルが見つかりました", "picker"}, kRepaint,
                {Jumping("src\\util\\strings.c", "15")}}),
          {"Settle | src/util/strings.c | 15"}, "src\\util\\strings.c", 14}},
        {"the picker cancelled: no jump, a repaint", "", 4, kCancel,
         {Join({{Searching("Reset"), "status 'Reset' が見つかりました", "picker"}, kRepaint}),
          {"Reset | src/util/strings.c | 20", "Reset | src/widget.cpp | 18"}, "notes.txt", 4}},
        {"a word that is nowhere", "", 5, 0,
         {{Searching("Zzz"), "status 'Zzz' が '" + kTags + "' に見つかりませんでした"}, {}, "notes.txt", 5}},
        {"the caret on a blank: the document's tags", "src\\main.c", 2, 4,
         {Join({{"status '" + mainC + "'内に定義されたシンボルを'" + kTags + "'から探します...",
                 "status 適切なシンボルが見つからないので '" + mainC + "' 内のシンボル一覧を表示します", "picker"},
                kRepaint, {Jumping("src\\main.c", "24")}}),
          {"MAIN_NAME | src/main.c | 7", "SetAll | src/main.c | 18", "flag | src/main.c | 15",
           "globalSettings | src/main.c | 9", "main | src/main.c | 24", "name | src/main.c | 14",
           "option | src/main.c | 13", "set | src/main.c | 11"},
          "src\\main.c", 23}},
    };
    for (const auto& c : cases) {
        session.Open(c.document, {1, c.line});
        const CommandOutcome outcome = session.Run(c.pickRow);
        ExpectOutcome(c.expected, outcome, c.label);
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


// Cuts `path` to `size` bytes with a native program, as another program on
// the machine would; false when it is not cut within ten seconds. Wine gives
// no handle for a native process: the file's size tells when it has run.
bool CutShort(const std::string& path, DWORD size)
{
    const auto unixName = reinterpret_cast<char*(CDECL*)(LPCWSTR)>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* const unixPath = unixName ? unixName(std::filesystem::path(path).wstring().c_str()) : nullptr;
    if (!unixPath) return false;
    std::string command = "/usr/bin/truncate -s " + std::to_string(size) + " " + unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    // Wine runs a Unix program without a Windows process: it gives no process
    // handle, and the thread handle it leaves is stale stack, which closed this
    // program's standard output when it was closed.
    if (process.hProcess) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    for (int tries = 0; tries < 1000; ++tries, Sleep(10)) {
        if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow == size) return true;
    }
    return false;
}

// What befalls the tags files under the plug-in's views in one command.
struct ViewFault {
    // Cut short to `cutTo` bytes right after view `cutAtView` (from 1) of the
    // first mapping the command maps views of; emptied once cut.
    std::string cutPath;
    DWORD cutTo = 0;
    int cutAtView = 1;
    // No view but at a file's start can be mapped, as in an address space
    // that has room for the first window only.
    bool startOnly = false;
    HANDLE firstMapping = nullptr;
    int views = 0;
};
ViewFault g_fault;
decltype(&::MapViewOfFile) g_mapViewOfFile = nullptr;

LPVOID WINAPI MapThenFail(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T size)
{
    if (g_fault.startOnly && (offsetHigh != 0 || offsetLow != 0)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const LPVOID view = g_mapViewOfFile(mapping, access, offsetHigh, offsetLow, size);
    if (!g_fault.firstMapping) g_fault.firstMapping = mapping;
    const bool cutNow = view && mapping == g_fault.firstMapping && ++g_fault.views == g_fault.cutAtView;
    if (cutNow && !g_fault.cutPath.empty()) {
        EXPECT_TRUE(CutShort(std::exchange(g_fault.cutPath, ""), g_fault.cutTo));
    }
    return view;
}

// The view's pages past the cut fault when read: the command names the file
// as unreadable, releases what it holds, and the editor goes on.
TEST(CommandEndToEndTest, ATagsFileCutShortUnderTheViewIsNamedAsUnreadableAndTheNextCommandWorks)
{
    CommandSession session;
    const std::string tags = CommandSession::PathOf("tags");
    const std::string whole = tags + ".whole";
    std::filesystem::copy_file(tags, whole);
    AllocationCounter heap(session.Plugin().Module());
    session.Open("", {1, 1});
    session.Run();   // what the library keeps between commands
    const struct {
        const char* label;
        DWORD cutTo;
        std::string firstLine;   // put before the file's lines
        std::string lastLine;    // put after them
        const char* resources;
    } cases[] = {
        // The fault comes as the header is read.
        {"cut to nothing", 0, "", "", "file 1/1, mapping 1/1, view 1/1, handler 1/1"},
        // The fault comes while the line's extension fields are searched:
        // its name, file and address are copied already. (The line comes
        // before the header: the file is read as not sorted, in a second view.)
        {"cut in a record", 4096, "Set\tsrc/widget.cpp\t8;\"\tf\t" + std::string(5000, 'x') + "\n", "",
         "file 1/1, mapping 1/1, view 2/2, handler 2/2"},
        // The file stays sorted: the fault comes as the search reads the
        // line in the middle of the file (in the header's view).
        {"cut in the search", 1 << 19, "", "zz\tsrc/widget.cpp\t9;\"\tf\t" + std::string(3 << 20, 'x') + "\n",
         "file 1/1, mapping 1/1, view 1/1, handler 2/2"},
    };
    for (const auto& c : cases) {
        std::ofstream(tags, std::ios::binary | std::ios::trunc)
            << c.firstLine << std::ifstream(whole, std::ios::binary).rdbuf() << c.lastLine;
        g_fault = {tags, c.cutTo};
        const std::size_t blocks = heap.Live();
        const ResourceCounter resources(session.Plugin().Module());
        ImportPatches cut;
        cut.Add(session.Plugin().Module(), "MapViewOfFile", &MapThenFail, g_mapViewOfFile);
        session.Open("", {1, 1});
        const CommandOutcome outcome = session.Run();
        cut.Clear();
        EXPECT_TRUE(g_fault.cutPath.empty()) << c.label;
        EXPECT_EQ((std::vector<std::string>{Searching("Set"), "status '" + kTags + "' を開くことが出来ませんでした"}),
                  outcome.story)
            << c.label;
        EXPECT_EQ(c.resources, resources.Report()) << c.label;
        EXPECT_TRUE(resources.Balanced()) << c.label;
        // What the abandoned record held; the lists and the rest are freed.
        EXPECT_LE(heap.Live() - blocks, 3u) << c.label;
        std::printf("%s: %zu heap blocks lost\n", c.label, heap.Live() - blocks);
    }
    ASSERT_TRUE(CopyFileA(whole.c_str(), tags.c_str(), FALSE));
    session.Open("", {0, 0});
    EXPECT_EQ("src\\widget.cpp", session.Run().document);
}

}  // namespace

namespace {

// A library apart from the project, tagged on its own: its tags file is named
// by full path. Its `sdk_main` names the project's main.c by full path, which
// only a read of the document's tags from this file would offer.
const std::string kSdk = "T:\\session\\sdk";
const std::string kSdkTags = kSdk + "\\tags";
const char* const kSdkTagsText =
    "!_TAG_FILE_FORMAT\t2\t/extended format/\n"
    "!_TAG_FILE_SORTED\t1\t/0=unsorted, 1=sorted, 2=foldcase/\n"
    "Set\tinclude/sdk.h\t/^void Set(int value);$/;\"\tp\tline:3\n"
    "Zlib\tinclude/sdk.h\t/^int Zlib;$/;\"\tv\n"
    "sdk_main\tT:\\session\\proj\\src\\main.c\t24;\"\tf\n"
    "sdk_open\tinclude/sdk.h\t/^int sdk_open(const char *name);$/;\"\tp\n";
// A prototype of Set above its own line: the `line:` field tells them apart.
const char* const kSdkHeader = "// sdk\nvoid Set(int value);\nvoid Set(int value);\nint Zlib;\n"
                               "int sdk_open(const char *name);\n";
// A second tags file of the project's own, by full path in the project's folder.
const std::string kLocalTags = kProject + "\\local.tags";
const char* const kLocalTagsText = "main_helper\tsrc/main.c\t18;\"\tf\n";

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string SearchingIn(const std::string& word, const std::string& first, int more)
{
    return "status '" + word + "'の位置を'" + first + "'ほか" + std::to_string(more) + "個のタグファイルから探します...";
}

std::string JumpingTo(const std::string& path, const std::string& address)
{
    return "status '" + path + "' を開き '" + address + "'に移動します。";
}

std::string Unreadable(const std::string& path) { return "status '" + path + "' を開くことが出来ませんでした"; }

}  // namespace

// TagsFileName lists several files: each is read in the order listed, the
// lists are joined in that order and every row lands in its own tree; a file
// that fails is named and the others still count; entries that cannot name
// a file (a device, a special path, a missing file or a folder) and second
// spellings of a file already listed change nothing.
TEST(CommandEndToEndTest, SeveralTagsFilesAreReadInTheOrderListedAndEachTagLandsInItsOwnTree)
{
    CommandSession session;
    WriteBytes(kSdkTags, kSdkTagsText);
    WriteBytes(kSdk + "\\include\\sdk.h", kSdkHeader);
    WriteBytes(kLocalTags, kLocalTagsText);
    WriteBytes(CommandSession::PathOf("src\\uses_sdk.c"), "int f(void) { return sdk_open(\"x\"); }\n");
    std::filesystem::create_directories(CommandSession::PathOf(".git"));
    std::filesystem::copy_file(CommandSession::PathOf("tags"), CommandSession::PathOf(".git\\tags"));
    WriteBytes(kProject + "\\empty.tags", "");
    const std::string mainC = kProject + "\\src\\main.c";
    const std::string sdkH = kSdk + "\\include\\sdk.h";
    const std::string library = "tags;" + kSdkTags;
    std::string thousand;
    for (int i = 0; i < 1000; ++i) thousand += "absent" + std::to_string(i) + "\\tags;";
    const std::string mainTags = "status '" + mainC + "'内に定義されたシンボルを'" + kTags + "'ほか1個のタグファイルから探します...";
    const struct {
        const char* label;
        std::string value;      // TagsFileName; empty: none stored
        std::string document;   // as CommandSession::Open takes it
        HostPoint caret;
        int pickRow;
        Expected expected;
    } cases[] = {
        {"the default value", "", "", {1, 1}, 0,
         {Join({{Searching("Set"), "status 'Set' が見つかりました", "picker"}, kRepaint, {Jumping("include\\config.h", "7")}}),
          {"Set | include/config.h | 7", "Set | src/widget.cpp | 8"}, "include\\config.h", 6}},
        {"only in the nearest file", library, "", {1, 0}, 0,
         {{SearchingIn("SetValue", kTags, 1), Jumping("src\\widget.cpp", "10")}, {}, "src\\widget.cpp", 9}},
        {"only in the library's file, by full path", library, "src\\uses_sdk.c", {22, 0}, 0,
         {{SearchingIn("sdk_open", kTags, 1), JumpingTo(sdkH, "/^int sdk_open(const char *name);$/")}, {}, sdkH, 4}},
        {"in both, a row of the library picked", library, "", {1, 1}, 2,
         {Join({{SearchingIn("Set", kTags, 1), "status 'Set' が見つかりました", "picker"}, kRepaint,
                {JumpingTo(sdkH, "/^void Set(int value);$/")}}),
          {"Set | include/config.h | 7 | " + kTags, "Set | src/widget.cpp | 8 | " + kTags,
           "Set | include/sdk.h | /^void Set(int value);$/ | " + kSdkTags},
          sdkH, 2}},
        {"in both, a row of the project picked", library, "", {1, 1}, 1,
         {Join({{SearchingIn("Set", kTags, 1), "status 'Set' が見つかりました", "picker"}, kRepaint,
                {Jumping("src\\widget.cpp", "8")}}),
          {"Set | include/config.h | 7 | " + kTags, "Set | src/widget.cpp | 8 | " + kTags,
           "Set | include/sdk.h | /^void Set(int value);$/ | " + kSdkTags},
          "src\\widget.cpp", 7}},
        {"in none: the document's tags of the files that may name it", library + ";" + kLocalTags, "src\\main.c",
         {0, 2}, 8,
         {Join({{mainTags, "status 適切なシンボルが見つからないので '" + mainC + "' 内のシンボル一覧を表示します", "picker"},
               kRepaint, {Jumping("src\\main.c", "18")}}),
          {"MAIN_NAME | src/main.c | 7 | " + kTags, "SetAll | src/main.c | 18 | " + kTags,
           "flag | src/main.c | 15 | " + kTags, "globalSettings | src/main.c | 9 | " + kTags,
           "main | src/main.c | 24 | " + kTags, "name | src/main.c | 14 | " + kTags,
           "option | src/main.c | 13 | " + kTags, "set | src/main.c | 11 | " + kTags,
           "main_helper | src/main.c | 18 | " + kLocalTags},
          "src\\main.c", 17}},
        {"a word in none", library, "", {1, 5}, 0,
         {{SearchingIn("Zzz", kTags, 1), "status 'Zzz' が '" + kTags + "' ほか1個のタグファイルに見つかりませんでした"}, {},
          "notes.txt", 5}},
        {"one file unreadable", kProject + "\\empty.tags;" + library, "", {1, 0}, 0,
         {{SearchingIn("SetValue", kProject + "\\empty.tags", 2), Unreadable(kProject + "\\empty.tags"),
           Jumping("src\\widget.cpp", "10")},
          {}, "src\\widget.cpp", 9}},
        {"a .git\\tags entry", ".git\\tags", "", {1, 0}, 0,
         {{"status 'SetValue'の位置を'" + kProject + "\\.git\\tags'から探します...", Jumping("src\\widget.cpp", "10")},
          {}, "src\\widget.cpp", 9}},
        {"one file by several spellings", "tags;.\\tags; T:\\SESSION\\proj\\tags ;src\\..\\tags;;", "", {1, 0}, 0,
         {{Searching("SetValue"), Jumping("src\\widget.cpp", "10")}, {}, "src\\widget.cpp", 9}},
        {"devices, special paths, missing files and folders", "NUL;con.txt;COM1;\\\\.\\T:\\session\\proj\\tags;\\\\?\\" +
             kTags + ";T:\\session\\missing\\tags;" + kProject + "\\src;a|b;tags",
         "", {1, 0}, 0,
         {{Searching("SetValue"), Jumping("src\\widget.cpp", "10")}, {}, "src\\widget.cpp", 9}},
        {"a thousand entries, one found", thousand + "tags", "", {1, 0}, 0,
         {{Searching("SetValue"), Jumping("src\\widget.cpp", "10")}, {}, "src\\widget.cpp", 9}},
        {"32 KB in one entry, then the file", std::string(32 << 10, 'x') + ";tags", "", {1, 0}, 0,
         {{Searching("SetValue"), Jumping("src\\widget.cpp", "10")}, {}, "src\\widget.cpp", 9}},
        {"separators and blanks alone: as if missing", " ; ;\t", "", {1, 0}, 0,
         {{Searching("SetValue"), Jumping("src\\widget.cpp", "10")}, {}, "src\\widget.cpp", 9}},
        {"nothing found", "absent\\tags;T:\\session\\missing\\tags", "", {1, 0}, 0,
         {{"status フォルダを遡っても'absent\\tags;T:\\session\\missing\\tags'は見つかりませんでした"}, {}, "notes.txt", 0}},
    };
    for (const auto& c : cases) {
        if (c.value.empty()) {
            session.Registry().Remove();
        } else {
            session.Registry().Set(REG_SZ, c.value + '\0');
        }
        session.Open(c.document, c.caret);
        const ResourceCounter resources(session.Plugin().Module());
        const CommandOutcome outcome = session.Run(c.pickRow);
        ExpectOutcome(c.expected, outcome, c.label);
        EXPECT_TRUE(resources.Balanced()) << c.label << ": " << resources.Report();
    }
}

// A file that fails is named, keeps nothing of what it gave, and the others
// still give their tags: cut short under the search's view, with no room for
// its second window, or cut short while read for the document's tags after
// the word was in no file.
TEST(CommandEndToEndTest, ATagsFileThatFailsAmongSeveralIsNamedAndTheOthersStillCount)
{
    CommandSession session;
    const std::string tags = CommandSession::PathOf("tags");
    const std::string projectTags = ReadBytes(tags);
    // Not sorted, a line of Set in its first window, more than one window long.
    const std::string twoWindows = "!_TAG_FILE_FORMAT\t2\t/extended format/\n"
                                   "Set\tinclude/sdk.h\t/^void Set(int value);$/;\"\tp\tline:3\n";
    const std::string mainC = kProject + "\\src\\main.c";
    const struct {
        const char* label;
        std::string value;  // TagsFileName
        ViewFault fault;
        std::string document;
        HostPoint caret;
        int pickRow;
        Expected expected;
    } cases[] = {
        {"the library's file cut short under the search's view", kSdkTags + ";tags", {kSdkTags, 0}, "", {1, 0}, 0,
         {{SearchingIn("SetValue", kSdkTags, 1), Unreadable(kSdkTags), Jumping("src\\widget.cpp", "10")}, {},
          "src\\widget.cpp", 9}},
        {"no room for the library's second window", kSdkTags + ";tags", {"", 0, 1, true}, "", {1, 1}, 1,
         {Join({{SearchingIn("Set", kSdkTags, 1), Unreadable(kSdkTags), "status 'Set' が見つかりました", "picker"},
                kRepaint, {Jumping("src\\widget.cpp", "8")}}),
          {"Set | include/config.h | 7", "Set | src/widget.cpp | 8"}, "src\\widget.cpp", 7}},
        // Cut at its second view: the first is the search's, which finds no puts.
        {"the project's file cut short while read for the document's tags", "tags;" + kLocalTags, {tags, 0, 2},
         "src\\main.c", {5, 26}, 0,
         {Join({{SearchingIn("puts", kTags, 1), Unreadable(kTags),
                 "status 適切なシンボルが見つからないので '" + mainC + "' 内のシンボル一覧を表示します", "picker"},
                kRepaint, {Jumping("src\\main.c", "18")}}),
          {"main_helper | src/main.c | 18"}, "src\\main.c", 17}},
    };
    WriteBytes(kLocalTags, kLocalTagsText);
    for (const auto& c : cases) {
        WriteBytes(tags, projectTags);
        WriteBytes(kSdkTags, c.fault.startOnly ? twoWindows : kSdkTagsText + std::string(1 << 20, '\n'));
        if (c.fault.startOnly) {
            std::filesystem::resize_file(kSdkTags, kScanWindowBytes - 1);  // zeros, not written
            std::ofstream(kSdkTags, std::ios::binary | std::ios::app) << "\nZlib\tinclude/sdk.h\t/^int Zlib;$/;\"\tv\n";
        }
        session.Registry().Set(REG_SZ, c.value + '\0');
        g_fault = c.fault;
        session.Open(c.document, c.caret);
        const ResourceCounter resources(session.Plugin().Module());
        ImportPatches fail;
        fail.Add(session.Plugin().Module(), "MapViewOfFile", &MapThenFail, g_mapViewOfFile);
        const CommandOutcome outcome = session.Run(c.pickRow);
        fail.Clear();
        EXPECT_TRUE(g_fault.cutPath.empty()) << c.label;
        ExpectOutcome(c.expected, outcome, c.label);
        EXPECT_TRUE(resources.Balanced()) << c.label << ": " << resources.Report();
    }
}

namespace {

// Tagged without line numbers: a macro defined in three #if branches,
// unsorted (--sort=no keeps ctags' three alike rows), and a member of two
// structs on alike lines; each row picked lands on its own line.
TEST(CommandEndToEndTest, TwinsAndMembersPickedLandOnTheirOwnLines)
{
    CommandSession session;
    std::ofstream(kProject + "\\src\\throw.h", std::ios::binary)
        << "#if defined(A)\n#define LUAI_THROW(L,c) throw(c)\n#elif defined(B)\n"
           "#define LUAI_THROW(L,c) _longjmp(c)\n#else\n#define LUAI_THROW(L,c) longjmp(c)\n#endif\n"
           "struct first {\n    int count;\n};\nstruct second {\n    int count;\n};\n";
    std::string tags;
    for (int i = 0; i < 3; ++i) tags += "LUAI_THROW\tsrc/throw.h\t/^#define LUAI_THROW(/;\"\td\n";
    for (const char* owner : {"first", "second"}) {
        tags += std::string("count\tsrc/throw.h\t/^    int count;$/;\"\tm\tstruct:") + owner + "\n";
        tags += owner + std::string("\tsrc/throw.h\t/^struct ") + owner + " {$/;\"\ts\n";
    }
    std::ofstream(kTags, std::ios::binary) << tags;
    const struct {
        HostPoint caret;
        int row;
        int line;
        std::size_t rows;
    } cases[] = {{{9, 1}, 0, 1, 3}, {{9, 1}, 1, 3, 3}, {{9, 1}, 2, 5, 3}, {{9, 8}, 0, 8, 2}, {{9, 8}, 1, 11, 2}};
    for (const auto& c : cases) {
        session.Open("src\\throw.h", c.caret);
        const CommandOutcome outcome = session.Run(c.row);
        const std::string label = "line " + std::to_string(c.caret.y) + ", row " + std::to_string(c.row);
        EXPECT_EQ(c.rows, outcome.rows.size()) << label;
        EXPECT_EQ("src\\throw.h", outcome.document) << label;
        EXPECT_EQ(c.line, outcome.caretLine) << label;
    }
}

// The Windows form of a Unix path: drive Z: is the Unix root.
std::string FromUnix(std::string path)
{
    for (char& byte : path) byte = byte == '/' ? '\\' : byte;
    return "Z:" + path;
}

// Universal-ctags' default output for tests/nav/landing/members.c: a member
// with a local of the same text above its struct, jumped to at once, and the
// member of an anonymous union inside the second of two functions, picked;
// each lands on its own line.
TEST(CommandEndToEndTest, MembersLandInsideTheirOwnersAsTheirScopesTell)
{
    CommandSession session;
    std::filesystem::create_directories(CommandSession::PathOf("landing"));
    std::filesystem::copy_file(FromUnix(VELKIN_LANDING_DIR "/members.c"), CommandSession::PathOf("landing\\members.c"));
    std::filesystem::copy_file(FromUnix(VELKIN_LANDING_TAGS_DIR "/default.tags"), CommandSession::PathOf("landing\\tags"));
    const struct {
        HostPoint caret;   // on the word
        int row;
        int line;
        std::size_t rows;
    } cases[] = {{{12, 7}, 0, 15, 0}, {{33, 30}, 1, 37, 2}};
    for (const auto& c : cases) {
        session.Open("landing\\members.c", c.caret);
        const CommandOutcome outcome = session.Run(c.row);
        const std::string label = "line " + std::to_string(c.caret.y);
        EXPECT_EQ(c.rows, outcome.rows.size()) << label;
        EXPECT_EQ("landing\\members.c", outcome.document) << label;
        EXPECT_EQ(c.line, outcome.caretLine) << label;
    }
}

// A VHDL and an SQL word written in another case than its definition jump
// there at once, from ctags' files sorted by bytes, with letters folded and
// unsorted; a C word of another case finds no tag of its own and shows the
// document's tags.
TEST(CommandEndToEndTest, WordsOfAnotherCaseJumpInLanguagesThatIgnoreCase)
{
    CommandSession session;
    std::filesystem::create_directories(CommandSession::PathOf("anycase"));
    for (const char* source : {"counter.vhd", "orders.sql", "counter.c"}) {
        std::filesystem::copy_file(FromUnix(VELKIN_ANYCASE_DIR "/" + std::string(source)),
                                   CommandSession::PathOf("anycase\\" + std::string(source)));
    }
    const struct {
        const char* document;
        HostPoint caret;  // on the word
        int line;         // where the caret ends
        bool picker;
    } cases[] = {{"anycase\\counter.vhd", {20, 16}, 3, false},
                 {"anycase\\orders.sql", {9, 8}, 2, false},
                 {"anycase\\counter.c", {13, 7}, 7, true}};
    for (const char* sort : {"yes", "foldcase", "no"}) {
        std::filesystem::copy_file(FromUnix(VELKIN_ANYCASE_TAGS_DIR "/" + std::string(sort) + ".tags"),
                                   CommandSession::PathOf("anycase\\tags"),
                                   std::filesystem::copy_options::overwrite_existing);
        for (const auto& c : cases) {
            session.Open(c.document, c.caret);
            const CommandOutcome outcome = session.Run(kCancel);
            const std::string label = std::string(sort) + ": " + c.document;
            EXPECT_EQ(c.picker, std::count(outcome.story.begin(), outcome.story.end(), "picker") == 1) << label;
            EXPECT_EQ(c.document, outcome.document) << label;
            EXPECT_EQ(c.line, outcome.caretLine) << label;
        }
    }
}

}  // namespace

namespace {

// A long read on the test's clock: each view the plug-in maps takes
// `viewMs`, and Esc comes at the mapping of view `escAtView` (0: before the
// command): held down from then on, or tapped, which only the low bit of the
// next look tells (pressed since the last look), typed into the editor or
// into another program.
enum class Esc { none, held, tapped };
struct SlowRead {
    DWORD viewMs = 120;
    Esc esc = Esc::none;
    int escAtView = 0;
    HWND foreground = nullptr;
    DWORD clock = 0;
    int views = 0;
    bool tapTold = false;
};
SlowRead g_slow;
decltype(&::MapViewOfFile) g_mapSlowly = nullptr;
decltype(&::GetTickCount) g_tickCount = nullptr;
decltype(&::GetAsyncKeyState) g_asyncKeyState = nullptr;
decltype(&::GetForegroundWindow) g_foreground = nullptr;

LPVOID WINAPI MapSlowly(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T size)
{
    g_slow.clock += g_slow.viewMs;
    ++g_slow.views;
    return g_mapSlowly(mapping, access, offsetHigh, offsetLow, size);
}
DWORD WINAPI SlowClock() { return g_slow.clock; }
SHORT WINAPI EscapeKey(int key)
{
    if (key != VK_ESCAPE || g_slow.esc == Esc::none || g_slow.views < g_slow.escAtView) return 0;
    if (g_slow.esc == Esc::held) return static_cast<SHORT>(0x8000);
    const bool told = g_slow.tapTold;
    g_slow.tapTold = true;
    return told ? 0 : 1;
}
HWND WINAPI Foreground() { return g_slow.foreground; }

// A status text of progress with its share read taken out ("...%"); the
// share is appended to `shares`.
std::string WithoutShare(const std::string& step, std::vector<int>& shares)
{
    const std::string reading = "' を読んでいます... ";
    const std::size_t at = step.find(reading);
    if (at == std::string::npos || step.back() != '%') return step;
    const std::size_t share = at + reading.size();
    shares.push_back(std::stoi(step.substr(share)));
    return step.substr(0, share) + "%";
}

}  // namespace

// A read of the tags file that takes long (the project's, not sorted, made
// 320 MB long by lines of zeros): after 250 ms the status bar shows the share
// read, painted at once, every 100 ms or more; Esc held or tapped during the
// read, or before the first share is shown, stops it with nothing shown and
// nothing opened (the views released); Esc pressed before the command, or
// typed into another program, does not.
TEST(CommandEndToEndTest, ALongReadShowsHowFarItHasComeAndEscStopsIt)
{
    CommandSession session;
    std::string tags = ReadBytes(kTags);
    const std::string sorted = "!_TAG_FILE_SORTED\t1";
    tags.replace(tags.find(sorted), sorted.size(), "!_TAG_FILE_SORTED\t0");
    WriteBytes(kTags, tags);
    {
        std::fstream file(kTags, std::ios::binary | std::ios::in | std::ios::out);
        for (std::streamoff at = 16 << 20; at < (320 << 20); at += 16 << 20) file.seekp(at) << '\n';
    }
    std::filesystem::resize_file(kTags, 320 << 20);  // zeros, not written
    // A window of another process: the desktop's.
    DWORD desktopProcess = 0;
    const HWND otherProgram = GetDesktopWindow();
    GetWindowThreadProcessId(otherProgram, &desktopProcess);
    ASSERT_NE(GetCurrentProcessId(), desktopProcess);

    const std::string progress = "status '" + kTags + "' を読んでいます... %";
    const std::vector<std::string> shown = {progress, "RedrawWindow frame1"};
    const std::string stopped = "status タグの検索を中止しました";
    const std::string jumped = Jumping("src\\widget.cpp", "10");
    const std::vector<std::string> toTheEnd =
        Join({{Searching("SetValue")}, shown, shown, shown, shown, shown, {jumped}});
    const struct {
        const char* label;
        DWORD viewMs;
        Esc esc;
        int escAtView;
        bool editorInFront;
        std::vector<std::string> story;
        std::string landedIn;
    } cases[] = {
        // The header's view, then windows of 48 MB (whole lines): views 1 to
        // 3 take 360 ms, the fourth is the first told, then each one.
        {"read to the end", 120, Esc::none, 0, true, toTheEnd, "src\\widget.cpp"},
        // Views 1 to 5 take 300 ms: the sixth is told, and the eighth 120 ms later.
        {"views 60 ms apart", 60, Esc::none, 0, true, Join({{Searching("SetValue")}, shown, shown, {jumped}}),
         "src\\widget.cpp"},
        {"Esc during the read", 120, Esc::held, 5, true, Join({{Searching("SetValue")}, shown, shown, {stopped}}),
         "notes.txt"},
        {"a tap of Esc between two views", 120, Esc::tapped, 5, true,
         Join({{Searching("SetValue")}, shown, shown, {stopped}}), "notes.txt"},
        {"Esc before anything is shown", 120, Esc::held, 1, true, {Searching("SetValue"), stopped}, "notes.txt"},
        {"Esc pressed before the command", 120, Esc::tapped, 0, true, toTheEnd, "src\\widget.cpp"},
        {"Esc typed into another program", 120, Esc::held, 1, false, toTheEnd, "src\\widget.cpp"},
    };
    for (const auto& c : cases) {
        session.Open("", {1, 0});
        g_slow = {c.viewMs, c.esc, c.escAtView, c.editorInFront ? session.Frame().Window() : otherProgram};
        const ResourceCounter resources(session.Plugin().Module());
        ImportPatches slow;
        const HMODULE plugin = session.Plugin().Module();
        slow.Add(plugin, "MapViewOfFile", &MapSlowly, g_mapSlowly);
        slow.Add(plugin, "GetTickCount", &SlowClock, g_tickCount);
        slow.Add(plugin, "GetAsyncKeyState", &EscapeKey, g_asyncKeyState);
        slow.Add(plugin, "GetForegroundWindow", &Foreground, g_foreground);
        CommandOutcome outcome = session.Run();
        slow.Clear();
        std::vector<int> shares;
        for (std::string& step : outcome.story) step = WithoutShare(step, shares);
        EXPECT_EQ(c.story, outcome.story) << c.label;
        EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end())) << c.label;
        EXPECT_TRUE(shares.empty() || (shares.front() > 0 && shares.back() < 100)) << c.label;
        EXPECT_TRUE(outcome.rows.empty()) << c.label;
        EXPECT_EQ(c.landedIn, outcome.document) << c.label;
        EXPECT_TRUE(resources.Balanced()) << c.label << ": " << resources.Report();
    }
}
