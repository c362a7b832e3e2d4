// The sample tree tagged by ctags in three address styles: the three lists
// agree with readtags' answers (same names, files and addresses, same order).
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tags/ScannerTestSupport.h"
#include "tags/TagsFileLookup.h"

namespace {

using scannertest::WindowsPath;

std::vector<std::string> ReadLines(const std::string& unixPath)
{
    std::ifstream file(WindowsPath(unixPath), std::ios::binary);
    EXPECT_TRUE(file.is_open()) << unixPath;
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

// readtags prints name, file and address, tab-separated.
std::vector<std::string> AsReadtagsLines(const velkin::TagList& list)
{
    std::vector<std::string> lines;
    for (const velkin::TagEntry& entry : list) {
        lines.push_back(std::string(entry.name.Text()) + "\t" + entry.file.Text() + "\t" + entry.address.Text());
    }
    return lines;
}

TEST(RealTagsTest, ListsAgreeWithReadtags)
{
    const std::string sample = VELKIN_SCANNER_TEST_DIR "/sample";
    const std::string answers = VELKIN_SAMPLE_TAGS_DIR "/";
    std::vector<std::string> words{""}, documents;
    for (const std::string& query : ReadLines(VELKIN_SCANNER_TEST_DIR "/sample-queries.txt")) {
        const size_t space = query.find(' ');
        (query.compare(0, space, "word") == 0 ? words : documents).push_back(query.substr(space + 1));
    }
    ASSERT_EQ(10u, words.size());
    ASSERT_EQ(4u, documents.size());

    size_t compared = 0;
    for (const std::string style : {"number", "pattern", "mixed"}) {
        for (const std::string& word : words) {
            for (const std::string& document : documents) {
                SCOPED_TRACE(style + " word " + word + " document " + document);
                velkin::TagMatchLists lists;
                velkin::LookupRoute route;
                ASSERT_TRUE(velkin::ScanTagsFile(WindowsPath(answers + style + ".tags").c_str(),
                                                 {word.c_str(), WindowsPath(sample + "/" + document).c_str(),
                                                  WindowsPath(sample).c_str()},
                                                 lists, {}, &route));
                std::string documentFile = document;
                std::replace(documentFile.begin(), documentFile.end(), '/', '_');
                const std::vector<std::string> none;
                EXPECT_EQ(word.empty() ? none : ReadLines(answers + style + ".exact." + word), AsReadtagsLines(lists.exact));
                EXPECT_EQ(word.empty() ? none : ReadLines(answers + style + ".prefix." + word), AsReadtagsLines(lists.prefix));
                // ctags sorts: a word with tags is searched for, and the
                // document's tags are not gathered.
                const bool searched = route == velkin::LookupRoute::sortedRange;
                EXPECT_EQ(!lists.prefix.empty(), searched);
                EXPECT_EQ(searched ? none : ReadLines(answers + style + ".document." + documentFile),
                          AsReadtagsLines(lists.inDocument));
                compared += lists.exact.size() + lists.prefix.size() + lists.inDocument.size();
            }
        }
    }
    EXPECT_GT(compared, 500u);  // the answers were not all empty
}

}  // namespace
