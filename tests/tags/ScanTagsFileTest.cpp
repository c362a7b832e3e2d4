// ScanTagsFile and MappedFile on files: what maps, what does not, that a
// failure leaves the lists alone, and that reading the file in windows finds
// what one reading of the whole data finds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tags/MappedFile.h"
#include "tags/ReadProgress.h"
#include "tags/ScannerTestSupport.h"
#include "tags/TagsFileLookup.h"

using namespace scannertest;

namespace {

constexpr LONGLONG kFourGiB = 4LL << 30;
constexpr std::uint32_t kMegabyte = 1u << 20;

const std::uint32_t kGranularity = velkin::MappedFile::AllocationGranularity();

velkin::TagQuery QueryOf(const ScanSettings& settings)
{
    return {settings.word.c_str(), settings.documentPath.c_str(), settings.tagsFolder.c_str()};
}

class ScanTagsFileTest : public testing::Test {
protected:
    template <typename... Arguments>
    std::string MakeFile(Arguments&&... arguments)
    {
        return temp_.MakeFile(std::forward<Arguments>(arguments)...);
    }

    // Scans into lists that already hold one entry each.
    bool ScanInto(const std::string& path, velkin::TagMatchLists& lists)
    {
        for (int i = 0; i < velkin::TagMatchLists::kCount; ++i) lists[i].push_back(velkin::TagEntry());
        return velkin::ScanTagsFile(path.c_str(), {"Foo", "C:\\proj\\src\\foo.c", "C:\\proj"}, lists);
    }

    TempFolder temp_;
    const std::string folder_ = temp_.Path();
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

TEST_F(ScanTagsFileTest, OpenSaysWhyThereIsNoFile)
{
    const std::pair<std::string, velkin::MapFailure> failures[] = {
        {folder_ + "\\missing", velkin::MapFailure::cannotOpen},
        {MakeFile("empty", ""), velkin::MapFailure::empty},
    };
    for (const auto& [path, failure] : failures) {
        const velkin::MappedFileOrFailure opened = velkin::MappedFile::Open(path.c_str());
        EXPECT_FALSE(opened.file.has_value()) << path;
        EXPECT_EQ(failure, opened.failure) << path;
    }
}

TEST_F(ScanTagsFileTest, PseudoTagLinesOnlyGiveTrueAndNoRecords)
{
    velkin::TagMatchLists lists;
    EXPECT_TRUE(velkin::ScanTagsFile(MakeFile("pseudo", "!_TAG_FILE_FORMAT\t2\t/extended/\n!Foo\tsrc\\foo.c\t1;\"\tf\n").c_str(),
                                     {"Foo", "C:\\proj\\src\\foo.c", "C:\\proj"}, lists));
    ExpectListSizes(lists, 0, 0, 0);
}

TEST_F(ScanTagsFileTest, WindowsShowTheFileFromTheirOffset)
{
    std::string data;
    for (int i = 0; data.size() < 3 * kGranularity; ++i) data += "line " + std::to_string(i) + "\r\n";
    const velkin::MappedFileOrFailure opened = velkin::MappedFile::Open(MakeFile("windows", data).c_str());
    ASSERT_TRUE(opened.file.has_value());
    const velkin::MappedFile& file = *opened.file;
    ASSERT_EQ(data.size(), file.Size());

    const velkin::MappedWindow whole = file.Map(0, file.Size());
    ASSERT_TRUE(whole);
    EXPECT_EQ(data, std::string(whole.Begin(), whole.End()));
    const velkin::MappedWindow middle = file.Map(kGranularity, kGranularity);
    ASSERT_TRUE(middle);
    EXPECT_EQ(data.substr(kGranularity, kGranularity), std::string(middle.Begin(), middle.End()));
    const velkin::MappedWindow tail = file.Map(2 * kGranularity, file.Size());  // cut at the end
    ASSERT_TRUE(tail);
    EXPECT_EQ(data.substr(2 * kGranularity), std::string(tail.Begin(), tail.End()));
    EXPECT_FALSE(file.Map(4 * kGranularity, kGranularity));  // past the end
}

// A holder that takes over another file reads that file's bytes, and the file
// it held before is closed: it can be opened for writing again.
TEST_F(ScanTagsFileTest, AHolderTakingAnotherFileReadsItAndLetsTheOldOneGo)
{
    const std::string first = MakeFile("first", "first file\n");
    std::optional<velkin::MappedFile> file = velkin::MappedFile::Open(first.c_str()).file;
    ASSERT_TRUE(file.has_value());
    file = velkin::MappedFile::Open(MakeFile("second", "the second file\n").c_str()).file;
    ASSERT_TRUE(file.has_value());

    const velkin::MappedWindow window = file->Map(0, file->Size());
    ASSERT_TRUE(window);
    EXPECT_EQ("the second file\n", std::string(window.Begin(), window.End()));
    const HANDLE writer = CreateFileA(first.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, writer) << "the first file is still open";
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

// Lines cut by window ends at every byte, their line ends included. With
// windows of two granules, a window that ends at an even granule boundary is
// followed by windows that end two granules later (the next window starts at
// the granule holding the first line not scanned), as long as no line ends
// right before an odd boundary; line k starts k bytes before boundary 2k + 2.
std::string LinesAcrossWindowEnds(const std::string& lineEnd)
{
    const std::string lines[] = {
        "Foo\tsrc\\foo.c\t/^int Foo(void)$/;\"\tf\tclass:A" + lineEnd,  // the word, the document
        "FooBar\tx.c\t12;\"\tv" + lineEnd,                             // the word as a prefix
        "x\tsrc/foo.c\t3;\"\tm\taccess:public" + lineEnd,              // the document by its name
        "y\t\x95\x5C\\..\\src\\foo.c\t4;\"\tm" + lineEnd,             // the document, with a double-byte folder
        "Fo\tsrc\\foo.cc\t5;\"\tf" + lineEnd,                          // neither
    };
    const std::string filler = "zz\tother\\file.c\t/^" + std::string(160, '-') + "$/;\"\tv" + lineEnd;
    std::string data;
    std::size_t boundary = 2;
    for (const std::string& line : lines) {
        for (std::size_t cut = 0; cut <= line.size(); ++cut, boundary += 2) {
            const std::size_t start = boundary * kGranularity - cut;
            while (data.size() + filler.size() < start) {
                data += filler;
                // Shifted by a byte, a line end before an odd boundary.
                if ((data.size() % kGranularity) == 0 && (data.size() / kGranularity) % 2 == 1) {
                    data.insert(data.size() - lineEnd.size(), "-");
                }
            }
            data.append(start - data.size(), '-');  // the last filler line stretched to the line
            data.replace(data.size() - lineEnd.size(), lineEnd.size(), lineEnd);
            data += line;
        }
    }
    return data;
}

TEST_F(ScanTagsFileTest, WindowEndsCutNoLine)
{
    const std::string longField(3 * kGranularity, 'x');
    const std::string dataSets[] = {
        LinesAcrossWindowEnds("\n"),
        LinesAcrossWindowEnds("\r\n"),
        // Lines longer than a window, qualifying and not, then short ones.
        "Foo\tsrc\\foo.c\t/^" + longField + "$/;\"\tf\n" + "Fo\t" + longField + "\t1;\"\tf\r\n" +
            "Foo\tx.c\t2;\"\tf\t" + longField + "\n" + "x\tsrc\\foo.c\t3;\"\tv",
    };
    for (const std::string& data : dataSets) {
        const std::string file = MakeFile("windows", data);
        for (const std::string word : {"Foo", ""}) {
            ScanSettings settings;
            settings.word = word;
            const Lists expected = ReadReference(data, settings);
            ASSERT_FALSE(expected.inDocument.empty());
            for (const auto path : {velkin::ScanPath::best, velkin::ScanPath::everyLine}) {
                velkin::TagMatchLists lists;
                ASSERT_TRUE(velkin::ScanTagsFile(file.c_str(), QueryOf(settings), lists, {2 * kGranularity, path}));
                ExpectSameLists(expected, ToLists(lists), "word " + word + ", " + data.substr(0, 80));
            }
        }
    }
}

// Takes the address space of the process: reserves every block of 128 MB
// the system gives, then blocks of 64 MB down to 1 MB, then hands `holes` of
// the 128 MB blocks back, no two side by side, so that no free stretch of
// 256 MB is left. (Under Wine, VirtualQuery shows address space that Wine
// keeps for its own allocations as reserved: asking is the only way to know.)
// Releases it all when destroyed.
class CrowdedAddressSpace {
public:
    explicit CrowdedAddressSpace(int holes)
    {
        std::vector<void*> large;
        for (SIZE_T size = 128 * kMegabyte; size >= kMegabyte; size /= 2) {
            while (void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS)) {
                (size == 128 * kMegabyte ? large : blocks_).push_back(block);
            }
        }
        std::sort(large.begin(), large.end());
        for (std::size_t i = 0; i < large.size(); ++i) {
            if (holes > 0 && i % 2 == 0) {
                VirtualFree(large[i], 0, MEM_RELEASE);
                --holes;
            } else {
                blocks_.push_back(large[i]);
            }
        }
    }
    ~CrowdedAddressSpace()
    {
        for (void* block : blocks_) VirtualFree(block, 0, MEM_RELEASE);
    }
    CrowdedAddressSpace(const CrowdedAddressSpace&) = delete;
    CrowdedAddressSpace& operator=(const CrowdedAddressSpace&) = delete;

private:
    std::vector<void*> blocks_;
};

bool CanReserve(SIZE_T size)
{
    void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
    if (block) VirtualFree(block, 0, MEM_RELEASE);
    return block != nullptr;
}

// A 32-bit editor seldom has room for one view of a large tags file: the
// scan needs room for a window only. The file is sparse: tag lines sit at its
// start, its end and around every default window end (drifting a granule a
// window, as the next window starts at the granule holding the first line not
// scanned); zeros fill the rest.
TEST_F(ScanTagsFileTest, LargeFileScansInACrowdedAddressSpace)
{
    if (sizeof(void*) != 4) GTEST_SKIP() << "a 64-bit address space cannot be crowded";
    constexpr LONGLONG kSize = 600LL * 1000 * 1000;
    std::vector<std::pair<LONGLONG, std::string>> pieces;
    std::string lines;  // the pieces side by side, for the reference reader
    const auto addLines = [&](LONGLONG around) {
        std::string piece = "\n";
        for (int i = 0; piece.size() < 2 * kMegabyte; ++i) {
            piece += i % 7 == 0   ? "Foo" + std::to_string(i) + "\tsrc\\lib\\foo.c\t" + std::to_string(i) + ";\"\tf\n"
                     : i % 5 == 0 ? "x" + std::to_string(i) + "\tsrc\\foo.c\t/^x$/;\"\tv\tfile:\r\n"
                                  : "y" + std::to_string(i) + "\tsrc\\y.c\t" + std::to_string(i) + ";\"\tv\n";
        }
        const LONGLONG at = std::min(std::max(around - LONGLONG(kMegabyte), 0LL), kSize - LONGLONG(piece.size()));
        pieces.emplace_back(at, piece);
        lines += piece;
    };
    addLines(0);
    for (LONGLONG windowEnd = velkin::kScanWindowBytes; windowEnd < kSize;
         windowEnd += velkin::kScanWindowBytes - kGranularity) {
        addLines(windowEnd);
    }
    addLines(kSize);
    const std::string path = MakeFile("large", pieces, kSize);

    ScanSettings settings;
    settings.word = "Foo";
    const Lists expected = ReadReference(lines, settings);
    ASSERT_GT(expected.prefix.size(), 1000u);
    ASSERT_GT(expected.inDocument.size(), 1000u);

    const velkin::MappedFileOrFailure opened = velkin::MappedFile::Open(path.c_str());
    ASSERT_TRUE(opened.file.has_value());
    const CrowdedAddressSpace crowd(4);
    ASSERT_FALSE(CanReserve(256 * kMegabyte));
    ASSERT_TRUE(CanReserve(velkin::kScanWindowBytes));
    EXPECT_FALSE(opened.file->Map(0, opened.file->Size()));  // one view does not fit

    velkin::TagMatchLists lists;
    ASSERT_TRUE(velkin::ScanTagsFile(path.c_str(), QueryOf(settings), lists));
    ExpectSameLists(expected, ToLists(lists), "crowded");

    // No room for a window at all: false, and the lists as they were.
    bool scanned;
    std::size_t sizes[velkin::TagMatchLists::kCount];
    {
        const CrowdedAddressSpace full(0);  // the holes too
        scanned = velkin::ScanTagsFile(path.c_str(), QueryOf(settings), lists);
        for (int i = 0; i < velkin::TagMatchLists::kCount; ++i) sizes[i] = lists[i].size();
    }
    EXPECT_FALSE(scanned);
    EXPECT_EQ(expected.exact.size(), sizes[0]);
    EXPECT_EQ(expected.prefix.size(), sizes[1]);
    EXPECT_EQ(expected.inDocument.size(), sizes[2]);
}

// Records what the reading tells it; says stop from the first call whose
// `done` reaches `stopAt` on.
class RecordedProgress final : public velkin::ReadProgress {
public:
    explicit RecordedProgress(std::uint64_t stopAt = std::numeric_limits<std::uint64_t>::max()) : stopAt_(stopAt) {}
    bool GoOn(const velkin::CowString&, std::uint64_t done, std::uint64_t size) noexcept override
    {
        done_.push_back(done);
        size_ = size;
        stopped_ = stopped_ || done >= stopAt_;
        return !stopped_;
    }
    const std::vector<std::uint64_t>& Done() const { return done_; }
    std::uint64_t Size() const { return size_; }

private:
    std::uint64_t stopAt_;
    std::vector<std::uint64_t> done_;
    std::uint64_t size_ = 0;
    bool stopped_ = false;
};

// A file past 4 GiB, sparse: after the header, lines of zeros 16 MB long,
// each behind a name (so that a sorted header stays true), then the word's
// tags a window past the 4 GiB offset. Sorted, the binary search finds them; not
// sorted, every line is read, windows at 64-bit offsets. The progress hears
// of every window (or of the search's narrowing), with the whole size, alone
// or among several files, and stops the read at once.
// Files that take seconds to read whole: a test of their own (see CMakeLists.txt).
class ScanTagsFileLargeTest : public ScanTagsFileTest {};

TEST_F(ScanTagsFileLargeTest, TagsPastFourGiBAreFoundSortedOrNotAndAStopLeavesTheLists)
{
    constexpr LONGLONG kLineBytes = 16LL << 20;
    const std::string tags = "zlarge\tbig.c\t1;\"\tf\nzlarge\tsrc\\foo.c\t2;\"\tv\nzlargest\tbig.c\t3;\"\tf\n";
    ScanSettings settings;
    settings.word = "zlarge";
    for (const bool sorted : {true, false}) {
        const std::string label = sorted ? "sorted" : "not sorted";
        std::vector<std::pair<long long, std::string>> pieces = {
            {0, std::string("!_TAG_FILE_SORTED\t") + (sorted ? "1" : "0") + "\t/0=unsorted, 1=sorted/\nfill\t"}};
        LONGLONG at = kLineBytes;
        for (int i = 0; at < kFourGiB + velkin::kScanWindowBytes; ++i, at += kLineBytes) {
            char line[32];
            std::snprintf(line, sizeof line, "\nfill%05d\t", i);
            pieces.emplace_back(at, line);
        }
        pieces.emplace_back(at, "\n" + tags);
        const LONGLONG size = at + 1 + static_cast<LONGLONG>(tags.size());
        const std::string path = MakeFile("past-4GiB", pieces, size);

        RecordedProgress progress;
        velkin::ScanOptions options;
        options.progress = &progress;
        velkin::LookupRoute route;
        velkin::TagMatchLists lists;
        ASSERT_TRUE(velkin::ScanTagsFile(path.c_str(), QueryOf(settings), lists, options, &route)) << label;
        ExpectListSizes(lists, 2, 3, sorted ? 0 : 1);
        EXPECT_EQ("2", std::string(lists.exact.back().address.Text())) << label;
        EXPECT_EQ(sorted ? velkin::LookupRoute::sortedRange : velkin::LookupRoute::everyLine, route) << label;
        EXPECT_EQ(static_cast<std::uint64_t>(size), progress.Size()) << label;
        EXPECT_TRUE(std::is_sorted(progress.Done().begin(), progress.Done().end())) << label;
        EXPECT_GT(progress.Done().back(), static_cast<std::uint64_t>(kFourGiB)) << label;
        if (!sorted) EXPECT_GT(progress.Done().size(), static_cast<std::size_t>(kFourGiB / velkin::kScanWindowBytes));

        // Stopped (sorted: at the search's second view), nothing of the file
        // is kept.
        RecordedProgress stop(sorted ? 1 : kFourGiB / 8);
        options.progress = &stop;
        EXPECT_FALSE(velkin::ScanTagsFile(path.c_str(), QueryOf(settings), lists, options)) << label;
        ExpectListSizes(lists, 2, 3, sorted ? 0 : 1);

        // Among several files, the word's pass and the document's (no word)
        // tell the whole size too; each stopped at its second view.
        for (const char* word : {"zlarge", ""}) {
            RecordedProgress several(1);
            options.progress = &several;
            velkin::TagsFile file;
            file.path = path.c_str();
            file.folder = folder_.c_str();
            file.mayNameDocument = true;
            EXPECT_TRUE(velkin::LookUpTags({file}, word, settings.documentPath.c_str(), options).stopped) << word;
            EXPECT_EQ(static_cast<std::uint64_t>(size), several.Size()) << label << " " << word;
        }
    }
}

// A line longer than the longest view cannot be mapped whole: the file is
// unreadable, and the windows stop growing there.
TEST_F(ScanTagsFileLargeTest, ALineLongerThanTheLongestViewMakesTheFileUnreadable)
{
    const std::string path = MakeFile("one-line", "Foo\tsrc\\foo.c\t1;\"\tf\t", LONGLONG{velkin::kMaxViewBytes} + kGranularity);
    velkin::TagMatchLists lists;
    EXPECT_FALSE(ScanInto(path, lists));
    ExpectListSizes(lists, 1, 1, 1);
}

}  // namespace
