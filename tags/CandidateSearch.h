// The scanner's search for the few lines that may concern a scan: one pass
// over the data, 64 bytes a step, that reads no line for itself.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkin {

// What the search looks for. The strings are borrowed.
struct CandidatePattern {
    bool hasWord = false;  // look for the word's first byte after line ends
    char wordFirst = 0;
    const char* name = nullptr;  // the document's name (FileFieldMemo::LineFilterName), not empty
    std::size_t nameLength = 0;
};

// Candidates among the 64 bytes from `at`, bit i for the byte at + i.
struct CandidateChunk {
    const char* at = nullptr;
    // A CR or LF followed by the word's first byte: the line that starts at
    // at + i + 1 may match by name.
    std::uint64_t lineEnds = 0;
    // Two bytes of the name in their places, the byte at + i being its byte
    // NameKey(); or a byte outside printable ASCII other than tab, CR and
    // LF: the line holding at + i may belong to the document.
    std::uint64_t inLine = 0;
};

class CandidateSearch {
public:
    static constexpr std::ptrdiff_t kChunk = 64;

    // Borrows the pattern's name for its lifetime. Searches with AVX2 when
    // `avx2` and the processor and the system support it, else with SSE2.
    CandidateSearch(const CandidatePattern& pattern, bool avx2) noexcept;

    // A chunk at p reads [p, p + Reach()).
    std::ptrdiff_t Reach() const noexcept { return reach_; }
    // Which byte of the name a name candidate marks.
    std::size_t NameKey() const noexcept { return pattern_.nameKey; }

    // Looks at the chunks at p, p + 64, ... up to `last`: fills `chunk` with
    // the first that holds a candidate, moves `p` to it and returns true, or
    // returns false with `p` moved to the first chunk start after `last`. Every chunk read
    // must lie inside the data: last + Reach() <= the data's end.
    bool Next(const char*& p, const char* last, CandidateChunk& chunk) const noexcept;

    // The pattern with the two bytes of the name that are compared: the two
    // rarest in tags files, and far apart among bytes alike, so that few
    // places hold both.
    struct KeyedPattern : CandidatePattern {
        std::size_t nameKey = 0;       // the first of them
        std::size_t nameOtherKey = 0;  // the second, at or after the first
    };

private:
    using Finder = bool (*)(const char*& p, const char* last, const KeyedPattern& pattern, CandidateChunk& chunk);

    KeyedPattern pattern_;
    std::ptrdiff_t reach_;
    Finder find_;
};

// True when the processor and the system support AVX2.
bool HasAvx2() noexcept;

}  // namespace velkin
