#include "tags/CandidateSearch.h"

#include <immintrin.h>

#include <algorithm>

namespace velkin {

namespace {

// Functions for one instruction set each; called only when the processor has it.
#define VELKIN_INLINE __attribute__((always_inline)) inline
#define VELKIN_SSSE3 __attribute__((target("ssse3")))
#define VELKIN_SSSE3_INLINE __attribute__((target("ssse3"), always_inline)) inline
#define VELKIN_AVX2 __attribute__((target("avx2")))
#define VELKIN_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline
#define VELKIN_AVX512 __attribute__((target("avx512bw")))

constexpr std::ptrdiff_t kChunk = CandidateSearch::kChunk;
constexpr char kNone = static_cast<char>(0x80);  // a table entry that matches no byte below 0x80

// What a search compares after a line end (its kWord): no word, the word's
// first byte as it is, or in either case. A search of the word as it is has
// no step for the case: a case-sensitive scan runs as it did before.
constexpr int kNoWord = 0, kWordAsIs = 1, kWordAnyCase = 2;

int WordKind(const CandidatePattern& pattern) noexcept
{
    return !pattern.hasWord ? kNoWord : pattern.wordCaseBit != 0 ? kWordAnyCase : kWordAsIs;
}

// The first chunk start after `last` when stepping from `p` (<= last).
const char* ChunkAfter(const char* p, const char* last) noexcept
{
    return p + ((last - p) / kChunk + 1) * kChunk;
}

// The searches look at each byte as the byte before a name (the lead), with
// the name's first byte after it (compared, as is the word's first byte after
// a line end, in one load at p + 1) and the byte after the name (the trail);
// the name's other bytes are left to the caller. The bytes outside
// printable ASCII are found in the lead's own load: with one added, they are
// exactly the signed bytes below 0x21, less tab, CR and LF.
//
// In a chunk that has a line end before the word's first byte, the word's
// last byte is compared too, where it would stand in that line: a word's
// first letter and the few after it (m_ for members, a module's prefix)
// begin many lines, and each line the search stops at costs more than the
// comparison. Only there: in the loop's common case it would cost a word
// with no tag more than it saves.

// ---- Candidates outside a file field ----------------------------------------

// The bytes of a chunk that place a candidate in its line, bit i for the
// byte at + i.
struct ChunkStops {
    std::uint64_t tabs = 0, lineEnds = 0;
    std::uint64_t separators = 0;  // '\\', '/' and ':'
    std::uint64_t dotsAndBlanks = 0;
    std::uint64_t stops() const noexcept { return tabs | lineEnds; }
};

// The bits after each marker (a stop, with the carry in standing for one
// right before the chunk) up to and including the next stop: adding one
// after each marker to the non-stops carries through the run of them.
VELKIN_INLINE std::uint64_t UpToNextStop(std::uint64_t markers, bool carryIn, std::uint64_t stops) noexcept
{
    const std::uint64_t others = ~stops;
    return (others + (markers << 1 | static_cast<std::uint64_t>(carryIn))) ^ others;
}

// Tabs whose stop before them on their line is a tab (`tabBefore`: the
// last stop before the chunk is one): they open no file field, which only a
// line's first tab does.
VELKIN_INLINE std::uint64_t TabsAfterTabs(const ChunkStops& chunk, bool tabBefore) noexcept
{
    return chunk.tabs & UpToNextStop(chunk.tabs, tabBefore, chunk.stops());
}

// What the last stop of a chunk tells the next one. Both false when the chunk
// holds no stop or is not looked at.
struct StopBefore {
    bool tab = false;
    bool outsideFileField = false;  // a line end, or a tab after a tab
};

// Whether the last stop of a chunk is one of `markers` (some of its stops):
// the bits after it up to the chunk's end are then all in its run, or it is
// the last byte. Without branches: which stop comes last is a coin toss.
VELKIN_INLINE bool LastStopIsMarker(std::uint64_t markers, std::uint64_t stops) noexcept
{
    return (((UpToNextStop(markers, false, stops) & ~stops) | markers) >> 63) != 0;
}

VELKIN_INLINE StopBefore LastStopOf(const ChunkStops& chunk) noexcept
{
    return {LastStopIsMarker(chunk.tabs, chunk.stops()),
            LastStopIsMarker(chunk.lineEnds | TabsAfterTabs(chunk, false), chunk.stops())};
}

// Drops from `candidates` those that the chunk's stops (and the stop before
// it) place outside a file field: a tab after another tab of its line, a
// separator or colon in a line's first field or after such a tab, and the
// dots and blanks the wider searches take for leads. Other bits stay.
VELKIN_INLINE std::uint64_t InFileField(std::uint64_t candidates, const ChunkStops& chunk, StopBefore before) noexcept
{
    const std::uint64_t notOpeners = TabsAfterTabs(chunk, before.tab);
    const std::uint64_t outside =
        UpToNextStop(chunk.lineEnds | notOpeners, before.outsideFileField, chunk.stops()) & ~chunk.stops();
    return candidates & ~(notOpeners | (chunk.separators & outside) | chunk.dotsAndBlanks);
}

// The bits that only the stop before the chunk places: up to and including
// its first stop (all when it has none), and when that is a tab, those up to
// the next stop.
VELKIN_INLINE std::uint64_t PlacedByStopBefore(const ChunkStops& chunk) noexcept
{
    const std::uint64_t first = chunk.stops() & (0 - chunk.stops());
    return ((first << 1) - 1) | UpToNextStop(first & chunk.tabs, false, chunk.stops());
}

// The lowest set bit of `bits` (not 0). A 32-bit build looks at each half:
// its 64-bit count is a call.
VELKIN_INLINE int LowestBit(std::uint64_t bits) noexcept
{
#ifdef __x86_64__
    return __builtin_ctzll(bits);
#else
    const auto low = static_cast<std::uint32_t>(bits);
    return low != 0 ? __builtin_ctz(low) : 32 + __builtin_ctz(static_cast<std::uint32_t>(bits >> 32));
#endif
}

// How far back, in steps of 64 bytes, the stop before a tab that leads a
// name is looked for: past an address (ctags cuts a pattern at 96 bytes) to
// the tab that ends the file field.
constexpr std::ptrdiff_t kLookBackChunks = 3;

// Whether the stop nearest before `at` is a tab, which a tab at `at` then
// follows on its line, so that it opens no file field: a kind field, for a
// document named like a kind ("\tm\t" in the lines of members). `stopsAt(q)`
// gives the tabs and line ends of the 64 bytes at q: those right before `at`,
// then the 64 before them, kLookBackChunks times at most and never before
// `floor`. False when no stop is found there.
template <typename StopsAt>
VELKIN_INLINE bool FollowsTab(const char* floor, const char* at, StopsAt&& stopsAt) noexcept
{
    for (const char* q = at; q - floor >= kChunk && at - q < kLookBackChunks * kChunk;) {
        q -= kChunk;
        const ChunkStops before = stopsAt(q);
        // Tabs and line ends are apart: the greater mask holds the last stop.
        if (before.stops() != 0) return before.tabs > before.lineEnds;
    }
    return false;
}

// Of the tabs `tabLed` that lead a name in the chunk at `at` (bit i for
// at + i), those that follow another tab of their line (see FollowsTab).
template <typename StopsAt>
VELKIN_INLINE std::uint64_t TabsAfterTabsLookingBack(const char* floor, const char* at, std::uint64_t tabLed,
                                                     StopsAt&& stopsAt) noexcept
{
#ifdef __x86_64__
    // The chunk's own tabs and line ends place all the candidates at once,
    // and the chunks before it the stop before the first of them: in 64-bit
    // registers that costs less than looking at each candidate alone, and
    // the chunk before holds that stop in most lines.
    const ChunkStops here = stopsAt(at);
    const bool tabBefore = (tabLed & PlacedByStopBefore(here)) != 0 && FollowsTab(floor, at, stopsAt);
    return tabLed & TabsAfterTabs(here, tabBefore);
#else
    // Each candidate alone, with the 64 bytes right before it, which in most
    // lines hold the tab it follows: a 32-bit build pays for every step of
    // the chunk's arithmetic twice, and tab-led candidates are few in a chunk.
    std::uint64_t afterTabs = 0;
    for (; tabLed != 0; tabLed &= tabLed - 1) {
        const int i = LowestBit(tabLed);
        if (FollowsTab(floor, at + i, stopsAt)) afterTabs |= std::uint64_t{1} << i;
    }
    return afterTabs;
#endif
}

// ---- The anchor of a name ----------------------------------------------------

// `inLine` less the bytes past ASCII other than those where the anchor's UTF-8
// or ANSI bytes begin, for a chunk at p that holds candidates: looked at only
// there, the loop's common case pays nothing for it. Reads [p, p + 66), within
// the reach of a name of two bytes or more.
VELKIN_INLINE std::uint64_t LessBytesOffAnchor(const char* p, const CandidatePattern& pattern,
                                               std::uint64_t inLine) noexcept
{
    const auto equal = [](__m128i bytes, char byte) { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(byte)); };
    std::uint64_t pastAscii = 0, anchors = 0;
    for (int i = 0; i < kChunk; i += 16) {
        const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 2));
        const __m128i utf8 = _mm_and_si128(_mm_and_si128(equal(b0, pattern.anchorUtf8[0]), equal(b1, pattern.anchorUtf8[1])),
                                           equal(b2, pattern.anchorUtf8[2]));
        const __m128i ansi = _mm_and_si128(equal(b0, pattern.anchorAnsi[0]), equal(b1, pattern.anchorAnsi[1]));
        pastAscii |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(b0))) << i;
        anchors |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(utf8, ansi)))) << i;
    }
    return inLine & (~pastAscii | anchors);
}

// ---- SSE2: 16 bytes a vector ------------------------------------------------

// Where the word's last byte (its first again for a word of one byte) lies
// from the line end before it.
std::ptrdiff_t WordLastOffset(const CandidatePattern& pattern) noexcept
{
    return static_cast<std::ptrdiff_t>(pattern.wordLength);
}

struct Sse2Pattern {
    explicit Sse2Pattern(const CandidatePattern& pattern) noexcept
        : wordFirst(_mm_set1_epi8(static_cast<char>(pattern.wordFirst | pattern.wordCaseBit))),
          wordCase(_mm_set1_epi8(pattern.wordCaseBit)),
          nameFirst(_mm_set1_epi8(pattern.name[0])),
          trailOffset(static_cast<std::ptrdiff_t>(1 + pattern.nameLength))
    {
    }
    const __m128i wordFirst, wordCase, nameFirst;  // wordFirst with the case bit set
    const std::ptrdiff_t trailOffset;  // from the lead
};

struct Sse2Marks {
    __m128i lineEnds;  // see CandidateChunk
    __m128i inLine;
};

VELKIN_INLINE __m128i Load16(const char* p) noexcept { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

VELKIN_INLINE __m128i Equal(__m128i bytes, char byte) noexcept { return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(byte)); }

// A byte that may stand right before a component that resolves to the name:
// the tab that opens the file field, a separator, or the colon of a drive.
VELKIN_INLINE __m128i IsLeadSse2(__m128i bytes) noexcept
{
    return _mm_or_si128(_mm_or_si128(Equal(bytes, '\t'), Equal(bytes, '\\')),
                        _mm_or_si128(Equal(bytes, '/'), Equal(bytes, ':')));
}

// A byte that may stand right after such a component: the tab that closes
// the field, a separator, or the dot or blank that resolution trims.
VELKIN_INLINE __m128i IsTrailSse2(__m128i bytes) noexcept
{
    return _mm_or_si128(_mm_or_si128(_mm_or_si128(Equal(bytes, '\t'), Equal(bytes, '\\')), Equal(bytes, '/')),
                        _mm_or_si128(Equal(bytes, '.'), Equal(bytes, ' ')));
}

template <int kWord>
VELKIN_INLINE Sse2Marks ClassifySse2(const char* p, const Sse2Pattern& pattern) noexcept
{
    const __m128i bytes = Load16(p);
    const __m128i next = Load16(p + 1);
    const __m128i lineEnd = _mm_or_si128(Equal(bytes, '\n'), Equal(bytes, '\r'));
    const __m128i lead = IsLeadSse2(bytes);
    const __m128i belowPrintable = _mm_cmplt_epi8(_mm_add_epi8(bytes, _mm_set1_epi8(1)), _mm_set1_epi8(0x21));
    __m128i name = _mm_and_si128(_mm_and_si128(lead, _mm_cmpeq_epi8(next, pattern.nameFirst)),
                                 IsTrailSse2(Load16(p + pattern.trailOffset)));
    Sse2Marks marks;
    marks.inLine = _mm_or_si128(_mm_andnot_si128(_mm_or_si128(lineEnd, lead), belowPrintable), name);
    const __m128i afterLineEnd = kWord == kWordAnyCase ? _mm_or_si128(next, pattern.wordCase) : next;
    marks.lineEnds =
        kWord ? _mm_and_si128(lineEnd, _mm_cmpeq_epi8(afterLineEnd, pattern.wordFirst)) : _mm_setzero_si128();
    return marks;
}

template <int kWord>
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

// The bytes of the 64 at p equal to the word's last byte (with the pattern's
// case bit set in both), bit i for p + i.
VELKIN_INLINE std::uint64_t WordLastBytesSse2(const char* p, const CandidatePattern& pattern) noexcept
{
    const __m128i caseBit = _mm_set1_epi8(pattern.wordCaseBit);
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(pattern.wordLast | pattern.wordCaseBit));
    const auto equal = [&](const char* q) { return _mm_cmpeq_epi8(_mm_or_si128(Load16(q), caseBit), wanted); };
    return ChunkMask(equal(p), equal(p + 16), equal(p + 32), equal(p + 48));
}

// The bytes of the 64 at p equal to `byte`, bit i for p + i.
VELKIN_INLINE std::uint64_t EqualBytesSse2(const char* p, char byte) noexcept
{
    const __m128i wanted = _mm_set1_epi8(byte);
    return ChunkMask(_mm_cmpeq_epi8(Load16(p), wanted), _mm_cmpeq_epi8(Load16(p + 16), wanted),
                     _mm_cmpeq_epi8(Load16(p + 32), wanted), _mm_cmpeq_epi8(Load16(p + 48), wanted));
}

// The tabs and line ends of the 64 bytes at p.
VELKIN_INLINE ChunkStops TabsAndLineEndsSse2(const char* p) noexcept
{
    ChunkStops chunk;
    chunk.tabs = EqualBytesSse2(p, '\t');
    chunk.lineEnds = EqualBytesSse2(p, '\n') | EqualBytesSse2(p, '\r');
    return chunk;
}

// The line candidates `inLine` of the chunk at p less its tabs after tabs
// (see TabsAfterTabsLookingBack), for the 16-byte searches. Called only for a
// chunk with line candidates, outside the search's common case.
__attribute__((noinline)) std::uint64_t LessTabsAfterTabsSse2(const char* floor, const char* p,
                                                             std::uint64_t inLine) noexcept
{
    if (const std::uint64_t tabLed = inLine & EqualBytesSse2(p, '\t')) {
        inLine &= ~TabsAfterTabsLookingBack(floor, p, tabLed, TabsAndLineEndsSse2);
    }
    return inLine;
}

template <int kWord>
bool FindSse2(const char*& start, const char* floor, const char* last, const CandidatePattern& candidates,
              CandidateChunk& chunk) noexcept
{
    if (start > last) return false;
    const Sse2Pattern pattern(candidates);
    const std::ptrdiff_t wordLastOffset = WordLastOffset(candidates);
    for (const char* p = start; p <= last; p += kChunk) {
        // The common case, no candidate, with as few steps as the test allows.
        const __m128i low = _mm_or_si128(AnySse2<kWord>(p, pattern), AnySse2<kWord>(p + 16, pattern));
        const __m128i high =
            _mm_or_si128(AnySse2<kWord>(p + 32, pattern), AnySse2<kWord>(p + 48, pattern));
        const __m128i any = _mm_or_si128(low, high);
        if (_mm_movemask_epi8(any) == 0) continue;
        const Sse2Marks m0 = ClassifySse2<kWord>(p, pattern);
        const Sse2Marks m1 = ClassifySse2<kWord>(p + 16, pattern);
        const Sse2Marks m2 = ClassifySse2<kWord>(p + 32, pattern);
        const Sse2Marks m3 = ClassifySse2<kWord>(p + 48, pattern);
        std::uint64_t lineEnds = ChunkMask(m0.lineEnds, m1.lineEnds, m2.lineEnds, m3.lineEnds);
        if (lineEnds != 0) lineEnds &= WordLastBytesSse2(p + wordLastOffset, candidates);
        std::uint64_t inLine = ChunkMask(m0.inLine, m1.inLine, m2.inLine, m3.inLine);
        if (candidates.hasAnchor) inLine = LessBytesOffAnchor(p, candidates, inLine);
        if (inLine != 0) inLine = LessTabsAfterTabsSse2(floor, p, inLine);
        if ((lineEnds | inLine) == 0) continue;
        chunk.at = start = p;
        chunk.lineEnds = lineEnds;
        chunk.inLine = inLine;
        return true;
    }
    start = ChunkAfter(start, last);
    return false;
}

// ---- SSSE3: 16 bytes a vector, sets of bytes by table ------------------------

// A load kept in a register: a 32-bit build, short of registers, would
// otherwise repeat it as the memory operand of each instruction that uses it.
VELKIN_SSSE3_INLINE __m128i Loaded16(const char* p) noexcept
{
    __m128i bytes = Load16(p);
    asm("" : "+x"(bytes));
    return bytes;
}

// A byte equal to its entry in `table`, indexed by its low four bits: bytes
// above 0x7F look up zero, and kNone entries match no byte below 0x80.
VELKIN_SSSE3_INLINE __m128i InTable(__m128i bytes, __m128i table) noexcept
{
    return _mm_cmpeq_epi8(_mm_shuffle_epi8(table, bytes), bytes);
}

// Line ends: CR and LF.
VELKIN_INLINE __m128i LineEndTable() noexcept
{
    return _mm_setr_epi8(kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, '\n', kNone, kNone,
                         '\r', kNone, kNone);
}

// Both IsLeadSse2 and IsTrailSse2 at once: a byte in either set is taken for
// both, and the caller checks each candidate exactly.
VELKIN_INLINE __m128i LeadOrTrailTable() noexcept
{
    return _mm_setr_epi8(' ', kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, '\t', ':', kNone, '\\', kNone,
                         '.', '/');
}

// As Sse2Pattern, with the tables as InTable takes them and the name's last
// byte.
struct Ssse3Pattern {
    __m128i lineEndTable, leadOrTrailTable, wordFirst, wordCase, nameFirst, nameLast;
    std::ptrdiff_t trailOffset;
};

// kLastByte: also compare the name's last byte (the first one again when the
// name is one byte long).
template <int kWord, bool kLastByte>
VELKIN_SSSE3_INLINE Sse2Marks ClassifySsse3(const char* p, const Ssse3Pattern& pattern) noexcept
{
    const __m128i bytes = Loaded16(p);
    const __m128i next = Loaded16(p + 1);
    const __m128i trail = Loaded16(p + pattern.trailOffset);
    const __m128i lineEnd = InTable(bytes, pattern.lineEndTable);
    const __m128i lead = InTable(bytes, pattern.leadOrTrailTable);
    const __m128i belowPrintable = _mm_cmplt_epi8(_mm_add_epi8(bytes, _mm_set1_epi8(1)), _mm_set1_epi8(0x21));
    __m128i name = _mm_and_si128(_mm_and_si128(lead, _mm_cmpeq_epi8(next, pattern.nameFirst)),
                                 InTable(trail, pattern.leadOrTrailTable));
    // See ClassifyAvx2.
    if (kLastByte) name = _mm_and_si128(name, _mm_cmpeq_epi8(Load16(p + pattern.trailOffset - 1), pattern.nameLast));
    Sse2Marks marks;
    marks.inLine = _mm_or_si128(_mm_andnot_si128(_mm_or_si128(lineEnd, lead), belowPrintable), name);
    const __m128i afterLineEnd = kWord == kWordAnyCase ? _mm_or_si128(next, pattern.wordCase) : next;
    marks.lineEnds =
        kWord ? _mm_and_si128(lineEnd, _mm_cmpeq_epi8(afterLineEnd, pattern.wordFirst)) : _mm_setzero_si128();
    return marks;
}

template <int kWord, bool kLastByte>
VELKIN_SSSE3_INLINE __m128i AnySsse3(const char* p, const Ssse3Pattern& pattern) noexcept
{
    const Sse2Marks marks = ClassifySsse3<kWord, kLastByte>(p, pattern);
    return kWord ? _mm_or_si128(marks.lineEnds, marks.inLine) : marks.inLine;
}

template <int kWord, bool kLastByte>
VELKIN_SSSE3 bool FindSsse3(const char*& start, const char* floor, const char* last,
                            const CandidatePattern& candidates, CandidateChunk& chunk) noexcept
{
    if (start > last) return false;
    const Ssse3Pattern pattern{
        LineEndTable(),
        LeadOrTrailTable(),
        _mm_set1_epi8(static_cast<char>(candidates.wordFirst | candidates.wordCaseBit)),
        _mm_set1_epi8(candidates.wordCaseBit),
        _mm_set1_epi8(candidates.name[0]),
        _mm_set1_epi8(candidates.name[candidates.nameLength - 1]),
        static_cast<std::ptrdiff_t>(1 + candidates.nameLength),
    };
    const std::ptrdiff_t wordLastOffset = WordLastOffset(candidates);
    for (const char* p = start; p <= last; p += kChunk) {
        // As FindSse2: the common case, no candidate, first.
        const __m128i low = _mm_or_si128(AnySsse3<kWord, kLastByte>(p, pattern),
                                         AnySsse3<kWord, kLastByte>(p + 16, pattern));
        const __m128i high = _mm_or_si128(AnySsse3<kWord, kLastByte>(p + 32, pattern),
                                          AnySsse3<kWord, kLastByte>(p + 48, pattern));
        const __m128i any = _mm_or_si128(low, high);
        if (_mm_movemask_epi8(any) == 0) continue;
        const Sse2Marks m0 = ClassifySsse3<kWord, kLastByte>(p, pattern);
        const Sse2Marks m1 = ClassifySsse3<kWord, kLastByte>(p + 16, pattern);
        const Sse2Marks m2 = ClassifySsse3<kWord, kLastByte>(p + 32, pattern);
        const Sse2Marks m3 = ClassifySsse3<kWord, kLastByte>(p + 48, pattern);
        std::uint64_t lineEnds = ChunkMask(m0.lineEnds, m1.lineEnds, m2.lineEnds, m3.lineEnds);
        if (lineEnds != 0) lineEnds &= WordLastBytesSse2(p + wordLastOffset, candidates);
        std::uint64_t inLine = ChunkMask(m0.inLine, m1.inLine, m2.inLine, m3.inLine);
        if (candidates.hasAnchor) inLine = LessBytesOffAnchor(p, candidates, inLine);
        if (inLine != 0) inLine = LessTabsAfterTabsSse2(floor, p, inLine);
        if ((lineEnds | inLine) == 0) continue;
        chunk.at = start = p;
        chunk.lineEnds = lineEnds;
        chunk.inLine = inLine;
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

// A load kept in a register: a 32-bit build, short of registers, would
// otherwise repeat it as the memory operand of each instruction that uses it.
VELKIN_AVX2_INLINE __m256i Loaded32(const char* p) noexcept
{
    __m256i bytes = Load32(p);
    asm("" : "+x"(bytes));
    return bytes;
}

// A byte equal to its entry in `table`, indexed by its low four bits: bytes
// above 0x7F look up zero, and kNone entries match no byte below 0x80.
VELKIN_AVX2_INLINE __m256i InTable(__m256i bytes, __m256i table) noexcept
{
    return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(table, bytes), bytes);
}

// As Sse2Pattern, with the name's last byte; the tables as InTable takes them.
// A 32-bit build keeps most of these on its stack: its eight vector registers
// go to the three loads of each half chunk and what is made of them.
struct Avx2Pattern {
    __m256i lineEndTable, leadOrTrailTable, wordFirst, wordCase, nameFirst, nameLast;
    std::ptrdiff_t trailOffset;
};

// The bytes compared with the word's first byte.
template <int kWord>
VELKIN_AVX2_INLINE __m256i WordFirstBytes(__m256i next, const Avx2Pattern& pattern) noexcept
{
    return kWord == kWordAnyCase ? _mm256_or_si256(next, pattern.wordCase) : next;
}

// kLastByte: also compare the name's last byte (the first one again when the
// name is one byte long).
template <int kWord, bool kLastByte>
VELKIN_AVX2_INLINE Avx2Marks ClassifyAvx2(const char* p, const Avx2Pattern& pattern) noexcept
{
    const __m256i bytes = Loaded32(p);
    const __m256i next = Loaded32(p + 1);
    const __m256i trail = Loaded32(p + pattern.trailOffset);
    const __m256i lineEnd = InTable(bytes, pattern.lineEndTable);
    const __m256i lead = InTable(bytes, pattern.leadOrTrailTable);
    const __m256i belowPrintable =
        _mm256_cmpgt_epi8(_mm256_set1_epi8(0x21), _mm256_add_epi8(bytes, _mm256_set1_epi8(1)));
    __m256i name = _mm256_and_si256(_mm256_and_si256(lead, _mm256_cmpeq_epi8(next, pattern.nameFirst)),
                                    InTable(trail, pattern.leadOrTrailTable));
    // The name's last byte as well: its first byte and its length alone pass
    // many lines for some names (every "/asm/" for a.c), which cost the
    // scanner more than the comparison costs the loop.
    if (kLastByte) {
        name = _mm256_and_si256(name, _mm256_cmpeq_epi8(Load32(p + pattern.trailOffset - 1), pattern.nameLast));
    }
    Avx2Marks marks;
    marks.inLine = _mm256_or_si256(_mm256_andnot_si256(_mm256_or_si256(lineEnd, lead), belowPrintable), name);
    marks.lineEnds =
        kWord ? _mm256_and_si256(lineEnd, _mm256_cmpeq_epi8(WordFirstBytes<kWord>(next, pattern), pattern.wordFirst))
              : _mm256_setzero_si256();
    return marks;
}

VELKIN_AVX2_INLINE std::uint64_t ChunkMask(__m256i low, __m256i high) noexcept
{
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high))) << 32 |
           static_cast<std::uint32_t>(_mm256_movemask_epi8(low));
}

// The bytes of the 64 at p equal to `byte`, bit i for p + i.
VELKIN_AVX2_INLINE std::uint64_t EqualBytesAvx2(const char* p, char byte) noexcept
{
    const __m256i wanted = _mm256_set1_epi8(byte);
    return ChunkMask(_mm256_cmpeq_epi8(Load32(p), wanted), _mm256_cmpeq_epi8(Load32(p + 32), wanted));
}

// As WordLastBytesSse2.
VELKIN_AVX2_INLINE std::uint64_t WordLastBytesAvx2(const char* p, const CandidatePattern& pattern) noexcept
{
    const __m256i caseBit = _mm256_set1_epi8(pattern.wordCaseBit);
    const __m256i wanted = _mm256_set1_epi8(static_cast<char>(pattern.wordLast | pattern.wordCaseBit));
    return ChunkMask(_mm256_cmpeq_epi8(_mm256_or_si256(Load32(p), caseBit), wanted),
                     _mm256_cmpeq_epi8(_mm256_or_si256(Load32(p + 32), caseBit), wanted));
}

// The tabs of the 64 bytes at p.
VELKIN_AVX2_INLINE std::uint64_t TabsAvx2(const char* p) noexcept { return EqualBytesAvx2(p, '\t'); }

VELKIN_AVX2_INLINE __m256i LineEndsAvx2(__m256i bytes) noexcept
{
    return _mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\n')),
                           _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\r')));
}

// The tabs and line ends of the 64 bytes at p.
VELKIN_AVX2_INLINE ChunkStops TabsAndLineEndsAvx2(const char* p) noexcept
{
    ChunkStops chunk;
    chunk.tabs = TabsAvx2(p);
    chunk.lineEnds = ChunkMask(LineEndsAvx2(Load32(p)), LineEndsAvx2(Load32(p + 32)));
    return chunk;
}

// The line candidates `inLine` of the chunk at p less its tabs after tabs
// (see TabsAfterTabsLookingBack). Called from the search's loop, not inlined
// in it: the registers of a 32-bit build would not hold the loop then.
__attribute__((noinline)) VELKIN_AVX2 std::uint64_t LessTabsAfterTabsAvx2(const char* floor, const char* p,
                                                                          std::uint64_t inLine) noexcept
{
    if (const std::uint64_t tabLed = inLine & TabsAvx2(p)) {
        inLine &= ~TabsAfterTabsLookingBack(floor, p, tabLed, TabsAndLineEndsAvx2);
    }
    return inLine;
}

template <int kWord, bool kLastByte>
VELKIN_AVX2 bool FindAvx2(const char*& start, const char* floor, const char* last,
                          const CandidatePattern& candidates, CandidateChunk& chunk) noexcept
{
    if (start > last) return false;
    const Avx2Pattern pattern{
        _mm256_broadcastsi128_si256(LineEndTable()),
        _mm256_broadcastsi128_si256(LeadOrTrailTable()),
        _mm256_set1_epi8(static_cast<char>(candidates.wordFirst | candidates.wordCaseBit)),
        _mm256_set1_epi8(candidates.wordCaseBit),
        _mm256_set1_epi8(candidates.name[0]),
        _mm256_set1_epi8(candidates.name[candidates.nameLength - 1]),
        static_cast<std::ptrdiff_t>(1 + candidates.nameLength),
    };
    const std::ptrdiff_t wordLastOffset = WordLastOffset(candidates);
    for (const char* p = start; p <= last; p += kChunk) {
        const Avx2Marks low = ClassifyAvx2<kWord, kLastByte>(p, pattern);
        const Avx2Marks high = ClassifyAvx2<kWord, kLastByte>(p + 32, pattern);
        const __m256i any = _mm256_or_si256(_mm256_or_si256(low.lineEnds, low.inLine),
                                            _mm256_or_si256(high.lineEnds, high.inLine));
        if (_mm256_testz_si256(any, any)) continue;
        std::uint64_t lineEnds = ChunkMask(low.lineEnds, high.lineEnds);
        if (lineEnds != 0) lineEnds &= WordLastBytesAvx2(p + wordLastOffset, candidates);
        std::uint64_t inLine = ChunkMask(low.inLine, high.inLine);
        if (candidates.hasAnchor) inLine = LessBytesOffAnchor(p, candidates, inLine);
        inLine = LessTabsAfterTabsAvx2(floor, p, inLine);
        if ((inLine | lineEnds) == 0) continue;
        chunk.at = start = p;
        chunk.lineEnds = lineEnds;
        chunk.inLine = inLine;
        return true;
    }
    start = ChunkAfter(start, last);
    return false;
}

// ---- AVX-512: 64 bytes, a whole chunk, a vector -------------------------------

// A load kept in a register: the compiler would otherwise repeat it as the
// memory operand of each instruction that uses it, and a processor that splits
// a 64-byte load in two pays for every copy.
VELKIN_AVX512 VELKIN_INLINE __m512i Loaded(const char* p) noexcept
{
    __m512i bytes = _mm512_loadu_si512(p);
    asm("" : "+v"(bytes));
    return bytes;
}

VELKIN_AVX512 VELKIN_INLINE ChunkStops ChunkStopsAvx512(const char* at) noexcept
{
    const __m512i bytes = _mm512_loadu_si512(at);
    const auto equal = [&bytes](char byte) VELKIN_AVX512 { return _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(byte)); };
    ChunkStops chunk;
    _store_mask64(reinterpret_cast<__mmask64*>(&chunk.tabs), equal('\t'));
    _store_mask64(reinterpret_cast<__mmask64*>(&chunk.lineEnds), _kor_mask64(equal('\n'), equal('\r')));
    _store_mask64(reinterpret_cast<__mmask64*>(&chunk.separators),
                  _kor_mask64(_kor_mask64(equal('\\'), equal('/')), equal(':')));
    _store_mask64(reinterpret_cast<__mmask64*>(&chunk.dotsAndBlanks), _kor_mask64(equal('.'), equal(' ')));
    return chunk;
}

// The tabs and line ends of the 64 bytes at p.
VELKIN_AVX512 VELKIN_INLINE ChunkStops TabsAndLineEndsAvx512(const char* p) noexcept
{
    const __m512i bytes = _mm512_loadu_si512(p);
    const auto equal = [&bytes](char byte) VELKIN_AVX512 {
        return _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(byte));
    };
    ChunkStops chunk;
    _store_mask64(reinterpret_cast<__mmask64*>(&chunk.tabs), equal('\t'));
    _store_mask64(reinterpret_cast<__mmask64*>(&chunk.lineEnds), _kor_mask64(equal('\n'), equal('\r')));
    return chunk;
}

// A mask of the bits of `bits`. A 32-bit build moves each half on its own: a
// 64-bit load of a value stored as two halves waits for both stores.
VELKIN_AVX512 VELKIN_INLINE __mmask64 ToMask(std::uint64_t bits) noexcept
{
#ifdef __x86_64__
    return _cvtu64_mask64(bits);
#else
    return _mm512_kunpackd(_cvtu32_mask32(static_cast<std::uint32_t>(bits >> 32)),
                           _cvtu32_mask32(static_cast<std::uint32_t>(bits)));
#endif
}

// Of the tabs `tabLed` that lead a name in the chunk at p, those after tabs
// (see TabsAfterTabsLookingBack). Called from the search's loop, not inlined
// in it: the loop's registers would not hold it in a 32-bit build, which then
// costs every document name more than the call costs the kind fields.
__attribute__((noinline)) VELKIN_AVX512 std::uint64_t TabsAfterTabsAvx512(const char* floor, const char* p,
                                                                          std::uint64_t tabLed) noexcept
{
    return TabsAfterTabsLookingBack(floor, p, tabLed, TabsAndLineEndsAvx512);
}

// Keeps the chunk's line candidates that may lie in a file field, looking
// also at the 64 bytes before the chunk when some candidate needs them and
// they lie at or after `floor`; true when any candidate is left.
VELKIN_AVX512 bool KeepFileFieldCandidatesAvx512(const char* floor, CandidateChunk& chunk) noexcept
{
    const ChunkStops here = ChunkStopsAvx512(chunk.at);
    const bool needsBefore = (chunk.inLine & PlacedByStopBefore(here)) != 0 && chunk.at - floor >= kChunk;
    chunk.inLine =
        InFileField(chunk.inLine, here, needsBefore ? LastStopOf(ChunkStopsAvx512(chunk.at - kChunk)) : StopBefore());
    return (chunk.inLine | chunk.lineEnds) != 0;
}

// Each test gives a bit mask at once, and a masked comparison tests only the
// bytes still in question: few values, also for a 32-bit build.
// kAnchor: the pattern has an anchor (see LessBytesOffAnchor). A template
// parameter, so that the search without one keeps its 32-bit build's registers.
template <int kWord, bool kAnchor>
VELKIN_AVX512 bool FindAvx512(const char*& start, const char* floor, const char* last,
                              const CandidatePattern& candidates, CandidateChunk& chunk) noexcept
{
    if (start > last) return false;
    // The zero-masking broadcast: GCC 12 warns that the plain one reads an
    // undefined register (it only writes it).
    const __m512i lineEndTable = _mm512_maskz_broadcast_i32x4(0xFFFF, LineEndTable());
    const __m512i leadOrTrailTable = _mm512_maskz_broadcast_i32x4(0xFFFF, LeadOrTrailTable());
    // With the case bit set, as in the bytes compared with them.
    const __m512i wordCase = _mm512_set1_epi8(candidates.wordCaseBit);
    const __m512i wordFirst = _mm512_set1_epi8(static_cast<char>(candidates.wordFirst | candidates.wordCaseBit));
    const __m512i wordLast = _mm512_set1_epi8(static_cast<char>(candidates.wordLast | candidates.wordCaseBit));
    const std::ptrdiff_t wordLastOffset = WordLastOffset(candidates);
    const __m512i nameFirst = _mm512_set1_epi8(candidates.name[0]);
    const __m512i nameLast = _mm512_set1_epi8(candidates.name[candidates.nameLength - 1]);
    const auto lastOffset = static_cast<std::ptrdiff_t>(candidates.nameLength);
    const auto trailOffset = lastOffset + 1;
    for (const char* p = start; p <= last; p += kChunk) {
        const __m512i bytes = Loaded(p);
        const __m512i next = Loaded(p + 1);
        const __m512i trail = Loaded(p + trailOffset);
        const __mmask64 lineEnd = _mm512_cmpeq_epi8_mask(_mm512_shuffle_epi8(lineEndTable, bytes), bytes);
        const __mmask64 lead = _mm512_cmpeq_epi8_mask(_mm512_shuffle_epi8(leadOrTrailTable, bytes), bytes);
        // Mask operations only (no plain integer ones): a 32-bit build would
        // move each mask through two general registers.
        const __mmask64 unprintable = _mm512_mask_cmpgt_epi8_mask(
            _knot_mask64(_kor_mask64(lineEnd, lead)), _mm512_set1_epi8(0x21), _mm512_add_epi8(bytes, _mm512_set1_epi8(1)));
        __mmask64 name = _mm512_mask_cmpeq_epi8_mask(lead, next, nameFirst);
        name = _mm512_mask_cmpeq_epi8_mask(name, _mm512_shuffle_epi8(leadOrTrailTable, trail), trail);
        // The name's last byte too: two more steps, where a name's first byte
        // and its length alone still pass many lines.
        name = _mm512_mask_cmpeq_epi8_mask(name, _mm512_loadu_si512(p + lastOffset), nameLast);
        __mmask64 inLine = _kor_mask64(unprintable, name);
        __mmask64 lineEnds =
            kWord ? _mm512_mask_cmpeq_epi8_mask(lineEnd, kWord == kWordAnyCase ? _mm512_or_si512(next, wordCase) : next,
                                                wordFirst)
                  : __mmask64(0);
        if (_kortestz_mask64_u8(inLine, lineEnds)) continue;
        if (kAnchor) {
            std::uint64_t kept;
            _store_mask64(reinterpret_cast<__mmask64*>(&kept), inLine);
            kept = LessBytesOffAnchor(p, candidates, kept);
            inLine = _load_mask64(reinterpret_cast<__mmask64*>(&kept));
            if (_kortestz_mask64_u8(inLine, lineEnds)) continue;
        }
        const __mmask64 tabLed = _mm512_mask_cmpeq_epi8_mask(name, bytes, _mm512_set1_epi8('\t'));
        if (!_kortestz_mask64_u8(tabLed, tabLed)) {
            std::uint64_t led;
            _store_mask64(reinterpret_cast<__mmask64*>(&led), tabLed);
            inLine = _kandn_mask64(ToMask(TabsAfterTabsAvx512(floor, p, led)), inLine);
        }
        // Not for a chunk of line candidates alone: they are common for some
        // names, and the load would cost them.
        if (kWord && !_kortestz_mask64_u8(lineEnds, lineEnds)) {
            lineEnds = _mm512_mask_cmpeq_epi8_mask(
                lineEnds, _mm512_or_si512(_mm512_loadu_si512(p + wordLastOffset), wordCase), wordLast);
        }
        if (_kortestz_mask64_u8(inLine, lineEnds)) continue;
        chunk.at = start = p;
        _store_mask64(reinterpret_cast<__mmask64*>(&chunk.lineEnds), lineEnds);
        _store_mask64(reinterpret_cast<__mmask64*>(&chunk.inLine), inLine);
        return true;
    }
    start = ChunkAfter(start, last);
    return false;
}

// The variants of a search, [WordKind(pattern)][nameLength > 1] (AVX-512: [hasAnchor]).
using Finder = bool (*)(const char*& p, const char* floor, const char* last, const CandidatePattern& pattern,
                       CandidateChunk& chunk);
constexpr Finder kSsse3Finders[3][2] = {{FindSsse3<kNoWord, false>, FindSsse3<kNoWord, true>},
                                        {FindSsse3<kWordAsIs, false>, FindSsse3<kWordAsIs, true>},
                                        {FindSsse3<kWordAnyCase, false>, FindSsse3<kWordAnyCase, true>}};
constexpr Finder kAvx2Finders[3][2] = {{FindAvx2<kNoWord, false>, FindAvx2<kNoWord, true>},
                                       {FindAvx2<kWordAsIs, false>, FindAvx2<kWordAsIs, true>},
                                       {FindAvx2<kWordAnyCase, false>, FindAvx2<kWordAnyCase, true>}};
constexpr Finder kAvx512Finders[3][2] = {{FindAvx512<kNoWord, false>, FindAvx512<kNoWord, true>},
                                         {FindAvx512<kWordAsIs, false>, FindAvx512<kWordAsIs, true>},
                                         {FindAvx512<kWordAnyCase, false>, FindAvx512<kWordAnyCase, true>}};
constexpr Finder kSse2Finders[3] = {FindSse2<kNoWord>, FindSse2<kWordAsIs>, FindSse2<kWordAnyCase>};

}  // namespace

CandidateSearch::CandidateSearch(const CandidatePattern& pattern, Width widest) noexcept : pattern_(pattern)
{
    // The last load of a chunk starts 16, 32 or 64 bytes before its end, at
    // the trail or at the word's last byte, whichever lies further.
    reach_ = kChunk + std::max(1 + static_cast<std::ptrdiff_t>(pattern.nameLength), WordLastOffset(pattern));
    const Width width = std::min(widest, WidestVectors());
    if (width == Width::avx512) {
        find_ = kAvx512Finders[WordKind(pattern)][pattern.hasAnchor];
        keep_ = KeepFileFieldCandidatesAvx512;
    } else if (width == Width::avx2) {
        find_ = kAvx2Finders[WordKind(pattern)][pattern.nameLength > 1];
    } else if (width == Width::ssse3) {
        find_ = kSsse3Finders[WordKind(pattern)][pattern.nameLength > 1];
    } else {
        find_ = kSse2Finders[WordKind(pattern)];
    }
}

bool CandidateSearch::Next(const char*& p, const char* floor, const char* last, CandidateChunk& chunk) const noexcept
{
    // Chunks are placed after the search leaves its loop, which needs every
    // vector register of a 32-bit build: a call inside it would save them all.
    for (; find_(p, floor, last, pattern_, chunk); p += kChunk) {
        if (!keep_ || keep_(floor, chunk)) return true;
    }
    return false;
}

}  // namespace velkin
