// The scanner's search for the few lines that may concern a scan: one pass
// over the data, 64 bytes a step, that reads no line for itself.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velkin {

// What the search looks for. The strings are borrowed.
struct CandidatePattern {
    bool hasWord = false;  // look for the word's first and last bytes after line ends
    char wordFirst = 0;
    char wordLast = 0;
    std::size_t wordLength = 0;
    // kCaseBit to find the word's first and last bytes in either case: the
    // bit is set in them and in each byte of the data compared with them. It
    // folds an ASCII letter onto its lower case; the few other bytes it
    // folds onto the word's ones only add candidates, which the caller rules out.
    static constexpr char kCaseBit = 0x20;
    char wordCaseBit = 0;
    const char* name = nullptr;  // the document's name (FileFieldMemo::LineFilterName), not empty
    std::size_t nameLength = 0;
    // A character of a name of two bytes or more (FileFieldMemo::
    // LineFilterAnchor): when set, of the bytes past ASCII only those where
    // its UTF-8 or its ANSI bytes begin are candidates.
    bool hasAnchor = false;
    char anchorUtf8[3] = {};
    char anchorAnsi[2] = {};
};

// Candidates among the 64 bytes from `at`, bit i for the byte at + i.
struct CandidateChunk {
    const char* at = nullptr;
    // A CR or LF followed by the word's first byte, with the word's last byte
    // where it would end (in either case when the pattern says so): the line
    // that starts at at + i + 1 may match by name.
    std::uint64_t lineEnds = 0;
    // The name's first byte where a file field's component that resolves to
    // the name may start: right after the byte at + i, which is a tab, '\\',
    // '/' or ':', and with a tab, '\\', '/', '.' or ' ' right after the name
    // (the searches beyond SSE2 let any of these bytes stand in either place,
    // and may compare the name's last byte; its other bytes are left to the
    // caller), unless that byte is a tab that follows another tab of its
    // line, as the tabs and line ends before it show (those of its chunk and
    // up to 192 bytes before the chunk, or before the tab itself), or
    // (AVX-512) it is a dot or blank, or the tabs and line ends of the chunk
    // and of the 64 bytes before it place it outside its line's file field;
    // or a byte outside printable ASCII other than tab, CR and LF (with an
    // anchor, of the bytes past ASCII only where the anchor's bytes begin).
    // The line holding at + i may belong to the document.
    std::uint64_t inLine = 0;
};

class CandidateSearch {
public:
    static constexpr std::ptrdiff_t kChunk = 64;

    // The widest vectors a search may use.
    enum class Width { sse2, ssse3, avx2, avx512 };

    // Borrows the pattern's name for its lifetime. Searches with the widest
    // vectors up to `widest` that the processor and the system support.
    CandidateSearch(const CandidatePattern& pattern, Width widest) noexcept;

    // A chunk at p reads [p, p + Reach()).
    std::ptrdiff_t Reach() const noexcept { return reach_; }

    // Looks at the chunks at p, p + 64, ... up to `last`: fills `chunk` with
    // the first that holds a candidate, moves `p` to it and returns true, or
    // returns false with `p` moved to the first chunk start after `last`. Every chunk read
    // must lie inside the data: floor <= p and last + Reach() <= the data's
    // end, where `floor` is the data's first byte (the 64 bytes before a
    // chunk are read when they lie at or after it).
    bool Next(const char*& p, const char* floor, const char* last, CandidateChunk& chunk) const noexcept;

private:
    using Finder = bool (*)(const char*& p, const char* floor, const char* last, const CandidatePattern& pattern,
                            CandidateChunk& chunk);
    // Drops the candidates the chunk's line structure rules out; true when any
    // is left. Only the AVX-512 search has one: for the narrower ones, finding
    // a chunk's stops cost a 32-bit build more than reading the lines it saves.
    using Keeper = bool (*)(const char* floor, CandidateChunk& chunk);

    CandidatePattern pattern_;
    std::ptrdiff_t reach_;
    Finder find_;
    Keeper keep_ = nullptr;
};

// The widest vectors the processor and the system support. In a file of its
// own (WidestVectors.cpp): the benchmark links a copy of the plug-in with
// one that says AVX2 at most, to time the command on that path.
CandidateSearch::Width WidestVectors() noexcept;

}  // namespace velkin
