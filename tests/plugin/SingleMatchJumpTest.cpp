// The command through the real DLL when the tags file holds exactly one tag of
// the word: it jumps at once, to the line or the pattern, in whichever editor
// window holds the file, and reports a file it cannot open in a message box.
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/FindBehaviours.h"
#include "common/ImportPatch.h"
#include "common/RegistryValueGuard.h"
#include "common/Sjis.h"
#include "common/TestText.h"
#include "editor/HostMessages.h"
#include "host/ModalDriver.h"
#include "host/PluginLibrary.h"
#include "host/SimHost.h"

namespace {

using namespace velkin;
using namespace velkin::sim;

// T: is a scratch drive whose root the tests may write (see scripts/wine-run.sh).
const char* const kScratch = "T:\\jump";
const char* const kProject = "T:\\jump\\proj";
const char* const kDocument = "T:\\jump\\proj\\src\\main.c";
const char* const kOther = "T:\\jump\\proj\\src\\other.c";

// The word's first occurrence is on line 3, the caret on line 45: a search
// for the name lands visibly elsewhere than where the caret started. Line 10
// holds the '/' and '\' that ctags escapes in a pattern; lines 20 and 21 two
// macros, the first named like the second and more.
const char* const kEscapedLine = R"(int half = 1 / 2; /* C:\dir\ */)";
std::string SourceText()
{
    std::string text = "/* jump target */\n\nstatic int target(void)\nint foo_bar2(void)\n";
    for (int line = 4; line < 45; ++line) {
        text += line == 10   ? std::string(kEscapedLine) + "\n"
                : line == 20 ? "#define LIMIT_MAX 9\n"
                : line == 21 ? "#define LIMIT 8\n"
                             : "int v" + std::to_string(line) + ";\n";
    }
    return text + "    return foo_bar2();\n}\n";
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(WriteTestFile(path, bytes)) << path;
}

std::string JumpStatus(const std::string& fullPath, const std::string& address)
{
    return Sjis("'") + fullPath + Sjis("' を開き '") + address + Sjis("'に移動します。");
}

class SingleMatchJumpTest : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveScratch();
        WriteFile(kDocument, SourceText());
        WriteFile(kOther, SourceText());
        document_.SetText(SourceText());
        document_.MoveCaret({12, 45});
    }
    void TearDown() override { RemoveScratch(); }
    static void RemoveScratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(kScratch, ignored);
    }

    // A tags file whose only tag named like the word has `file`, `address`
    // and the extension `fields` (each after a tab); a longer name beside it is
    // only a prefix match.
    // The file is `tagsName` below the project.
    void WriteTag(const std::string& file, const std::string& address, const std::string& fields = "",
                  const std::string& tagsName = "tags")
    {
        WriteFile(std::string(kProject) + "\\" + tagsName, "foo_bar2\t" + file + "\t" + address + ";\"\tf" + fields +
                                                              "\n" + "foo_bar2_more\tsrc/main.c\t1;\"\tf\n");
    }

    // Runs the command in frame1 and returns what the host received from the
    // jump on: the calls after the search announcement.
    std::vector<std::string> RunCommand()
    {
        host_.ClearCalls();
        plugin_.OnCommand(frame_.Window());
        std::vector<std::string> calls = host_.DescribeCalls();
        std::size_t searchStatus = 0;
        while (searchStatus < calls.size() && calls[searchStatus].rfind("frame1 2085 ", 0) != 0) ++searchStatus;
        return std::vector<std::string>(calls.begin() + std::min(searchStatus + 1, calls.size()), calls.end());
    }

    // Runs the command expecting the failure box; presses its button.
    ModalReport RunCommandWithBox()
    {
        ModalDriver driver(Sjis("ファイルが開けません"), [](const ModalSnapshot& box) { PressDialogButton(box.window, IDOK); });
        calls_ = RunCommand();
        return driver.Finish();
    }

    static std::string BoxBody(const ModalReport& box)
    {
        for (const ModalControl& control : box.ControlsOf("Static"))
            if (!control.text.empty()) return control.text;
        return std::string();
    }

    test::RegistryValueGuard registry_;  // TagsFileName absent: "tags"
    SimHost host_;
    PluginLibrary plugin_;
    SimFrame& frame_ = host_.AddFrame();
    SimView& view_ = frame_.AddView();
    SimDocument& document_ = view_.AddDocument(kDocument);
    std::vector<std::string> calls_;
};

// The calls that move the view, to a line or to a text: caret, commands and finds.
std::vector<std::string> Moves(const std::vector<std::string>& calls)
{
    std::vector<std::string> moves;
    for (const std::string& call : calls)
        if (call.find(" 2066 ") != std::string::npos || call.find(" 2070 ") != std::string::npos ||
            call.find(" 2082 ") != std::string::npos)
            moves.push_back(call);
    return moves;
}

// The calls that move view1 to line `y` (zero-based), and a search.
std::vector<std::string> LineMoves(const std::string& y)
{
    return {"view1 2066 1 (0," + y + ") -> 0", "view1 2070 4153 0 -> 0", "view1 2070 4183 0 -> 0"};
}
std::string Find(const std::string& text, int answer)
{
    return "view1 2082 675 \"" + text + "\" -> " + std::to_string(answer);
}

TEST_F(SingleMatchJumpTest, AnnouncesActivatesThenGoesToTheLineOrThePatternsText)
{
    const std::string top = "view1 2070 4164 0 -> 0";
    const struct {
        std::string address;
        std::vector<std::string> moves;   // the calls after the activation
        LONG caretLine;
    } cases[] = {
        {"42", LineMoves("41"), 41},
        {"0", LineMoves("-1"), 0},
        {"", LineMoves("-1"), 0},
        {"99999999999", LineMoves("2147483646"), 47},   // saturates before the minus one; the editor clamps
        {"12a", {top, Find("", 0), top, Find("foo_bar2", 1)}, 3},
        {" 42", {top, Find("", 0), top, Find("foo_bar2", 1)}, 3},
        {"-1", {top, Find("", 0), top, Find("foo_bar2", 1)}, 3},
        {"/^static int target(void)$/", {top, Find("static int target(void)", 1)}, 2},
        {"?^static int target(void)$?", {top, Find("static int target(void)", 1)}, 2},
        // Without "$" the line goes on: only the closing delimiter is cut.
        {"/^static int target(void)/", {top, Find("static int target(void)", 1)}, 2},
        {"/^#define LIMIT /", {top, Find("#define LIMIT ", 1)}, 21},
        {"/static int target(void)/", {top, Find("static int target(void)", 1)}, 2},   // no "^": the text is whole
        {"/^not in the file$/", {top, Find("not in the file", 0), top, Find("foo_bar2", 1)}, 3},
        // Escaped: searched as written, then with "\/" and "\\" undone, before the name.
        {R"(/^int half = 1 \/ 2; \/* C:\\dir\\ *\/$/)",
         {top, Find(R"(int half = 1 \/ 2; \/* C:\\dir\\ *\/)", 0), top, Find(kEscapedLine, 1)}, 10},
        {R"(?^int half = 3 \/ 4;$?)", {top, Find(R"(int half = 3 \/ 4;)", 0), top, Find("int half = 3 / 4;", 0),
                                        top, Find("foo_bar2", 1)}, 3},
        {R"(/^a\tb$/)", {top, Find(R"(a\tb)", 0), top, Find("foo_bar2", 1)}, 3},   // nothing to undo
        // Shift-JIS bytes are not UTF-8: no converted text is searched for.
        {"/^" + Sjis("int 件数;") + "$/", {top, Find(Sjis("int 件数;"), 0), top, Find("foo_bar2", 1)}, 3},
    };
    for (const auto& c : cases) {
        WriteTag("src/main.c", c.address);
        document_.MoveCaret({12, 45});
        std::vector<std::string> expected = {
            "frame1 2085 0 \"" + JumpStatus(kDocument, c.address) + "\" -> 0",
            "frame1 2106 298 0 -> 0",
            "view1 2106 301 0 -> 1",
            std::string("view1 2106 278@0 \"") + kDocument + "\" -> 1",
            "view1 2106 307@0 0 -> 1",
        };
        const std::vector<std::string> calls = RunCommand();
        ASSERT_GE(calls.size(), expected.size()) << c.address;
        EXPECT_EQ(expected, std::vector<std::string>(calls.begin(), calls.begin() + expected.size())) << c.address;
        EXPECT_EQ(c.moves, Moves(std::vector<std::string>(calls.begin() + expected.size(), calls.end()))) << c.address;
        EXPECT_EQ(c.caretLine, document_.caret.y) << c.address;
    }
}

// A full path stands as written, a rooted one takes the tags folder's drive;
// the status names the resolved path, and a path that opens nothing the box.
TEST_F(SingleMatchJumpTest, FullAndRootedFileFieldsNameTheirFileAndRelativeOnesAreJoined)
{
    // Names in UTF-8, as ctags writes them today, and the Shift-JIS "ﾂｱ.c",
    // whose bytes are the UTF-8 "±.c" too.
    const std::string japanese = Sjis("T:\\jump\\proj\\資料\\計算.c");
    const std::string katakana = std::string(kProject) + "\\\xC2\xB1.c";
    CreateDirectoryA(Sjis("T:\\jump\\proj\\資料").c_str(), nullptr);   // std::filesystem reads names otherwise
    ASSERT_TRUE(WriteTestFile(japanese, SourceText()));
    ASSERT_TRUE(WriteTestFile(katakana, SourceText()));
    const std::string utf8 = "\xE8\xB3\x87\xE6\x96\x99/\xE8\xA8\x88\xE7\xAE\x97.c";   // 資料/計算.c
    const std::string missing = "T:\\jump\\proj\\src\\missing.c";
    const struct {
        std::string field;
        std::string fullPath;
        std::string firstTried;   // the status's first full path, when not fullPath
    } cases[] = {
        {"src/other.c", kOther},
        {kOther, kOther},
        {"T:/jump/proj/src/other.c", kOther},
        {R"(\jump\proj\src\other.c)", kOther},
        {"/jump/proj/src/other.c", kOther},
        {"src/missing.c", missing},
        {utf8, japanese},
        {"T:/jump/proj/" + utf8, japanese},
        {"\xC2\xB1.c", katakana, std::string(kProject) + Sjis("\\±.c")},
    };
    for (const auto& c : cases) {
        WriteTag(c.field, "3");
        view_.Activate(0);
        const bool opens = c.fullPath != missing;
        ModalReport box;
        if (opens) {
            calls_ = RunCommand();
        } else {
            box = RunCommandWithBox();
        }
        ASSERT_FALSE(calls_.empty()) << c.field;
        const std::string& status = c.firstTried.empty() ? c.fullPath : c.firstTried;
        EXPECT_EQ("frame1 2085 0 \"" + JumpStatus(status, "3") + "\" -> 0", calls_.front()) << c.field;
        EXPECT_EQ(opens ? c.fullPath : kDocument, view_.ActiveDocument()->AnsiPath()) << c.field;
        EXPECT_EQ(opens ? 2 : 45, view_.ActiveDocument()->caret.y) << c.field;
        EXPECT_EQ(opens ? "" : c.fullPath + Sjis(" が開けません"), BoxBody(box)) << c.field;
    }
}

// The file calls the DLL makes through its own import slots, by path, less
// those of tags files (their names end in "tags").
class FileCalls {
public:
    explicit FileCalls(HMODULE module)
    {
        paths_.clear();
        patches_.Add(module, "GetFileAttributesA", &Attributes, attributes_);
        patches_.Add(module, "CreateFileA", &Create, create_);
    }
    static const std::vector<std::string>& Paths() { return paths_; }
    static void Clear() { paths_.clear(); }

private:
    static void Record(const char* path)
    {
        const std::string text = path;
        if (text.size() < 4 || text.compare(text.size() - 4, 4, "tags") != 0) paths_.push_back(text);
    }
    static DWORD WINAPI Attributes(LPCSTR path)
    {
        Record(path);
        return attributes_(path);
    }
    static HANDLE WINAPI Create(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE model)
    {
        Record(path);
        return create_(path, access, share, security, disposition, flags, model);
    }

    test::ImportPatches patches_;
    static inline decltype(&::GetFileAttributesA) attributes_ = nullptr;
    static inline decltype(&::CreateFileA) create_ = nullptr;
    static inline std::vector<std::string> paths_;
};

// A file field that leads to another machine is followed once the user says
// Yes (No, the default, touches nothing of it), or at once when its host
// holds the tags file or is listed in TrustedHosts; a device is never opened.
// Under Wine \\velkin-host\share is T:\unc\velkin-host\share.
TEST_F(SingleMatchJumpTest, AFieldOnAnotherMachineIsFollowedOnlyWhenTrustedAndADeviceNever)
{
    const std::string share = "\\\\velkin-host\\share\\";
    WriteFile("T:\\unc\\velkin-host\\share\\other.c", SourceText());
    WriteFile("T:\\unc\\velkin-host\\share\\tags", "foo_bar2\t//VELKIN-HOST/share/other.c\t3;\"\tf\n");
    test::RegistryValueGuard trusted(kTrustedHostsValue);
    const std::string question = Sjis("別のコンピュータのファイル");
    const std::string notAFile = Sjis("ファイルではありません");
    enum Answer { none, enter, no, yes, ok };
    const struct {
        std::string field;
        Answer answer;
        std::string landed;             // the document the jump lands in; empty: it stays in main.c
        std::string trustedHosts;       // empty: no value
        std::string tagsFileName = "tags";
        std::string named;              // the field or host as a box names it, when converted from UTF-8
    } cases[] = {
        {share + "other.c", enter},   // Enter: No is the default button
        {"//velkin-host/share/other.c", no},
        {"\\/velkin-host\\share\\other.c", no},
        {"\\\\?\\UNC\\velkin-host\\share\\other.c", no},
        {"\\??\\UNC\\velkin-host\\share\\other.c", no},
        {"\\\\velkin-host@SSL@443\\DavWWWRoot\\other.c", no},
        {share + "other.c", no, "", "velkin-host2;velkin"},
        {share + "other.c", yes, share + "other.c"},
        {share + "other.c", none, share + "other.c", "build01; VELKIN-HOST "},
        // The tags file lies on that host: its fields there are followed.
        {"", none, "\\\\VELKIN-HOST\\share\\other.c", "", share + "tags"},
        {"COM1", ok},
        {"src\\con.h", ok},
        {"NUL.c", ok},
        {"\\\\.\\pipe\\velkin", ok},
        {"\\\\?\\GLOBALROOT\\Device\\Null", ok},
        // UTF-8, judged converted: read as Shift-JIS, "\x82\\" would hide the separator.
        {"\xE3\x81\x82\\CON", ok, "", "", "tags", Sjis("あ\\CON")},
        {"//\xE3\x82\xB5\xE3\x83\xBC\xE3\x83\x90/share/other.c", no, "", "", "tags", Sjis("サーバ")},
    };
    const FileCalls recorder(plugin_.Module());
    for (const auto& c : cases) {
        const std::string label = c.field + " " + c.trustedHosts + " " + c.tagsFileName;
        if (c.trustedHosts.empty()) {
            trusted.Remove();
        } else {
            trusted.Set(REG_SZ, c.trustedHosts + '\0');
        }
        registry_.Set(REG_SZ, c.tagsFileName + '\0');
        if (!c.field.empty()) WriteTag(c.field, "3");
        view_.Activate(0);
        FileCalls::Clear();
        const std::string caption = c.answer == none ? "" : c.answer == ok ? notAFile : question;
        const auto answer = [&c](const ModalSnapshot& box) {
            if (c.answer == enter) {
                PressKey(FocusOf(box.window), VK_RETURN);
            } else {
                PressDialogButton(box.window, c.answer == yes ? IDYES : c.answer == no ? IDNO : IDOK);
            }
        };
        ModalDriver driver(caption, answer, GetCurrentThreadId(), c.answer == none ? 1000 : 5000);
        calls_ = RunCommand();
        const ModalReport& box = driver.Finish();

        EXPECT_EQ(c.answer != none, box.found) << label;
        if (c.answer == ok)
            EXPECT_NE(std::string::npos, BoxBody(box).find("'" + (c.named.empty() ? c.field : c.named) + "'")) << label;
        if (c.answer != none && c.answer != ok) {
            const std::string host = c.named.empty() ? "velkin-host" : c.named;
            EXPECT_NE(std::string::npos, BoxBody(box).find(Sjis("「") + host + Sjis("」"))) << label << BoxBody(box);
        }
        const bool loads = std::any_of(calls_.begin(), calls_.end(),
                                       [](const std::string& call) { return call.find(" 2060 ") != std::string::npos; });
        if (c.landed.empty()) {
            EXPECT_EQ(std::vector<std::string>(), FileCalls::Paths()) << label;
            EXPECT_FALSE(loads) << label;
            EXPECT_EQ(kDocument, view_.ActiveDocument()->AnsiPath()) << label;
        } else {
            EXPECT_EQ(std::vector<std::string>{c.landed}, FileCalls::Paths()) << label;
            EXPECT_EQ(c.landed, view_.ActiveDocument()->AnsiPath()) << label;
            EXPECT_EQ(2, view_.ActiveDocument()->caret.y) << label;
        }
        if (c.answer == enter || c.answer == no) {
            ASSERT_FALSE(calls_.empty());
            EXPECT_NE(std::string::npos, calls_.back().find(Sjis("開かずにジャンプをやめました"))) << label;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all("T:\\unc\\velkin-host", ignored);
}

TEST_F(SingleMatchJumpTest, TheFileOpenElsewhereIsActivatedThereAndItsWindowRaised)
{
    WriteTag("src/other.c", "/^static int target(void)$/");
    SimFrame& frame2 = host_.AddFrame();
    SimView& nested = frame2.AddView("nested", frame2.AddContainer(frame2.AddContainer()));
    nested.AddDocument("T:\\jump\\proj\\src\\x.c");
    SimView& floating = frame2.AddTopLevelView("floating");
    floating.AddDocument("T:\\jump\\proj\\src\\y.c");
    const struct {
        SimView* view;
        HWND root;
    } cases[] = {{&nested, frame2.Window()}, {&floating, floating.Window()}};
    for (const auto& c : cases) {
        SimDocument& other = c.view->AddDocument(kOther, SourceText());
        SetForegroundWindow(frame_.Window());
        RunCommand();
        EXPECT_EQ(&other, c.view->ActiveDocument()) << c.view->Name();
        EXPECT_EQ(2, other.caret.y) << c.view->Name();
        EXPECT_EQ(c.root, GetForegroundWindow()) << c.view->Name();
        EXPECT_EQ(1u, host_.Activations().size()) << c.view->Name();
        other.SetAnsiPath("closed");
    }
    EXPECT_EQ(1u, view_.DocumentCount());
}

TEST_F(SingleMatchJumpTest, TheHostWindowAsTheViewIsMovedButNotRaised)
{
    // The new document refuses activation: the load goes to the host window.
    host_.onNewDocument = [](SimDocument& document) { document.refusesActivation = true; };
    WriteTag("src/other.c", "3");
    SimFrame& bystander = host_.AddFrame("bystander");
    SetForegroundWindow(bystander.Window());
    const std::vector<std::string> calls = RunCommand();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ((std::vector<std::string>{std::string("frame1 2060 0 \"") + kOther + "\" -> 1", "frame1 2066 1 (0,2) -> 0",
                                        "frame1 2070 4153 0 -> 0", "frame1 2070 4183 0 -> 0"}),
              std::vector<std::string>(calls.end() - 4, calls.end()));
    ASSERT_EQ(2u, view_.DocumentCount());
    EXPECT_EQ(kOther, view_.Document(1).AnsiPath());
    EXPECT_EQ(2, view_.Document(1).caret.y);
    EXPECT_EQ(bystander.Window(), GetForegroundWindow());
    EXPECT_TRUE(host_.Activations().empty());
}

// A UTF-8 name the code page cannot hold (hangul under 932) reaches the
// editor by its short name, which Wine makes for every long name; with no
// file of that name a box says it cannot be passed on, and the lossy
// spelling ("?.c", which may be another file's name) is never asked about.
TEST_F(SingleMatchJumpTest, ANameTheCodePageCannotHoldIsOpenedByItsShortNameOrNamedInABox)
{
    const std::wstring hangul = std::wstring(L"T:\\jump\\proj\\") + L"\xD55C.c";
    {
        const std::string text = SourceText();
        HANDLE file = CreateFileW(hangul.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    wchar_t shortPath[MAX_PATH];
    ASSERT_NE(0u, GetShortPathNameW(hangul.c_str(), shortPath, MAX_PATH));
    char shortAnsi[MAX_PATH];
    ASSERT_NE(0, WideCharToMultiByte(CP_ACP, 0, shortPath, -1, shortAnsi, MAX_PATH, nullptr, nullptr));
    const std::string shown = std::string(kProject) + "\\?.c";

    WriteTag("\xED\x95\x9C.c", "3");   // 한.c
    calls_ = RunCommand();
    ASSERT_FALSE(calls_.empty());
    EXPECT_EQ("frame1 2085 0 \"" + JumpStatus(shown, "3") + "\" -> 0", calls_.front());
    EXPECT_EQ(shortAnsi, view_.ActiveDocument()->AnsiPath());
    EXPECT_EQ(2, view_.ActiveDocument()->caret.y);

    WriteTag("\xEC\x97\x86.c", "3");   // 없.c: no such file
    view_.Activate(0);
    const FileCalls recorder(plugin_.Module());
    ModalDriver driver(Sjis("ファイル名を渡せません"), [](const ModalSnapshot& box) { PressDialogButton(box.window, IDOK); });
    calls_ = RunCommand();
    const ModalReport& box = driver.Finish();
    ASSERT_TRUE(box.found);
    EXPECT_EQ("'" + shown + Sjis("' の名前には ANSI コード ページで表せない文字 (? で示します) があるため、エディターに渡せません。"),
              BoxBody(box));
    EXPECT_EQ(std::vector<std::string>(), FileCalls::Paths());
    EXPECT_EQ(kDocument, view_.ActiveDocument()->AnsiPath());
}

TEST_F(SingleMatchJumpTest, AFileThatCannotBeOpenedIsNamedInABoxAfterTheStatus)
{
    const std::string longField(300, 'n');
    const struct {
        std::string field;
        std::string fullPath;     // as the status names it
        std::string named;        // as the box names it
        bool locatorAsked;
    } cases[] = {
        {"src/missing.c", "T:\\jump\\proj\\src\\missing.c", "T:\\jump\\proj\\src\\missing.c", false},
        // A folder passes the existence test; the editor refuses to load it.
        {"src", "T:\\jump\\proj\\src", "T:\\jump\\proj\\src", true},
        // No full path can be formed (Wine's ANSI call stops at 260 characters).
        {longField, "", std::string(kProject) + "\\" + longField, false},
    };
    for (const auto& c : cases) {
        WriteTag(c.field, "1");
        view_.Activate(0);   // back in main.c, past a document the folder's load left
        const ModalReport box = RunCommandWithBox();
        ASSERT_TRUE(box.found) << c.named;
        EXPECT_TRUE(box.closedByAction);
        EXPECT_EQ(frame_.Window(), box.owner);
        EXPECT_EQ(Sjis("ファイルが開けません"), box.caption);
        EXPECT_EQ(c.named + Sjis(" が開けません"), BoxBody(box));
        ASSERT_FALSE(calls_.empty());
        EXPECT_EQ("frame1 2085 0 \"" + JumpStatus(c.fullPath, "1") + "\" -> 0", calls_.front()) << c.named;
        EXPECT_EQ(c.locatorAsked, calls_.size() > 1) << c.named;
    }
    // The document the editor created for the folder stays open.
    ASSERT_EQ(2u, view_.DocumentCount());
    EXPECT_EQ("", view_.Document(1).AnsiPath());
}

// Lines that hold a tag's text above the tag's own line: the jump keeps the
// pattern's anchors and lands on the line the pattern describes, whether the
// editor's find leaves the caret at the match's start or its end, whether it
// goes on from the top, wherever it puts a selection past the text's end, and
// whether a selected line break reads as the file has it (LF or CR LF).
TEST_F(SingleMatchJumpTest, PatternsLandOnTheLineTheirAnchorsDescribe)
{
    const std::string kSuryo = "\xE6\x95\xB0\xE9\x87\x8F";   // "数量" in UTF-8
    const std::vector<std::string> lines = {
        "static parserDefinition *CTagsParser (void);",           // 0: a prototype
        "typedef struct NestingLevel NestingLevel;",               // 1
        "\tTEXTAG_COUNTER,",                                       // 2: a longer enumerator
        "\tTEXTAG_COUNT",                                          // 3
        "# define CTAGS_ATTR_UNUSED __attribute__((unused))",      // 4: an #if alternate
        "# define CTAGS_ATTR_UNUSED",                              // 5
        "#define LUAI_THROW(L,c) throw(c)",                        // 6: one macro, two definitions
        "#define LUAI_THROW(L,c) longjmp(c)",                      // 7
        "int half = 1 / 2; /* C:\\dir\\ */ + 1;",                  // 8: escaped text, the line goes on
        "int half = 1 / 2; /* C:\\dir\\ */",                       // 9
        "// const char *label = \"" + kSuryo + "\";",              // 10: UTF-8 text, not at the start
        "const char *label = \"" + kSuryo + "\";",                 // 11
        "static parserDefinition *CTagsParser (void)",             // 12
        "struct NestingLevel",                                     // 13
        "extern int edited(void);",                                // 14: the tag's line is gone
        "struct first {",                                          // 15
        "    int count;",                                          // 16: tagged on line 17
        "};",                                                      // 17
        "#define FOO1",                                            // 18: goes on by one character
        "#define FOO",                                             // 19
        "\tITEM1,",                                                // 20: by two
        "\tITEM",                                                  // 21
        "struct second {",                                         // 22
        "    char *name;",                                         // 23
        "    int count;",                                          // 24: tagged on line 25
        "};",                                                      // 25
        "static int half = 3 / 4;",                                // 26: the unescaped text, not at the start
        "// int half = 3 \\/ 4; escaped",                          // 27: the text as written, not at the start
        "int cut = 1",                                             // 28
        "int cut = 12",                                            // 29
        "int cut = 12; // was 1",                                  // 30
        "int cut = 12;",                                           // 31: the last line, no line end
    };

    const std::string gitTags = ".git\\tags";
    const struct {
        std::string address;
        std::string fields;
        LONG line;           // where the jump lands, zero-based
        std::string found;   // the text selected there, in UTF-8
        std::string tagsName = "tags";      // TagsFileName
        std::string file = "src/other.c";   // the tag's file field
    } cases[] = {
        {"/^static parserDefinition *CTagsParser (void)$/", "", 12, lines[12]},
        {"/^struct NestingLevel$/", "", 13, lines[13]},
        {"/^\tTEXTAG_COUNT$/", "", 3, lines[3]},
        {"/^# define CTAGS_ATTR_UNUSED$/", "", 5, lines[5]},
        {"/^#define LUAI_THROW(/", "", 6, "#define LUAI_THROW("},
        {"/^#define LUAI_THROW(/", "\tline:8", 7, "#define LUAI_THROW("},
        {"8;/^#define LUAI_THROW(/", "", 7, "#define LUAI_THROW("},
        {"7;/^#define LUAI_THROW(/", "\tline:8", 6, "#define LUAI_THROW("},   // the address's line comes first
        {"3;/^struct NestingLevel$/", "", 13, lines[13]},                      // an outdated hint
        {"99;?^struct NestingLevel$?", "", 13, lines[13]},
        {R"(/^int half = 1 \/ 2; \/* C:\\dir\\ *\/$/)", "", 9, lines[9]},
        {"/^const char *label = \"" + kSuryo + "\";$/", "", 11, lines[11]},
        {"/^int edited(void);$/", "", 14, "int edited(void);"},   // no line holds the anchors
        {R"(/^int half = 3 \/ 4;$/)", "", 27, R"(int half = 3 \/ 4;)"},   // neither text does: the first found
        {"/^#define FOO$/", "", 19, lines[19]},
        {"/^\tITEM$/", "", 21, lines[21]},
        {"/^int cut = 12;$/", "", 31, lines[31]},
        {"/^int cut = 12$/", "\tline:32", 29, lines[29]},   // the last line goes on by one
        {"/^int cut = 1$/", "\tline:32", 28, lines[28]},    // by two
        // Three lines added above the tag since it was tagged, or three removed:
        // the nearest line that holds the anchors, not the first.
        {"/^    int count;$/", "\tline:22", 24, lines[24]},
        {"22;/^    int count;$/", "", 24, lines[24]},
        {"/^    int count;$/", "\tline:28", 24, lines[24]},
        {"28;/^    int count;$/", "", 24, lines[24]},
        {"/^    int count;$/", "\tline:20", 16, lines[16]},
        {"/^    int count;$/", "\tline:21", 24, lines[24]},   // as near to both: the one below
        // A line beyond int range is no hint.
        {"/^#define LUAI_THROW(/", "\tline:99999999999", 6, "#define LUAI_THROW("},
        {"4294967304;/^#define LUAI_THROW(/", "", 6, "#define LUAI_THROW("},
        // A tags file kept in .git, its fields written from there or from the project's top.
        {"/^struct second {$/", "", 22, lines[22], gitTags, "../src/other.c"},
        {"/^struct second {$/", "", 22, lines[22], gitTags, "src/other.c"},
    };
    SimDocument& other = view_.AddDocument(kOther);
    test::ForEachFindBehaviour(other, lines, [&](const std::string& behaviour) {
        for (const auto& c : cases) {
            const std::string label = c.address + c.fields + behaviour;
            if (c.tagsName == "tags") {
                registry_.Remove();
            } else {
                registry_.Set(REG_SZ, c.tagsName + '\0');
            }
            WriteTag(c.file, c.address, c.fields, c.tagsName);
            view_.Activate(0);
            RunCommand();
            ASSERT_EQ(&other, view_.ActiveDocument()) << label;
            EXPECT_EQ(c.line, std::min(other.selectionStart.y, other.selectionEnd.y)) << label;
            EXPECT_EQ(Sjis(c.found), other.SelectedText()) << label;
        }
    });
}

}  // namespace
