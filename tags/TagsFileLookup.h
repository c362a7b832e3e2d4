// Reading tags files: which lines of one file are read, and how (the binary
// search of a sorted file, or every line, a window of the file at a time,
// each read guarded against the file failing under the view); and the
// lookup over the several tags files a command may name, in the order listed
// (the files FindTagsFiles found for the TagsFileName value's entries).
#pragma once

#include <cstdint>
#include <vector>

#include "tags/MappedFile.h"
#include "tags/ReadProgress.h"
#include "tags/TagEntry.h"
#include "tags/TagScanner.h"
#include "tags/TagsFileLocator.h"
#include "text/CowString.h"

namespace velkin {

// The bytes of the file mapped at once: 64 MB leaves room for a few views in
// a crowded 32-bit editor, where one view of a large file does not fit.
constexpr std::uint32_t kScanWindowBytes = 64u << 20;

// The views the binary search of a sorted file maps, one at a time. Mapping a
// view costs the same whatever its size, so the fewer the better: a 64-bit
// editor has room for one view of the longest kind (kMaxViewBytes), which
// serves the header, every step and the lines found of a file up to that
// size, and most of them of a larger one; a 32-bit one maps a scan's window
// at a time.
constexpr std::uint32_t kProbeViewBytes = sizeof(void*) >= 8 ? kMaxViewBytes : kScanWindowBytes;

struct ScanOptions {
    // Taken as MappedFile::WindowLength(windowBytes).
    std::uint32_t windowBytes = kScanWindowBytes;
    ScanPath path = ScanPath::best;
    // False: every line is read, whatever the header says.
    bool searchSorted = true;
    // The views of the binary search, taken as MappedFile::WindowLength(probeBytes).
    std::uint32_t probeBytes = kProbeViewBytes;
    // Told before each view is read, and asked whether to go on (none: the
    // reading always goes on). Borrowed.
    ReadProgress* progress = nullptr;
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
// (the ranges of its case variants, when names match in any case: see
// WordIgnoresCase)
// (LookupRoute::sortedRange: the exact and prefix lists are those of reading
// every line, in the same order, and `inDocument` stays empty, as it is
// needed only when both others are); when they give no tag, or the order is
// seen broken on the way, every line is read as for a file not sorted.
// `route`, when given, says which way was taken. True when the file was opened, mapped and scanned (whether or not
// anything matched); false when it cannot be opened or mapped (see
// MappedFile::Open), a window cannot be mapped (a line longer than
// kMaxViewBytes, among such), a read of a window faults (the file was cut
// short under the view, or its share or drive went away; see ReadGuarded) or
// the progress said stop: the lists are then as they were, and the file is
// closed.
// A fault inside a qualifying line loses the few small heap blocks copied
// from it so far (name, file and address: three blocks, when the fault comes
// in its extension fields). A window holds whole lines: it ends after the
// last line end in it, and the next one starts at the first line not
// scanned; a line longer than a window is mapped in a window large enough for
// it. Throws std::bad_alloc when a record or one of its fields cannot be
// stored; the file is closed on that path too.
bool ScanTagsFile(const CowString& tagsFilePath, const TagQuery& query, TagMatchLists& lists,
                  const ScanOptions& options = ScanOptions(), LookupRoute* route = nullptr);

// The tags of several tags files, each file's lists joined in the order of
// `files`: the first file's exact matches, then the second's, and so on; the
// same for the prefix and the in-document lists. Every entry names the tags
// file it came from (`tagsFile`, `tagsFolder`, `ownFolder`).
struct TagsLookup {
    TagMatchLists lists;
    // The files read to the end, and those that could not be opened, mapped
    // or read (see ScanTagsFile): indexes into `files`, in order. A file that
    // was not needed is in neither (one that cannot name the document, when
    // the word is empty).
    std::vector<std::size_t> read;
    std::vector<std::size_t> unreadable;
    // The progress said stop: no further file was read, and the lists and
    // the two above are empty.
    bool stopped = false;
};

// Looks `word` up in every file of `files`, each as ScanTagsFile reads one,
// one file at a time (a 32-bit editor never holds views of two files at
// once), and gathers the document's tags only where they are needed:
//  1. With a word, each file is searched for it (binary search when sorted;
//     an unsorted file has every line read, and gives its document's tags on
//     the way when it may name the document).
//  2. When no file gave a tag of that name or prefix (or the word is empty),
//     the files that may name the document (TagsFile::mayNameDocument) and
//     have not been read whole yet have every line read for its tags.
// A file that fails keeps nothing of what it gave and is not read again.
// Every file read is told to `options.progress`, which may stop the lookup.
// Throws std::bad_alloc as ScanTagsFile does; every file is closed then too.
TagsLookup LookUpTags(const std::vector<TagsFile>& files, const CowString& word, const CowString& documentPath,
                      const ScanOptions& options = ScanOptions());

}  // namespace velkin
