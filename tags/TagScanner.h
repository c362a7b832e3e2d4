// The tags file scanner: one pass over the mapped bytes of an extended-format
// ctags file, sorting the lines that concern the command into TagMatchLists.
//
// Lines are read by the grammar of LineGrammar.h.
//
// Most lines concern nothing. When the document's name allows it (see
// FileFieldMemo::LineFilterName), the scan reads no line for itself: it
// searches the whole data, 64 bytes a step, for the word's first byte right
// after a line end (in either case when names match in any case), for the document's name between the bytes that can
// surround it in a file field (a tab or separator before it, a tab,
// separator, dot or blank after it) and for bytes outside printable ASCII
// (CandidateSearch). It reads only the lines where the word may start, where
// the name stands as a component of the file field itself, and those holding
// other bytes (for a name with a kanji, only those holding the kanji's UTF-8
// or ANSI bytes among their bytes past ASCII: FileFieldMemo::
// LineFilterAnchor). Otherwise it reads the first two fields of every line.
//
// Every function reads only within [begin, end): the data need not be
// zero-terminated, and zero bytes are ordinary data. Searches use SSE2, or
// SSSE3, AVX2 or AVX-512 where the processor has them, and never load a block
// that reaches past `end`.
#pragma once

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
    // GetFullPath(PlaceTagFile(tagsFolder, ownFolder, file field)) equals it
    // under lstrcmpA, for one of the field's readings (ReadFileField). Its
    // language also decides how names match the word (see WordIgnoresCase).
    CowString documentPath;
    // The folder holding the tags file, no trailing backslash.
    CowString tagsFolder;
    // The tags file's own folder when it was found from another one
    // (TagsFile::ownFolder): fields are then placed by PlaceTagFile. Empty:
    // `tagsFolder` holds it.
    CowString ownFolder;
    // What the tags file's header says of its file fields: how the
    // current-document test reads them, and what each record carries.
    FieldEncoding encoding = FieldEncoding::unstated;
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

// Whether a scan for `query` also matches names that differ from the word in
// the case of ASCII letters: when the word is not empty and the document's
// language, told from its path (LanguageOfFileName), names ignore case
// (NamesIgnoreCase). A name that equals the word (or begins with it) only so
// matches when its tag's language (TagLanguage) names ignore case too; one
// that does byte for byte matches whatever its language.
bool WordIgnoresCase(const TagQuery& query);

// The widest vectors a search on `path` uses on this processor (everyLine
// searches nothing: the widest the processor has).
CandidateSearch::Width SearchWidth(ScanPath path) noexcept;

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

}  // namespace velkin
