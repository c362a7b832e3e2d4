// jump_accuracy: how many search-pattern tags of a tags file the jump lands on
// the tag's own line, judged strictly (an earlier line that merely holds the
// text counts as wrong), for three ways of writing the same tags, before and
// after in the same run.
//
//   jump_accuracy.exe TAGS_FILE
//
// The tags file must be universal-ctags' output with the line: field
// (--fields=+n): the true line of each tag. From each pattern tag it makes
//  - default: the tag less its line: field, as ctags writes it by default;
//  - +n:      the tag as it stands;
//  - combine: the address "N;/pattern/" (--excmd=combine), no line: field.
// Before: a plain search from the top for each of PatternSearchTexts in
// turn, the first occurrence of the first text found (byte for byte: what the
// editor finds on ASCII lines), as the jump searched until anchors and line
// hints were kept; a combined address was no pattern, so the name was
// searched. After: the real MoveToPattern against the simulated editor
// holding the file (which compares Unicode, as the editor does).
// "Own line first" counts the tags whose own line is the first line that
// holds their text under the pattern's anchors: the most any search without
// a line hint can land.
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
#include "host/SimHost.h"
#include "nav/PatternSearch.h"
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

    // 1-based line of the first occurrence of `text`, or 0 when it is nowhere.
    int FirstLineHolding(const CowString& text) const
    {
        if (text.IsEmpty()) return 0;
        const std::size_t at = std::string_view(bytes).find(std::string_view(text.Text(), text.Length()));
        return at == std::string_view::npos ? 0 : LineOf(at);
    }

    // 1-based line of the first occurrence of `text` that starts its line
    // (when `startsLine`) and ends it (when `endsLine`), or 0.
    int FirstAnchoredLine(const CowString& text, bool startsLine, bool endsLine) const
    {
        const std::string_view needle(text.Text(), text.Length());
        if (needle.empty()) return 0;
        for (std::size_t at = bytes.find(needle); at != std::string::npos; at = bytes.find(needle, at + 1)) {
            const int line = LineOf(at);
            if (startsLine && at != lineStarts[line - 1]) continue;
            if (endsLine && LineEnd(at) != at + needle.size()) continue;
            return line;
        }
        return 0;
    }
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

enum Form { kDefault, kLineField, kCombined, kForms };
const char* const kFormNames[kForms] = {"default", "+n (line: field)", "combine (N;/pattern/)"};

struct Tally {
    long patterns = 0, unreadable = 0, noLine = 0, ownLineFirst = 0;
    long before[kForms] = {}, after[kForms] = {};
    long beforeFirst[kForms] = {}, afterFirst[kForms] = {};   // among the own-line-first tags
};

class Judge {
public:
    explicit Judge(const CowString& tagsFolder) : tagsFolder_(tagsFolder) {}

    void Count(const TagEntry& tag, int trueLine, const std::string& otherFields)
    {
        SourceFile& source = Load(GetFullPath<CowString>(TagFilePath(tagsFolder_, tag.file).Text()));
        if (!source.readable) {
            ++tally_.unreadable;
            return;
        }
        TagEntry forms[kForms] = {tag, tag, tag};
        forms[kDefault].extensionFields = otherFields.c_str();
        const std::string withLine = "line:" + std::to_string(trueLine) + (otherFields.empty() ? "" : "\t") + otherFields;
        forms[kLineField].extensionFields = withLine.c_str();
        forms[kCombined].extensionFields = otherFields.c_str();
        forms[kCombined].address = CowString(std::to_string(trueLine).c_str()) + ";" + tag.address;

        const SearchTexts tries = PatternSearchTexts(forms[kDefault]);
        const CowString unescaped = UnescapePattern(PatternText(tag.address));
        const bool ownLineFirst = source.FirstAnchoredLine(unescaped, tries.startsLine, tries.endsLine) == trueLine;
        const int plainLanding = PlainLanding(source, tries.texts, tries.count);
        const int nameLanding = source.FirstLineHolding(tag.name);
        ++tally_.patterns;
        tally_.ownLineFirst += ownLineFirst;
        for (int form = 0; form < kForms; ++form) {
            const bool before = (form == kCombined ? nameLanding : plainLanding) == trueLine;
            const bool after = Landing(source, forms[form]) == trueLine;
            tally_.before[form] += before;
            tally_.after[form] += after;
            tally_.beforeFirst[form] += ownLineFirst && before;
            tally_.afterFirst[form] += ownLineFirst && after;
        }
    }

    const Tally& Result() const { return tally_; }
    std::size_t FileCount() const { return files_.size(); }
    void CountNoLine() { ++tally_.noLine; }

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

    // Where a plain search sequence stops: the line of the first text found, 0 when none is.
    static int PlainLanding(const SourceFile& source, const CowString* texts, int count)
    {
        for (int i = 0; i < count; ++i)
            if (const int line = source.FirstLineHolding(texts[i])) return line;
        return 0;
    }

    // The 1-based line the jump selects in the simulated editor.
    int Landing(const SourceFile& source, const TagEntry& entry)
    {
        view_.Activate(source.documentIndex);
        sim::SimDocument& document = *view_.ActiveDocument();
        document.MoveCaret({0, 0});
        MoveToPattern(view_.Window(), entry);
        host_.ClearCalls();
        return std::min(document.selectionStart.y, document.selectionEnd.y) + 1;
    }

    CowString tagsFolder_;
    std::map<std::string, SourceFile> files_;
    sim::SimHost host_;
    sim::SimView& view_ = host_.AddFrame().AddView();
    Tally tally_;
};

double Percent(long part, long whole) { return whole ? 100.0 * part / whole : 0.0; }

void Print(const Tally& tally, std::size_t files)
{
    std::printf("  %ld pattern tags in %zu files; own line first: %ld (%.2f%%)", tally.patterns, files,
                tally.ownLineFirst, Percent(tally.ownLineFirst, tally.patterns));
    if (tally.unreadable || tally.noLine)
        std::printf("; skipped: %ld unreadable, %ld without line:", tally.unreadable, tally.noLine);
    std::printf("\n  %-24s %24s %24s %24s %24s\n", "on the tag's own line", "before, all", "after, all",
                "before, own line first", "after, own line first");
    for (int form = 0; form < kForms; ++form) {
        std::printf("  %-24s %14ld %7.2f%% %14ld %7.2f%% %14ld %7.2f%% %14ld %7.2f%%\n", kFormNames[form],
                    tally.before[form], Percent(tally.before[form], tally.patterns), tally.after[form],
                    Percent(tally.after[form], tally.patterns), tally.beforeFirst[form],
                    Percent(tally.beforeFirst[form], tally.ownLineFirst), tally.afterFirst[form],
                    Percent(tally.afterFirst[form], tally.ownLineFirst));
    }
}

int Run(const char* tagsPath)
{
    std::string tags;
    if (!ReadWholeFile(tagsPath, tags)) {
        std::fprintf(stderr, "cannot read %s\n", tagsPath);
        return 1;
    }
    const CowString fullTagsPath = GetFullPath<CowString>(tagsPath);
    Judge judge(fullTagsPath.Prefix(fullTagsPath.FindLastByte('\\')));
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
        TagEntry tag;
        tag.name = CowString(line, static_cast<int>(nameEnd - line));
        tag.file = CowString(nameEnd + 1, static_cast<int>(fileEnd - nameEnd - 1));
        tag.address = CowString(address.data(), static_cast<int>(address.size()));
        // The kind field, then the extension fields.
        const std::string_view fields = rest.substr(std::min(rest.size(), terminator + 3));
        const std::size_t kindEnd = std::min(fields.find('\t'), fields.size());
        std::string others;
        const int trueLine = TakeLineField(fields.substr(std::min(fields.size(), kindEnd + 1)), others);
        if (trueLine <= 0) {
            judge.CountNoLine();
            return;
        }
        judge.Count(tag, trueLine, others);
    });
    Print(judge.Result(), judge.FileCount());
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
