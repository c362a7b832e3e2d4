#include "tags/CandidateSearch.h"

#include <immintrin.h>

#include <algorithm>

namespace velkin {

namespace {

// Functions for one instruction set each; called only when the processor has it.
#define VELKIN_INLINE __attribute__((always_inline)) inline
#define VELKIN_AVX2 __attribute__((target("avx2")))
#define VELKIN_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

constexpr std::ptrdiff_t kChunk = CandidateSearch::kChunk;
constexpr char kNone = static_cast<char>(0x80);  // a table entry that matches no byte below 0x80

// The first chunk start after `last` when stepping from `p` (<= last).
const char* ChunkAfter(const char* p, const char* last) noexcept
{
    return p + ((last - p) / kChunk + 1) * kChunk;
}

// ---- SSE2: 16 bytes a vector ------------------------------------------------

struct Sse2Pattern {
    explicit Sse2Pattern(const CandidateSearch::KeyedPattern& pattern) noexcept
        : wordFirst(_mm_set1_epi8(pattern.wordFirst)),
          nameKey(_mm_set1_epi8(pattern.name[pattern.nameKey])),
          nameOtherKey(_mm_set1_epi8(pattern.name[pattern.nameOtherKey])),
          keyDistance(static_cast<std::ptrdiff_t>(pattern.nameOtherKey - pattern.nameKey))
    {
    }
    const __m128i wordFirst, nameKey, nameOtherKey;
    const std::ptrdiff_t keyDistance;
};

struct Sse2Marks {
    __m128i lineEnds;  // see CandidateChunk
    __m128i inLine;
};

VELKIN_INLINE __m128i Load16(const char* p) noexcept { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

template <bool kWord>
VELKIN_INLINE Sse2Marks ClassifySse2(const char* p, const Sse2Pattern& pattern) noexcept
{
    const __m128i bytes = Load16(p);
    const __m128i lineEnd =
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
    const __m128i stop = _mm_or_si128(lineEnd, _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t')));
    // Below 0x20 or above 0x7E: with one added, exactly the signed bytes below 0x21.
    const __m128i unprintable = _mm_cmplt_epi8(_mm_add_epi8(bytes, _mm_set1_epi8(1)), _mm_set1_epi8(0x21));
    const __m128i name = _mm_and_si128(_mm_cmpeq_epi8(bytes, pattern.nameKey),
                                       _mm_cmpeq_epi8(Load16(p + pattern.keyDistance), pattern.nameOtherKey));
    Sse2Marks marks;
    marks.inLine = _mm_or_si128(_mm_andnot_si128(stop, unprintable), name);
    if (kWord) {
        marks.lineEnds = _mm_and_si128(lineEnd, _mm_cmpeq_epi8(Load16(p + 1), pattern.wordFirst));
    } else {
        marks.lineEnds = _mm_setzero_si128();
    }
    return marks;
}

template <bool kWord>
VELKIN_INLINE __m128i AnySse2(const char* p, const Sse2Pattern& pattern) noexcept
{
    const Sse2Marks marks = ClassifySse2<kWord>(p, pattern);
    return kWord ? _mm_or_si128(marks.lineEnds, marks.inLine) : marks.inLine;
}

// Bit i of a chunk's mask for the byte i of four 16-byte marks.
std::uint64_t ChunkMask(__m128i m0, __m128i m1, __m128i m2, __m128i m3) noexcept
{
    const auto low = static_cast<std::uint32_t>(_mm_movemask_epi8(m0)) |
                     static_cast<std::uint32_t>(_mm_movemask_epi8(m1)) << 16;
    const auto high = static_cast<std::uint32_t>(_mm_movemask_epi8(m2)) |
                      static_cast<std::uint32_t>(_mm_movemask_epi8(m3)) << 16;
    return static_cast<std::uint64_t>(high) << 32 | low;
}

template <bool kWord>
bool FindSse2(const char*& start, const char* last, const CandidateSearch::KeyedPattern& candidates,
              CandidateChunk& chunk) noexcept
{
    if (start > last) return false;
    const Sse2Pattern pattern(candidates);
    for (const char* p = start; p <= last; p += kChunk) {
        // The common case, no candidate, with as few steps as the test allows.
        const __m128i low = _mm_or_si128(AnySse2<kWord>(p, pattern), AnySse2<kWord>(p + 16, pattern));
        const __m128i high = _mm_or_si128(AnySse2<kWord>(p + 32, pattern), AnySse2<kWord>(p + 48, pattern));
        const __m128i any = _mm_or_si128(low, high);
        if (_mm_movemask_epi8(any) == 0) continue;
        const Sse2Marks m0 = ClassifySse2<kWord>(p, pattern);
        const Sse2Marks m1 = ClassifySse2<kWord>(p + 16, pattern);
        const Sse2Marks m2 = ClassifySse2<kWord>(p + 32, pattern);
        const Sse2Marks m3 = ClassifySse2<kWord>(p + 48, pattern);
        chunk.at = start = p;
        chunk.lineEnds = ChunkMask(m0.lineEnds, m1.lineEnds, m2.lineEnds, m3.lineEnds);
        chunk.inLine = ChunkMask(m0.inLine, m1.inLine, m2.inLine, m3.inLine);
        return true;
    }
    start = ChunkAfter(start, last);
    return false;
}

// ---- AVX2: 32 bytes a vector ------------------------------------------------

struct Avx2Marks {
    __m256i lineEnds;  // see CandidateChunk
    __m256i inLine;
};

VELKIN_AVX2_INLINE __m256i Load32(const char* p) noexcept
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// A byte equal to its entry in `table`, indexed by its low four bits: bytes
// above 0x7F look up zero, and kNone entries match no byte below 0x80.
VELKIN_AVX2_INLINE __m256i InTable(__m256i bytes, __m256i table) noexcept
{
    return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(table, bytes), bytes);
}

// As Sse2Pattern.
struct Avx2Pattern {
    __m256i lineEndTable, stopTable, wordFirst, nameKey, nameOtherKey;
    std::ptrdiff_t keyDistance;
};

template <bool kWord>
VELKIN_AVX2_INLINE Avx2Marks ClassifyAvx2(const char* p, const Avx2Pattern& pattern) noexcept
{
    const __m256i bytes = Load32(p);
    const __m256i unprintable = _mm256_cmpgt_epi8(_mm256_set1_epi8(0x21), _mm256_add_epi8(bytes, _mm256_set1_epi8(1)));
    const __m256i name = _mm256_and_si256(_mm256_cmpeq_epi8(bytes, pattern.nameKey),
                                          _mm256_cmpeq_epi8(Load32(p + pattern.keyDistance), pattern.nameOtherKey));
    Avx2Marks marks;
    marks.inLine = _mm256_or_si256(_mm256_andnot_si256(InTable(bytes, pattern.stopTable), unprintable), name);
    if (kWord) {
        marks.lineEnds =
            _mm256_and_si256(InTable(bytes, pattern.lineEndTable), _mm256_cmpeq_epi8(Load32(p + 1), pattern.wordFirst));
    } else {
        marks.lineEnds = _mm256_setzero_si256();
    }
    return marks;
}

VELKIN_AVX2_INLINE std::uint64_t ChunkMask(__m256i low, __m256i high) noexcept
{
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high))) << 32 |
           static_cast<std::uint32_t>(_mm256_movemask_epi8(low));
}

template <bool kWord>
VELKIN_AVX2 bool FindAvx2(const char*& start, const char* last, const CandidateSearch::KeyedPattern& candidates,
                          CandidateChunk& chunk) noexcept
{
    if (start > last) return false;
    const Avx2Pattern pattern{
        _mm256_broadcastsi128_si256(_mm_setr_epi8(kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
                                                  kNone, '\n', kNone, kNone, '\r', kNone, kNone)),
        _mm256_broadcastsi128_si256(_mm_setr_epi8(kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
                                                  '\t', '\n', kNone, kNone, '\r', kNone, kNone)),
        _mm256_set1_epi8(candidates.wordFirst),
        _mm256_set1_epi8(candidates.name[candidates.nameKey]),
        _mm256_set1_epi8(candidates.name[candidates.nameOtherKey]),
        static_cast<std::ptrdiff_t>(candidates.nameOtherKey - candidates.nameKey),
    };
    for (const char* p = start; p <= last; p += kChunk) {
        const Avx2Marks low = ClassifyAvx2<kWord>(p, pattern);
        const Avx2Marks high = ClassifyAvx2<kWord>(p + 32, pattern);
        const __m256i any = _mm256_or_si256(_mm256_or_si256(low.lineEnds, low.inLine),
                                            _mm256_or_si256(high.lineEnds, high.inLine));
        if (_mm256_testz_si256(any, any)) continue;
        chunk.at = start = p;
        chunk.lineEnds = ChunkMask(low.lineEnds, high.lineEnds);
        chunk.inLine = ChunkMask(low.inLine, high.inLine);
        return true;
    }
    start = ChunkAfter(start, last);
    return false;
}

// How common a byte is in tags files, roughly: names and paths are mostly
// lower-case letters, and some letters are far more common than others.
int Commonness(char byte) noexcept
{
    if (byte >= 'A' && byte <= 'Z') return 1;
    if (byte >= '0' && byte <= '9') return 2;
    for (const char rare : {'j', 'q', 'x', 'z', 'k', 'v', 'w', 'y', 'b', 'g', 'f'}) {
        if (byte == rare) return 3;
    }
    if (byte >= 'a' && byte <= 'z') return 5;
    if (byte == '.' || byte == '_') return 6;
    return 4;
}

// The index of the least common byte of [name, name + length) other than
// the one at `other` (none when it is `length`); among bytes alike, the one
// farthest from `other`, where the two are less often found together.
std::size_t RarestByte(const char* name, std::size_t length, std::size_t other) noexcept
{
    const auto distance = [other](std::size_t i) { return i > other ? i - other : other - i; };
    std::size_t rarest = length == 1 ? 0 : other == 0 ? 1 : 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (i == other) continue;
        const int commonness = Commonness(name[i]);
        const int rarestCommonness = Commonness(name[rarest]);
        if (commonness < rarestCommonness || (commonness == rarestCommonness && distance(i) > distance(rarest))) {
            rarest = i;
        }
    }
    return rarest;
}

}  // namespace

bool HasAvx2() noexcept
{
    // False also when the system does not save the AVX registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

CandidateSearch::CandidateSearch(const CandidatePattern& pattern, bool avx2) noexcept
{
    static_cast<CandidatePattern&>(pattern_) = pattern;
    if (pattern.nameLength != 0) {
        const std::size_t rarest = RarestByte(pattern.name, pattern.nameLength, pattern.nameLength);
        const std::size_t next = RarestByte(pattern.name, pattern.nameLength, rarest);
        pattern_.nameKey = std::min(rarest, next);
        pattern_.nameOtherKey = std::max(rarest, next);
    }
    const auto keyDistance = static_cast<std::ptrdiff_t>(pattern_.nameOtherKey - pattern_.nameKey);
    reach_ = kChunk + std::max<std::ptrdiff_t>(1, keyDistance);
    if (avx2 && HasAvx2()) {
        find_ = pattern.hasWord ? FindAvx2<true> : FindAvx2<false>;
    } else {
        find_ = pattern.hasWord ? FindSse2<true> : FindSse2<false>;
    }
}

bool CandidateSearch::Next(const char*& p, const char* last, CandidateChunk& chunk) const noexcept
{
    return find_(p, last, pattern_, chunk);
}

}  // namespace velkin
