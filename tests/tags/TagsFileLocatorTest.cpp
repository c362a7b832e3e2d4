#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/ImportPatch.h"
#include "common/RegistryValueGuard.h"
#include "common/Sjis.h"
#include "common/TestText.h"
#include "tags/ScannerTestSupport.h"
#include "tags/FileFieldReading.h"
#include "tags/TagsFileLocator.h"
#include "tags/TagsFileLookup.h"
#include "tags/TagsSettings.h"
#include "win/FullPath.h"
#include "win/PathClass.h"
#include "text/Utf8ToAnsi.h"
#include "win/Win32Handles.h"

using velkin::CowString;

namespace {

// ---- Registry ----------------------------------------------------------------

TEST(TagsFileNameTest, MissingKeyGivesTheDefaultName)
{
    const velkin::test::RegistryValueGuard guard;
    if (!guard.CreatedKey()) GTEST_SKIP() << "the settings key exists here and is left alone";
    EXPECT_EQ("tags", Str(velkin::ReadTagsFileName()));
}

TEST(TagsFileNameTest, ValueIsReadUpToItsFirstZeroWhateverItsType)
{
    velkin::test::RegistryValueGuard guard;
    struct Case {
        const char* label;
        bool present;
        DWORD type;
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"no value", false, REG_SZ, "", "tags"},
        {"empty REG_SZ", true, REG_SZ, std::string("\0", 1), "tags"},
        {"REG_BINARY of no bytes", true, REG_BINARY, "", "tags"},
        {"REG_BINARY beginning with a zero", true, REG_BINARY, std::string("\0x", 2), "tags"},
        {"REG_SZ", true, REG_SZ, std::string("mytags\0", 7), "mytags"},
        {"REG_EXPAND_SZ, not expanded", true, REG_EXPAND_SZ, std::string("%TEMP%\\t\0", 9), "%TEMP%\\t"},
        {"REG_BINARY without a terminator", true, REG_BINARY, "mytags", "mytags"},
        {"embedded zero", true, REG_SZ, std::string("ab\0cd\0", 6), "ab"},
        {"relative path", true, REG_SZ, std::string("sub\\tags\0", 9), "sub\\tags"},
        {"double-byte name", true, REG_SZ, Sjis("表ソtags") + '\0', Sjis("表ソtags")},
    };
    for (const Case& c : cases) {
        guard.Remove();
        if (c.present) guard.Set(c.type, c.bytes);
        EXPECT_EQ(c.expected, Str(velkin::ReadTagsFileName())) << c.label;
    }
}

// The value changes between the size query and the read, and the read fails:
// whatever it left in the buffer, at whatever size, is not a name.
class FailingSecondRead {
public:
    FailingSecondRead(LONG status, DWORD reportedSize) : patch_(GetModuleHandleA(nullptr), "RegQueryValueExA",
                                                                reinterpret_cast<const void*>(&Query))
    {
        original_ = patch_.Original<QueryFunction>();
        status_ = status;
        reportedSize_ = reportedSize;
        calls_ = 0;
    }

private:
    using QueryFunction = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);

    static LONG WINAPI Query(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
    {
        const LONG status = original_(key, name, reserved, type, data, size);
        if (++calls_ == 1) return status;
        if (reportedSize_ != 0) *size = reportedSize_;
        return status_;
    }

    const velkin::test::ImportPatch patch_;
    static inline QueryFunction original_ = nullptr;
    static inline LONG status_ = 0;
    static inline DWORD reportedSize_ = 0;
    static inline int calls_ = 0;
};

TEST(TagsFileNameTest, AReadThatFailsAfterTheSizeQueryGivesTheDefaultName)
{
    velkin::test::RegistryValueGuard guard;
    guard.Set(REG_SZ, std::string("mytags\0", 7));
    const struct {
        LONG status;
        DWORD reportedSize;  // 0: as the real read reported it
    } failures[] = {{ERROR_MORE_DATA, 100}, {ERROR_FILE_NOT_FOUND, 0}, {ERROR_ACCESS_DENIED, 3}};
    for (const auto& failure : failures) {
        const FailingSecondRead patch(failure.status, failure.reportedSize);
        EXPECT_EQ("tags", Str(velkin::ReadTagsFileName())) << failure.status;
    }
}

// ---- Folder search -------------------------------------------------------------

// The plug-in code is linked into this program, so its GetFileAttributesA
// calls go through this program's import slot, which records them.
class ProbeRecorder {
public:
    ProbeRecorder() : patch_(GetModuleHandleA(nullptr), "GetFileAttributesA", reinterpret_cast<const void*>(&Record))
    {
        probes_.clear();
        original_ = patch_.Original<GetFileAttributesFunction>();
    }

    static const std::vector<std::string>& Probes() { return probes_; }

private:
    using GetFileAttributesFunction = DWORD(WINAPI*)(LPCSTR);

    static DWORD WINAPI Record(LPCSTR path)
    {
        probes_.emplace_back(path);
        return original_(path);
    }

    const velkin::test::ImportPatch patch_;
    static inline GetFileAttributesFunction original_ = nullptr;
    static inline std::vector<std::string> probes_;
};

// T: is a scratch drive whose root the tests may write (see scripts/wine-run.sh).
const wchar_t* const kScratchFolder = L"T:\\locator";
const char* const kRootTagsFile = "T:\\tags";

void RemoveScratchEntries()
{
    std::error_code ignored;
    std::filesystem::remove_all(kScratchFolder, ignored);
    DeleteFileA(kRootTagsFile);
}

// Creates `path` (ANSI) and its missing parents; a trailing backslash makes it
// a folder, otherwise an empty file.
void MakeEntry(const std::string& path)
{
    const char* text = path.c_str();
    for (const char* p = velkin::ScanChar(text, '\\'); p; p = velkin::ScanChar(CharNextA(p), '\\')) {
        CreateDirectoryA(path.substr(0, static_cast<size_t>(p - text)).c_str(), nullptr);
    }
    if (path.back() == '\\') return;
    ASSERT_TRUE(WriteTestFile(path, "")) << Utf8(path);
}

class TagsFolderTest : public testing::Test {
protected:
    void SetUp() override { RemoveScratchEntries(); }
    void TearDown() override { RemoveScratchEntries(); }
};

TEST_F(TagsFolderTest, NearestLevelHoldingTheNameWinsAndEachLevelIsProbedOnce)
{
    // Texts in UTF-8; 表 (0x95 0x5C) and ソ (0x83 0x5C) end in a backslash byte.
    struct Case {
        const char* label;
        std::vector<const char*> entries;
        const char* document;
        const char* tagsFileName;
        const char* expected;
        std::vector<const char*> probes;
    };
    const Case cases[] = {
        {"nearest folder wins",
         {"T:\\locator\\a\\tags", "T:\\locator\\a\\b\\tags", "T:\\locator\\a\\b\\c\\"},
         "T:\\locator\\a\\b\\c\\main.c", "tags", "T:\\locator\\a\\b",
         {"T:\\locator\\a\\b\\c\\tags", "T:\\locator\\a\\b\\tags"}},
        {"the document's own folder",
         {"T:\\locator\\a\\tags"}, "T:\\locator\\a\\main.c", "tags", "T:\\locator\\a",
         {"T:\\locator\\a\\tags"}},
        {"a folder named like the tags file",
         {"T:\\locator\\a\\tags\\", "T:\\locator\\a\\b\\"}, "T:\\locator\\a\\b\\main.c", "tags", "T:\\locator\\a",
         {"T:\\locator\\a\\b\\tags", "T:\\locator\\a\\tags"}},
        {"a name holding a backslash",
         {"T:\\locator\\a\\sub\\tags", "T:\\locator\\a\\b\\sub\\"}, "T:\\locator\\a\\b\\main.c", "sub\\tags",
         "T:\\locator\\a",
         {"T:\\locator\\a\\b\\sub\\tags", "T:\\locator\\a\\sub\\tags"}},
        {"double-byte folder names are cut at real backslashes only",
         // Cut at a trail byte, 表\ソ would probe 表\ソtags and find the decoy.
         {"T:\\locator\\tags", "T:\\locator\\表tags", "T:\\locator\\表\\ソtags", "T:\\locator\\表\\ソ\\"},
         "T:\\locator\\表\\ソ\\main.c", "tags", "T:\\locator",
         {"T:\\locator\\表\\ソ\\tags", "T:\\locator\\表\\tags", "T:\\locator\\tags"}},
        {"a drive's root is the drive alone",
         {"T:\\tags", "T:\\locator\\a\\"}, "T:\\locator\\a\\main.c", "tags", "T:",
         {"T:\\locator\\a\\tags", "T:\\locator\\tags", "T:\\tags"}},
        {"nothing found up to the root",
         {"T:\\locator\\a\\b\\"}, "T:\\locator\\a\\b\\main.c", "tags", "",
         {"T:\\locator\\a\\b\\tags", "T:\\locator\\a\\tags", "T:\\locator\\tags", "T:\\tags"}},
        {"a network path goes up through the share and the server",
         {}, "\\\\server\\share\\dir\\file.c", "tags", "",
         {"\\\\server\\share\\dir\\tags", "\\\\server\\share\\tags", "\\\\server\\tags", "\\\\tags", "\\tags"}},
        {"no backslash", {}, "main.c", "tags", "", {}},
        {"no document path", {}, "", "tags", "", {}},
    };
    for (const Case& c : cases) {
        RemoveScratchEntries();
        for (const char* entry : c.entries) MakeEntry(Sjis(entry));
        std::vector<std::string> expectedProbes;
        for (const char* probe : c.probes) expectedProbes.push_back(Sjis(probe));

        const ProbeRecorder recorder;
        const CowString folder = velkin::FindTagsFolder(Sjis(c.document).c_str(), Sjis(c.tagsFileName).c_str());
        EXPECT_EQ(Sjis(c.expected), Str(folder)) << c.label;
        EXPECT_EQ(expectedProbes, ProbeRecorder::Probes()) << c.label;
    }
}

TEST(TagsFileListTest, EntriesAreSplitAtSeparatorsLessTheBlanksAroundThem)
{
    const struct {
        const char* value;
        std::vector<std::string> entries;
    } cases[] = {
        {"tags", {"tags"}},
        {" tags ;\t.git\\tags\t; ;;T:\\sdk\\tags;", {"tags", ".git\\tags", "T:\\sdk\\tags"}},
        {"a b;c", {"a b", "c"}},
        {" ; ;\t", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> entries;
        for (const CowString& entry : velkin::SplitTagsFileList(c.value)) entries.push_back(Str(entry));
        EXPECT_EQ(c.entries, entries) << c.value;
    }
}

TEST_F(TagsFolderTest, ListedEntriesNameFilesInTheirOrderOnceEachAndSpecialOnesAreNeverProbed)
{
    struct Found {
        const char* path;
        const char* folder;
        bool mayNameDocument;
        const char* ownFolder = "";
    };
    const std::string longEntry = "T:\\" + std::string(MAX_PATH, 'x');
    const struct {
        const char* label;
        std::vector<std::string> entries;
        std::vector<Found> found;
        std::vector<const char*> probes;
    } cases[] = {
        {"a full path in a drive's root, then one elsewhere",
         {"T:\\tags", "T:/locator/lib/tags"},
         {{"T:\\tags", "T:", true}, {"T:/locator/lib/tags", "T:\\locator\\lib", false}},
         {"T:\\tags", "T:/locator/lib/tags"}},
        {"one file by a relative entry and by a full path", {"tags", "T:\\LOCATOR\\表\\.\\tags"},
         {{"T:\\locator\\表\\tags", "T:\\locator\\表", true}},
         {"T:\\locator\\表\\ソ\\tags", "T:\\locator\\表\\tags", "T:\\LOCATOR\\表\\.\\tags"}},
        {"a full path in a folder whose name begins the document's name: main, main.c",
         {"T:\\locator\\表\\ソ\\main\\tags"},
         {{"T:\\locator\\表\\ソ\\main\\tags", "T:\\locator\\表\\ソ\\main", false}},
         {"T:\\locator\\表\\ソ\\main\\tags"}},
        {"a file kept in a folder below where it is found; one named with a step that goes nowhere",
         {".git\\tags", ".\\tags"},
         {{"T:\\locator\\表\\.git\\tags", "T:\\locator\\表", true, "T:\\locator\\表\\.git"},
          {"T:\\locator\\表\\.\\tags", "T:\\locator\\表", true}},
         {"T:\\locator\\表\\ソ\\.git\\tags", "T:\\locator\\表\\.git\\tags", "T:\\locator\\表\\ソ\\.\\tags",
          "T:\\locator\\表\\.\\tags"}},
        {"a full path naming a folder, or nothing", {"T:\\locator\\lib", "T:\\locator\\none\\tags"}, {},
         {"T:\\locator\\lib", "T:\\locator\\none\\tags"}},
        {"devices, special paths and bytes no name holds",
         {"nul", "Aux.h", "sub\\com9.tags", "lpt1 .log", "CONOUT$", "\\\\.\\pipe\\tags", "\\\\?\\T:\\tags",
          "//?/T:/tags", "\\??\\T:\\tags", "a*b", "tags:stream", "a\"b", longEntry},
         {}, {}},
    };
    MakeEntry(Sjis("T:\\locator\\表\\tags"));
    MakeEntry(Sjis("T:\\locator\\表\\.git\\tags"));
    MakeEntry("T:\\tags");
    MakeEntry("T:\\locator\\lib\\tags");
    MakeEntry(Sjis("T:\\locator\\表\\ソ\\main\\tags"));
    for (const auto& c : cases) {
        std::vector<CowString> entries;
        for (const std::string& entry : c.entries) entries.emplace_back(Sjis(entry).c_str());
        const ProbeRecorder recorder;
        const std::vector<velkin::TagsFile> files =
            velkin::FindTagsFiles(Sjis("T:\\locator\\表\\ソ\\main.c").c_str(), entries);
        std::vector<std::string> expected, actual, expectedProbes;
        for (const Found& f : c.found)
            expected.push_back(Sjis(f.path) + " | " + Sjis(f.folder) + (f.mayNameDocument ? " | names" : "") + " | " +
                               Sjis(f.ownFolder));
        for (const velkin::TagsFile& f : files)
            actual.push_back(Str(f.path) + " | " + Str(f.folder) + (f.mayNameDocument ? " | names" : "") + " | " +
                             Str(f.ownFolder));
        for (const char* probe : c.probes) expectedProbes.push_back(Sjis(probe));
        EXPECT_EQ(expected, actual) << c.label;
        EXPECT_EQ(expectedProbes, ProbeRecorder::Probes()) << c.label;
    }
}

// A tags file kept in .git below the project: a relative field is placed
// from .git first (--tag-relative=yes), from the project's top when nothing of
// that name is there; the scanner's current-document test agrees.
TEST_F(TagsFolderTest, FieldsOfAFileKeptApartArePlacedFromItsOwnFolderFirst)
{
    MakeEntry("T:\\locator\\p\\src\\a.c");
    MakeEntry("T:\\locator\\p\\src\\b.c");
    MakeEntry("T:\\locator\\p\\.git\\b.c");
    MakeEntry("T:\\locator\\p\\README.md");
    MakeEntry("T:\\locator\\README.md");
    const CowString folder = "T:\\locator\\p";
    const CowString own = "T:\\locator\\p\\.git";
    const struct {
        CowString ownFolder;
        const char* field;
        const char* expected;
    } cases[] = {
        {own, "../src/a.c", "T:\\locator\\p\\.git\\../src/a.c"},
        {own, "../README.md", "T:\\locator\\p\\.git\\../README.md"},   // not the one above the project
        {own, "src/a.c", "T:\\locator\\p\\src/a.c"},   // nothing of that name in .git
        {own, "b.c", "T:\\locator\\p\\.git\\b.c"},
        {own, "\\x.c", "T:\\x.c"},
        {own, "C:\\x.c", "C:\\x.c"},
        {CowString(), "../src/a.c", "T:\\locator\\p\\../src/a.c"},
        {folder, "b.c", "T:\\locator\\p\\b.c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, Str(velkin::PlaceTagFile(folder, c.ownFolder, c.field))) << Str(c.ownFolder) << c.field;
    {
        // A device beside the tags file is not probed: the probe would open it.
        const ProbeRecorder recorder;
        EXPECT_EQ("T:\\locator\\p\\src\\con.h", Str(velkin::PlaceTagFile(folder, own, "src\\con.h")));
        EXPECT_EQ(std::vector<std::string>(), ProbeRecorder::Probes());
    }

    const std::string tags = "T:\\locator\\p\\.git\\tags";
    ASSERT_TRUE(WriteTestFile(tags, "a\t../src/a.c\t1;\"\tf\nb\tsrc/b.c\t1;\"\tf\nc\tsrc/a.c\t1;\"\tf\n"));
    for (const char* document : {"a", "b"}) {
        const CowString path = (std::string("T:\\locator\\p\\src\\") + document + ".c").c_str();
        for (const velkin::ScanPath scanPath : {velkin::ScanPath::best, velkin::ScanPath::everyLine}) {
            velkin::TagMatchLists lists;
            velkin::ScanOptions options;
            options.path = scanPath;
            ASSERT_TRUE(velkin::ScanTagsFile(tags.c_str(), {"", path, folder, own}, lists, options));
            std::string names;
            for (const velkin::TagEntry& entry : lists.inDocument) names += Str(entry.name);
            // c's src/a.c is .git\src\a.c when nothing is there: the project's src\a.c.
            EXPECT_EQ(document == std::string("a") ? "ac" : "b", names) << document;
        }
    }
}

// ---- Full paths ----------------------------------------------------------------

class FullPathTest : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveScratchEntries();
        MakeEntry("T:\\locator\\cur\\");
        char saved[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, saved);
        savedFolder_ = saved;
        ASSERT_TRUE(SetCurrentDirectoryA("T:\\locator\\cur"));
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(savedFolder_.c_str());
        RemoveScratchEntries();
    }

    std::string savedFolder_;
};

TEST_F(FullPathTest, RelativePartsAndSlashesAreResolved)
{
    const std::string longName(250, 'n');
    std::string longDoubleByteName;
    for (int i = 0; i < 125; ++i) longDoubleByteName += Sjis("表");
    const struct {
        std::string fileName;
        std::string expected;
    } cases[] = {
        {".\\x.c", "T:\\locator\\cur\\x.c"},
        {"..", "T:\\locator"},
        {"..\\..\\x.c", "T:\\x.c"},
        {"sub/./x.c", "T:\\locator\\cur\\sub\\x.c"},
        {"T:/locator/a/b.c", "T:\\locator\\a\\b.c"},
        {"\\x.c", "T:\\x.c"},
        {"", ""},
        // 265 bytes but 140 characters: the first call only reports the size needed.
        {longDoubleByteName, "T:\\locator\\cur\\" + longDoubleByteName},
        // Over 260 characters Wine's ANSI call fails: it resolves into a 260-character buffer.
        {longName, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, Str(velkin::GetFullPath<velkin::CowString>(c.fileName.c_str()))) << Utf8(c.fileName);
    }
}

// A file field that is a full path stands as written; one rooted at a
// separator takes the tags folder's drive; any other is below the folder.
TEST(TagFilePathTest, FullPathsStandRootedOnesTakeTheFoldersDriveOthersAreJoined)
{
    const struct {
        std::string folder;
        const char* field;
        std::string expected;
    } cases[] = {
        {"C:\\proj", "src/x.c", "C:\\proj\\src/x.c"},
        {"C:\\proj", "D:\\src\\x.c", "D:\\src\\x.c"},
        {"C:\\proj", "d:/src/x.c", "d:/src/x.c"},
        {"C:\\proj", "\\\\host\\share\\x.c", "\\\\host\\share\\x.c"},
        {"C:\\proj", "//host/share/x.c", "//host/share/x.c"},
        {"C:\\proj", "\\src\\x.c", "C:\\src\\x.c"},
        {"C:", "/src/x.c", "C:/src/x.c"},
        {"\\\\host\\share\\proj", "\\src\\x.c", "\\\\host\\share\\src\\x.c"},
        {"\\\\host", "\\x.c", "\\\\host\\x.c"},
        // Server and share names are stepped by character: the trail byte of "ソ" and "表" is '\'.
        {Sjis("\\\\host\\ソフト\\proj"), "\\src\\x.c", Sjis("\\\\host\\ソフト\\src\\x.c")},
        {Sjis("\\\\表\\share"), "/x.c", Sjis("\\\\表\\share/x.c")},
        {"proj", "\\src\\x.c", "\\src\\x.c"},   // no drive to take: the current one
        {"C:\\proj", "D:x.c", "C:\\proj\\D:x.c"},  // a drive without a separator is no full path
        {"C:\\proj", "1:\\x.c", "C:\\proj\\1:\\x.c"},
        {"C:\\proj", "", "C:\\proj\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, Str(velkin::TagFilePath(c.folder.c_str(), c.field))) << c.folder << " + " << c.field;
    }
}

// ---- How a file field is read ---------------------------------------------------

// A field's bytes under a header (its !_TAG_FILE_ENCODING value; none: no
// such line) → its readings in the ANSI code page, in the order the jump
// tries them ("wide " and the shown form for a name the code page cannot
// hold), and where the first one leads once placed below C:\proj.
TEST(FileFieldReadingTest, FieldsAreReadByTheHeaderOrTheirBytesAndJudgedConverted)
{
    const std::string utf8 = "\xE8\xB3\x87\xE6\x96\x99/\xE8\xA8\x88\xE7\xAE\x97.c";   // 資料/計算.c
    const std::string none = "(none)";
    using velkin::PathKind;
    const struct {
        std::string header;
        std::string field;
        std::vector<std::string> readings;
        PathKind kind = PathKind::local;
        std::string host;   // of a network path, as the box names it
    } cases[] = {
        {none, utf8, {Sjis("資料/計算.c")}},
        {none, "C:/Users/\xE3\x83\xA6\xE3\x83\xBC\xE3\x82\xB6\xE3\x83\xBC/proj/" + utf8,
         {Sjis("C:/Users/ユーザー/proj/資料/計算.c")}},
        {"utf-8", utf8, {Sjis("資料/計算.c")}},
        {"UTF8", "\xC2\xB1.c", {Sjis("±.c")}},
        {"cp932", utf8, {utf8}},                               // the header says ANSI: bytes as written
        {"Shift_JIS", "\xC2\xB1.c", {"\xC2\xB1.c"}},
        {"euc-jp", "\xC2\xB1.c", {Sjis("±.c"), "\xC2\xB1.c"}},   // an unknown name: as without the line
        {none, Sjis("資料/計算.c"), {Sjis("資料/計算.c")}},      // Shift-JIS, not UTF-8
        {none, "\xC2\xB1.c", {Sjis("±.c"), "\xC2\xB1.c"}},      // ｱ after ﾂ in Shift-JIS, ± in UTF-8: both
        {"utf-8", Sjis("計算.c"), {Sjis("計算.c")}},             // not UTF-8 whatever the header says
        {none, "\xE8\xB3\x87\xE6.c", {"\xE8\xB3\x87\xE6.c"}},     // a character cut short: not UTF-8
        {none, "\xED\x95\x9C/x.c", {"wide ?/x.c"}},               // a hangul syllable, not in 932
        // 𠮷, outside the basic plane; in Shift-JIS a user-defined character and ｮｷ
        {none, "\xF0\xA0\xAE\xB7.c", {"wide ?.c", "\xF0\xA0\xAE\xB7.c"}},
        {none, "\xE3\x81\x82\\CON", {Sjis("あ\\CON")}, PathKind::device},   // read as Shift-JIS "\" would vanish
        {none, "//\xE3\x82\xB5\xE3\x83\xBC\xE3\x83\x90/share/x.c", {Sjis("//サーバ/share/x.c")}, PathKind::network,
         Sjis("サーバ")},
        {none, "src/x.c", {"src/x.c"}},
    };
    for (const auto& c : cases) {
        const std::string header = c.header == none ? "" : "!_TAG_FILE_ENCODING\t" + c.header + "\t//\n";
        const std::string data = "!_TAG_FILE_SORTED\t1\t//\n" + header + "x\tx.c\t1;\"\tf\n";
        const velkin::FieldEncoding encoding = velkin::ReadFieldEncoding(data.data(), data.data() + data.size());
        const velkin::FieldReadings readings =
            velkin::ReadFileField(CowString(c.field.data(), static_cast<int>(c.field.size())), encoding);
        std::vector<std::string> read;
        for (int i = 0; i < readings.count; ++i) {
            const velkin::FieldReading& reading = readings.reading[i];
            read.push_back(reading.wide.empty() ? Str(reading.text) : "wide " + Str(velkin::WideToShownAnsi(reading.wide)));
        }
        EXPECT_EQ(c.readings, read) << c.header << " " << Utf8(c.field);
        if (readings.count == 0) continue;
        const velkin::FieldReading& first = readings.reading[0];
        const CowString placed = first.wide.empty()
                                     ? velkin::TagFilePath("C:\\proj", first.text)
                                     : velkin::WideToShownAnsi(velkin::PlaceTagFileWide("C:\\proj", "", first.wide));
        const velkin::PathClass path = velkin::ClassifyPath(placed.Text(), placed.Text() + placed.Length());
        EXPECT_EQ(c.kind, path.kind) << Utf8(c.field);
        EXPECT_EQ(c.host, path.host ? std::string(path.host, path.hostEnd) : "") << Utf8(c.field);
    }
}

// ---- Where a path leads ----------------------------------------------------------

// Each row a spelling a parser gets wrong: Windows reaches a host, or opens a
// device, where the text does not look like it.
TEST(PathClassTest, SpellingsLeadToAHostADeviceOrALocalFile)
{
    using velkin::PathKind;
    const struct {
        std::string path;
        PathKind kind;
        std::string host;   // a network path's
    } cases[] = {
        {"\\\\srv\\share\\x.c", PathKind::network, "srv"},
        {"//srv/share/x.c", PathKind::network, "srv"},
        {"\\/srv\\x.c", PathKind::network, "srv"},
        {"/\\srv/x.c", PathKind::network, "srv"},
        {"\\\\srv", PathKind::network, "srv"},
        {"\\\\\\x", PathKind::network, ""},
        {"\\\\?\\UNC\\srv\\share\\x.c", PathKind::network, "srv"},
        {"\\??\\unc\\srv\\share", PathKind::network, "srv"},
        {"//?/UNC/srv/share", PathKind::network, "srv"},
        {"\\\\srv@SSL\\DavWWWRoot\\x.c", PathKind::network, "srv"},
        {"\\\\srv@8080\\x.c", PathKind::network, "srv"},
        {"\\\\srv.example.com@SSL@443\\x.c", PathKind::network, "srv.example.com"},
        {Sjis("\\\\表\\share"), PathKind::network, Sjis("表")},   // the trail byte of 表 is '\'
        {"\\\\srv\\share\\con", PathKind::network, "srv"},          // the host's own names
        {"\\\\.\\pipe\\x", PathKind::device, ""},
        {"//./COM1", PathKind::device, ""},
        {"\\\\.", PathKind::device, ""},
        {"\\\\.\\C:\\x.c", PathKind::device, ""},
        {"\\\\?\\GLOBALROOT\\Device\\Null", PathKind::device, ""},
        {"\\??\\Volume{0}\\x", PathKind::device, ""},
        {"\\\\?\\C:", PathKind::device, ""},       // the volume itself
        {"\\\\?\\UNC", PathKind::device, ""},
        {"\\\\?\\", PathKind::device, ""},
        {"COM1", PathKind::device, ""},
        {"com0.txt", PathKind::device, ""},
        {"NUL.c", PathKind::device, ""},
        {"src\\con.h", PathKind::device, ""},
        {"C:\\x\\nul. .", PathKind::device, ""},
        {"aux .c", PathKind::device, ""},
        {"C:nul", PathKind::device, ""},
        {"C:\\x\\CONOUT$", PathKind::device, ""},
        {"conin$.txt", PathKind::device, ""},
        {"lpt1:", PathKind::device, ""},
        {"prn\\..\\x.c", PathKind::device, ""},
        {"COM\xB9", PathKind::device, ""},              // COM followed by a superscript one (code page 1252)
        {"COM\xB2", PathKind::device, ""},
        {"lpt\xB3.c", PathKind::device, ""},
        {"con  .h", PathKind::device, ""},               // blanks before the extension, however many
        {"src\\aux  .c", PathKind::device, ""},
        {"\\\\?\\C:\\x\\nul", PathKind::device, ""},
        {"COM10", PathKind::local, ""},
        {"CONSOLE.c", PathKind::local, ""},
        {"nul_x.c", PathKind::local, ""},
        {"src\\lpt.h", PathKind::local, ""},
        {"\\\\?\\C:\\x.c", PathKind::local, ""},
        {"\\??\\C:\\x.c", PathKind::local, ""},
        {"\\src\\x.c", PathKind::local, ""},
        {"C:\\src\\x.c", PathKind::local, ""},
        {"", PathKind::local, ""},
        {"src\\語", PathKind::local, ""},   // UTF-8: its last byte, 0x9E, leads a double-byte character here
        {std::string("x.c\0\\\\srv", 9), PathKind::local, ""},   // Windows reads to the zero
    };
    for (const auto& c : cases) {
        // The path's last byte is the last one readable: a step past it faults.
        const scannertest::GuardedBytes text(c.path);
        const velkin::PathClass path = velkin::ClassifyPath(text.begin(), text.end());
        EXPECT_EQ(c.kind, path.kind) << Utf8(c.path);
        const std::string host = path.host ? std::string(path.host, path.hostEnd) : std::string();
        EXPECT_EQ(c.host, host) << Utf8(c.path);
    }
}

// TrustedHosts: names between ';', blanks around them dropped, letter case
// ignored in single-byte characters only.
TEST(PathClassTest, TrustedHostsListsEachHostItNames)
{
    const struct {
        std::string hosts;
        std::string host;
        bool listed;
    } cases[] = {
        {"build01; FileServer ;", "fileserver", true},
        {"build01;fileserver", "BUILD01", true},
        {"build01", "build0", false},
        {"build01", "build011", false},
        {";;", "", false},
        {"", "build01", false},
        // 0x81 0x61 and 0x81 0x41 are two characters, though 'a' and 'A' as bytes.
        {"\x81\x61", "\x81\x41", false},
        {"\x81\x61", "\x81\x61", true},
    };
    for (const auto& c : cases) {
        const CowString hosts(c.hosts.c_str());
        EXPECT_EQ(c.listed, velkin::ListsHost(hosts, c.host.data(), c.host.data() + c.host.size()))
            << c.hosts << " / " << c.host;
    }
}

// ---- Resource owners -------------------------------------------------------------

// However an owner takes another file, it then holds that one, still open,
// and has closed the one it held.
TEST(Win32OwnerTest, TakingAnotherResourceReleasesTheOldOne)
{
    RemoveScratchEntries();
    MakeEntry("T:\\locator\\owned");
    const auto open = [] {
        return CreateFileA("T:\\locator\\owned", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    const auto isOpen = [](HANDLE handle) {
        DWORD flags = 0;
        return GetHandleInformation(handle, &flags) != FALSE;
    };
    using velkin::FileHandle;
    const struct {
        const char* label;
        void (*take)(FileHandle& holder, HANDLE other);
    } ways[] = {
        {"Reset", [](FileHandle& holder, HANDLE other) { holder.Reset(other); }},
        {"Receive", [](FileHandle& holder, HANDLE other) { *holder.Receive() = other; }},
        {"moved in", [](FileHandle& holder, HANDLE other) {
             FileHandle incoming(other);
             FileHandle moved(std::move(incoming));
             holder = std::move(moved);
         }},
    };
    for (const auto& way : ways) {
        const HANDLE old = open();
        const HANDLE other = open();
        {
            FileHandle holder(old);
            way.take(holder, other);
            EXPECT_EQ(other, holder.Get()) << way.label;
            EXPECT_TRUE(isOpen(other)) << way.label;
            EXPECT_FALSE(isOpen(old)) << way.label;
        }
        EXPECT_FALSE(isOpen(other)) << way.label;
    }
    RemoveScratchEntries();
}

}  // namespace
