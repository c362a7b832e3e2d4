#include <string>

#include <gtest/gtest.h>

#include "bench/TagsFileProfile.h"

using velkin::bench::ProfileTagsFile;
using velkin::bench::TagsFileProfile;

namespace {

TagsFileProfile Profile(const std::string& text) { return ProfileTagsFile(text.data(), text.data() + text.size()); }

}  // namespace

TEST(TagsFileProfileTest, CountsTagLinesFilesAndRunsOfTheSameFile)
{
    // Pseudo-tags, blank lines, a line without a file field, CR LF and a last
    // line without a line end.
    const TagsFileProfile profile = Profile(
        "!_TAG_FILE_SORTED\t1\t//\n"
        "\n"
        "Get\ta.c\t1;\"\tf\r\n"
        "Get\ta.c\t2;\"\tf\n"
        "Get\tb.c\t3;\"\tf\r\r\n"
        "GetName\tb.c\t4;\"\tv\tclass:X\n"
        "NoFileField\n"
        "operator=\tc.c\t5;\"\tf\n"
        "operator=\tc.c\t6;\"\tf\n"
        "operator=\tc.c\t7;\"\tf\n"
        "operator=\tc.c\t8;\"\tf\n"
        "Set\tlonger\\d.c\t9;\"\tf");
    EXPECT_EQ(9u, profile.tagLines);
    EXPECT_EQ(8u * 3 + 10, profile.fileFieldBytes);
    EXPECT_EQ(4u, profile.distinctFiles);
    EXPECT_EQ(5u, profile.sameFileAsPrevious);
    EXPECT_EQ("c.c", profile.busiestFile);
    EXPECT_EQ(4u, profile.busiestFileTags);
    // The mean is 2 tags a file: a.c and b.c both have 2, the smaller field wins.
    EXPECT_EQ("a.c", profile.typicalFile);
    EXPECT_EQ(2u, profile.typicalFileTags);
    // operator= has the longest run, but is no word.
    EXPECT_EQ("Get", profile.commonName);
    EXPECT_EQ(3u, profile.commonNameRun);
    // Most kind fields are f, but only v stands between tabs.
    EXPECT_EQ('v', profile.commonKind);
}

TEST(TagsFileProfileTest, DataWithoutTagLinesGivesAnEmptyProfile)
{
    for (const char* text : {"", "\r\n\n", "!_TAG_FILE_FORMAT\t2\t//\n", "name only\nname\tfile only"}) {
        const TagsFileProfile profile = Profile(text);
        EXPECT_EQ(0u, profile.tagLines) << text;
        EXPECT_EQ(0u, profile.distinctFiles) << text;
        EXPECT_EQ("", profile.busiestFile) << text;
        EXPECT_EQ("", profile.commonName) << text;
    }
}
