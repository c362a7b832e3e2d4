// The tags file scanner: one pass over the mapped bytes of an extended-format
// ctags file, sorting the lines that concern the command into TagMatchLists.
//
// Line grammar (a line ends at the first CR or LF; any run of CR/LF separates
// lines; a line starting with '!' is a pseudo-tag and ignored):
//   name TAB file TAB address ;" [anything] TAB kind... [TAB extension fields]
// A line missing a required separator yields nothing. The address runs to
// the first ;" of the line (tabs inside it belong to it). `kind` is the byte
// after the kind field's tab, whatever it is: a tab when the kind field is
// empty and extension fields follow, CR or LF when it is empty at the line
// end, and the zero byte when that tab is the last byte of the data.
//
// Most lines concern nothing. When the document's name allows it (see
// FileFieldMemo::LineFilterName), the scan reads no line for itself: it
// searches the whole data, 64 bytes a step, for the word's first byte right
// after a line end, for the document's name between the bytes that can
// surround it in a file field (a tab or separator before it, a tab,
// separator, dot or blank after it) and for bytes outside printable ASCII
// (CandidateSearch). It reads only the lines where the word may start, where
// the name stands as a component of the file field itself, and those holding
// other bytes. Otherwise it reads the first two fields of every line.
//
// A file whose header says it is sorted (see SortedSearch.h) is searched for
// the word first: only the lines whose name begins with it are read.
//
// Every function reads only within [begin, end): the data need not be
// zero-terminated, and zero bytes are ordinary data. Searches use SSE2, or
// SSSE3, AVX2 or AVX-512 where the processor has them, and never load a block
// that reaches past `end`.
#pragma once

#include <cstdint>
#include <memory>

#include "tags/CandidateSearch.h"
#include "tags/TagEntry.h"
#include "text/CowString.h"

namespace velkin {

// What a scan looks for. Copies share the text.
struct TagQuery {
    // ASCII letters, digits and '_'; empty: no line matches by name.
    CowString word;
    // The current document's full path; a line belongs to the document when
    // GetFullPath(TagFilePath(tagsFolder, file field)) equals it under lstrcmpA.
    CowString documentPath;
    // The folder holding the tags file, no trailing backslash.
    CowString tagsFolder;
};

// How a scan finds the lines that concern it. Tests compare them all.
enum class ScanPath {
    // Searches the whole data when the document's name allows it (see the
    // top of this file), with the widest vectors the processor and the
    // system support (AVX-512, AVX2, SSSE3 or SSE2); otherwise reads every line.
    best,
    avx2,       // as best, searching with AVX2 at most
    ssse3,      // as best, searching with SSSE3 at most
    sse2,       // as best, searching with SSE2 alone
    everyLine,  // reads every line's first two fields
};

// The widest vectors a search on `path` uses on this processor (everyLine
// searches nothing: the widest the processor has).
CandidateSearch::Width SearchWidth(ScanPath path) noexcept;

// The bytes of the file mapped at once: 64 MB leaves room for a few views in
// a crowded 32-bit editor, where one view of a large file does not fit.
constexpr std::uint32_t kScanWindowBytes = 64u << 20;

// The views the binary search of a sorted file maps, one at a time. Mapping a
// view costs the same whatever its size, so the fewer the better: a 64-bit
// editor has room for one view of the whole file (at most 2 GiB), which then
// serves the header, every step and the lines found; a 32-bit one maps a
// scan's window at a time.
constexpr std::uint32_t kProbeViewBytes = sizeof(void*) >= 8 ? 0x80000000u : kScanWindowBytes;

struct ScanOptions {
    // Taken as MappedFile::WindowLength(windowBytes).
    std::uint32_t windowBytes = kScanWindowBytes;
    ScanPath path = ScanPath::best;
    // False: every line is read, whatever the header says.
    bool searchSorted = true;
    // The views of the binary search, taken as MappedFile::WindowLength(probeBytes).
    std::uint32_t probeBytes = kProbeViewBytes;
};

// How ScanTagsFile found the lines.
enum class LookupRoute {
    everyLine,  // the file is not sorted (or the search is off, or the word is empty): every line read
    // Sorted: a binary search, then only the lines whose name begins with the
    // word; `exact` or `prefix` holds a tag and `inDocument` is left empty.
    sortedRange,
    noTagThenEveryLine,    // sorted, but no line of the range gave a tag: every line read after it
    disorderThenEveryLine  // the search met lines out of order: every line read after it
};

// Maps `tagsFilePath` and scans it into `lists`, one window of the file at a
// time. When the header says the file is sorted and the word is not empty,
// the word's range is found by binary search and only its lines are read
// (LookupRoute::sortedRange: the exact and prefix lists are those of reading
// every line, in the same order, and `inDocument` stays empty, as it is
// needed only when both others are); when they give no tag, or the order is
// seen broken on the way, every line is read as for a file not sorted.
// `route`, when given, says which way was taken. True when the file was opened, mapped and scanned (whether or not
// anything matched); false when it cannot be opened or mapped (see
// MappedFile::Open), a window cannot be mapped, or a read of a window faults
// (the file was cut short under the view, or its share or drive went away;
// see ReadGuarded): the lists are then as they were, and the file is closed.
// A fault inside a qualifying line loses the few small heap blocks copied
// from it so far (name, file and address: three blocks, when the fault comes
// in its extension fields). A window holds whole lines: it ends after the
// last line end in it, and the next one starts at the first line not
// scanned; a line longer than a window is mapped in a window large enough for
// it. Throws std::bad_alloc when a record or one of its fields cannot be
// stored; the file is closed on that path too.
bool ScanTagsFile(const CowString& tagsFilePath, const TagQuery& query, TagMatchLists& lists,
                  const ScanOptions& options = ScanOptions(), LookupRoute* route = nullptr);

// What a TagScanner sorts lines by.
enum class ScanScope {
    wordAndDocument,  // name matches and tags of the current document
    wordOnly,         // name matches alone: `inDocument` stays empty, and no file field is resolved
};

// Scans blocks of tags-file data for `query`. Each distinct file field is
// resolved once per scanner (see FileFieldMemo). The scanner keeps its own
// (shared) copy of the query and borrows the lists for its lifetime.
class TagScanner {
public:
    TagScanner(const TagQuery& query, TagMatchLists& lists, ScanPath path = ScanPath::best,
               ScanScope scope = ScanScope::wordAndDocument);
    ~TagScanner();
    TagScanner(const TagScanner&) = delete;
    TagScanner& operator=(const TagScanner&) = delete;

    // Appends the records of every qualifying line of [begin, end), in order.
    // `begin` starts a line: blocks scanned one after the other must split
    // the data after a line end. The bytes are read only during the call;
    // records hold copies. Throws std::bad_alloc when a record or one of its
    // fields cannot be stored (the lists then hold what was appended so far).
    void Scan(const char* begin, const char* end);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// ---- Line operations (each bounded by `end`; none reads at or past it) -------

// The start of the next non-empty line after the one holding `p`, or `end`.
const char* SkipLine(const char* p, const char* end) noexcept;
// The first tab at or after `p`; null when CR, LF or `end` comes first.
const char* NextTab(const char* p, const char* end) noexcept;
// The first tab, CR or LF at or after `p` (the end of a field), or `end`.
const char* FindFieldEnd(const char* p, const char* end) noexcept;
// The first CR or LF at or after `p`, or `end`.
const char* FindLineEnd(const char* p, const char* end) noexcept;
// Past the run of CR and LF bytes at `p`: the start of the next non-empty line, or `end`.
const char* SkipLineEnds(const char* p, const char* end) noexcept;
// The last CR or LF in [begin, end), or null.
const char* FindLastLineEnd(const char* begin, const char* end) noexcept;
// The first ';' at or after `p` followed by '"' inside the data; null when CR,
// LF or `end` comes first.
const char* FindTerminator(const char* p, const char* end) noexcept;

enum class NameMatch { none, prefix, exact };
// Compares a tag name with a non-empty word, byte for byte and case-sensitively,
// from the name's first byte: exact when equal, prefix when the name is longer.
// (An empty word would match every name; the scanner never passes one.)
NameMatch MatchName(const CowString& word, const char* nameStart, const char* nameEnd) noexcept;

}  // namespace velkin
