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
bool ReadWholeLines(const MappedWindow& window, std::uint32_t offset, std::uint32_t size, std::uint32_t& next,
                    bool& more, Read& read)
{
    return ReadGuarded(window, [&] {
        const char* begin = window.Begin() + (next - offset);
        const char* end = window.End();
        if (static_cast<std::uint32_t>(end - window.Begin()) != size - offset) {
            const char* lastLineEnd = FindLastLineEnd(begin, end);
            if (!lastLineEnd) return;
            end = lastLineEnd + 1;
        }
        more = read(begin, end);
        next = offset + static_cast<std::uint32_t>(end - window.Begin());
    });
}

// Hands the file's lines from offset `from` (a line start) on to
// `read(begin, end)` one window at a time, each window's whole lines at once,
// until `read` returns false or the file ends. False when a window cannot be
// mapped, or when a read of one faults: the file failed under the view (cut
// short by another program, or its network share or drive gone). The frames
// of `read` are then abandoned (see ReadGuarded): the window is released
// here, and whatever `read` fed, left mid-line, must not be fed again.
template <typename Read>
bool ReadLinesInWindows(const MappedFile& file, std::uint32_t from, std::uint32_t windowBytes, Read&& read)
{
    const std::uint32_t granularity = MappedFile::AllocationGranularity();
    windowBytes = MappedFile::WindowLength(windowBytes);
    const std::uint32_t size = file.Size();
    std::uint32_t next = from;  // the first byte not read: a line start or in the line ends before one
    std::uint32_t length = windowBytes;
    bool more = true;
    while (more && next < size) {
        const std::uint32_t offset = next - next % granularity;
        const MappedWindow window = file.Map(offset, length);
        if (!window) return false;
        const std::uint32_t before = next;
        if (!ReadWholeLines(window, offset, size, next, more, read)) return false;
        if (next == before) {
            // One line fills the window: map a larger one at the same offset.
            const std::uint32_t rest = size - offset;
            length = length >= rest / 2 ? rest : length * 2;
            continue;
        }
        length = windowBytes;
    }
    return true;
}

bool ScanWholeFile(const MappedFile& file, const TagQuery& query, TagMatchLists& lists, const ScanOptions& options,
                   ScanScope scope = ScanScope::wordAndDocument)
{
    TagScanner scanner(query, lists, options.path, scope);
    return ReadLinesInWindows(file, 0, options.windowBytes, [&scanner](const char* begin, const char* end) {
        scanner.Scan(begin, end);
        return true;
    });
}

enum class SortedLookup { notSorted, found, noTag, disorder, failed };

// Searches a sorted file for the word's range and reads its lines alone.
SortedLookup LookUpSorted(const MappedFile& file, const TagQuery& query, TagMatchLists& lists,
                          const ScanOptions& options, const ListSizes& before)
{
    WordSearch search = SearchSortedFile(file, query.word, options.probeBytes);
    if (search.outcome == WordSearch::Outcome::notSorted) return SortedLookup::notSorted;
    if (search.outcome == WordSearch::Outcome::failed) return SortedLookup::failed;
    if (search.outcome == WordSearch::Outcome::disorder) return SortedLookup::disorder;
    TagScanner scanner(query, lists, options.path, ScanScope::wordOnly);
    WordRangeWalk walk(query.word, search.order);
    auto readRange = [&](const char* begin, const char* end) {
        const char* rangeEnd = walk.RangeEnd(begin, end);
        if (walk.SawDisorder()) return false;
        scanner.Scan(begin, rangeEnd);
        return rangeEnd == end;
    };
    // The search's last view mostly holds the whole range: no other to map.
    std::uint32_t next = search.rangeStart;
    bool more = true;
    const std::uint32_t viewEnd = search.viewOffset + static_cast<std::uint32_t>(search.view.End() - search.view.Begin());
    if (search.view && next >= search.viewOffset && next < viewEnd &&
        !ReadWholeLines(search.view, search.viewOffset, file.Size(), next, more, readRange))
        return SortedLookup::failed;
    search.view = MappedWindow();  // a crowded address space may have room for one view only
    if (more && !ReadLinesInWindows(file, next, options.windowBytes, readRange)) return SortedLookup::failed;
    if (walk.SawDisorder()) return SortedLookup::disorder;
    return before.PrefixGrew(lists) ? SortedLookup::found : SortedLookup::noTag;
}

// How the first pass over one file went.
enum class WordPass {
    sortedRange,  // the sorted search found the word's tags; nothing else read
    sortedNoTag,  // the sorted search found no tag; nothing else read
    everyLine,    // every line read: the word's tags, and the document's when the scope asked for them
    failed,       // the file failed; the lists are as they were
};

// Reads `file` for the word: by the sorted search where the header allows it,
// else every line, in `scope`. `taken` says how.
WordPass ReadForWord(const MappedFile& file, const TagQuery& query, TagMatchLists& lists, const ScanOptions& options,
                     ScanScope scope, LookupRoute& taken)
{
    const ListSizes before(lists);
    taken = LookupRoute::everyLine;
    if (options.searchSorted && !query.word.IsEmpty()) {
        switch (LookUpSorted(file, query, lists, options, before)) {
        case SortedLookup::notSorted: break;
        case SortedLookup::found: taken = LookupRoute::sortedRange; return WordPass::sortedRange;
        case SortedLookup::noTag: taken = LookupRoute::noTagThenEveryLine; return WordPass::sortedNoTag;
        case SortedLookup::disorder: taken = LookupRoute::disorderThenEveryLine; break;
        case SortedLookup::failed: before.Restore(lists); return WordPass::failed;
        }
        before.Restore(lists);
    }
    if (ScanWholeFile(file, query, lists, options, scope)) return WordPass::everyLine;
    before.Restore(lists);
    return WordPass::failed;
}

// Every line of `file` for the document's tags (and the word's, which a
// sorted search may have missed in a file out of order); the lists are as
// they were when it fails.
bool ReadForDocument(const MappedFile& file, const TagQuery& query, TagMatchLists& lists, const ScanOptions& options)
{
    const ListSizes before(lists);
    if (ScanWholeFile(file, query, lists, options)) return true;
    before.Restore(lists);
    return false;
}

// Appends `from`'s entries to `to`, each naming `source`.
void JoinList(TagList& from, TagList& to, const TagsFile& source)
{
    for (TagEntry& entry : from) {
        entry.tagsFile = source.path;
        entry.tagsFolder = source.folder;
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
    LookupRoute taken = LookupRoute::everyLine;
    WordPass pass = ReadForWord(*opened.file, query, lists, options, ScanScope::wordAndDocument, taken);
    if (route) *route = taken;
    if (pass == WordPass::sortedNoTag) return ReadForDocument(*opened.file, query, lists, options);
    return pass != WordPass::failed;
}

TagsLookup LookUpTags(const std::vector<TagsFile>& files, const CowString& word, const CowString& documentPath,
                      const ScanOptions& options)
{
    const std::size_t count = files.size();
    std::vector<TagMatchLists> found(count);
    enum class State { notRead, wordRead, readWhole, failed };
    std::vector<State> states(count, State::notRead);
    const auto queryFor = [&](std::size_t i) { return TagQuery{word, documentPath, files[i].folder}; };

    // A file the second pass will read again stays open from the first: its
    // handles, not a view.
    std::vector<std::optional<MappedFile>> kept(count);

    bool wordFound = false;
    if (!word.IsEmpty()) {
        for (std::size_t i = 0; i < count; ++i) {
            MappedFileOrFailure opened = MappedFile::Open(files[i].path.Text());
            if (!opened.file) {
                states[i] = State::failed;
                continue;
            }
            const ScanScope scope = files[i].mayNameDocument ? ScanScope::wordAndDocument : ScanScope::wordOnly;
            LookupRoute taken;
            switch (ReadForWord(*opened.file, queryFor(i), found[i], options, scope, taken)) {
            case WordPass::sortedRange: states[i] = State::wordRead; break;
            case WordPass::sortedNoTag:
                states[i] = State::wordRead;
                if (files[i].mayNameDocument) kept[i] = std::move(opened.file);
                break;
            case WordPass::everyLine: states[i] = State::readWhole; break;
            case WordPass::failed: states[i] = State::failed; break;
            }
            wordFound = wordFound || !found[i].prefix.empty();
        }
    }
    if (!wordFound) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!files[i].mayNameDocument || states[i] == State::readWhole || states[i] == State::failed) continue;
            if (!kept[i]) kept[i] = std::move(MappedFile::Open(files[i].path.Text()).file);
            const bool read = kept[i] && ReadForDocument(*kept[i], queryFor(i), found[i], options);
            kept[i].reset();
            states[i] = read ? State::readWhole : State::failed;
        }
    }

    TagsLookup lookup;
    for (std::size_t i = 0; i < count; ++i) {
        if (states[i] == State::failed) lookup.unreadable.push_back(i);
        if (states[i] == State::wordRead || states[i] == State::readWhole) lookup.read.push_back(i);
    }
    for (int list = 0; list < TagMatchLists::kCount; ++list) {
        for (std::size_t i = 0; i < count; ++i) JoinList(found[i][list], lookup.lists[list], files[i]);
    }
    return lookup;
}

}  // namespace velkin
