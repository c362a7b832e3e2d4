// ASCII letters in either case. Bytes past ASCII are never folded: in a
// multibyte code page they are parts of characters, not letters.
#pragma once

#include <cstddef>

namespace velkin {

inline bool IsAsciiUpperCase(char byte) noexcept { return byte >= 'A' && byte <= 'Z'; }
inline bool IsAsciiLowerCase(char byte) noexcept { return byte >= 'a' && byte <= 'z'; }

inline char AsciiLowerCase(char byte) noexcept
{
    return IsAsciiUpperCase(byte) ? static_cast<char>(byte - 'A' + 'a') : byte;
}

inline char AsciiUpperCase(char byte) noexcept
{
    return IsAsciiLowerCase(byte) ? static_cast<char>(byte - 'a' + 'A') : byte;
}

// Whether the `length` bytes at `a` and at `b` are equal when ASCII letters are
// taken in either case.
inline bool EqualIgnoringAsciiCase(const char* a, const char* b, std::size_t length) noexcept
{
    for (std::size_t i = 0; i < length; ++i) {
        if (AsciiLowerCase(a[i]) != AsciiLowerCase(b[i])) return false;
    }
    return true;
}

}  // namespace velkin
