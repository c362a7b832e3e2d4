// kind_survey: reads the tags of a real tree and builds each row's Kind cell
// with the picker's own KindWords, then checks each cell against what
// universal-ctags itself says of that row in a second tags file of the same
// tree, written with the kinds by name, the language and the owner in a
// scope: field (--fields=+KlZ, plus the first file's own fields).
//
//   kind_survey.exe TAGS_FILE REFERENCE_TAGS_FILE
//
// Per language (ctags' own, from the reference): the rows; the cells that
// show a bare letter; the cells whose kind is not ctags' kind for the row (a
// letter read as another kind, or a name with another word than ctags' name
// has); the rows with an owner whose cell does not name it; the cells that
// show a kind's or an owner's kind's name as ctags writes it, having no word
// for it; the rows of either file with no row of the same name, file and
// address in the other; then a few rows of each fault and the ten most
// frequent cells, in UTF-8. The strings come from Velkin.dll beside the
// program.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench/TagLines.h"
#include "bench/VelkinResources.h"
#include "host/TextCodec.h"
#include "tags/LineGrammar.h"
#include "tags/MappedFile.h"
#include "tags/TagTraits.h"
#include "ui/KindWords.h"

namespace velkin::bench {
namespace {

constexpr std::size_t kExamples = 4;
constexpr std::size_t kFrequentCells = 10;

std::string_view ViewOf(const CowString& text) { return {text.Text(), static_cast<std::size_t>(text.Length())}; }

struct Row {
    std::string key;  // name, file and address, tab-separated: what pairs the two files' rows
    TagEntry entry;
};

CowString Copy(const char* first, const char* last) { return CowString(first, static_cast<int>(last - first)); }

// Every tag line of `path`, read as the scanner reads a line it takes; false
// when the file cannot be read.
bool ReadRows(const char* path, std::vector<Row>& rows)
{
    const MappedFileOrFailure opened = MappedFile::Open(path);
    if (!opened.file) return false;
    const MappedWindow view = opened.file->Map(0, opened.file->Size());
    if (!view) return false;
    const char* const end = view.End();
    ForEachTagLine(view.Begin(), end, [&](const char* line, const char* nameEnd, const char* fileEnd) {
        const char* terminator = FindTerminator(fileEnd + 1, end);
        const char* kindTab = terminator ? NextTab(terminator + 1, end) : nullptr;
        if (!kindTab) return;
        Row row;
        row.key.assign(line, terminator);
        row.entry.name = Copy(line, nameEnd);
        row.entry.file = Copy(nameEnd + 1, fileEnd);
        row.entry.address = Copy(fileEnd + 1, terminator);
        const char* kind = kindTab + 1;
        row.entry.kind = kind != end ? *kind : '\0';
        const char* kindEnd = FindFieldEnd(kind, end);
        if (kindEnd - kind > 1) row.entry.kindField = Copy(kind, kindEnd);
        if (kindEnd != end && *kindEnd == '\t') row.entry.extensionFields = Copy(kindEnd + 1, FindLineEnd(kindEnd + 1, end));
        rows.push_back(std::move(row));
    });
    return true;
}

// A name from a field as a cell shows it: universal-ctags' escapes undone.
std::string Unescaped(std::string_view name)
{
    std::string plain;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const bool escape = name[i] == '\\' && i + 1 < name.size() && (name[i + 1] == '\\' || name[i + 1] == 't');
        if (escape) ++i;
        plain += escape && name[i] == 't' ? '\t' : name[i];
    }
    return plain;
}

// UTF-8 `text` as the code page can show it, back in UTF-8: a character it
// lacks (an emoji of a heading) as "?".
std::string AsCodePageShowsIt(const std::string& text)
{
    std::wstring wide = sim::Widen(text, CP_UTF8), single;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const bool pair = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]);
        single += pair ? L'?' : wide[i];
        if (pair) ++i;
    }
    return sim::ShiftJisToUtf8(sim::Narrow(single, sim::kShiftJisCodePage));
}

struct LanguageCounts {
    std::size_t rows = 0, letters = 0, wrongKinds = 0, ownersUnsaid = 0, byName = 0, unpaired = 0;
    std::map<std::string, std::size_t> cells;
    std::vector<std::string> letterRows, wrongKindRows, ownerRows, byNameRows;
};

void Note(std::vector<std::string>& examples, const std::string& text)
{
    if (examples.size() < kExamples) examples.push_back(text);
}

std::string Utf8Cell(const KindWords& words, const KindCellParts& parts) { return sim::ShiftJisToUtf8(words.Cell(parts).Text()); }

// Checks the cell of `row` against ctags' own word on it, `reference`.
void Survey(const KindWords& words, const Row& row, const Row& reference, LanguageCounts& counts)
{
    const KindCellParts parts = KindCellParts::Of(row.entry);
    const KindCellParts truth = KindCellParts::Of(reference.entry);
    const std::string cell = Utf8Cell(words, parts);
    const std::string context = std::string(ViewOf(row.entry.name)) + " in " + std::string(ViewOf(row.entry.file)) + ": " + cell;
    ++counts.rows;
    ++counts.cells[cell];
    if (parts.kindName.empty() && parts.kindField.empty()) {
        ++counts.letters;
        Note(counts.letterRows, context);
    }
    if (parts.kindName != truth.kindName || parts.kindWord != truth.kindWord) {
        ++counts.wrongKinds;
        Note(counts.wrongKindRows, context + "  (ctags: " + std::string(truth.kindName) + ")");
    }
    if (parts.kindWord == 0 || (!parts.ownerKind.empty() && parts.ownerWord == 0)) {
        ++counts.byName;
        Note(counts.byNameRows, context);
    }
    const TagScope owner = TagScopeOf(reference.entry.extensionFields);
    if (!owner.name.empty()) {
        const std::string name = AsCodePageShowsIt(Unescaped(owner.name).substr(0, KindWords::kNameLimit / 2));
        if (cell.find(name) == std::string::npos) {
            ++counts.ownersUnsaid;
            Note(counts.ownerRows, context + "  (ctags: " + std::string(owner.kind) + " " + std::string(owner.name) + ")");
        }
    }
}

// The reference row of `run` for `row`: one with the same owner and kind
// where ctags wrote the same tag more than once, else the first unused.
std::size_t Partner(const Row& row, const std::vector<Row>& reference, std::size_t first, std::size_t last,
                    const std::vector<bool>& used)
{
    const std::string_view owner = TagScopeOf(row.entry.extensionFields).name;
    const std::string_view kind = KindCellParts::Of(row.entry).kindName;
    std::size_t unused = last;
    for (std::size_t i = first; i < last; ++i) {
        if (used[i - first]) continue;
        if (unused == last) unused = i;
        const KindCellParts truth = KindCellParts::Of(reference[i].entry);
        if (TagScopeOf(reference[i].entry.extensionFields).name == owner && truth.kindName == kind) return i;
    }
    return unused;
}

std::string LanguageOf(const Row& reference)
{
    const std::string_view language = ExtensionFieldValue(ViewOf(reference.entry.extensionFields), "language").value_or("");
    return language.empty() ? "(none)" : std::string(language);
}

void PrintExamples(const char* what, const std::vector<std::string>& rows)
{
    for (const std::string& row : rows) std::printf("      %-10s %s\n", what, row.c_str());
}

int Run(const char* surveyedPath, const char* referencePath)
{
    std::vector<Row> surveyed, reference;
    if (!ReadRows(surveyedPath, surveyed) || !ReadRows(referencePath, reference)) {
        std::fprintf(stderr, "cannot read %s or %s\n", surveyedPath, referencePath);
        return 1;
    }
    const KindWords words;
    std::map<std::string, LanguageCounts> languages;
    std::size_t i = 0, j = 0;
    while (i < surveyed.size() || j < reference.size()) {
        if (j == reference.size() || (i < surveyed.size() && surveyed[i].key < reference[j].key)) {
            ++languages["(unpaired)"].unpaired;
            ++i;
            continue;
        }
        if (i == surveyed.size() || reference[j].key < surveyed[i].key) {
            ++languages[LanguageOf(reference[j])].unpaired;
            ++j;
            continue;
        }
        // Runs of rows with the same key: ctags sorts them by their later fields.
        std::size_t iEnd = i, jEnd = j;
        while (iEnd < surveyed.size() && surveyed[iEnd].key == surveyed[i].key) ++iEnd;
        while (jEnd < reference.size() && reference[jEnd].key == reference[j].key) ++jEnd;
        std::vector<bool> used(jEnd - j);
        for (std::size_t k = i; k < iEnd; ++k) {
            const std::size_t partner = Partner(surveyed[k], reference, j, jEnd, used);
            if (partner == jEnd) {
                ++languages[LanguageOf(reference[j])].unpaired;
                continue;
            }
            used[partner - j] = true;
            Survey(words, surveyed[k], reference[partner], languages[LanguageOf(reference[partner])]);
        }
        for (std::size_t k = j; k < jEnd; ++k)
            if (!used[k - j]) ++languages[LanguageOf(reference[k])].unpaired;
        i = iEnd;
        j = jEnd;
    }

    std::printf("tags file  %s\nreference  %s\n\n", surveyedPath, referencePath);
    std::printf("  %-12s %8s %8s %11s %9s %8s %9s\n", "language", "rows", "letter", "wrong kind", "no owner", "by name", "unpaired");
    LanguageCounts all;
    for (const auto& [language, counts] : languages) {
        std::printf("  %-12s %8zu %8zu %11zu %9zu %8zu %9zu\n", language.c_str(), counts.rows, counts.letters, counts.wrongKinds,
                    counts.ownersUnsaid, counts.byName, counts.unpaired);
        all.rows += counts.rows;
        all.letters += counts.letters;
        all.wrongKinds += counts.wrongKinds;
        all.ownersUnsaid += counts.ownersUnsaid;
        all.byName += counts.byName;
        all.unpaired += counts.unpaired;
    }
    std::printf("  %-12s %8zu %8zu %11zu %9zu %8zu %9zu\n", "all", all.rows, all.letters, all.wrongKinds, all.ownersUnsaid,
                all.byName, all.unpaired);
    for (const auto& [language, counts] : languages) {
        if (counts.rows == 0) continue;
        std::printf("\n  %s\n", language.c_str());
        PrintExamples("letter", counts.letterRows);
        PrintExamples("wrong kind", counts.wrongKindRows);
        PrintExamples("no owner", counts.ownerRows);
        PrintExamples("by name", counts.byNameRows);
        std::vector<std::pair<std::size_t, std::string>> frequent;
        for (const auto& [cell, count] : counts.cells) frequent.emplace_back(count, cell);
        const std::size_t shown = std::min(frequent.size(), kFrequentCells);
        std::partial_sort(frequent.begin(), frequent.begin() + static_cast<std::ptrdiff_t>(shown), frequent.end(),
                          [](const auto& a, const auto& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
        for (std::size_t k = 0; k < shown; ++k) std::printf("      %8zu  %s\n", frequent[k].first, frequent[k].second.c_str());
    }
    return 0;
}

}  // namespace
}  // namespace velkin::bench

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kind_survey.exe TAGS_FILE REFERENCE_TAGS_FILE\n");
        return 2;
    }
    if (!velkin::bench::UseVelkinResources()) {
        std::fprintf(stderr, "cannot load Velkin.dll\n");
        return 1;
    }
    return velkin::bench::Run(argv[1], argv[2]);
}
