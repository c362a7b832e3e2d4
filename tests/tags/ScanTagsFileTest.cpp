// ScanTagsFile and MappedFile on files: what maps, what does not, and that a
// failure leaves the lists alone.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tags/MappedFile.h"
#include "tags/ScannerTestSupport.h"
#include "tags/TagScanner.h"

using namespace scannertest;

namespace {

constexpr LONGLONG kTwoGiB = 2147483648LL;

class ScanTagsFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "velkin-scanner-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override
    {
        for (const std::string& path : files_) DeleteFileA(path.c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    // A new file of `size` bytes: `data`, then zeros (a sparse tail).
    std::string MakeFile(const char* name, const std::string& data, LONGLONG size = -1)
    {
        const std::string path = folder_ + "\\" + name;
        files_.push_back(path);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        if (!data.empty()) WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = size < 0 ? static_cast<LONGLONG>(data.size()) : size;
        EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
        CloseHandle(file);
        return path;
    }

    // Scans into lists that already hold one entry each.
    bool ScanInto(const std::string& path, velkin::TagMatchLists& lists)
    {
        for (int i = 0; i < velkin::TagMatchLists::kCount; ++i) lists[i].push_back(velkin::TagEntry());
        return velkin::ScanTagsFile(path.c_str(), {"Foo", "C:\\proj\\src\\foo.c", "C:\\proj"}, lists);
    }

    std::string folder_;
    std::vector<std::string> files_;
};

void ExpectListSizes(const velkin::TagMatchLists& lists, size_t exact, size_t prefix, size_t inDocument)
{
    EXPECT_EQ(exact, lists.exact.size());
    EXPECT_EQ(prefix, lists.prefix.size());
    EXPECT_EQ(inDocument, lists.inDocument.size());
}

TEST_F(ScanTagsFileTest, UnreadableFilesGiveFalseAndLeaveTheLists)
{
    const std::string line = "Foo\tsrc\\foo.c\t1;\"\tf\n";
    const std::string locked = MakeFile("locked", line);
    HANDLE writer = CreateFileA(locked.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    for (const std::string& path : {folder_ + "\\missing", MakeFile("empty", ""), locked, folder_}) {
        velkin::TagMatchLists lists;
        EXPECT_FALSE(ScanInto(path, lists)) << path;
        ExpectListSizes(lists, 1, 1, 1);
    }
    CloseHandle(writer);
    velkin::TagMatchLists lists;
    EXPECT_TRUE(ScanInto(locked, lists));
    ExpectListSizes(lists, 2, 2, 2);
}

TEST_F(ScanTagsFileTest, SizesAboveTwoGiBAreNotMapped)
{
    velkin::MappedFile file;
    file.Open(MakeFile("largest", "Foo\tx.c\t1;\"\tf\n", kTwoGiB).c_str());
    EXPECT_TRUE(file.HasMapping());
    file.Close();

    const std::string tooLarge = MakeFile("too-large", "Foo\tx.c\t1;\"\tf\n", kTwoGiB + 1);
    file.Open(tooLarge.c_str());
    EXPECT_FALSE(file.HasMapping());
    EXPECT_EQ(static_cast<ULONGLONG>(kTwoGiB + 1), file.FileSize());
    velkin::MappedBytes bytes{};
    EXPECT_FALSE(file.MapView(bytes));
    EXPECT_EQ(nullptr, bytes.begin);
    file.Close();

    velkin::TagMatchLists lists;
    EXPECT_FALSE(ScanInto(tooLarge, lists));
    ExpectListSizes(lists, 1, 1, 1);
}

TEST_F(ScanTagsFileTest, PseudoTagLinesOnlyGiveTrueAndNoRecords)
{
    velkin::TagMatchLists lists;
    EXPECT_TRUE(velkin::ScanTagsFile(MakeFile("pseudo", "!_TAG_FILE_FORMAT\t2\t/extended/\n!Foo\tsrc\\foo.c\t1;\"\tf\n").c_str(),
                                     {"Foo", "C:\\proj\\src\\foo.c", "C:\\proj"}, lists));
    ExpectListSizes(lists, 0, 0, 0);
}

TEST_F(ScanTagsFileTest, TheWholeFileIsMappedOnceAndScanned)
{
    std::string data;
    for (int i = 0; i < 3000; ++i) data += "Foo" + std::to_string(i % 7) + "\tsrc\\foo.c\t" + std::to_string(i) + ";\"\tf\r\n";
    data += "Foo\tx.c\t/^last$/;\"\tv";  // no final line end, last byte at the end of a page or not
    const std::string path = MakeFile("tags", data);

    velkin::MappedFile file;
    file.Open(path.c_str());
    velkin::MappedBytes first{}, second{};
    ASSERT_TRUE(file.MapView(first));
    ASSERT_TRUE(file.MapView(second));
    EXPECT_EQ(first.begin, second.begin);
    EXPECT_EQ(data, std::string(first.begin, first.end));
    file.Close();
    EXPECT_FALSE(file.HasMapping());

    velkin::TagMatchLists lists;
    ASSERT_TRUE(velkin::ScanTagsFile(path.c_str(), {"Foo", "C:\\proj\\src\\foo.c", "C:\\proj"}, lists));
    ScanSettings settings;
    settings.word = "Foo";
    const Lists expected = ReadReference(data, settings);
    ExpectSameLists(expected, ToLists(lists), path);
    EXPECT_EQ(3001u, expected.prefix.size());
}

}  // namespace
