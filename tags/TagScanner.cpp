#include "tags/TagScanner.h"

#include <emmintrin.h>

#include <cstring>

#include "tags/FileFieldMemo.h"
#include "tags/MappedFile.h"

namespace velkin {

namespace {

constexpr char kTab = '\t';
constexpr char kCr = '\r';
constexpr char kLf = '\n';

bool IsLineEnd(char byte) noexcept { return byte == kCr || byte == kLf; }

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

// The end of the field at p: the first tab, CR or LF, or `end`.
const char* FindFieldEnd(const char* p, const char* end) noexcept { return FindAnyOf(p, end, kTab, kCr, kLf); }

// The end of the line holding p: the first CR or LF, or `end`.
const char* FindLineEnd(const char* p, const char* end) noexcept { return FindAnyOf(p, end, kCr, kLf, kLf); }

// Past the run of CR and LF bytes at p: the start of the next non-empty line, or `end`.
const char* SkipLineEnds(const char* p, const char* end) noexcept
{
    while (p != end && IsLineEnd(*p)) ++p;
    return p;
}

bool IsTabAt(const char* p, const char* end) noexcept { return p != end && *p == kTab; }

CowString CopyBytes(const char* first, const char* last) { return CowString(first, static_cast<int>(last - first)); }

}  // namespace

// ---- Line operations ----------------------------------------------------------

const char* SkipLine(const char* p, const char* end) noexcept { return SkipLineEnds(FindLineEnd(p, end), end); }

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

NameMatch MatchName(const CowString& word, const char* nameStart, const char* nameEnd) noexcept
{
    const int wordLength = word.Length();
    const auto nameLength = nameEnd - nameStart;
    if (nameLength < wordLength) return NameMatch::none;
    if (std::memcmp(nameStart, word.Text(), static_cast<size_t>(wordLength)) != 0) return NameMatch::none;
    return nameLength == wordLength ? NameMatch::exact : NameMatch::prefix;
}

// ---- The scan -------------------------------------------------------------------

struct TagScanner::Impl {
    Impl(const CowString& word, const CowString& documentPath, const CowString& tagsFolder, TagMatchLists& lists)
        : word(word), lists(lists), memo(documentPath, tagsFolder)
    {
    }

    // Scans the line at `line` (< end) and returns where the next one starts.
    // A line that does not qualify costs two field searches, the name
    // comparison, a memo look-up and the search for its end.
    const char* ScanLine(const char* line, const char* end)
    {
        if (*line == '!') return SkipLine(line, end);
        const char* nameEnd = FindFieldEnd(line, end);
        if (!IsTabAt(nameEnd, end)) return SkipLineEnds(nameEnd, end);
        const NameMatch match = word.IsEmpty() ? NameMatch::none : MatchName(word, line, nameEnd);

        const char* fileStart = nameEnd + 1;
        const char* fileEnd = FindFieldEnd(fileStart, end);
        if (!IsTabAt(fileEnd, end)) return SkipLineEnds(fileEnd, end);
        const bool inDocument = memo.IsInDocument(fileStart, fileEnd);
        if (match == NameMatch::none && !inDocument) return SkipLine(fileEnd + 1, end);
        return TakeRecord(line, nameEnd, fileEnd, end, match, inDocument);
    }

    // Reads the rest of a qualifying line into a record and appends it.
    const char* TakeRecord(const char* line, const char* nameEnd, const char* fileEnd, const char* end,
                           NameMatch match, bool inDocument)
    {
        const char* addressStart = fileEnd + 1;
        const char* terminator = FindTerminator(addressStart, end);
        if (!terminator) return SkipLine(addressStart, end);
        const char* quote = terminator + 1;
        const char* kindTab = NextTab(quote, end);
        if (!kindTab) return SkipLine(quote, end);

        TagEntry entry;
        entry.name = CopyBytes(line, nameEnd);
        entry.file = CopyBytes(nameEnd + 1, fileEnd);
        entry.address = CopyBytes(addressStart, terminator);
        // An empty kind field gives the byte that ends it (tab, CR or LF); a
        // kind tab that ends the data gives the zero byte.
        const char* kindLetter = kindTab + 1;
        entry.kind = kindLetter != end ? *kindLetter : '\0';

        const char* next;
        if (const char* fieldsTab = NextTab(kindLetter, end)) {
            const char* lineEnd = FindLineEnd(fieldsTab + 1, end);
            entry.extensionFields = CopyBytes(fieldsTab + 1, lineEnd);
            next = SkipLineEnds(lineEnd, end);
        } else {
            next = SkipLine(kindLetter, end);
        }
        Append(entry, match, inDocument);
        return next;
    }

    // Each list gets its own copy; copies share the text. Throws std::bad_alloc.
    void Append(const TagEntry& entry, NameMatch match, bool inDocument)
    {
        if (match == NameMatch::exact) lists.exact.push_back(entry);
        if (match != NameMatch::none) lists.prefix.push_back(entry);
        if (inDocument) lists.inDocument.push_back(entry);
    }

    const CowString word;
    TagMatchLists& lists;
    FileFieldMemo memo;
};

TagScanner::TagScanner(const CowString& word, const CowString& documentPath, const CowString& tagsFolder,
                       TagMatchLists& lists)
    : impl_(new Impl(word, documentPath, tagsFolder, lists))
{
}

TagScanner::~TagScanner() { delete impl_; }

void TagScanner::Scan(const char* begin, const char* end)
{
    // The memo's keys point into [begin, end): they must not outlive this call,
    // also when an append throws.
    struct ForgetOnExit {
        FileFieldMemo& memo;
        ~ForgetOnExit() { memo.Forget(); }
    } forget{impl_->memo};
    for (const char* line = begin; line < end;) line = impl_->ScanLine(line, end);
}

bool ScanTagsFile(const CowString& tagsFilePath, const CowString& word, const CowString& documentPath,
                  const CowString& tagsFolder, TagMatchLists& lists)
{
    MappedFile file;
    file.Open(tagsFilePath.Text());
    MappedBytes bytes;
    if (!file.MapView(bytes)) return false;
    TagScanner scanner(word, documentPath, tagsFolder, lists);
    scanner.Scan(bytes.begin, bytes.end);
    return true;
}

}  // namespace velkin
