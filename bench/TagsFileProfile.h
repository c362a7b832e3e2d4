// A quick first pass over a tags file: its shape, and the word and documents
// that make the benchmark's cases real for this file. Read with the scanner's
// own line operations (ForEachTagLine), so it sees the lines the scanner sees.
#pragma once

#include <cstdint>
#include <string>

namespace velkin::bench {

struct TagsFileProfile {
    std::uint64_t bytes = 0;
    std::uint32_t tagLines = 0;            // lines with a name and a file field (pseudo-tags excluded)
    std::uint64_t fileFieldBytes = 0;      // summed over tagLines
    std::uint32_t distinctFiles = 0;
    std::uint32_t sameFileAsPrevious = 0;  // tag lines whose file field equals the previous tag line's

    std::string busiestFile;               // the file field with the most tags
    std::uint32_t busiestFileTags = 0;
    std::string typicalFile;               // the file field whose tag count is nearest the mean
    std::uint32_t typicalFileTags = 0;
    // The file field with a byte past ASCII (a UTF-8 or Shift-JIS name) whose
    // tag count is nearest the mean; empty when there is none.
    std::string typicalNonAsciiFile;
    std::uint32_t typicalNonAsciiFileTags = 0;
    std::uint32_t nonAsciiFileLines = 0;   // tag lines whose file field holds a byte past ASCII
    std::string commonName;                // the longest run of one name made of A-Z a-z 0-9 _
    std::uint32_t commonNameRun = 0;       // (in a name-sorted file: the most frequent such name)
    char commonKind = 0;                   // the ASCII letter that is the most kind fields followed by a tab (0: none)
};

// Profiles [begin, end). File fields and names are copied out: the profile
// does not borrow from the data. Empty strings when there are no tag lines.
TagsFileProfile ProfileTagsFile(const char* begin, const char* end);

}  // namespace velkin::bench
