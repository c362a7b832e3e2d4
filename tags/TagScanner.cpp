#include "tags/TagScanner.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "tags/CandidateSearch.h"
#include "tags/FileFieldMemo.h"
#include "tags/LineGrammar.h"
#include "tags/TagTraits.h"
#include "text/AsciiCase.h"

namespace velkin {

namespace {

// The bytes [first, last) as a string. Throws std::bad_alloc when they cannot
// be stored: a record with an emptied field would send the jump elsewhere (an
// empty file field names the tags folder itself), so the scan ends instead,
// as when an entry cannot be appended.
CowString CopyBytes(const char* first, const char* last)
{
    const auto length = static_cast<int>(last - first);
    CowString copy(first, length);
    if (copy.Length() != length) throw std::bad_alloc();
    return copy;
}

bool IsPrintable(char byte) noexcept { return byte >= 0x20 && byte <= 0x7E; }

// The line searches of one Scan call, each search on its own: for the few
// lines read out of the whole block.
class DirectStops {
public:
    explicit DirectStops(const char* end) noexcept : end_(end) {}
    const char* NextStop(const char* p) const noexcept { return FindFieldEnd(p, end_); }
    const char* NextLineEnd(const char* p) const noexcept { return FindLineEnd(p, end_); }

private:
    const char* const end_;
};

// Finds the tabs and line ends of the data 32 bytes at a time for the walk over
// its lines. The blocks lie at fixed 32-byte steps from `begin`; the masks of
// the current block are kept between searches because a line is short (a few
// blocks) and the next search, often for the next line, mostly starts inside
// the block where the last one stopped: each block is loaded once, not once
// per search. The bytes after the last whole block are left to FindFieldEnd
// and FindLineEnd, so no load reaches `end`.
class StopFinder {
public:
    StopFinder(const char* begin, const char* end) noexcept
        : begin_(begin), end_(end), wholeBlocksEnd_(begin + ((end - begin) & ~kBlockMask))
    {
        if (begin_ != wholeBlocksEnd_) Load(begin_);
    }

    // The first tab, CR or LF at or after p; `end` when there is none.
    const char* NextStop(const char* p) noexcept
    {
        return Find(p, &StopFinder::stops_, [](const char* q, const char* end) { return FindFieldEnd(q, end); });
    }

    // The first CR or LF at or after p; `end` when there is none.
    const char* NextLineEnd(const char* p) noexcept
    {
        return Find(p, &StopFinder::lineEnds_, [](const char* q, const char* end) { return FindLineEnd(q, end); });
    }

private:
    static constexpr std::ptrdiff_t kBlock = 32;
    static constexpr std::ptrdiff_t kBlockMask = kBlock - 1;
    static constexpr std::ptrdiff_t kPrefetchDistance = 2048;  // the best of 256 to 4096 bytes, measured

    // The first byte at or after p whose bit is set in the `marks` mask of its
    // block, or what `findInTail` returns for the bytes after the whole blocks.
    template <typename FindInTail>
    const char* Find(const char* p, unsigned StopFinder::*marks, FindInTail findInTail) noexcept
    {
        for (; p < wholeBlocksEnd_; p = block_ + kBlock) {
            if (!IsInBlock(p)) Load(p);
            const unsigned fromP = (this->*marks) >> (p - block_);
            if (fromP != 0) return p + __builtin_ctz(fromP);
        }
        return findInTail(p, end_);
    }

    bool IsInBlock(const char* p) const noexcept
    {
        return static_cast<std::size_t>(p - block_) < static_cast<std::size_t>(kBlock);
    }

    // Makes the whole block holding p (< wholeBlocksEnd_) the current one.
    void Load(const char* p) noexcept
    {
        block_ = begin_ + ((p - begin_) & ~kBlockMask);
        // Without a hint the walk waits for memory at every new block: its
        // searches stop too often for the processor to run far enough ahead.
        if (end_ - block_ > kPrefetchDistance) _mm_prefetch(block_ + kPrefetchDistance, _MM_HINT_T0);
        const auto* halves = reinterpret_cast<const __m128i*>(block_);
        const Marks low = Classify(_mm_loadu_si128(halves));
        const Marks high = Classify(_mm_loadu_si128(halves + 1));
        lineEnds_ = low.lineEnds | high.lineEnds << 16;
        stops_ = low.stops | high.stops << 16;
    }

    struct Marks {
        unsigned lineEnds;  // CR or LF
        unsigned stops;     // tab, CR or LF
    };

    static Marks Classify(__m128i bytes) noexcept
    {
        const __m128i lineEnds = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(kCr)),
                                              _mm_cmpeq_epi8(bytes, _mm_set1_epi8(kLf)));
        const __m128i stops = _mm_or_si128(lineEnds, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(kTab)));
        return {static_cast<unsigned>(_mm_movemask_epi8(lineEnds)), static_cast<unsigned>(_mm_movemask_epi8(stops))};
    }

    const char* const begin_;
    const char* const end_;
    const char* const wholeBlocksEnd_;
    const char* block_ = begin_;
    unsigned lineEnds_ = 0;
    unsigned stops_ = 0;
};

}  // namespace

struct TagScanner::Impl {
    Impl(const TagQuery& query, TagMatchLists& lists, ScanPath path, ScanScope scope)
        : word(query.word),
          ignoresCase(WordIgnoresCase(query)),
          lists(lists),
          encoding(query.encoding),
          memo(query.documentPath, query.tagsFolder, query.ownFolder, query.encoding),
          readsDocument(scope == ScanScope::wordAndDocument),
          filterName(path == ScanPath::everyLine || !readsDocument ? CowString() : memo.LineFilterName()),
          anchor(filterName.IsEmpty() ? FileFieldMemo::Anchor() : memo.LineFilterAnchor()),
          search(Pattern(word, ignoresCase, filterName, anchor), SearchWidth(path))
    {
    }

    static CandidatePattern Pattern(const CowString& word, bool ignoresCase, const CowString& filterName,
                                    const FileFieldMemo::Anchor& anchor) noexcept
    {
        CandidatePattern pattern;
        pattern.hasWord = !word.IsEmpty();
        pattern.wordCaseBit = ignoresCase ? CandidatePattern::kCaseBit : '\0';
        pattern.wordFirst = word.Text()[0];
        pattern.wordLast = word.IsEmpty() ? '\0' : word.Text()[word.Length() - 1];
        pattern.wordLength = static_cast<std::size_t>(word.Length());
        pattern.name = filterName.Text();
        pattern.nameLength = static_cast<std::size_t>(filterName.Length());
        pattern.hasAnchor = anchor.set;
        std::copy(anchor.utf8, anchor.utf8 + 3, pattern.anchorUtf8);
        std::copy(anchor.ansi, anchor.ansi + 2, pattern.anchorAnsi);
        return pattern;
    }

    // Reads every line's first two fields.
    void ScanEveryLine(const char* begin, const char* end)
    {
        StopFinder stops(begin, end);
        for (const char* line = begin; line < end;) line = ScanLine(line, end, stops);
    }

    // Reads only the lines the candidate search finds. The search steps
    // through chunks at 64-byte boundaries; the lines that start up to the
    // first of them, and those within Reach() of the end, where its reads
    // would pass the end, are all read.
    void ScanCandidateLines(const char* begin, const char* end)
    {
        const DirectStops stops(end);
        const char* next = begin;  // the first line not yet read
        const char* firstChunk = begin + (CandidateSearch::kChunk - ChunkOffset(begin)) % CandidateSearch::kChunk;
        while (next < end && next <= firstChunk) next = ScanLine(next, end, stops);
        if (next == end) return;
        // The line end before a line not read marks it: the search starts at
        // the chunk holding it.
        const char* p = next - 1 - ChunkOffset(next - 1);
        if (end - p >= search.Reach()) {
            const char* last = end - search.Reach();
            CandidateChunk chunk;
            while (search.Next(p, begin, last, chunk)) {
                next = ScanCandidates(chunk, next, end, stops);
                p = std::max(chunk.at + CandidateSearch::kChunk, next - 1 - ChunkOffset(next - 1));
            }
        }
        for (const char* line = p > next ? LineStart(next, p) : next; line < end;) line = ScanLine(line, end, stops);
    }

    // Where p lies in its 64-byte chunk.
    static std::ptrdiff_t ChunkOffset(const char* p) noexcept
    {
        return static_cast<std::ptrdiff_t>(reinterpret_cast<std::uintptr_t>(p) % CandidateSearch::kChunk);
    }

    // Reads the lines the chunk's candidates point at, in order, from `next`
    // on; returns the first line not read.
    const char* ScanCandidates(const CandidateChunk& chunk, const char* next, const char* end, const DirectStops& stops)
    {
        for (std::uint64_t marks = chunk.lineEnds | chunk.inLine; marks != 0; marks &= marks - 1) {
            const int i = __builtin_ctzll(marks);
            const char* at = chunk.at + i;
            if ((chunk.lineEnds >> i & 1) != 0) {
                const char* line = at + 1;
                if (line >= next && StartsWithWord(line, end)) next = ScanLine(line, end, stops);
            } else if (at >= next && MayBeDocumentAt(next, at, end)) {
                next = ScanLine(LineStart(next, at), end, stops);
            }
        }
        return next;
    }

    bool StartsWithWord(const char* line, const char* end) const noexcept
    {
        const auto length = static_cast<std::ptrdiff_t>(word.Length());
        if (length == 0 || end - line < length) return false;
        return ignoresCase ? EqualIgnoringAsciiCase(line, word.Text(), static_cast<std::size_t>(length))
                           : std::memcmp(line, word.Text(), static_cast<std::size_t>(length)) == 0;
    }

    // The byte at `at`, in a line that starts at or after `first`, is not
    // printable ASCII (nor tab, CR, LF), or it opens the document's name as
    // a component of the line's file field: a component that resolution
    // may turn into the name (the name, then only dots and blanks) and that
    // is written within the field (after its opening tab, before its
    // closing one). Any field that resolves to the document holds one.
    bool MayBeDocumentAt(const char* first, const char* at, const char* end) const noexcept
    {
        if (*at != kTab && !IsPrintable(*at)) return !IsLineEnd(*at);
        if (*at != kTab && *at != '\\' && *at != '/' && *at != ':') return false;
        const char* name = at + 1;
        const auto length = static_cast<std::ptrdiff_t>(filterName.Length());
        if (end - name < length || std::memcmp(name, filterName.Text(), static_cast<std::size_t>(length)) != 0) {
            return false;
        }
        const char* trail = name + length;
        while (trail != end && (*trail == '.' || *trail == ' ')) ++trail;
        if (trail == end || (*trail != kTab && *trail != '\\' && *trail != '/')) return false;
        return OpensOrLiesInFileField(first, at);
    }

    // The tab at `at` is the line's first one, or the byte at `at` lies
    // between the line's first and second tab. The line starts at or after
    // `first`.
    static bool OpensOrLiesInFileField(const char* first, const char* at) noexcept
    {
        const char* stop = FindLastFieldEnd(first, at);  // the stop before `at` on its line, if any
        const bool atLineStart = !stop || IsLineEnd(*stop);
        if (*at == kTab) return atLineStart;
        if (atLineStart || *stop != kTab) return false;
        const char* beforeStop = FindLastFieldEnd(first, stop);
        return !beforeStop || IsLineEnd(*beforeStop);
    }

    // Scans the line at `line` (< end) and returns where the next one starts.
    // A line that does not qualify is passed over in one sweep of `stops`: its
    // two tabs and its end, then the name comparison and a memo look-up.
    template <typename Stops>
    const char* ScanLine(const char* line, const char* end, Stops& stops)
    {
        if (*line == '!') return SkipLineEnds(stops.NextLineEnd(line), end);
        const char* nameEnd = stops.NextStop(line);
        if (!IsTabAt(nameEnd, end)) return SkipLineEnds(nameEnd, end);
        NameMatch match = word.IsEmpty() ? NameMatch::none : MatchName(word, line, nameEnd);
        // Matched by ignoring case alone: the tag's language must allow it,
        // which only the whole record tells.
        bool byCaseAlone = false;
        if (match == NameMatch::none && ignoresCase) {
            match = MatchNameIgnoringCase(word, line, nameEnd);
            byCaseAlone = match != NameMatch::none;
        }

        const char* fileStart = nameEnd + 1;
        const char* fileEnd = stops.NextStop(fileStart);
        if (!IsTabAt(fileEnd, end)) return SkipLineEnds(fileEnd, end);
        const bool inDocument = readsDocument && memo.IsInDocument(fileStart, fileEnd);
        if (match == NameMatch::none && !inDocument) return SkipLineEnds(stops.NextLineEnd(fileEnd + 1), end);
        return TakeRecord(line, nameEnd, fileEnd, end, match, inDocument, byCaseAlone);
    }

    // Reads the rest of a qualifying line into a record and appends it; a
    // match by case alone counts only for a tag of a language whose names
    // ignore case.
    const char* TakeRecord(const char* line, const char* nameEnd, const char* fileEnd, const char* end,
                           NameMatch match, bool inDocument, bool byCaseAlone)
    {
        const char* addressStart = fileEnd + 1;
        const char* terminator = FindTerminator(addressStart, end);
        if (!terminator) return SkipLine(addressStart, end);
        const char* quote = terminator + 1;
        const char* kindTab = NextTab(quote, end);
        if (!kindTab) return SkipLine(quote, end);

        TagEntry entry;
        entry.name = SharedCopy(line, nameEnd, lastName);
        entry.file = SharedCopy(nameEnd + 1, fileEnd, lastFile);
        entry.fileEncoding = encoding;
        entry.address = CopyBytes(addressStart, terminator);
        // An empty kind field gives the byte that ends it (tab, CR or LF); a
        // kind tab that ends the data gives the zero byte.
        const char* kindLetter = kindTab + 1;
        entry.kind = kindLetter != end ? *kindLetter : '\0';
        // The kind field ends at a tab (the extension fields follow), a line end or the data's end.
        const char* kindEnd = FindFieldEnd(kindLetter, end);
        if (kindEnd - kindLetter > 1) entry.kindField = CopyBytes(kindLetter, kindEnd);

        const char* next;
        if (IsTabAt(kindEnd, end)) {
            const char* lineEnd = FindLineEnd(kindEnd + 1, end);
            entry.extensionFields = CopyBytes(kindEnd + 1, lineEnd);
            next = SkipLineEnds(lineEnd, end);
        } else {
            next = SkipLineEnds(kindEnd, end);
        }
        if (byCaseAlone && !NamesIgnoreCase(TagLanguage(entry))) match = NameMatch::none;
        if (match != NameMatch::none || inDocument) Append(std::move(entry), match, inDocument);
        return next;
    }

    // The bytes [first, last) as a string, sharing the text of `previous`
    // when it holds the same bytes (records in a row often repeat a name or
    // a file, and each new string costs an allocation); `previous` then
    // holds them.
    static CowString SharedCopy(const char* first, const char* last, CowString& previous)
    {
        const auto length = static_cast<std::size_t>(last - first);
        if (static_cast<std::size_t>(previous.Length()) != length || std::memcmp(previous.Text(), first, length) != 0) {
            previous = CopyBytes(first, last);
        }
        return previous;
    }

    // Each list gets its own copy (copies share the text); the last one takes
    // the record. Throws std::bad_alloc.
    void Append(TagEntry&& entry, NameMatch match, bool inDocument)
    {
        if (match == NameMatch::exact) lists.exact.push_back(entry);
        if (inDocument) {
            if (match != NameMatch::none) lists.prefix.push_back(entry);
            lists.inDocument.push_back(std::move(entry));
        } else if (match != NameMatch::none) {
            lists.prefix.push_back(std::move(entry));
        }
    }

    const CowString word;
    const bool ignoresCase;  // see WordIgnoresCase
    TagMatchLists& lists;
    const FieldEncoding encoding;
    FileFieldMemo memo;
    const bool readsDocument;
    const CowString filterName;  // empty: every line is read
    const FileFieldMemo::Anchor anchor;  // not set: every line with a byte past ASCII is read
    const CandidateSearch search;
    CowString lastName, lastFile;  // of the last record
};

bool WordIgnoresCase(const TagQuery& query)
{
    const std::string_view path(query.documentPath.Text(), static_cast<std::size_t>(query.documentPath.Length()));
    return !query.word.IsEmpty() && NamesIgnoreCase(LanguageOfFileName(path));
}

CandidateSearch::Width SearchWidth(ScanPath path) noexcept
{
    using Width = CandidateSearch::Width;
    const Width widest = WidestVectors();
    switch (path) {
    case ScanPath::avx2: return std::min(widest, Width::avx2);
    case ScanPath::ssse3: return std::min(widest, Width::ssse3);
    case ScanPath::sse2: return Width::sse2;
    default: return widest;
    }
}

TagScanner::TagScanner(const TagQuery& query, TagMatchLists& lists, ScanPath path, ScanScope scope)
    : impl_(std::make_unique<Impl>(query, lists, path, scope))
{
}

TagScanner::~TagScanner() = default;

void TagScanner::Scan(const char* begin, const char* end)
{
    // The memo compares the next field with the last one in place: that
    // must not outlive this call, also when an append throws.
    struct ForgetOnExit {
        FileFieldMemo& memo;
        ~ForgetOnExit() { memo.ForgetLastField(); }
    } forget{impl_->memo};
    if (impl_->filterName.IsEmpty()) {
        impl_->ScanEveryLine(begin, end);
    } else {
        impl_->ScanCandidateLines(begin, end);
    }
}

}  // namespace velkin
