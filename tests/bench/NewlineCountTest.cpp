#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bench/NewlineCount.h"

using velkin::bench::CountNewlinesMemchr;
using velkin::bench::CountNewlinesSse2;

namespace {

struct Fill {
    const char* name;
    char (*byteAt)(std::size_t i);
};

// Bytes a byte-lane counter could get wrong: 0x8A and 0xFF share bits with
// LF or with a compare mask, CR is a line end the counters must not count.
const Fill kFills[] = {
    {"all line feeds", [](std::size_t) { return '\n'; }},
    {"no line feeds", [](std::size_t i) { return "\r\x8A\xFF\t0"[i % 5]; }},
    {"every third byte", [](std::size_t i) { return i % 3 == 0 ? '\n' : '\x8A'; }},
    {"mixed", [](std::size_t i) { return "ab\n\xFF\r\n\n\x0B\x09\n\x80"[(i * 7 + i / 13) % 11]; }},
};

// Around the 16-byte alignment, the 64-byte step and the flush after 255 steps.
const std::size_t kSizes[] = {0, 1, 15, 16, 17, 63, 64, 65, 130, 255 * 64 - 1, 255 * 64 + 1, 2 * 255 * 64 + 77};

}  // namespace

TEST(NewlineCountTest, BothCountsEqualAPlainCountForEverySizeOffsetAndFill)
{
    for (const Fill& fill : kFills) {
        for (std::size_t size : kSizes) {
            for (std::size_t offset : {0, 1, 7, 15}) {
                // Line feeds around the range: a count that reads outside it is too high.
                std::vector<char> buffer(size + offset + 32, '\n');
                char* begin = buffer.data() + 16 + offset;
                for (std::size_t i = 0; i < size; ++i) begin[i] = fill.byteAt(i);
                const auto expected = static_cast<std::size_t>(std::count(begin, begin + size, '\n'));
                SCOPED_TRACE(std::string(fill.name) + ", size " + std::to_string(size) + ", offset " +
                             std::to_string(offset));
                EXPECT_EQ(expected, CountNewlinesSse2(begin, begin + size));
                EXPECT_EQ(expected, CountNewlinesMemchr(begin, begin + size));
            }
        }
    }
}
