#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/RegistryValueGuard.h"
#include "common/Sjis.h"
#include "common/TestText.h"
#include "tags/TagsFileLocator.h"
#include "tags/TagsSettings.h"
#include "win/FullPath.h"

using velkin::CowString;

// The plug-in code is linked into this program, so its GetFileAttributesA
// calls go through this program's import slot; swapping the slot records them.
using GetFileAttributesFunction = DWORD(WINAPI*)(LPCSTR);
#ifdef _WIN64
extern GetFileAttributesFunction g_getFileAttributesSlot asm("__imp_GetFileAttributesA");
#else
extern GetFileAttributesFunction g_getFileAttributesSlot asm("__imp__GetFileAttributesA@4");
#endif

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

// ---- Folder search -------------------------------------------------------------

class ProbeRecorder {
public:
    ProbeRecorder()
    {
        probes_.clear();
        original_ = g_getFileAttributesSlot;
        SetSlot(&Record);
    }
    ~ProbeRecorder() { SetSlot(original_); }
    ProbeRecorder(const ProbeRecorder&) = delete;
    ProbeRecorder& operator=(const ProbeRecorder&) = delete;

    static const std::vector<std::string>& Probes() { return probes_; }

private:
    static DWORD WINAPI Record(LPCSTR path)
    {
        probes_.emplace_back(path);
        return original_(path);
    }
    static void SetSlot(GetFileAttributesFunction function)
    {
        DWORD protection = 0;
        VirtualProtect(&g_getFileAttributesSlot, sizeof function, PAGE_READWRITE, &protection);
        g_getFileAttributesSlot = function;
        VirtualProtect(&g_getFileAttributesSlot, sizeof function, protection, &protection);
    }

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

}  // namespace
