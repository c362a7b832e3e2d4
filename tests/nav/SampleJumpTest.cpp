// The jump over tags files that universal-ctags wrote for the sample tree, by
// line number and by search pattern, with file names written with '/': every
// tag lands on its definition's line in the simulated editor, the file loaded
// from disk the first time and found open afterwards.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/SimHost.h"
#include "nav/TagJump.h"
#include "tags/TagsFileLookup.h"
#include "win/FullPath.h"

namespace {

using namespace velkin;
using namespace velkin::sim;

// The Windows form of a Unix path: drive Z: is the Unix root.
std::string WindowsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

int CountTagLines(const std::string& tagsFile)
{
    std::ifstream file(tagsFile, std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(file, line);) count += !line.empty() && line[0] != '!';
    return count;
}

// The definition's line (1-based) as ctags recorded it: the address itself, or
// the "line:" field written beside a pattern.
int DefinitionLine(const TagEntry& entry)
{
    const std::string address = entry.address.Text();
    if (address.find_first_not_of("0123456789") == std::string::npos) return std::atoi(address.c_str());
    const std::string fields = std::string("\t") + entry.extensionFields.Text();
    const std::size_t at = fields.find("\tline:");
    return at == std::string::npos ? -1 : std::atoi(fields.c_str() + at + 6);
}

TEST(SampleJumpTest, EveryTagLandsOnItsDefinitionsLine)
{
    const std::string sample = WindowsPath(VELKIN_SAMPLE_DIR);
    std::vector<std::string> documents;
    for (const auto& item : std::filesystem::recursive_directory_iterator(sample))
        if (item.is_regular_file()) documents.push_back(item.path().string());
    ASSERT_EQ(6u, documents.size());

    for (const std::string style : {"number", "pattern", "mixed"}) {
        const std::string tagsFile = WindowsPath(VELKIN_SAMPLE_TAGS_DIR "/" + style + ".tags");
        SimHost host;
        SimFrame& frame = host.AddFrame();
        SimView& view = frame.AddView();
        int jumps = 0;
        for (const std::string& document : documents) {
            const CowString documentPath = GetFullPath<CowString>(document.c_str());
            TagMatchLists lists;
            ASSERT_TRUE(ScanTagsFile(tagsFile.c_str(), {"", documentPath, sample.c_str(), ""}, lists));
            for (const TagEntry& entry : lists.inDocument) {
                SCOPED_TRACE(style + ": " + entry.name.Text() + " " + entry.file.Text() + " " + entry.address.Text());
                const int line = DefinitionLine(entry);
                ASSERT_GT(line, 0);
                JumpToTag(frame.Window(), entry, sample.c_str());
                const SimDocument* shown = view.ActiveDocument();
                ASSERT_NE(nullptr, shown);
                EXPECT_EQ(documentPath.Text(), shown->AnsiPath());
                EXPECT_EQ(line - 1, shown->caret.y);
                ++jumps;
            }
        }
        EXPECT_EQ(CountTagLines(tagsFile), jumps) << style;
        EXPECT_EQ(documents.size(), view.DocumentCount()) << style;   // each file opened once
    }
}

}  // namespace
