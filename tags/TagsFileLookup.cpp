#include "tags/TagsFileLookup.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "tags/GuardedRead.h"
#include "tags/LineGrammar.h"
#include "tags/MappedFile.h"
#include "tags/SortedSearch.h"

namespace velkin {

namespace {

// The lists' sizes, to take back what a failed scan appended.
class ListSizes {
public:
    explicit ListSizes(const TagMatchLists& lists) noexcept
    {
        for (int i = 0; i < TagMatchLists::kCount; ++i) sizes_[i] = lists[i].size();
    }
    void Restore(TagMatchLists& lists) const noexcept
    {
        for (int i = 0; i < TagMatchLists::kCount; ++i) {
            TagList& list = lists[i];
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(sizes_[i]), list.end());
        }
    }
    // Whether the prefix list (which holds the exact matches too) has grown.
    bool PrefixGrew(const TagMatchLists& lists) const noexcept { return lists.prefix.size() > sizes_[1]; }

private:
    std::size_t sizes_[TagMatchLists::kCount];
};

// Hands the whole lines of `window` (mapped at `offset`) from `next` on to
// `read(begin, end)`, under a guard (see ReadGuarded): the window ends after
// its last line end, unless it ends at the file's end. Sets `next` to the
// first byte not read and `more` to what `read` returned; leaves both when
// no line ends in the window after `next`. False when the read faults.
template <typename Read>
bool ReadWholeLines(const MappedWindow& window, std::uint64_t offset, std::uint64_t size, std::uint64_t& next,
                    bool& more, Read& read)
{
    return ReadGuarded(window, [&] {
        const char* begin = window.Begin() + (next - offset);
        const char* end = window.End();
        if (static_cast<std::uint64_t>(end - window.Begin()) != size - offset) {
            const char* lastLineEnd = FindLastLineEnd(begin, end);
            if (!lastLineEnd) return;
            end = lastLineEnd + 1;
        }
        more = read(begin, end);
        next = offset + static_cast<std::uint64_t>(end - window.Begin());
    });
}

// How reading a file's lines in windows ended.
enum class WindowsRead {
    toEnd,    // the file's end reached, or `read` returned false
    failed,   // a window cannot be mapped, or a read of one faulted
    stopped,  // the meter said stop
};

// Hands the file's lines from offset `from` (a line start) on to
// `read(begin, end)` one window at a time, each window's whole lines at once,
// until `read` returns false or the file ends; the meter is asked before
// each window. Fails when a window cannot be mapped (a line longer than the
// longest view, kMaxViewBytes, among such), or when a read of one faults:
// the file failed under the view (cut short by another program, or its
// network share or drive gone). The frames of `read` are then abandoned (see
// ReadGuarded): the window is released here, and whatever `read` fed, left
// mid-line, must not be fed again.
template <typename Read>
WindowsRead ReadLinesInWindows(const MappedFile& file, std::uint64_t from, std::uint32_t windowBytes,
                               FileReadMeter& meter, Read&& read)
{
    const std::uint32_t granularity = MappedFile::AllocationGranularity();
    windowBytes = MappedFile::WindowLength(windowBytes);
    const std::uint64_t size = file.Size();
    std::uint64_t next = from;  // the first byte not read: a line start or in the line ends before one
    std::uint64_t length = windowBytes;
    bool more = true;
    while (more && next < size) {
        if (!meter.GoOn(next)) return WindowsRead::stopped;
        const std::uint64_t offset = next - next % granularity;
        const MappedWindow window = file.Map(offset, length);
        if (!window) return WindowsRead::failed;
        const std::uint64_t before = next;
        if (!ReadWholeLines(window, offset, size, next, more, read)) return WindowsRead::failed;
        if (next == before) {
            // One line fills the window: map a larger one at the same offset.
            const std::uint64_t rest = size - offset;
            if (length >= std::min<std::uint64_t>(rest, kMaxViewBytes)) return WindowsRead::failed;
            length = length >= rest / 2 ? rest : length * 2;
            continue;
        }
        length = windowBytes;
    }
    return WindowsRead::toEnd;
}

// Reads a byte of each 64 KB block of [begin, end), bytes of a view about to
// be read whole. A view's pages are mapped in as they are first read, each
// fault mapping its 64 KB block under Wine on Linux; taken one after another
// in a tight loop, the faults cost less than among the scan's reads: a fresh
// view of /usr/include's tags is then scanned in about the time of mapping it
// and counting its lines, not 1.2 times that. Like any read of the view, it
// runs under a guard.
void FaultInPages(const char* begin, const char* end) noexcept
{
    constexpr std::uintptr_t kBlock = 64u << 10;
    char sink = 0;
    for (const char* p = begin; p < end; p += kBlock - reinterpret_cast<std::uintptr_t>(p) % kBlock) {
        sink ^= *static_cast<const volatile char*>(p);
    }
    asm volatile("" : : "r"(sink));
}

TagQuery WithEncoding(const TagQuery& query, FieldEncoding encoding)
{
    TagQuery read = query;
    read.encoding = encoding;
    return read;
}

WindowsRead ScanWholeFile(const MappedFile& file, const TagQuery& query, TagMatchLists& lists,
                          const ScanOptions& options, FileReadMeter& meter,
                          ScanScope scope = ScanScope::wordAndDocument)
{
    // The header, in the first window, says how the file fields are written.
    std::optional<TagScanner> scanner;
    return ReadLinesInWindows(file, 0, options.windowBytes, meter, [&](const char* begin, const char* end) {
        FaultInPages(begin, end);
        if (!scanner) scanner.emplace(WithEncoding(query, ReadFieldEncoding(begin, end)), lists, options.path, scope);
        scanner->Scan(begin, end);
        return true;
    });
}

enum class SortedLookup { notSorted, found, noTag, disorder, failed, stopped };

// Searches a sorted file for the word's range (the ranges of its case
// variants when the scan ignores case) and reads their lines alone.
SortedLookup LookUpSorted(const MappedFile& file, const TagQuery& query, TagMatchLists& lists,
                          const ScanOptions& options, FileReadMeter& meter, const ListSizes& before)
{
    WordSearch search = SearchSortedFile(file, query.word, options.probeBytes, meter, WordIgnoresCase(query));
    if (search.outcome == WordSearch::Outcome::notSorted) return SortedLookup::notSorted;
    if (search.outcome == WordSearch::Outcome::failed) return SortedLookup::failed;
    if (search.outcome == WordSearch::Outcome::stopped) return SortedLookup::stopped;
    if (search.outcome == WordSearch::Outcome::disorder) return SortedLookup::disorder;
    TagScanner scanner(WithEncoding(query, search.encoding), lists, options.path, ScanScope::wordOnly);
    const std::uint64_t viewEnd = search.viewOffset + static_cast<std::uint64_t>(search.view.End() - search.view.Begin());
    for (const WordRange& range : search.ranges) {
        WordRangeWalk walk(range.prefix, search.order);
        auto readRange = [&](const char* begin, const char* end) {
            const char* rangeEnd = walk.RangeEnd(begin, end);
            if (walk.SawDisorder()) return false;
            scanner.Scan(begin, rangeEnd);
            return rangeEnd == end;
        };
        // The search's last view mostly holds the whole range: no other to map.
        std::uint64_t next = range.start;
        bool more = true;
        if (search.view && next >= search.viewOffset && next < viewEnd &&
            !ReadWholeLines(search.view, search.viewOffset, file.Size(), next, more, readRange))
            return SortedLookup::failed;
        if (more) {
            search.view = MappedWindow();  // a crowded address space may have room for one view only
            switch (ReadLinesInWindows(file, next, options.windowBytes, meter, readRange)) {
            case WindowsRead::toEnd: break;
            case WindowsRead::failed: return SortedLookup::failed;
            case WindowsRead::stopped: return SortedLookup::stopped;
            }
        }
        if (walk.SawDisorder()) return SortedLookup::disorder;
    }
    return before.PrefixGrew(lists) ? SortedLookup::found : SortedLookup::noTag;
}

// How the first pass over one file went.
enum class WordPass {
    sortedRange,  // the sorted search found the word's tags; nothing else read
    sortedNoTag,  // the sorted search found no tag; nothing else read
    everyLine,    // every line read: the word's tags, and the document's when the scope asked for them
    failed,       // the file failed; the lists are as they were
    stopped,      // the meter said stop; the lists are as they were
};

// A whole-file read's outcome as a pass's.
WordPass PassOf(WindowsRead read) noexcept
{
    return read == WindowsRead::toEnd ? WordPass::everyLine
           : read == WindowsRead::stopped ? WordPass::stopped
                                           : WordPass::failed;
}

// Reads `file` for the word: by the sorted search where the header allows it,
// else every line, in `scope`. `taken` says how.
WordPass ReadForWord(const MappedFile& file, const TagQuery& query, TagMatchLists& lists, const ScanOptions& options,
                     FileReadMeter& meter, ScanScope scope, LookupRoute& taken)
{
    const ListSizes before(lists);
    taken = LookupRoute::everyLine;
    if (options.searchSorted && !query.word.IsEmpty()) {
        switch (LookUpSorted(file, query, lists, options, meter, before)) {
        case SortedLookup::notSorted: break;
        case SortedLookup::found: taken = LookupRoute::sortedRange; return WordPass::sortedRange;
        case SortedLookup::noTag: taken = LookupRoute::noTagThenEveryLine; return WordPass::sortedNoTag;
        case SortedLookup::disorder: taken = LookupRoute::disorderThenEveryLine; break;
        case SortedLookup::failed: before.Restore(lists); return WordPass::failed;
        case SortedLookup::stopped: before.Restore(lists); return WordPass::stopped;
        }
        before.Restore(lists);
    }
    const WordPass pass = PassOf(ScanWholeFile(file, query, lists, options, meter, scope));
    if (pass != WordPass::everyLine) before.Restore(lists);
    return pass;
}

// Every line of `file` for the document's tags (and the word's, which a
// sorted search may have missed in a file out of order); the lists are as
// they were when it fails or is stopped.
WindowsRead ReadForDocument(const MappedFile& file, const TagQuery& query, TagMatchLists& lists,
                            const ScanOptions& options, FileReadMeter& meter)
{
    const ListSizes before(lists);
    const WindowsRead read = ScanWholeFile(file, query, lists, options, meter);
    if (read != WindowsRead::toEnd) before.Restore(lists);
    return read;
}

// What became of one file of a lookup over several.
struct FileLookup {
    enum class State { notRead, wordRead, readWhole, failed };
    State state = State::notRead;
    TagMatchLists lists;
    // Open from the word's pass for the document's: its handles, not a view.
    std::optional<MappedFile> kept;
};

// The word's pass: each file searched for the word, in order (and read whole
// when not sorted, with the document's tags where it may name the document).
// True when any file gave a tag of that name or prefix. Sets `stopped` and
// reads no further file when the progress says stop.
bool LookUpWordInEach(const std::vector<TagsFile>& files, const CowString& word, const CowString& documentPath,
                      const ScanOptions& options, std::vector<FileLookup>& lookups, bool& stopped)
{
    bool found = false;
    for (std::size_t i = 0; i < files.size() && !stopped; ++i) {
        FileLookup& lookup = lookups[i];
        MappedFileOrFailure opened = MappedFile::Open(files[i].path.Text());
        if (!opened.file) {
            lookup.state = FileLookup::State::failed;
            continue;
        }
        const bool mayNameDocument = files[i].mayNameDocument;
        const ScanScope scope = mayNameDocument ? ScanScope::wordAndDocument : ScanScope::wordOnly;
        FileReadMeter meter(options.progress, files[i].path, opened.file->Size());
        LookupRoute taken;
        switch (ReadForWord(*opened.file, {word, documentPath, files[i].folder, files[i].ownFolder}, lookup.lists,
                            options, meter, scope, taken)) {
        case WordPass::sortedRange: lookup.state = FileLookup::State::wordRead; break;
        case WordPass::sortedNoTag:
            lookup.state = FileLookup::State::wordRead;
            if (mayNameDocument) lookup.kept = std::move(opened.file);
            break;
        case WordPass::everyLine: lookup.state = FileLookup::State::readWhole; break;
        case WordPass::failed: lookup.state = FileLookup::State::failed; break;
        case WordPass::stopped: stopped = true; break;
        }
        found = found || !lookup.lists.prefix.empty();
    }
    return found;
}

// The document's pass: every line of each file that may name the document
// and has not been read whole already. Sets `stopped` and reads no further
// file when the progress says stop.
void ReadDocumentTagsOfEach(const std::vector<TagsFile>& files, const CowString& word, const CowString& documentPath,
                            const ScanOptions& options, std::vector<FileLookup>& lookups, bool& stopped)
{
    for (std::size_t i = 0; i < files.size() && !stopped; ++i) {
        FileLookup& lookup = lookups[i];
        const bool done = lookup.state == FileLookup::State::readWhole || lookup.state == FileLookup::State::failed;
        if (!files[i].mayNameDocument || done) continue;
        if (!lookup.kept) lookup.kept = std::move(MappedFile::Open(files[i].path.Text()).file);
        WindowsRead read = WindowsRead::failed;
        if (lookup.kept) {
            FileReadMeter meter(options.progress, files[i].path, lookup.kept->Size());
            read = ReadForDocument(*lookup.kept, {word, documentPath, files[i].folder, files[i].ownFolder},
                                   lookup.lists, options, meter);
        }
        lookup.kept.reset();
        stopped = read == WindowsRead::stopped;
        lookup.state = read == WindowsRead::toEnd ? FileLookup::State::readWhole : FileLookup::State::failed;
    }
}

// Appends `from`'s entries to `to`, each naming `source`.
void JoinList(TagList& from, TagList& to, const TagsFile& source)
{
    for (TagEntry& entry : from) {
        entry.tagsFile = source.path;
        entry.tagsFolder = source.folder;
        entry.ownFolder = source.ownFolder;
        to.push_back(std::move(entry));
    }
    from.clear();
}

}  // namespace

bool ScanTagsFile(const CowString& tagsFilePath, const TagQuery& query, TagMatchLists& lists,
                  const ScanOptions& options, LookupRoute* route)
{
    const MappedFileOrFailure opened = MappedFile::Open(tagsFilePath.Text());
    if (!opened.file) return false;
    FileReadMeter meter(options.progress, tagsFilePath, opened.file->Size());
    LookupRoute taken = LookupRoute::everyLine;
    WordPass pass = ReadForWord(*opened.file, query, lists, options, meter, ScanScope::wordAndDocument, taken);
    if (route) *route = taken;
    if (pass == WordPass::sortedNoTag) return ReadForDocument(*opened.file, query, lists, options, meter) == WindowsRead::toEnd;
    return pass != WordPass::failed && pass != WordPass::stopped;
}

TagsLookup LookUpTags(const std::vector<TagsFile>& files, const CowString& word, const CowString& documentPath,
                      const ScanOptions& options)
{
    std::vector<FileLookup> lookups(files.size());
    TagsLookup joined;
    const bool wordFound =
        !word.IsEmpty() && LookUpWordInEach(files, word, documentPath, options, lookups, joined.stopped);
    if (!wordFound) ReadDocumentTagsOfEach(files, word, documentPath, options, lookups, joined.stopped);
    if (joined.stopped) return joined;  // nothing of what was read counts

    for (std::size_t i = 0; i < files.size(); ++i) {
        const FileLookup::State state = lookups[i].state;
        if (state == FileLookup::State::failed) joined.unreadable.push_back(i);
        if (state == FileLookup::State::wordRead || state == FileLookup::State::readWhole) joined.read.push_back(i);
    }
    for (int list = 0; list < TagMatchLists::kCount; ++list) {
        for (std::size_t i = 0; i < files.size(); ++i) JoinList(lookups[i].lists[list], joined.lists[list], files[i]);
    }
    return joined;
}

}  // namespace velkin
