// The search of sorted tags files against reading every line (one harness,
// CompareWithEveryLine): ctags' own sorted files, a large one whose ranges
// cross window edges, files whose header says more than their lines hold.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tags/MappedFile.h"
#include "tags/ScannerTestSupport.h"

using namespace scannertest;

namespace {

std::string ReadSampleTags(const std::string& name)
{
    std::ifstream file(WindowsPath(VELKIN_SAMPLE_TAGS_DIR "/" + name), std::ios::binary);
    EXPECT_TRUE(file.is_open()) << name;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::vector<std::string> SplitLines(const std::string& data)
{
    std::vector<std::string> lines;
    std::istringstream in(data);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, const std::string& lineEnd)
{
    std::string data;
    for (const std::string& line : lines) data += line + lineEnd;
    return data;
}

// Every name of the tags lines (cut before a byte a word cannot hold), each
// prefix of those, and each in upper and lower case.
std::vector<std::string> WordsOf(const std::string& data)
{
    std::set<std::string> words = {"Zzz", "0", "_"};
    for (const std::string& line : SplitLines(data)) {
        if (line.empty() || line[0] == '!') continue;
        std::string word;
        for (const char byte : line.substr(0, line.find('\t'))) {
            if (!std::isalnum(static_cast<unsigned char>(byte)) && byte != '_') break;
            word += byte;
            std::string upper = word, lower = word;
            for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            words.insert({word, upper, lower});
        }
    }
    return {words.begin(), words.end()};
}

const ScanSettings kWidget = {"", "C:\\proj\\src\\widget.cpp", "C:\\proj"};

class SortedSearchTest : public testing::Test {
protected:
    TempFolder folder_;
};

TEST_F(SortedSearchTest, CtagsSortedFilesGiveTheListsOfEveryLine)
{
    for (const char* name : {"number.tags", "pattern.tags", "mixed.tags", "foldcase.tags"}) {
        SCOPED_TRACE(name);
        const std::string data = ReadSampleTags(name);
        const Routes routes = CompareWithEveryLine(folder_, data, WordsOf(data), kWidget, true);
        EXPECT_GT(routes.sortedRange, 200);
    }
}

// Many copies of ctags' lines, each name given a tail, sorted as ctags sorts:
// the ranges of short words run over several windows of two granules, so
// window ends fall inside their lines; with each kind of line end, and no line
// end after the last line.
TEST_F(SortedSearchTest, RangesAcrossWindowEdgesGiveTheListsOfEveryLine)
{
    const std::vector<std::string> lines = SplitLines(ReadSampleTags("mixed.tags"));
    std::vector<std::string> header, tags;
    for (const std::string& line : lines) (line[0] == '!' ? header : tags).push_back(line);
    std::vector<std::string> copies;
    for (int copy = 0; copy < 250; ++copy) {
        for (const std::string& line : tags) {
            const size_t tab = line.find('\t');
            copies.push_back(copy == 0 ? line : line.substr(0, tab) + "_" + std::to_string(copy) + line.substr(tab));
        }
    }
    std::sort(copies.begin(), copies.end());
    copies.insert(copies.begin(), header.begin(), header.end());

    const std::vector<std::string> words = {"S", "Se", "Set", "SetValue", "Widget", "ui", "value_", "C", "Zzz", "m", "s"};
    const std::uint32_t granularity = velkin::MappedFile::AllocationGranularity();
    for (const std::string lineEnd : {"\r\n", "\n", "\r"}) {
        std::string data = JoinLines(copies, lineEnd);
        if (lineEnd == "\n") data.pop_back();
        const size_t firstS = data.find(lineEnd + "S"), lastS = data.rfind(lineEnd + "S");
        ASSERT_GT(lastS - firstS, 3 * granularity);
        EXPECT_EQ(20, CompareWithEveryLine(folder_, data, words, kWidget, true).sortedRange);
    }

    // Lines of 128 bytes after a header of 129: every granule edge, and so
    // every window end, falls between a CR and its LF.
    std::string data = "!_TAG_FILE_SORTED\t1\t/" + std::string(105, '-') + "/\r\n";
    for (std::uint32_t i = 0; i < 3 * granularity / 64; ++i) {
        const std::string name = "S" + std::to_string(10000 + i).substr(1);
        data += name + "\tsrc/other.c\t/^" + std::string(100, '-') + "$/;\"\tf\r\n";
    }
    ASSERT_EQ("\r\n", data.substr(granularity - 1, 2));
    EXPECT_EQ(4, CompareWithEveryLine(folder_, data, {"S", "S1"}, kWidget, true).sortedRange);
}

// From a VHDL document, the case variants of a word in a file sorted by
// bytes stand apart (COUNTER, Counter, cOUNTER, counter), each run of them
// longer than a window of two granules; in a file sorted with letters folded
// they stand together. Either search gives the lists of every line: VHDL's
// tags of any case, C's of the word's own.
TEST_F(SortedSearchTest, CaseVariantsInAVhdlDocumentGiveTheListsOfEveryLine)
{
    const std::string bases[] = {"COUNTER", "Counter", "counter", "cOUNTER", "CountEr", "COUNT_X", "count",
                                 "co", "Cow", "_counter", "D"};
    std::vector<std::string> lines;
    for (int copy = 0; copy < 5000; ++copy) {
        for (const std::string& base : bases) {
            const std::string name = copy == 0 ? base : base + "_" + std::to_string(copy);
            lines.push_back(name + (copy % 3 == 0 ? "\tsrc/counter.c\t" : "\tsrc/counter.vhd\t") + std::to_string(copy + 1) +
                            ";\"\te");
        }
    }
    const auto folded = [](std::string line) {
        for (char& c : line) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        return line;
    };
    std::sort(lines.begin(), lines.end());
    const std::string bytes = "!_TAG_FILE_SORTED\t1\t/0=unsorted, 1=sorted, 2=foldcase/\n" + JoinLines(lines, "\n");
    std::stable_sort(lines.begin(), lines.end(),
                     [&](const std::string& a, const std::string& b) { return folded(a) < folded(b); });
    const std::string foldcase = "!_TAG_FILE_SORTED\t2\t/0=unsorted, 1=sorted, 2=foldcase/\n" + JoinLines(lines, "\n");
    const std::uint32_t granularity = velkin::MappedFile::AllocationGranularity();
    ASSERT_GT(bytes.rfind("\ncOUNTER_") - bytes.find("\ncOUNTER\t"), 2 * granularity);

    const ScanSettings vhdl = {"", "C:\\proj\\src\\top.vhd", "C:\\proj"};
    const std::vector<std::string> words = {"CoUnTeR", "c", "count_x", "e"};
    EXPECT_EQ(6, CompareWithEveryLine(folder_, bytes, words, vhdl, true).sortedRange);
    EXPECT_EQ(6, CompareWithEveryLine(folder_, foldcase, words, vhdl, true).sortedRange);
}

// A header that says sorted over lines that are not: what a search gives is
// right for the lines it read; where it met the order broken, every line is
// read. A header that says nothing sorted, or cannot be read: every line.
TEST_F(SortedSearchTest, FalseHeadersGiveRightTagsOfTheLinesRead)
{
    const std::string number = ReadSampleTags("number.tags"), pattern = ReadSampleTags("pattern.tags");
    const std::string foldcase = ReadSampleTags("foldcase.tags");
    std::vector<std::string> reversed = SplitLines(number);
    std::reverse(reversed.begin(), reversed.end());
    const std::string sortedLine = "!_TAG_FILE_SORTED\t1\t/0=unsorted, 1=sorted, 2=foldcase/\n";
    const auto withSortLine = [&](std::string data, const std::string& line) {
        const size_t at = data.find("!_TAG_FILE_SORTED");
        return data.replace(at, data.find('\n', at) + 1 - at, line);
    };

    // Lines added by hand at the end: a search for a word that sorts after
    // every other passes them, sees them out of order and reads every line.
    const std::string added = number + "Apple\tsrc/widget.cpp\t1;\"\tf\nSet\tsrc/widget.cpp\t2;\"\tf\n" +
                              "SetZ\tsrc/new.c\t3;\"\tf\nzeta\tsrc/widget.cpp\t4;\"\tf\n";
    // "SetAll" above the "Set" before it: a name above one it begins with is
    // out of order as well, met by the walk over the word's lines (Set) or by
    // the search's steps (SetValue, Settings).
    const auto setAllAboveSet = [](std::string data) {
        const size_t setAll = data.find("\nSetAll\t") + 1, set = data.rfind("\nSet\t", setAll - 1) + 1;
        const std::string line = data.substr(setAll, data.find('\n', setAll) + 1 - setAll);
        return data.erase(setAll, line.size()).insert(set, line);
    };
    const struct {
        std::string data, word;
    } disordered[] = {{added, "zeta"},
                      {setAllAboveSet(number), "Set"},
                      {setAllAboveSet(number), "SetValue"},
                      {setAllAboveSet(foldcase), "Settings"}};
    for (const auto& d : disordered)
        EXPECT_EQ(2, CompareWithEveryLine(folder_, d.data, {d.word}, kWidget, false).disorderThenEveryLine) << d.word;
    const std::string lying[] = {
        added,
        number + pattern,
        sortedLine + JoinLines(reversed, "\n"),
        withSortLine(foldcase, sortedLine),
    };
    Routes all;
    for (const std::string& data : lying) {
        const Routes routes = CompareWithEveryLine(folder_, data, WordsOf(data), kWidget, false);
        all.sortedRange += routes.sortedRange;
        all.disorderThenEveryLine += routes.disorderThenEveryLine;
    }
    EXPECT_GT(all.sortedRange, 100);
    EXPECT_GT(all.disorderThenEveryLine, 20);

    for (const std::string line : {"!_TAG_FILE_SORTED\t0\t/unsorted/\n", "!_TAG_FILE_SORTED\t1x\t/x/\n",
                                    "!_TAG_FILE_SORTED\n", "!_TAG_FILE_SORTED\t\t1\n", "!_TAG_FILE_SORTEDX\t1\t/x/\n"}) {
        const std::string data = withSortLine(number, line);
        const Routes routes = CompareWithEveryLine(folder_, data, {"Set", "S", "Zzz"}, kWidget, false);
        EXPECT_EQ(6, routes.everyLine) << line;
    }
    // Below the first tag line, the header says nothing.
    const std::string data = "Set\tsrc/widget.cpp\t2;\"\tf\n" + sortedLine + "SetZ\tsrc/new.c\t3;\"\tf\n";
    EXPECT_EQ(2, CompareWithEveryLine(folder_, data, {"Set"}, kWidget, false).everyLine);
}

}  // namespace
