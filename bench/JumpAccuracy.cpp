// jump_accuracy: how many search-pattern tags of a tags file the jump lands on
// the tag's own line, judged strictly (an earlier line that merely holds the
// text counts as wrong), for the tags as ctags writes them by default and
// with line numbers, before and after the jump told twins and members apart,
// in the same run; and what a jump to a line whose text is unique costs,
// before and after.
//
//   jump_accuracy.exe TAGS_FILE [--misses]
//
// TAGS_FILE must be universal-ctags' output with --sort=no --fields=+n: the
// tags in the order of the sources, each with its own line (line: field).
// From it the benchmark writes, beside it, the same tags less their line:
// fields as ctags writes them by default: TAGS_FILE.sorted, sorted as ctags
// sorts them (whole lines in byte order; alike lines, the twins of a
// definition in several #if branches, become one), and TAGS_FILE.nosort,
// as --sort=no keeps them (one line each, in the order of the sources). A
// tag is
//  - a twin when its default line stands more than once in TAGS_FILE.nosort;
//  - else a member when it has a scope field (struct:, class:, scope:...);
//  - else other.
// For each pattern tag the move to the pattern (MoveToPattern, against the
// simulated editor holding the file, which compares Unicode as the editor
// does) is judged:
//  - before: as the jump was before it told twins and members apart: the
//    same call with no tags file to look an owner up in and no siblings (so
//    it lands on the first line holding the anchors, or near the line hint),
//    the code path it took;
//  - after: with the siblings the tags of its name give (SiblingsOf over
//    the rows of that name, in the file's order, as the command's list of
//    the word holds them: the k-th of alike rows, always the first in the
//    sorted file, where they are one; whether others share its text), a
//    member's owner looked up in the tags file it came from.
// "Own line first" counts the tags whose own line is the first line that
// holds their text under the pattern's anchors: the most any search without
// a line hint, twins or owners can land.
// With --misses, each member the default sorted file does not land on its
// own line is listed (file, own line, landing line, name, scope).
// The cost: every tag whose text holds the anchors on its own line alone,
// moved to before and after, round after round (best of 9 rounds, each
// round timing both in turn, each first in every other round), members
// (tags that name an owner in a scope field, or bear one of ctags' anonymous
// names: the jump looks for a second line of theirs) apart from the others,
// with the editor messages of each.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench/Clock.h"
#include "bench/TagLines.h"
#include "host/SimHost.h"
#include "nav/PatternSearch.h"
#include "tags/SearchTexts.h"
#include "tags/TagRelations.h"
#include "tags/TagTraits.h"
#include "tags/TagsFileLocator.h"
#include "win/FullPath.h"

namespace velkin::bench {
namespace {

bool ReadWholeFile(const char* path, std::string& bytes)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    char buffer[1 << 16];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, count);
    std::fclose(file);
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// A source file, where its lines start, and its document in the simulated editor.
struct SourceFile {
    bool readable = false;
    std::string bytes;
    std::vector<std::size_t> lineStarts;
    int documentIndex = -1;

    int LineOf(std::size_t at) const
    {
        return static_cast<int>(std::upper_bound(lineStarts.begin(), lineStarts.end(), at) - lineStarts.begin());
    }
    std::size_t LineEnd(std::size_t at) const
    {
        const std::size_t end = bytes.find_first_of("\r\n", at);
        return end == std::string::npos ? bytes.size() : end;
    }

    // The 1-based lines of the occurrences of `text` that start their line
    // (when `startsLine`) and end it (when `endsLine`), up to `limit` of them.
    std::vector<int> AnchoredLines(const CowString& text, bool startsLine, bool endsLine, std::size_t limit) const
    {
        std::vector<int> lines;
        const std::string_view needle(text.Text(), text.Length());
        if (needle.empty()) return lines;
        for (std::size_t at = bytes.find(needle); at != std::string::npos && lines.size() < limit;
             at = bytes.find(needle, at + 1)) {
            const int line = LineOf(at);
            if (startsLine && at != lineStarts[line - 1]) continue;
            if (endsLine && LineEnd(at) != at + needle.size()) continue;
            lines.push_back(line);
        }
        return lines;
    }
};

// One line of the tags file, as read.
struct TagRow {
    TagEntry tag;           // its line: field left out
    std::string line;       // the line as ctags writes it by default: less its line: field
    int trueLine = 0;       // 0: no line: field
    bool pattern = false;   // its address is a search pattern
};

// The value of the "line:" field among tab-separated extension fields, or 0;
// and the fields without it.
int TakeLineField(std::string_view fields, std::string& others)
{
    int line = 0;
    for (std::size_t start = 0; start <= fields.size();) {
        std::size_t end = fields.find('\t', start);
        if (end == std::string_view::npos) end = fields.size();
        const std::string_view field = fields.substr(start, end - start);
        if (field.compare(0, 5, "line:") == 0) {
            line = std::atoi(std::string(field.substr(5)).c_str());
        } else if (!field.empty()) {
            others += (others.empty() ? "" : "\t") + std::string(field);
        }
        start = end + 1;
    }
    return line;
}

std::vector<TagRow> ReadRows(const std::string& tags)
{
    std::vector<TagRow> rows;
    const char* const begin = tags.data();
    const char* const end = begin + tags.size();
    ForEachTagLine(begin, end, [&](const char* line, const char* nameEnd, const char* fileEnd) {
        const char* lineEnd = fileEnd;
        while (lineEnd != end && *lineEnd != '\n' && *lineEnd != '\r') ++lineEnd;
        const std::string_view rest(fileEnd + 1, static_cast<std::size_t>(lineEnd - fileEnd - 1));
        const std::size_t terminator = rest.find(";\"");
        if (terminator == std::string_view::npos) return;
        const std::string_view address = rest.substr(0, terminator);
        // The kind field, then the extension fields.
        const std::string_view fields = rest.substr(std::min(rest.size(), terminator + 3));
        const std::size_t kindEnd = std::min(fields.find('\t'), fields.size());
        TagRow row;
        std::string others;
        row.trueLine = TakeLineField(fields.substr(std::min(fields.size(), kindEnd + 1)), others);
        row.pattern = !address.empty() && (address.front() == '/' || address.front() == '?');
        row.tag.name = CowString(line, static_cast<int>(nameEnd - line));
        row.tag.file = CowString(nameEnd + 1, static_cast<int>(fileEnd - nameEnd - 1));
        row.tag.address = CowString(address.data(), static_cast<int>(address.size()));
        row.tag.kind = kindEnd > 0 ? fields[0] : 0;
        if (kindEnd > 1) row.tag.kindField = CowString(fields.data(), static_cast<int>(kindEnd));
        row.tag.extensionFields = others.c_str();
        row.line = std::string(line, fileEnd + 1) + std::string(rest.substr(0, terminator + 2)) + "\t" +
                   std::string(fields.substr(0, kindEnd)) + (others.empty() ? "" : "\t" + others);
        rows.push_back(std::move(row));
    });
    return rows;
}

// The default tags files: sorted as ctags sorts (alike lines once), and in
// the order read (--sort=no). Their paths, or empty ones when they cannot be written.
struct DefaultFiles {
    std::string sorted;
    std::string nosort;
};

DefaultFiles WriteDefaultFiles(const std::string& tagsPath, const std::vector<TagRow>& rows)
{
    std::vector<std::string> lines;
    std::string nosort = "!_TAG_FILE_FORMAT\t2\t/extended format/\n!_TAG_FILE_SORTED\t0\t/0=unsorted/\n";
    for (const TagRow& row : rows) {
        lines.push_back(row.line);
        nosort += row.line + "\n";
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    std::string sorted = "!_TAG_FILE_FORMAT\t2\t/extended format/\n!_TAG_FILE_SORTED\t1\t/1=sorted/\n";
    for (const std::string& line : lines) sorted += line + "\n";
    DefaultFiles files{tagsPath + ".sorted", tagsPath + ".nosort"};
    if (!WriteWholeFile(files.sorted, sorted) || !WriteWholeFile(files.nosort, nosort)) return {};
    return files;
}

enum Kind { kTwin, kMember, kOther, kAll, kKinds };
const char* const kKindNames[kKinds] = {"twins", "members", "others", "all"};

enum Form { kSortedBefore, kSortedAfter, kNosortBefore, kNosortAfter, kLineNumbers, kForms };
const char* const kFormNames[kForms] = {
    "default, before", "default, after", "default --sort=no, before", "default --sort=no, after",
    "--fields=+n (line:)"};

struct Tally {
    long tags[kKinds] = {};
    long ownLineFirst[kKinds] = {};
    long right[kForms][kKinds] = {};
    long unreadable = 0, noLine = 0;
};

// A tag whose text holds the anchors on its own line alone, and how to move to it.
struct UniqueJump {
    int documentIndex;
    TagEntry before;
    const TagEntry* after;
    TagSiblings siblings;
    bool member;   // names an owner in a scope field, or bears an anonymous name
};

// The rows of each name of a tags file, as the command lists the tags of a
// word: in the file's order, each naming the file.
class RowsByName {
public:
    RowsByName(const CowString& tagsFile, const CowString& tagsFolder) : tagsFile_(tagsFile), tagsFolder_(tagsFolder) {}

    // Adds `row` after the rows of its name; where it stands.
    std::size_t Add(const TagRow& row)
    {
        TagList& list = lists_[row.tag.name.Text()];
        list.push_back(row.tag);
        list.back().tagsFile = tagsFile_;
        list.back().tagsFolder = tagsFolder_;
        return list.size() - 1;
    }
    const TagList& Of(const CowString& name) const { return lists_.at(name.Text()); }

private:
    CowString tagsFile_, tagsFolder_;
    std::map<std::string, TagList> lists_;
};

class Judge {
public:
    Judge(const CowString& tagsFolder, const CowString& tagsPath, bool listMisses)
        : tagsFolder_(tagsFolder), tagsPath_(tagsPath), listMisses_(listMisses)
    {
    }

    // `sorted` and `nosort` are the row's entries in the default tags files;
    // `twins` the number of its alike rows.
    void Count(const TagRow& row, const TagList& sortedRows, const TagEntry& sorted, const TagList& nosortRows,
               const TagEntry& nosort, int twins)
    {
        SourceFile& source = Load(GetFullPath<CowString>(TagFilePath(tagsFolder_, row.tag.file).Text()));
        if (!source.readable) {
            ++tally_.unreadable;
            return;
        }
        const bool member = static_cast<bool>(TagScopeOf(row.tag.extensionFields));
        const Kind kind = twins > 1 ? kTwin : member ? kMember : kOther;
        const SearchTexts tries = PatternSearchTexts(row.tag);
        const std::vector<int> anchored =
            source.AnchoredLines(UnescapePattern(PatternText(row.tag.address)), tries.startsLine, tries.endsLine, 2);
        const bool ownLineFirst = !anchored.empty() && anchored.front() == row.trueLine;

        TagEntry numbered = row.tag;
        numbered.tagsFile = tagsPath_;
        numbered.tagsFolder = tagsFolder_;
        const std::string others = row.tag.extensionFields.Text();
        numbered.extensionFields = ("line:" + std::to_string(row.trueLine) + (others.empty() ? "" : "\t") + others).c_str();
        const TagSiblings sortedSiblings = SiblingsOf(sortedRows, sorted);

        const bool before = Landing(source, row.tag, TagSiblings()) == row.trueLine;
        const int sortedLanding = Landing(source, sorted, sortedSiblings);
        if (listMisses_ && kind == kMember && sortedLanding != row.trueLine)
            std::printf("  miss %s:%d landed %d: %s %s\n", row.tag.file.Text(), row.trueLine, sortedLanding,
                        row.tag.name.Text(), row.tag.extensionFields.Text());
        const bool right[kForms] = {
            before,
            sortedLanding == row.trueLine,
            before,
            Landing(source, nosort, SiblingsOf(nosortRows, nosort)) == row.trueLine,
            Landing(source, numbered, TagSiblings()) == row.trueLine,
        };
        for (const Kind counted : {kind, kAll}) {
            ++tally_.tags[counted];
            tally_.ownLineFirst[counted] += ownLineFirst;
            for (int form = 0; form < kForms; ++form) tally_.right[form][counted] += right[form];
        }
        if (anchored.size() == 1 && ownLineFirst)
            unique_.push_back({source.documentIndex, row.tag, &sorted, sortedSiblings,
                               !TagScopeOf(row.tag.extensionFields).name.empty() || IsAnonymousName(row.tag.name)});
    }

    const Tally& Result() const { return tally_; }
    std::size_t FileCount() const { return files_.size(); }
    void CountNoLine() { ++tally_.noLine; }

    // Moves to every unique line `rounds` times before and after; prints the
    // best round's time per jump and the messages each jump sends.
    void TimeUniqueJumps(int rounds)
    {
        for (const bool members : {false, true}) {
            std::vector<const UniqueJump*> jumps;
            for (const UniqueJump& jump : unique_)
                if (jump.member == members) jumps.push_back(&jump);
            if (jumps.empty()) continue;
            double best[2] = {1e300, 1e300};
            std::size_t messages[2] = {};
            for (int round = 0; round < rounds; ++round) {
                // Each goes first in every other round.
                for (int turn = 0; turn < 2; ++turn) {
                    const int after = (round + turn) % 2;
                    messages[after] = 0;
                    const double start = NowMilliseconds();
                    for (const UniqueJump* jump : jumps) {
                        view_.Activate(jump->documentIndex);
                        view_.ActiveDocument()->MoveCaret({0, 0});
                        if (after) {
                            MoveToPattern(view_.Window(), *jump->after, jump->siblings);
                        } else {
                            MoveToPattern(view_.Window(), jump->before);
                        }
                        messages[after] += host_.Calls().size();
                        host_.ClearCalls();
                    }
                    best[after] = std::min(best[after], NowMilliseconds() - start);
                }
            }
            const double count = static_cast<double>(jumps.size());
            std::printf("  a jump to a unique line, %-12s %6zu tags: before %8.2f us %5.1f messages, "
                        "after %8.2f us %5.1f messages (%+.1f%%)\n",
                        members ? "members:" : "not members:", jumps.size(), 1000.0 * best[0] / count,
                        static_cast<double>(messages[0]) / count, 1000.0 * best[1] / count,
                        static_cast<double>(messages[1]) / count, 100.0 * (best[1] - best[0]) / best[0]);
        }
    }

private:
    SourceFile& Load(const CowString& fullPath)
    {
        auto [it, added] = files_.try_emplace(fullPath.Text());
        SourceFile& source = it->second;
        if (!added) return source;
        source.readable = ReadWholeFile(fullPath.Text(), source.bytes);
        source.lineStarts.push_back(0);
        for (std::size_t i = 0; i < source.bytes.size(); ++i)
            if (source.bytes[i] == '\n') source.lineStarts.push_back(i + 1);
        if (!source.readable) return source;
        view_.AddDocument(fullPath.Text(), source.bytes);
        source.documentIndex = static_cast<int>(view_.DocumentCount()) - 1;
        return source;
    }

    // The 1-based line the jump selects in the simulated editor.
    int Landing(const SourceFile& source, const TagEntry& entry, const TagSiblings& siblings)
    {
        view_.Activate(source.documentIndex);
        sim::SimDocument& document = *view_.ActiveDocument();
        document.MoveCaret({0, 0});
        MoveToPattern(view_.Window(), entry, siblings);
        host_.ClearCalls();
        return std::min(document.selectionStart.y, document.selectionEnd.y) + 1;
    }

    CowString tagsFolder_;
    CowString tagsPath_;
    bool listMisses_;
    std::map<std::string, SourceFile> files_;
    sim::SimHost host_;
    sim::SimView& view_ = host_.AddFrame().AddView();
    Tally tally_;
    std::vector<UniqueJump> unique_;
};

double Percent(long part, long whole) { return whole ? 100.0 * part / whole : 0.0; }

void Print(const Tally& tally, std::size_t files)
{
    std::printf("  %ld pattern tags in %zu files", tally.tags[kAll], files);
    if (tally.unreadable || tally.noLine)
        std::printf("; skipped: %ld unreadable, %ld without line:", tally.unreadable, tally.noLine);
    std::printf("\n  %-28s", "on the tag's own line");
    for (int kind = 0; kind < kKinds; ++kind) std::printf(" %22s", kKindNames[kind]);
    std::printf("\n  %-28s", "tags");
    for (int kind = 0; kind < kKinds; ++kind) std::printf(" %22ld", tally.tags[kind]);
    std::printf("\n  %-28s", "own line first");
    for (int kind = 0; kind < kKinds; ++kind)
        std::printf(" %12ld %7.2f%%", tally.ownLineFirst[kind], Percent(tally.ownLineFirst[kind], tally.tags[kind]));
    for (int form = 0; form < kForms; ++form) {
        std::printf("\n  %-28s", kFormNames[form]);
        for (int kind = 0; kind < kKinds; ++kind)
            std::printf(" %12ld %7.2f%%", tally.right[form][kind], Percent(tally.right[form][kind], tally.tags[kind]));
    }
    std::printf("\n  %-28s", "default after: not covered");
    for (int kind = 0; kind < kKinds; ++kind) {
        const long wrong = tally.tags[kind] - tally.right[kSortedAfter][kind];
        std::printf(" %12ld %7.2f%%", wrong, Percent(wrong, tally.tags[kind]));
    }
    std::printf("\n");
}

int Run(const char* tagsPath, bool listMisses)
{
    std::string tags;
    if (!ReadWholeFile(tagsPath, tags)) {
        std::fprintf(stderr, "cannot read %s\n", tagsPath);
        return 1;
    }
    const std::vector<TagRow> rows = ReadRows(tags);
    const DefaultFiles files = WriteDefaultFiles(tagsPath, rows);
    if (files.sorted.empty()) {
        std::fprintf(stderr, "cannot write the default tags files beside %s\n", tagsPath);
        return 1;
    }
    const CowString fullTagsPath = GetFullPath<CowString>(tagsPath);
    const CowString tagsFolder = fullTagsPath.Prefix(fullTagsPath.FindLastByte('\\'));
    // The rows of each name in both default files, and where each row stands
    // there: in the sorted file alike rows are one, the first of them.
    RowsByName sortedNames(GetFullPath<CowString>(files.sorted.c_str()), tagsFolder);
    RowsByName nosortNames(GetFullPath<CowString>(files.nosort.c_str()), tagsFolder);
    std::map<std::string, int> twins;
    std::vector<std::size_t> nosortAt(rows.size()), sortedAt(rows.size());
    {
        std::map<std::string, std::size_t> firstOf;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            ++twins[rows[i].line];
            nosortAt[i] = nosortNames.Add(rows[i]);
            firstOf.try_emplace(rows[i].line, i);
        }
        std::map<std::string, std::size_t> sortedOf;   // in byte order, as the sorted file
        for (const auto& [line, first] : firstOf) sortedOf[line] = sortedNames.Add(rows[first]);
        for (std::size_t i = 0; i < rows.size(); ++i) sortedAt[i] = sortedOf[rows[i].line];
    }

    Judge judge(tagsFolder, fullTagsPath, listMisses);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TagRow& row = rows[i];
        if (!row.pattern) continue;
        if (row.trueLine <= 0) {
            judge.CountNoLine();
            continue;
        }
        const TagList& sorted = sortedNames.Of(row.tag.name);
        const TagList& nosort = nosortNames.Of(row.tag.name);
        judge.Count(row, sorted, sorted[sortedAt[i]], nosort, nosort[nosortAt[i]], twins[row.line]);
    }
    Print(judge.Result(), judge.FileCount());
    judge.TimeUniqueJumps(9);
    return 0;
}

}  // namespace
}  // namespace velkin::bench

int main(int argc, char** argv)
{
    const bool listMisses = argc == 3 && std::strcmp(argv[2], "--misses") == 0;
    if (argc != 2 && !listMisses) {
        std::fprintf(stderr, "usage: jump_accuracy.exe TAGS_FILE [--misses]\n");
        return 2;
    }
    return velkin::bench::Run(argv[1], listMisses);
}
