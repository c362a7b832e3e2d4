// jump_accuracy: how many search-pattern tags of a tags file the jump lands on
// their definition line, with the search sequence of old (the address less
// two bytes at each end, then the name) beside today's (PatternSearchTexts: as written,
// unescaped, in the ANSI code page when UTF-8, then the name), in the same run.
//
//   jump_accuracy.exe TAGS_FILE
//
// The tags file must carry universal-ctags' line: field (--fields=+n), the
// true line of each tag. Each tag's file is found as the jump finds it
// (TagFilePath, GetFullPath) and searched as the editor searches: from the
// top, for the first occurrence of each text in turn, byte for byte (the
// editor compares Unicode: the same for ASCII sources, while in a UTF-8
// source with non-ASCII text only the ANSI form would find the line). A tag
// lands when the search stops on its line, or on an earlier line that holds
// the tag's whole unescaped text too (a prototype): the right text found
// first there.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench/TagLines.h"
#include "tags/SearchTexts.h"
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

// A source file and where its lines start.
struct SourceFile {
    bool readable = false;
    std::string bytes;
    std::vector<std::size_t> lineStarts;

    // 1-based line of the first occurrence of `text`, or 0 when it is nowhere.
    int FirstLineHolding(const CowString& text) const
    {
        const std::size_t at = std::string_view(bytes).find(std::string_view(text.Text(), text.Length()));
        if (at == std::string_view::npos) return 0;
        return static_cast<int>(std::upper_bound(lineStarts.begin(), lineStarts.end(), at) - lineStarts.begin());
    }
};

const SourceFile& Load(std::map<std::string, SourceFile>& files, const CowString& fullPath)
{
    auto [it, added] = files.try_emplace(fullPath.Text());
    SourceFile& source = it->second;
    if (!added) return source;
    source.readable = ReadWholeFile(fullPath.Text(), source.bytes);
    source.lineStarts.push_back(0);
    for (std::size_t i = 0; i < source.bytes.size(); ++i)
        if (source.bytes[i] == '\n') source.lineStarts.push_back(i + 1);
    return source;
}

// Where a search sequence stops: the line of the first text found, 0 when none is.
int LandingLine(const SourceFile& source, const CowString* texts, int count)
{
    for (int i = 0; i < count; ++i)
        if (const int line = source.FirstLineHolding(texts[i])) return line;
    return 0;
}

// The value of the "line:" field among tab-separated extension fields, or 0.
int LineField(std::string_view fields)
{
    for (std::size_t start = 0; start <= fields.size();) {
        std::size_t end = fields.find('\t', start);
        if (end == std::string_view::npos) end = fields.size();
        if (fields.compare(start, 5, "line:") == 0) return std::atoi(std::string(fields.substr(start + 5, end - start - 5)).c_str());
        start = end + 1;
    }
    return 0;
}

struct Tally {
    long patterns = 0, escaped = 0, unreadable = 0, noLine = 0;
    long landedOld = 0, landedNew = 0, escapedOld = 0, escapedNew = 0;
    long open = 0, openOld = 0, openNew = 0;  // patterns without "$"
};

void Count(Tally& tally, const TagEntry& entry, int trueLine, std::map<std::string, SourceFile>& files,
           const CowString& tagsFolder)
{
    const SourceFile& source = Load(files, GetFullPath<CowString>(TagFilePath(tagsFolder, entry.file).Text()));
    if (!source.readable) {
        ++tally.unreadable;
        return;
    }
    const SearchTexts tries = PatternSearchTexts(entry);
    // The old sequence: the address less two bytes at each end (a byte of the
    // text, too, when ctags wrote no "$"), then the name.
    const CowString old[] = {entry.address.Substring(2, entry.address.Length() - 4), entry.name};
    // The right text: the whole text, unescaped. Where it is first found,
    // before the tag's own line, a search for it stops there too.
    const CowString text = PatternText(entry.address);
    const CowString unescaped = UnescapePattern(text);
    const bool escaped = unescaped.Length() != text.Length();
    const int firstHolding = source.FirstLineHolding(unescaped);
    const int target = firstHolding > 0 && firstHolding < trueLine ? firstHolding : trueLine;
    const bool oldLands = LandingLine(source, old, 2) == target;
    const bool newLands = LandingLine(source, tries.texts, tries.count) == target;
    ++tally.patterns;
    tally.landedOld += oldLands;
    tally.landedNew += newLands;
    if (text.Length() != entry.address.Length() - 4) {
        ++tally.open;
        tally.openOld += oldLands;
        tally.openNew += newLands;
    }
    if (!escaped) return;
    ++tally.escaped;
    tally.escapedOld += oldLands;
    tally.escapedNew += newLands;
}

double Percent(long part, long whole) { return whole ? 100.0 * part / whole : 0.0; }

int Run(const char* tagsPath)
{
    std::string tags;
    if (!ReadWholeFile(tagsPath, tags)) {
        std::fprintf(stderr, "cannot read %s\n", tagsPath);
        return 1;
    }
    const CowString fullTagsPath = GetFullPath<CowString>(tagsPath);
    const CowString tagsFolder = fullTagsPath.Prefix(fullTagsPath.FindLastByte('\\'));
    std::map<std::string, SourceFile> files;
    Tally tally;
    const char* const begin = tags.data();
    const char* const end = begin + tags.size();
    ForEachTagLine(begin, end, [&](const char* line, const char* nameEnd, const char* fileEnd) {
        const char* lineEnd = fileEnd;
        while (lineEnd != end && *lineEnd != '\n' && *lineEnd != '\r') ++lineEnd;
        const std::string_view rest(fileEnd + 1, static_cast<std::size_t>(lineEnd - fileEnd - 1));
        const std::size_t terminator = rest.find(";\"");
        if (terminator == std::string_view::npos || terminator < 4) return;
        const std::string_view address = rest.substr(0, terminator);
        if (address.front() != '/' && address.front() != '?') return;   // a line number
        TagEntry entry;
        entry.name = CowString(line, static_cast<int>(nameEnd - line));
        entry.file = CowString(nameEnd + 1, static_cast<int>(fileEnd - nameEnd - 1));
        entry.address = CowString(address.data(), static_cast<int>(address.size()));
        const int trueLine = LineField(rest.substr(terminator + 2));
        if (trueLine <= 0) {
            ++tally.noLine;
            return;
        }
        Count(tally, entry, trueLine, files, tagsFolder);
    });

    std::printf("  %ld pattern tags in %zu files, %ld of them escaped (%.1f%%), %ld without \"$\" (%.1f%%)",
                tally.patterns, files.size(), tally.escaped, Percent(tally.escaped, tally.patterns), tally.open,
                Percent(tally.open, tally.patterns));
    if (tally.unreadable || tally.noLine) std::printf("; skipped: %ld unreadable, %ld without line:", tally.unreadable, tally.noLine);
    std::printf("\n  %-40s %22s %22s %22s\n", "", "all pattern tags", "escaped ones", "without \"$\"");
    std::printf("  %-40s %12ld %7.2f%% %12ld %7.2f%% %12ld %7.2f%%\n", "old: two bytes cut each end, the name",
                tally.landedOld, Percent(tally.landedOld, tally.patterns), tally.escapedOld,
                Percent(tally.escapedOld, tally.escaped), tally.openOld, Percent(tally.openOld, tally.open));
    std::printf("  %-40s %12ld %7.2f%% %12ld %7.2f%% %12ld %7.2f%%\n", "new: as written, unescaped, ANSI, name",
                tally.landedNew, Percent(tally.landedNew, tally.patterns), tally.escapedNew,
                Percent(tally.escapedNew, tally.escaped), tally.openNew, Percent(tally.openNew, tally.open));
    return 0;
}

}  // namespace
}  // namespace velkin::bench

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: jump_accuracy.exe TAGS_FILE\n");
        return 2;
    }
    return velkin::bench::Run(argv[1]);
}
