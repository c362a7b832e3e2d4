// A synthetic tags file shaped like a large C++ code base's: the scanner
// benchmark's default input.
//
// Shape (1,000,000 tags): about 163 bytes a line, file fields of about 51
// bytes, about 84 tags per distinct file field with a few files of thousands,
// and about 42% of lines naming the same file as the line before: each file's
// module-prefixed names sort into one run, while common member names
// (GetValue, Reset, ...) interleave the files. Extended format, sorted as ctags
// sorts (whole lines in byte order), with pseudo-tag lines first. The second pseudo-tag
// line is GeneratedTagsHeader(), which a caller can compare to decide whether
// an existing file was made with the same shape.
//
// The output depends only on the shape: the generator uses integer arithmetic
// alone, so 32-bit and 64-bit builds write the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace velkin::bench {

struct GeneratedTagsShape {
    std::uint32_t tags = 1000000;
    std::uint64_t seed = 0x5EED0F7A65ULL;
};

// The pseudo-tag line, with its LF, that identifies the generator version, the
// seed and the tag count.
std::string GeneratedTagsHeader(const GeneratedTagsShape& shape);

// Produces the whole file, handing it to `emit` in consecutive pieces of
// about a megabyte; the pieces are valid only during each call. Throws
// std::bad_alloc when its tables (about 60 bytes a tag) cannot be allocated,
// and whatever `emit` throws.
void GenerateTags(const GeneratedTagsShape& shape,
                  const std::function<void(const char* bytes, std::size_t count)>& emit);

enum class GeneratedFile { kept, written, failed };

// Keeps `path` when its first kilobyte holds GeneratedTagsHeader(shape) (kept);
// otherwise writes the file to `path` + ".part" and renames it over `path`
// once complete (written), so that an interrupted run never leaves a file
// that looks current. On failure nothing is left behind and GetLastError
// tells why (failed). Throws what GenerateTags throws.
GeneratedFile WriteTagsFileUnlessCurrent(const char* path, const GeneratedTagsShape& shape);

}  // namespace velkin::bench
