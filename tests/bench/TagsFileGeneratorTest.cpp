#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "bench/TagsFileGenerator.h"
#include "bench/TagsFileProfile.h"

using velkin::bench::GeneratedFile;
using velkin::bench::GeneratedTagsHeader;
using velkin::bench::GeneratedTagsShape;
using velkin::bench::GenerateTags;
using velkin::bench::ProfileTagsFile;
using velkin::bench::TagsFileProfile;
using velkin::bench::WriteTagsFileUnlessCurrent;

namespace {

std::string Generate(const GeneratedTagsShape& shape)
{
    std::string text;
    GenerateTags(shape, [&text](const char* bytes, std::size_t count) { text.append(bytes, count); });
    return text;
}

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Overwrite(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A fresh folder under the temporary folder, removed with what it holds.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "velkin-bench-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder()
    {
        for (const char* name : {"\\tags", "\\tags.part"}) DeleteFileA((path_ + name).c_str());
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// name TAB file TAB address ;" TAB kind-letter [TAB fields], nothing empty.
bool IsExtendedFormatLine(std::string_view line)
{
    const std::size_t nameEnd = line.find('\t');
    const std::size_t fileEnd = line.find('\t', nameEnd + 1);
    const std::size_t terminator = line.find(";\"\t", fileEnd + 1);
    if (nameEnd == 0 || nameEnd == std::string_view::npos || fileEnd == nameEnd + 1 ||
        fileEnd == std::string_view::npos || terminator == fileEnd + 1 || terminator == std::string_view::npos) {
        return false;
    }
    const std::size_t kind = terminator + 3;
    return kind < line.size() && line[kind] >= 'a' && line[kind] <= 'z' &&
           (kind + 1 == line.size() || line[kind + 1] == '\t');
}

}  // namespace

TEST(TagsFileGeneratorTest, SameShapeGivesTheSameBytesAndAnotherSeedOthers)
{
    GeneratedTagsShape shape;
    shape.tags = 3000;
    const std::string first = Generate(shape);
    EXPECT_EQ(first, Generate(shape));
    shape.seed += 1;
    const std::string reseeded = Generate(shape);
    EXPECT_NE(first, reseeded);
    EXPECT_EQ(std::string::npos, reseeded.find(GeneratedTagsHeader(GeneratedTagsShape{3000})));
    EXPECT_NE(std::string::npos, reseeded.find(GeneratedTagsHeader(shape)));
}

TEST(TagsFileGeneratorTest, WritesPseudoTagsThenSortedExtendedFormatLines)
{
    GeneratedTagsShape shape;
    shape.tags = 20000;
    const std::string text = Generate(shape);
    ASSERT_FALSE(text.empty());
    ASSERT_EQ('\n', text.back());

    std::size_t tagLines = 0;
    std::string_view previousName;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (line[0] == '!') {
            ASSERT_EQ(0u, tagLines) << "pseudo-tag after the tags: " << line;
            continue;
        }
        ASSERT_TRUE(IsExtendedFormatLine(line)) << line;
        const std::string_view name = line.substr(0, line.find('\t'));
        ASSERT_LE(previousName, name);
        previousName = name;
        ++tagLines;
    }
    EXPECT_EQ(shape.tags, tagLines);
    EXPECT_NE(std::string::npos, text.find(GeneratedTagsHeader(shape)));
}

TEST(TagsFileGeneratorTest, ShapeIsThatOfALargeCodeBase)
{
    GeneratedTagsShape shape;
    shape.tags = 50000;
    const std::string text = Generate(shape);
    const TagsFileProfile profile = ProfileTagsFile(text.data(), text.data() + text.size());

    EXPECT_NEAR(163.0, static_cast<double>(profile.bytes) / profile.tagLines, 6.0);
    EXPECT_NEAR(51.0, static_cast<double>(profile.fileFieldBytes) / profile.tagLines, 3.0);
    EXPECT_NEAR(84.0, static_cast<double>(profile.tagLines) / profile.distinctFiles, 1.0);
    EXPECT_NEAR(42.0, 100.0 * profile.sameFileAsPrevious / profile.tagLines, 4.0);
    // A few files carry many times the mean.
    EXPECT_GT(profile.busiestFileTags, 8u * 84);
    // A bare verb defined in many files, the start of many more names.
    EXPECT_GT(profile.commonNameRun, 20u);
}

TEST(TagsFileGeneratorTest, WritesTheFileOnceAndAgainOnlyForAnotherShapeOrForeignContent)
{
    ScratchFolder folder;
    const std::string path = folder.Path() + "\\tags";
    GeneratedTagsShape shape;
    shape.tags = 2000;

    ASSERT_EQ(GeneratedFile::written, WriteTagsFileUnlessCurrent(path.c_str(), shape));
    EXPECT_EQ(Generate(shape), Contents(path));
    EXPECT_FALSE(Exists(path + ".part"));

    // Kept as it is: a marker added after writing survives.
    Overwrite(path, Contents(path) + "marker\n");
    EXPECT_EQ(GeneratedFile::kept, WriteTagsFileUnlessCurrent(path.c_str(), shape));
    EXPECT_EQ(Generate(shape) + "marker\n", Contents(path));

    GeneratedTagsShape other = shape;
    other.seed += 1;
    EXPECT_EQ(GeneratedFile::written, WriteTagsFileUnlessCurrent(path.c_str(), other));
    EXPECT_EQ(Generate(other), Contents(path));

    Overwrite(path, "!_TAG_FILE_FORMAT\t2\t//\nsomething else\n");
    EXPECT_EQ(GeneratedFile::written, WriteTagsFileUnlessCurrent(path.c_str(), shape));
    EXPECT_EQ(Generate(shape), Contents(path));
}

TEST(TagsFileGeneratorTest, AFileThatCannotBeWrittenFailsWithAnErrorAndLeavesNothing)
{
    ScratchFolder folder;
    const std::string path = folder.Path() + "\\missing folder\\tags";
    GeneratedTagsShape shape;
    shape.tags = 100;
    SetLastError(0);
    EXPECT_EQ(GeneratedFile::failed, WriteTagsFileUnlessCurrent(path.c_str(), shape));
    EXPECT_NE(0u, GetLastError());
    EXPECT_FALSE(Exists(path + ".part"));
}
