#include "tags/LineGrammar.h"

#include <emmintrin.h>

#include <cstring>

#include "text/AsciiCase.h"

namespace velkin {

namespace {

// The first byte of [p, end) equal to a, b or c; `end` when there is none.
// Whole 16-byte blocks are compared at once; the last bytes that do not fill a
// block are compared one by one, so no load reaches `end`.
const char* FindAnyOf(const char* p, const char* end, char a, char b, char c) noexcept
{
    const __m128i wantA = _mm_set1_epi8(a);
    const __m128i wantB = _mm_set1_epi8(b);
    const __m128i wantC = _mm_set1_epi8(c);
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, wantA), _mm_cmpeq_epi8(block, wantB)),
                                          _mm_cmpeq_epi8(block, wantC));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    }
    for (; p != end; ++p) {
        if (*p == a || *p == b || *p == c) return p;
    }
    return end;
}


// The last byte of [begin, end) equal to a, b or c, or null. Whole 16-byte
// blocks from the end are compared at once, the bytes before them one by one.
const char* FindLastOf(const char* begin, const char* end, char a, char b, char c) noexcept
{
    const char* p = end;
    const __m128i wantA = _mm_set1_epi8(a);
    const __m128i wantB = _mm_set1_epi8(b);
    const __m128i wantC = _mm_set1_epi8(c);
    for (; p - begin >= 16; p -= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 16));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, wantA), _mm_cmpeq_epi8(block, wantB)),
                                          _mm_cmpeq_epi8(block, wantC));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0) return p - 16 + (31 - __builtin_clz(static_cast<unsigned>(mask)));
    }
    while (p != begin) {
        --p;
        if (*p == a || *p == b || *p == c) return p;
    }
    return nullptr;
}

}  // namespace

const char* FindFieldEnd(const char* p, const char* end) noexcept { return FindAnyOf(p, end, kTab, kCr, kLf); }

const char* FindLineEnd(const char* p, const char* end) noexcept { return FindAnyOf(p, end, kCr, kLf, kLf); }

const char* SkipLineEnds(const char* p, const char* end) noexcept
{
    while (p != end && IsLineEnd(*p)) ++p;
    return p;
}

const char* SkipLine(const char* p, const char* end) noexcept { return SkipLineEnds(FindLineEnd(p, end), end); }

const char* FindLastLineEnd(const char* begin, const char* end) noexcept
{
    return FindLastOf(begin, end, kCr, kLf, kLf);
}

const char* FindLastFieldEnd(const char* begin, const char* end) noexcept
{
    return FindLastOf(begin, end, kTab, kCr, kLf);
}

const char* LineStart(const char* first, const char* p) noexcept
{
    const char* lineEnd = FindLastLineEnd(first, p);
    return lineEnd ? lineEnd + 1 : first;
}

const char* NextTab(const char* p, const char* end) noexcept
{
    const char* stop = FindFieldEnd(p, end);
    return IsTabAt(stop, end) ? stop : nullptr;
}

const char* FindTerminator(const char* p, const char* end) noexcept
{
    for (;;) {
        const char* stop = FindAnyOf(p, end, ';', kCr, kLf);
        if (stop == end || *stop != ';') return nullptr;
        if (end - stop >= 2 && stop[1] == '"') return stop;
        p = stop + 1;
    }
}

namespace {

template <typename Equal>
NameMatch MatchNameBy(const CowString& word, const char* nameStart, const char* nameEnd, Equal equal) noexcept
{
    const int wordLength = word.Length();
    const auto nameLength = nameEnd - nameStart;
    if (nameLength < wordLength) return NameMatch::none;
    if (!equal(nameStart, word.Text(), static_cast<size_t>(wordLength))) return NameMatch::none;
    return nameLength == wordLength ? NameMatch::exact : NameMatch::prefix;
}

}  // namespace

NameMatch MatchName(const CowString& word, const char* nameStart, const char* nameEnd) noexcept
{
    return MatchNameBy(word, nameStart, nameEnd,
                       [](const char* a, const char* b, size_t length) { return std::memcmp(a, b, length) == 0; });
}

NameMatch MatchNameIgnoringCase(const CowString& word, const char* nameStart, const char* nameEnd) noexcept
{
    return MatchNameBy(word, nameStart, nameEnd, EqualIgnoringAsciiCase);
}

const char* FindPseudoTagValue(const char* begin, const char* end, const char* tag, const char** valueEnd) noexcept
{
    const auto tagLength = static_cast<std::ptrdiff_t>(std::strlen(tag));
    for (const char* line = SkipLineEnds(begin, end); line != end && *line == '!';) {
        const char* lineEnd = FindLineEnd(line, end);
        if (lineEnd - line > tagLength + 1 && std::memcmp(line, tag, static_cast<std::size_t>(tagLength)) == 0 &&
            line[tagLength] == kTab) {
            const char* value = line + tagLength + 1;
            *valueEnd = FindFieldEnd(value, lineEnd);
            return value;
        }
        line = SkipLineEnds(lineEnd, end);
    }
    return nullptr;
}

}  // namespace velkin
