// The yardsticks for the scanner's speed: two ways to count the line feeds in
// [begin, end), reading nothing outside it. No alignment or terminator needed.
#pragma once

#include <cstddef>

namespace velkin::bench {

// The fastest plain loop: SSE2 compares of 64 bytes a step, counts kept in
// byte lanes and summed with psadbw before they can overflow.
std::size_t CountNewlinesSse2(const char* begin, const char* end) noexcept;

// The C runtime's memchr, called once per line feed.
std::size_t CountNewlinesMemchr(const char* begin, const char* end) noexcept;

}  // namespace velkin::bench
