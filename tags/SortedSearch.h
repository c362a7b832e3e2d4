// Finding a word's lines in a tags file sorted by name: a binary search over
// small views of the file, then a walk over the lines whose name begins with
// the word.
//
// ctags declares the order in a pseudo-tag line at the file's top:
// !_TAG_FILE_SORTED<TAB>1 for whole lines in byte order (as LC_ALL=C sort
// sorts them), 2 for the same with the letters a to z taken as A to Z. Lines
// whose name begins with a word of letters, digits and '_' then stand
// together, after every line that sorts before the word (pseudo-tag lines
// included) and before every line that sorts after it. In the folded order
// they include names that differ from the word in case, which the scanner's
// name match leaves out unless it ignores case. In byte order the word's
// case variants (COUNTER, Counter, counter) stand apart: a search for them
// all finds each one's run of lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tags/FileFieldReading.h"
#include "tags/MappedFile.h"
#include "tags/ReadProgress.h"
#include "text/CowString.h"

namespace velkin {

enum class SortOrder {
    none,      // no sort line among the pseudo-tag lines at the top, or one saying 0 or anything else
    bytes,     // 1
    foldCase,  // 2
};

// The order the pseudo-tag lines at the start of [begin, end) declare. Reads
// those lines only (they start with '!'); a line cut by `end` is not read.
SortOrder ReadSortOrder(const char* begin, const char* end) noexcept;

// The line at `line` against a non-empty word, by its first bytes in `order`:
// negative when the line sorts before every line that begins with the word,
// zero when it begins with it, positive when it sorts after them all. Reads
// at most the word's length of bytes, and none at or past `end` or past the
// line's end.
int CompareLineWithWord(const char* line, const char* end, const CowString& word, SortOrder order) noexcept;

// A run of lines that begin with `prefix`, from the line at `start` on.
struct WordRange {
    CowString prefix;  // the word, or one of its case variants as the lines write it
    std::uint64_t start = 0;
};

struct WordSearch {
    enum class Outcome {
        notSorted,  // the header declares no order (or its lines fill the first view): nothing searched
        found,      // `ranges` found
        disorder,   // a line read on the way sorts before one read before it, or after one read after it
        failed,     // a view cannot be mapped, or a read of one faulted
        stopped,    // the meter said to stop
    };
    Outcome outcome = Outcome::notSorted;
    SortOrder order = SortOrder::none;
    FieldEncoding encoding = FieldEncoding::unstated;  // what the header says of the file fields
    // When `found`, the runs of lines that may begin with the word, in file
    // order. For the word as it is, or for any case of it in the folded
    // order: one run, from the first line that does not sort before the word
    // (the file's size when no line follows). For any case of it in byte
    // order: one run for each case variant that begins a line, none when no
    // line begins with one.
    std::vector<WordRange> ranges;
    // When `found`, the search's last view and its offset in the file: the
    // range's lines mostly lie in it already.
    MappedWindow view;
    std::uint64_t viewOffset = 0;
};

// Reads the header, and when it declares an order searches the file for a
// non-empty word, or with `anyCase` for the word in any case of its ASCII
// letters (in byte order, each search after the first steps from where the
// last one ended by doubling distances, then halves: a variant lies mostly
// near the last). Each step reads one line in a view of `viewBytes`
// (rounded as the scan rounds it; more for a longer line) centred on it,
// keeping the view while the next step falls inside; one view is mapped at a
// time, and every read of it is guarded (see ReadGuarded). Each line read
// must sort between the nearest ones read before and after it (pseudo-tag
// lines aside), else the outcome is `disorder`. The result is right for a
// file in the order declared; in one that is not, each range starts at a
// line start after a line that sorts before its prefix (or the file's start).
// Before each view it maps, the search asks `meter` whether to go on, telling
// it the share of the file ruled out so far. Throws std::bad_alloc when a
// line's name cannot be kept.
WordSearch SearchSortedFile(const MappedFile& file, const CowString& word, std::uint32_t viewBytes,
                            FileReadMeter& meter, bool anyCase = false);

// Follows the lines from a WordRange's start on, block after block of
// whole lines in file order (a block may start with the last line ends of the
// one before), to the end of the word's range, checking on the way that each
// line's name does not sort before the name of the line before it (the last
// line of the previous block included).
class WordRangeWalk {
public:
    // `word`: the range's prefix.
    WordRangeWalk(const CowString& word, SortOrder order) : word_(word), order_(order) {}

    // The first line of [begin, end) that sorts after the word, or `end` when
    // the range may go on in the next block. When a line is seen out of order
    // (or one that sorts before the word), SawDisorder() turns true and that
    // line is returned. Throws std::bad_alloc when a name cannot be kept.
    const char* RangeEnd(const char* begin, const char* end);
    bool SawDisorder() const noexcept { return sawDisorder_; }

private:
    const CowString word_;
    const SortOrder order_;
    std::string lastName_;   // of the last line of the previous block
    bool started_ = false;   // lastName_ holds a name
    bool sawDisorder_ = false;
};

}  // namespace velkin
