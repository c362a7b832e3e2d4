#include "tags/SortedSearch.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "tags/GuardedRead.h"
#include "tags/LineGrammar.h"
#include "text/AsciiCase.h"

namespace velkin {

namespace {

// A byte as the order compares it.
int Folded(char byte, SortOrder order) noexcept
{
    return static_cast<unsigned char>(order == SortOrder::foldCase ? AsciiUpperCase(byte) : byte);
}

// Two names as the order compares the lines that hold them: the tab that
// ends a name is compared with the other name's byte there.
int CompareNames(const char* a, const char* aEnd, const char* b, const char* bEnd, SortOrder order) noexcept
{
    for (; a != aEnd && b != bEnd; ++a, ++b) {
        const int difference = Folded(*a, order) - Folded(*b, order);
        if (difference != 0) return difference;
    }
    const int afterA = a != aEnd ? Folded(*a, order) : '\t';
    const int afterB = b != bEnd ? Folded(*b, order) : '\t';
    return afterA - afterB;
}

// Views of the file for the search, one at a time, each a window as the scan
// maps it, centred on the bytes asked for: the present one is kept while the
// bytes asked for lie inside it. The steps close in on the word from both
// sides, so the later ones fall inside one view. (Under Wine, mapping and
// releasing a view costs 20 to 180 microseconds, whatever its size: a few
// large views cost less than many small ones.)
class ProbeViews {
public:
    ProbeViews(const MappedFile& file, std::uint32_t viewBytes, FileReadMeter& meter) noexcept
        : file_(file),
          granularity_(MappedFile::AllocationGranularity()),
          viewBytes_(MappedFile::WindowLength(viewBytes)),
          meter_(meter)
    {
    }

    std::uint32_t ViewBytes() const noexcept { return viewBytes_; }

    // The bytes of the file the search has ruled out so far: what the meter
    // is told before a view is mapped.
    void RuledOut(std::uint64_t bytes) noexcept { ruledOut_ = bytes; }

    // Gives up the present view (empty when none is mapped) and its offset.
    MappedWindow Release(std::uint64_t& offset) noexcept
    {
        offset = offset_;
        return std::move(view_);
    }

    // Calls read(viewBegin, viewEnd, viewOffset) under a guard of a view that
    // holds [from, to) (cut at the file's end). False when no view can hold
    // it (the range is longer than the longest view, or no room for it), a
    // read of it faults, or the meter says stop (Stopped() then tells).
    template <typename Reader>
    bool Read(std::uint64_t from, std::uint64_t to, Reader&& read)
    {
        to = std::min(to, file_.Size());
        if (!Holds(from, to)) {
            view_ = MappedWindow();  // a crowded address space may have room for one view only
            if (!meter_.GoOn(ruledOut_)) return false;
            const std::uint64_t middle = from + (to - from) / 2;
            const std::uint64_t start = std::min(from, middle > viewBytes_ / 2 ? middle - viewBytes_ / 2 : 0);
            offset_ = start - start % granularity_;
            view_ = file_.Map(offset_, std::max<std::uint64_t>(viewBytes_, to - offset_));
            if (!view_ || !Holds(from, to)) return false;
        }
        return ReadGuarded(view_, [&] { read(view_.Begin(), view_.End(), offset_); });
    }

    bool Stopped() const noexcept { return meter_.Stopped(); }

private:
    bool Holds(std::uint64_t from, std::uint64_t to) const noexcept
    {
        return view_ && from >= offset_ && to - offset_ <= static_cast<std::uint64_t>(view_.End() - view_.Begin());
    }

    const MappedFile& file_;
    const std::uint32_t granularity_;
    const std::uint32_t viewBytes_;
    FileReadMeter& meter_;
    MappedWindow view_;
    std::uint64_t offset_ = 0;
    std::uint64_t ruledOut_ = 0;
};

struct ProbedLine {
    std::uint64_t start = 0;  // the line's offset
    std::uint64_t next = 0;   // the next line's offset, or the file's size
    int order = 0;            // CompareLineWithWord
    std::string name;         // its bytes before the first tab (or its end)
};

// Whether `line` sorts between the lines read nearest before and after it,
// by name (empty when none was read on that side). Pseudo-tag lines sort
// before all others, whatever their names.
bool LiesInOrder(const ProbedLine& line, const ProbedLine& before, const ProbedLine& after, SortOrder order)
{
    const auto compare = [order](const std::string& a, const std::string& b) {
        return CompareNames(a.data(), a.data() + a.size(), b.data(), b.data() + b.size(), order);
    };
    if (!line.name.empty() && line.name[0] == '!') return true;
    return (before.name.empty() || compare(before.name, line.name) <= 0) &&
           (after.name.empty() || compare(line.name, after.name) <= 0);
}

// Reads the line that holds offset `at`, or whose line ends it lies among;
// the line does not start before `low`, a line start. The view reaches
// further each time the line runs past it. False when a view cannot be
// mapped or a read faults (a line longer than the longest view, too), or the
// views' meter says stop.
bool ProbeLine(ProbeViews& views, std::uint64_t size, std::uint64_t low, std::uint64_t at, const CowString& word,
               SortOrder order, ProbedLine& line)
{
    constexpr std::uint64_t kFirstReach = 4096;
    bool complete = false;
    for (std::uint64_t reach = kFirstReach; !complete; reach *= 2) {
        const std::uint64_t from = at - low > reach ? at - reach : low;
        const std::uint64_t to = size - at > reach ? at + reach : size;
        const bool read = views.Read(from, to, [&](const char* begin, const char* end, std::uint64_t offset) {
            const bool startsAtLow = offset <= low;
            const char* lowest = begin + (std::max(low, offset) - offset);
            const char* p = begin + (at - offset);
            while (p != lowest && IsLineEnd(*p)) --p;
            const char* lineEndBefore = FindLastLineEnd(lowest, p);
            if (!lineEndBefore && !startsAtLow) return;  // the line may start before the view
            const char* start = lineEndBefore ? lineEndBefore + 1 : lowest;
            const char* next = SkipLineEnds(FindLineEnd(start, end), end);
            const bool endsAtFileEnd = offset + static_cast<std::uint64_t>(end - begin) == size;
            if (next == end && !endsAtFileEnd) return;  // the line or its line ends may go on
            line.start = offset + static_cast<std::uint64_t>(start - begin);
            line.next = offset + static_cast<std::uint64_t>(next - begin);
            line.order = CompareLineWithWord(start, end, word, order);
            line.name.assign(start, FindFieldEnd(start, next));
            complete = true;
        });
        if (!read) return false;
    }
    return true;
}

// How a search for the first line that does not sort before a word ended.
struct Bound {
    WordSearch::Outcome outcome = WordSearch::Outcome::found;
    std::uint64_t offset = 0;  // that line's offset, or the file's size
    ProbedLine line;           // that line, unless `offset` is the file's size
};

// Lines read by the searches of one file so far, in no order.
using ReadLines = std::vector<ProbedLine>;

// The line of `lines` that starts at or after `low` and sorts before `word`
// with the furthest end, and the one that does not sort before it with the
// nearest start: they bound the search for the word's first line.
void Bracket(const ReadLines& lines, const CowString& word, SortOrder order, std::uint64_t& low, std::uint64_t& high,
             ProbedLine& below, ProbedLine& above)
{
    const auto sortsBefore = [&](const ProbedLine& line) {
        return CompareLineWithWord(line.name.data(), line.name.data() + line.name.size(), word, order) < 0;
    };
    for (const ProbedLine& line : lines) {
        if (line.start >= low && line.start < high && !sortsBefore(line)) {
            high = line.start;
            above = line;
        }
    }
    const std::uint64_t from = low;
    for (const ProbedLine& line : lines) {
        if (line.start >= from && line.next <= high && line.next > low && sortsBefore(line)) {
            low = line.next;
            below = line;
        }
    }
}

// Searches the lines from `low` (a line start) on for the first that does not
// sort before `word`. With `known`, the lines it holds bound the search, and
// the lines read are added to it; `nearLow`: unless they show a line that
// sorts before the word further on, the steps first double their distance
// from `low` (4 KB, 8 KB, ...), then halve what is left. (Past such a line,
// the word mostly lies far: halving from the first costs fewer views.)
Bound FindFirstNotBefore(ProbeViews& views, std::uint64_t size, std::uint64_t low, const CowString& word,
                         SortOrder order, ReadLines* known, bool nearLow)
{
    constexpr std::uint64_t kFirstStride = 4096;
    Bound bound;
    std::uint64_t high = size;
    ProbedLine below, above;
    const std::uint64_t from = low;
    if (known) Bracket(*known, word, order, low, high, below, above);
    std::uint64_t stride = nearLow && low == from ? kFirstStride : 0;
    while (low < high) {
        ProbedLine line;
        views.RuledOut(size - (high - low));
        const bool galloping = stride != 0 && high - low > stride;
        const std::uint64_t at = galloping ? low + stride : low + (high - low) / 2;
        stride = galloping ? stride * 2 : 0;
        if (!ProbeLine(views, size, low, at, word, order, line)) {
            bound.outcome = views.Stopped() ? WordSearch::Outcome::stopped : WordSearch::Outcome::failed;
            return bound;
        }
        if (!LiesInOrder(line, below, above, order)) {
            bound.outcome = WordSearch::Outcome::disorder;
            return bound;
        }
        if (known) known->push_back(line);
        if (line.order < 0) {
            low = line.next;
            below = std::move(line);
        } else {
            stride = 0;
            high = line.start;
            above = std::move(line);
        }
    }
    // The steps close in on the line at `high`, read last above: its line
    // ends lead to the one below it, so `low` stops at it.
    bound.offset = low;
    bound.line = std::move(above);
    return bound;
}

// The case variants of a word, in byte order: each ASCII letter upper case
// (which sorts first) or lower case, the other bytes as they are.
class CaseVariants {
public:
    explicit CaseVariants(const CowString& word) : word_(word.Text(), static_cast<std::size_t>(word.Length())) {}

    // The first variant: every letter upper case.
    std::string First() const { return Lowest(std::string(), 0); }

    // The variant after every one that begins with `variant`'s first `length`
    // bytes, by raising its last upper-case letter among them; false when none.
    bool Raise(std::string& variant, std::size_t length) const
    {
        for (std::size_t i = length; i-- > 0;) {
            if (IsAsciiUpperCase(variant[i])) {
                variant = Lowest(variant.substr(0, i) + static_cast<char>(AsciiLowerCase(variant[i])), i + 1);
                return true;
            }
        }
        return false;
    }

    // The first variant that does not sort before a line holding `name`
    // (compared over the word's length, a name shorter than the word
    // sorting before every byte it lacks); false when every variant does.
    bool FirstFrom(const std::string& name, std::string& variant) const
    {
        std::size_t i = 0;
        while (i < word_.size() && i < name.size() && IsCaseOf(name[i], i)) ++i;
        if (i == word_.size()) {
            variant = name.substr(0, i);
            return true;
        }
        variant = name.substr(0, i);
        // A byte past the name's end is the tab that ends it, which sorts first.
        const auto at = static_cast<unsigned char>(i < name.size() ? name[i] : '\t');
        const char upper = AsciiUpperCase(word_[i]);
        const char lower = AsciiLowerCase(word_[i]);
        if (at < static_cast<unsigned char>(upper)) {
            variant = Lowest(variant + upper, i + 1);
            return true;
        }
        if (at < static_cast<unsigned char>(lower)) {
            variant = Lowest(variant + lower, i + 1);
            return true;
        }
        return Raise(variant, i);
    }

private:
    bool IsCaseOf(char byte, std::size_t i) const noexcept
    {
        return byte == AsciiUpperCase(word_[i]) || byte == AsciiLowerCase(word_[i]);
    }

    // `head` (the first `length` bytes of a variant) followed by the word's
    // other bytes in upper case.
    std::string Lowest(std::string head, std::size_t length) const
    {
        for (std::size_t i = length; i < word_.size(); ++i) head += AsciiUpperCase(word_[i]);
        return head;
    }

    const std::string word_;
};

// The runs of the word's case variants in a file sorted by bytes, in order:
// a search for the first variant, then from each line found on, for the
// first variant that does not sort before it, within the lines read so far
// that bound it (in a 32-bit editor, a far one mostly lies in the view of
// such a line). Each search passes at least the line it starts from, and
// each variant sorts after the last.
WordSearch::Outcome FindCaseVariants(ProbeViews& views, std::uint64_t size, const CowString& word,
                                     std::vector<WordRange>& ranges)
{
    const CaseVariants variants(word);
    std::string variant = variants.First();
    ReadLines known;
    std::uint64_t low = 0;
    for (bool first = true;; first = false) {
        const CowString prefix(variant.data(), static_cast<int>(variant.size()));
        if (prefix.Length() != static_cast<int>(variant.size())) throw std::bad_alloc();
        Bound bound = FindFirstNotBefore(views, size, low, prefix, SortOrder::bytes, &known, !first);
        if (bound.outcome != WordSearch::Outcome::found) return bound.outcome;
        if (bound.offset == size || !variants.FirstFrom(bound.line.name, variant)) break;
        if (bound.line.name.compare(0, variant.size(), variant) == 0) {
            ranges.push_back({CowString(variant.data(), static_cast<int>(variant.size())), bound.offset});
            if (ranges.back().prefix.Length() != static_cast<int>(variant.size())) throw std::bad_alloc();
            if (!variants.Raise(variant, variant.size())) break;
        }
        low = bound.offset;
    }
    return WordSearch::Outcome::found;
}

}  // namespace

SortOrder ReadSortOrder(const char* begin, const char* end) noexcept
{
    const char* valueEnd = nullptr;
    const char* value = FindPseudoTagValue(begin, end, "!_TAG_FILE_SORTED", &valueEnd);
    if (!value || valueEnd - value != 1) return SortOrder::none;
    return *value == '1' ? SortOrder::bytes : *value == '2' ? SortOrder::foldCase : SortOrder::none;
}

int CompareLineWithWord(const char* line, const char* end, const CowString& word, SortOrder order) noexcept
{
    // The word's bytes sort after tab, CR and LF: a name or a line that ends
    // within the word's length sorts before it.
    const char* wordBytes = word.Text();
    for (int i = 0; i < word.Length(); ++i) {
        if (line + i == end) return -1;
        const int difference = Folded(line[i], order) - Folded(wordBytes[i], order);
        if (difference != 0) return difference;
    }
    return 0;
}

WordSearch SearchSortedFile(const MappedFile& file, const CowString& word, std::uint32_t viewBytes,
                            FileReadMeter& meter, bool anyCase)
{
    WordSearch search;
    const std::uint64_t size = file.Size();
    ProbeViews views(file, viewBytes, meter);
    const bool headerRead = views.Read(0, views.ViewBytes(), [&](const char* begin, const char* end, std::uint64_t) {
        if (static_cast<std::uint64_t>(end - begin) != size) {
            const char* lastLineEnd = FindLastLineEnd(begin, end);
            end = lastLineEnd ? lastLineEnd : begin;
        }
        search.order = ReadSortOrder(begin, end);
        search.encoding = ReadFieldEncoding(begin, end);
    });
    if (!headerRead) {
        search.outcome = views.Stopped() ? WordSearch::Outcome::stopped : WordSearch::Outcome::failed;
        return search;
    }
    if (search.order == SortOrder::none) return search;

    if (anyCase && search.order == SortOrder::bytes) {
        search.outcome = FindCaseVariants(views, size, word, search.ranges);
    } else {
        const Bound bound = FindFirstNotBefore(views, size, 0, word, search.order, nullptr, false);
        search.outcome = bound.outcome;
        search.ranges.push_back({word, bound.offset});
    }
    if (search.outcome != WordSearch::Outcome::found) search.ranges.clear();
    search.view = views.Release(search.viewOffset);
    return search;
}

const char* WordRangeWalk::RangeEnd(const char* begin, const char* end)
{
    const char* previous = started_ ? lastName_.data() : nullptr;
    const char* previousEnd = started_ ? lastName_.data() + lastName_.size() : nullptr;
    // A window may end between a CR and its LF: the block then starts with
    // the rest of the previous line's line ends, which are no line.
    const char* line = SkipLineEnds(begin, end);
    while (line < end) {
        const char* nameEnd = FindFieldEnd(line, end);
        if (previous && CompareNames(previous, previousEnd, line, nameEnd, order_) > 0) {
            sawDisorder_ = true;
            return line;
        }
        const int comparison = CompareLineWithWord(line, end, word_, order_);
        if (comparison != 0) {
            sawDisorder_ = comparison < 0;
            return line;
        }
        previous = line;
        previousEnd = nameEnd;
        line = SkipLineEnds(FindLineEnd(nameEnd, end), end);
    }
    if (previous) lastName_.assign(previous, previousEnd);
    started_ = started_ || previous;
    return end;
}

}  // namespace velkin
