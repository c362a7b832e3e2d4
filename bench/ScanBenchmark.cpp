// scan_benchmark: times the reading of a tags file against the floor of
// reading it: one fresh view of the whole file (64 MB views one after another
// only where this process has no room for one) and an SSE2 count of its line
// feeds, best of several rounds run back to back with nothing else between
// them. Every ratio it prints is against that floor, measured in the same run.
//
//   scan_benchmark.exe [--runs N] [--avx2 | --ssse3 | --sse2 | --every-line] TAGS_FILE
//                     the whole ScanTagsFile of TAGS_FILE reading every line
//                     (best of N runs, default 5) beside the floor and counts of
//                     a view already read; then, for a row of current-document
//                     names, the lookup of a word with no tag and the command;
//                     the flags hold the scanner to AVX2 or SSSE3 at most, to
//                     SSE2 alone, or to reading every line
//   scan_benchmark.exe [--runs N] --lookups TAGS_FILE
//                     words looked up in a sorted tags file: one with one tag,
//                     one with several, one only longer names begin with, and
//                     one with none; then the word with none for every document
//                     name; the lookup and the command, on the widest path and
//                     held to AVX2
//   scan_benchmark.exe [--runs N] --several PROJECT_FOLDER LIBRARY_TAGS...
//                     the command over several tags files named in TagsFileName:
//                     "tags" (found upward from a document in PROJECT_FOLDER),
//                     then each LIBRARY_TAGS by its full path; beside the same
//                     command over each file alone
//   scan_benchmark.exe [--runs N] --past-4gib SORTED_TAGS UNSORTED_TAGS
//                     the same lines past 4 GiB, sorted and not (header 0): a
//                     word with tags past the 4 GiB offset and one with none,
//                     the lookup and the command against each file's floor;
//                     then Esc pressed 300 ms into a long read, timed to the
//                     command's end
//   scan_benchmark.exe --generate TAGS_FILE [TAGS]
//                     write the synthetic tags file there (1,000,000 tags unless TAGS),
//                     unless the file there was written with the same shape
//
// The command runs Velkin.dll in the simulated editor, and VelkinAvx2.dll, the
// same plug-in whose search uses AVX2 at most. Generating is a separate run so
// that the benchmark's peak working set holds no generator tables.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "bench/Clock.h"
#include "bench/CommandClock.h"
#include "bench/NewlineCount.h"
#include "bench/ReadtagsFilter.h"
#include "bench/TagsFileGenerator.h"
#include "bench/TagsFileProfile.h"
#include "res/ResourceIds.h"
#include "tags/CandidateSearch.h"
#include "tags/LineGrammar.h"
#include "tags/MappedFile.h"
#include "tags/TagsFileLookup.h"
#include "tags/TagsSettings.h"
#include "text/Utf8ToAnsi.h"
#include "win/FullPath.h"

namespace velkin::bench {
namespace {

constexpr const char* kAbsentWord = "zzVelkinAbsentWord";
constexpr double kBytesPerMegabyte = 1e6;
constexpr double kNoTime = 1e300;

int Generate(const char* path, std::uint32_t tags)
{
    GeneratedTagsShape shape;
    if (tags != 0) shape.tags = tags;
    std::printf("%s (%lu tags)...\n", path, static_cast<unsigned long>(shape.tags));
    std::fflush(stdout);
    switch (WriteTagsFileUnlessCurrent(path, shape)) {
    case GeneratedFile::kept:
        std::printf("kept: written earlier with the same seed and size\n");
        return 0;
    case GeneratedFile::written:
        std::printf("written\n");
        return 0;
    case GeneratedFile::failed:
        break;
    }
    std::fprintf(stderr, "cannot write %s (error %lu)\n", path, GetLastError());
    return 1;
}

const char* WidthName(CandidateSearch::Width width)
{
    return width == CandidateSearch::Width::avx512 ? "AVX-512"
           : width == CandidateSearch::Width::avx2 ? "AVX2"
           : width == CandidateSearch::Width::ssse3 ? "SSSE3"
                                                    : "SSE2";
}

const char* PathName(ScanPath path) { return path == ScanPath::everyLine ? "every line" : WidthName(SearchWidth(path)); }

// ---- Timing ----------------------------------------------------------------

template <typename Work>
double TimeMilliseconds(Work&& work)
{
    const double start = NowMilliseconds();
    work();
    return NowMilliseconds() - start;
}

struct BestTime {
    double milliseconds = kNoTime;
    void Add(double sample) { milliseconds = std::min(milliseconds, sample); }
};

// Times `work` and keeps the time unless this is the warm-up round (round 0).
template <typename Work>
void TimeRound(int round, BestTime& best, Work&& work)
{
    const double milliseconds = TimeMilliseconds(work);
    if (round > 0) best.Add(milliseconds);
}

std::string Milliseconds(double milliseconds, const char* format = "%.1f")
{
    if (milliseconds >= kNoTime) return "-";
    char text[32];
    std::snprintf(text, sizeof text, format, milliseconds);
    return text;
}

std::string Ratio(double milliseconds, double floor)
{
    if (milliseconds >= kNoTime) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", milliseconds / floor);
    return text;
}

std::string Percent(double milliseconds, double floor)
{
    if (milliseconds >= kNoTime) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", 100 * milliseconds / floor);
    return text;
}

// ---- The floor -----------------------------------------------------------------

// What reading a file costs at least: one fresh view of the whole file and an
// SSE2 count of its line feeds, the view mapped and released each round
// (64 MB views one after another only where this process has no room for
// one), best of a block of rounds run back to back with nothing else between
// them. A benchmark measures a block at a few points of its run and keeps
// the best: a busy spell of the machine then weighs on the floor no more than
// on the times set against it.
class Floor {
public:
    Floor(const MappedFile& file, int runs) : file_(file), runs_(runs) {}

    void Measure()
    {
        for (int round = 0; round <= runs_; ++round) {
            bool windows = false;
            const double milliseconds = TimeMilliseconds([&] { lines_ = CountFresh(windows); });
            if (round > 0 && milliseconds < best_.milliseconds) {
                best_.Add(milliseconds);
                windows_ = windows;
            }
        }
        ++blocks_;
    }

    double Milliseconds() const { return best_.milliseconds; }

    // Says what the floor is, once.
    void Print() const
    {
        std::printf("floor      %.2f ms: one fresh view of the whole file and an SSE2 count of its %lu line feeds, best of\n"
                    "           %d blocks of %d rounds run back to back (64 MB views in turn only where the process has no\n"
                    "           room for one view: %s; 2 GiB views in turn past 2 GiB); every ratio is against it\n",
                    best_.milliseconds, static_cast<unsigned long>(lines_), blocks_, runs_,
                    windows_ ? "so here, beside the simulated editor" : "not here");
    }

private:
    // A file longer than the longest view (kMaxViewBytes) is read in views of
    // that length, one after another.
    std::size_t CountFresh(bool& windows) const
    {
        std::size_t lines = 0;
        std::uint64_t step = kMaxViewBytes;
        for (std::uint64_t offset = 0; offset < file_.Size(); offset += step) {
            MappedWindow view = file_.Map(offset, step);
            if (!view && !windows) {
                windows = true;
                step = kScanWindowBytes;
                view = file_.Map(offset, step);
            }
            if (!view) return 0;
            lines += CountNewlinesSse2(view.Begin(), view.End());
        }
        return lines;
    }

    const MappedFile& file_;
    const int runs_;
    BestTime best_;
    std::size_t lines_ = 0;
    bool windows_ = false;
    int blocks_ = 0;
};

// ---- The command -------------------------------------------------------------------

// The command in the simulated editor, with Velkin.dll and with VelkinAvx2.dll
// (the same plug-in whose search uses AVX2 at most); none when no display is
// there.
struct Commands {
    std::unique_ptr<CommandClock> widest, avx2;
    explicit operator bool() const { return widest && avx2; }
};

Commands OpenCommands()
{
    Commands commands;
    try {
        commands.widest = std::make_unique<CommandClock>("Velkin.dll");
        commands.avx2 = std::make_unique<CommandClock>("VelkinAvx2.dll");
    } catch (const std::exception& error) {
        std::printf("(the command is not timed: %s)\n", error.what());
        commands = Commands();
    }
    return commands;
}

// Times one command and keeps the time unless this is the warm-up round.
void TimeCommand(int round, CommandClock& command, const CowString& documentPath, const std::string& word,
                 BestTime& best)
{
    const double milliseconds = command.Run(documentPath.Text(), word);
    if (round > 0 && milliseconds >= 0) best.Add(milliseconds);
}

// The plug-in's TagsFileName value for the benchmark's time: removed (the
// plug-in then reads "tags") until set to a list, and afterwards the registry
// is put back as it was: the keys created for it are removed, a value that was
// there is restored.
class TagsFileNameValue {
public:
    TagsFileNameValue()
    {
        const std::string path = kSettingsKey;
        for (std::size_t cut = path.find('\\');; cut = path.find('\\', cut + 1)) {
            const std::string level = path.substr(0, cut);
            HKEY key;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, level.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
                createdTop_ = level;
                return;
            }
            RegCloseKey(key);
            if (cut == std::string::npos) break;
        }
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        DWORD size = 0;
        hadValue_ = RegQueryValueExA(key, kTagsFileNameValue, nullptr, &savedType_, nullptr, &size) == ERROR_SUCCESS;
        savedBytes_.resize(size);
        if (hadValue_ && size > 0) {
            RegQueryValueExA(key, kTagsFileNameValue, nullptr, &savedType_, reinterpret_cast<BYTE*>(&savedBytes_[0]),
                             &size);
        }
        RegDeleteValueA(key, kTagsFileNameValue);
        RegCloseKey(key);
    }

    ~TagsFileNameValue()
    {
        if (!createdTop_.empty()) {
            RegDeleteTreeA(HKEY_CURRENT_USER, createdTop_.c_str());
            return;
        }
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        if (hadValue_) {
            RegSetValueExA(key, kTagsFileNameValue, 0, savedType_, reinterpret_cast<const BYTE*>(savedBytes_.data()),
                           static_cast<DWORD>(savedBytes_.size()));
        } else {
            RegDeleteValueA(key, kTagsFileNameValue);
        }
        RegCloseKey(key);
    }

    TagsFileNameValue(const TagsFileNameValue&) = delete;
    TagsFileNameValue& operator=(const TagsFileNameValue&) = delete;

    bool Set(const std::string& text)
    {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        const LONG set = RegSetValueExA(key, kTagsFileNameValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                        static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
        return set == ERROR_SUCCESS;
    }

private:
    std::string createdTop_;  // the outermost key missing before, created by Set
    bool hadValue_ = false;
    DWORD savedType_ = 0;
    std::string savedBytes_;
};

// ---- Paths -----------------------------------------------------------------------

double Megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / kBytesPerMegabyte; }

// The folder of a full path, without the trailing backslash ("C:" for a drive's root).
CowString FolderOf(const CowString& fullPath) { return fullPath.Prefix(fullPath.FindLastByte('\\')); }

// The document that a file field names, resolved as the scanner resolves it
// (a UTF-8 field in the ANSI code page).
CowString DocumentPath(const CowString& tagsFolder, const std::string& fileField)
{
    const CowString field(fileField.data(), static_cast<int>(fileField.size()));
    return GetFullPath<CowString>((tagsFolder + "\\" + ReadableText(field)).Text());
}

// The command finds a file named "tags": a file of another name is not timed by it.
bool IsNamedTags(const CowString& tagsPath)
{
    return lstrcmpiA(tagsPath.Text() + tagsPath.FindLastByte('\\') + 1, "tags") == 0;
}

// ---- Document names ----------------------------------------------------------

// A current document, named relative to the tags folder.
struct DocumentName {
    std::string label;
    std::string field;
    bool searched;  // printable ASCII or with kana or kanji: the scan searches for the name
};

std::vector<DocumentName> DocumentNames(const TagsFileProfile& profile)
{
    std::vector<DocumentName> names = {
        {"e", "e", true},
        {"x", "x", true},
        {"a.c", "a.c", true},
        {"io.h", "io.h", true},
        {"t.h", "t.h", true},
        {"main.c", "main.c", true},
        {"Makefile", "Makefile", true},
        {"stdio.h", "stdio.h", true},
        {"zz\\a.c (nested)", "zz\\a.c", true},
        {"long path", "src\\components\\network\\protocol\\handlers\\session_management_state_machine.c", true},
        {"in the file: " + profile.typicalFile, profile.typicalFile, true},
        {"absent", "velkin_absent_document.c", true},
        {"absent, VHDL (names ignore case)", "velkin_absent_document.vhd", true},
        {"Japanese", "\x93\xfa\x96\x7b\x8c\xea.c" /* 日本語.c */, true},
        {"full-width letters (no search)", "\x82\x81\x82\x82.c" /* ａｂ.c */, false},
    };
    // A name past ASCII that the file holds (UTF-8 from today's ctags), as the user reads it.
    if (!profile.typicalNonAsciiFile.empty()) {
        const CowString field(profile.typicalNonAsciiFile.data(), static_cast<int>(profile.typicalNonAsciiFile.size()));
        names.push_back({"in the file: " + std::string(ShownText(field).Text()), profile.typicalNonAsciiFile, true});
    }
    // The kinds ctags writes on most lines (members, functions, macros), and
    // this file's commonest kind followed by a tab, as names: each stands as
    // the kind field, between tabs or before a line end, in many lines.
    std::string kinds = "mfd";
    if (profile.commonKind != 0 && std::string("exmfd").find(profile.commonKind) == std::string::npos) {
        kinds += profile.commonKind;
    }
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const std::string kind(1, kinds[i]);
        const bool common = kinds[i] == profile.commonKind;
        names.insert(names.begin() + 2 + static_cast<std::ptrdiff_t>(i),
                     {kind + (common ? " (the commonest kind before a tab)" : " (a kind)"), kind, true});
    }
    return names;
}

// The lists' sizes of one lookup.
std::vector<std::size_t> ListSizes(const TagMatchLists& lists)
{
    return {lists[0].size(), lists[1].size(), lists[2].size()};
}

// One path of a name's row: the lookup alone (ScanTagsFile) and the command.
struct PathTimes {
    BestTime scan, command;
};

struct NameResult {
    PathTimes widest, avx2;
    std::vector<std::size_t> sizes, avx2Sizes;  // of the last round
    std::size_t inDocument = 0;
    bool sameAsEveryLine = true;
};

// One round of a name: the lookup on `path` and held to AVX2, and the command
// with either plug-in; kept unless this is the warm-up round.
void RunNameRound(int round, const CowString& tagsPath, const TagQuery& query, const ScanOptions& options,
                  const Commands& commands, NameResult& result)
{
    ScanOptions avx2 = options;
    avx2.path = ScanPath::avx2;
    TagMatchLists lists, avx2Lists;
    TimeRound(round, result.widest.scan, [&] { ScanTagsFile(tagsPath, query, lists, options); });
    TimeRound(round, result.avx2.scan, [&] { ScanTagsFile(tagsPath, query, avx2Lists, avx2); });
    result.sizes = ListSizes(lists);
    result.avx2Sizes = ListSizes(avx2Lists);
    if (commands) {
        TimeCommand(round, *commands.widest, query.documentPath, query.word.Text(), result.widest.command);
        TimeCommand(round, *commands.avx2, query.documentPath, query.word.Text(), result.avx2.command);
    }
}

// Sets the name's lists against those of reading every line.
void CompareWithEveryLine(const CowString& tagsPath, const TagQuery& query, const ScanOptions& options,
                          NameResult& result)
{
    ScanOptions everyLine = options;
    everyLine.path = ScanPath::everyLine;
    everyLine.searchSorted = false;
    TagMatchLists reference;
    ScanTagsFile(tagsPath, query, reference, everyLine);
    result.inDocument = result.sizes[2];
    result.sameAsEveryLine = result.sizes == ListSizes(reference) && result.avx2Sizes == result.sizes;
}

void PrintPathColumns(const PathTimes& times, double floor)
{
    std::printf(" %7s %7s %7s %7s", Milliseconds(times.scan.milliseconds).c_str(),
                Milliseconds(times.command.milliseconds).c_str(), Ratio(times.scan.milliseconds, floor).c_str(),
                Ratio(times.command.milliseconds, floor).c_str());
}

// The worst ratio of a column over the names searched for.
struct Worst {
    double ratio = 0;
    std::string name;
    void Add(double milliseconds, double floor, const std::string& label)
    {
        if (milliseconds < kNoTime && milliseconds / floor > ratio) {
            ratio = milliseconds / floor;
            name = label;
        }
    }
    std::string Text() const
    {
        if (name.empty()) return "-";
        char text[32];
        std::snprintf(text, sizeof text, "%.2fx", ratio);
        return text + std::string(" (") + name + ")";
    }
};

// The rows of the document names: each name with the absent word as the
// word, the lookup alone (ScanTagsFile with `options`, and the same held to
// AVX2) and the command with either plug-in.
struct NameRows {
    std::string widest;  // the name of the path of `options`
    bool searchSorted = true;
    std::vector<std::pair<DocumentName, NameResult>> rows;
};

// Measures the rows, with a block of the floor before and after them.
NameRows MeasureNames(const CowString& tagsPath, const CowString& tagsFolder, const TagsFileProfile& profile,
                      const ScanOptions& options, Floor& floor, int runs)
{
    // The plug-ins search with the widest vectors the processor has (AVX2 at
    // most for the copy): their commands are timed only beside lookups that do the same.
    Commands commands;
    if (options.path != ScanPath::best) {
        std::printf("(the command is not timed: the plug-ins search with the widest vectors, whatever the flag)\n");
    } else if (!IsNamedTags(tagsPath)) {
        std::printf("(the command is not timed: the tags file is not named \"tags\")\n");
    } else {
        commands = OpenCommands();
    }
    NameRows names;
    names.widest = PathName(options.path);
    names.searchSorted = options.searchSorted;
    floor.Measure();
    std::vector<TagQuery> queries;
    for (const DocumentName& name : DocumentNames(profile)) {
        queries.push_back({CowString(kAbsentWord), DocumentPath(tagsFolder, name.field), tagsFolder});
        names.rows.emplace_back(name, NameResult());
    }
    // Round by round over all the names, best of `runs` after a warm-up: a
    // busy spell of the machine then weighs on no name more than on another.
    for (int round = 0; round <= runs; ++round) {
        for (std::size_t i = 0; i < queries.size(); ++i) {
            RunNameRound(round, tagsPath, queries[i], options, commands, names.rows[i].second);
        }
    }
    for (std::size_t i = 0; i < queries.size(); ++i) {
        CompareWithEveryLine(tagsPath, queries[i], options, names.rows[i].second);
    }
    floor.Measure();
    return names;
}

// One row per name against the floor, and the worst ratios. False when a
// name's lists differ from those of reading every line.
bool PrintNames(const NameRows& names, double floor, int runs)
{
    std::printf("\ndocument names, word \"%s\" (ms, best of %d; lookup: ScanTagsFile, %s; command: OnCommand to the\n"
                "status after the lookup, the plug-in in the simulated editor; /floor: against the floor)\n",
                kAbsentWord, runs, names.searchSorted ? "searched when sorted, then every line" : "every line");
    std::printf("  %-34s %31s %31s\n", "", (names.widest + " ------------------------").substr(0, 31).c_str(),
                "AVX2 ---------------------------");
    std::printf("  %-34s %7s %7s %7s %7s %7s %7s %7s %7s %6s  %s\n", "document", "lookup", "command", "/floor",
                "/floor", "lookup", "command", "/floor", "/floor", "in doc", "lists as every line");
    Worst worst[4];
    bool agree = true;
    for (const auto& [name, r] : names.rows) {
        std::printf("  %-34.34s", name.label.c_str());
        PrintPathColumns(r.widest, floor);
        PrintPathColumns(r.avx2, floor);
        std::printf(" %6lu  %s\n", static_cast<unsigned long>(r.inDocument), r.sameAsEveryLine ? "same" : "DIFFERENT");
        agree = agree && r.sameAsEveryLine;
        if (!name.searched) continue;
        worst[0].Add(r.widest.scan.milliseconds, floor, name.label);
        worst[1].Add(r.widest.command.milliseconds, floor, name.label);
        worst[2].Add(r.avx2.scan.milliseconds, floor, name.label);
        worst[3].Add(r.avx2.command.milliseconds, floor, name.label);
    }
    std::printf("worst over the names searched for: %s lookup %s, command %s; AVX2 lookup %s, command %s; goal: at most "
                "1.5x\n",
                names.widest.c_str(), worst[0].Text().c_str(), worst[1].Text().c_str(), worst[2].Text().c_str(),
                worst[3].Text().c_str());
    return agree;
}

void PrintProfile(const TagsFileProfile& profile)
{
    if (profile.tagLines == 0) return;
    std::printf("shape      %.1f MB, %lu tags, %.1f bytes a line, file field %.1f bytes,\n"
                "           %.1f tags per file field (%lu distinct), %.1f%% of lines with the previous line's file\n",
                static_cast<double>(profile.bytes) / kBytesPerMegabyte, static_cast<unsigned long>(profile.tagLines),
                static_cast<double>(profile.bytes) / profile.tagLines,
                static_cast<double>(profile.fileFieldBytes) / profile.tagLines,
                static_cast<double>(profile.tagLines) / profile.distinctFiles,
                static_cast<unsigned long>(profile.distinctFiles),
                100.0 * profile.sameFileAsPrevious / profile.tagLines);
    if (profile.nonAsciiFileLines != 0)
        std::printf("           %.1f%% of lines with a file field past ASCII\n", 100.0 * profile.nonAsciiFileLines / profile.tagLines);
}

// The profile of the whole file, or of its first 64 MB where this process has
// no room for a view of all of it.
TagsFileProfile ProfileFile(const MappedFile& file)
{
    MappedWindow view = file.Map(0, file.Size());
    if (!view) view = file.Map(0, kScanWindowBytes);
    return view ? ProfileTagsFile(view.Begin(), view.End()) : TagsFileProfile();
}

// ---- Every line ------------------------------------------------------------------

struct BenchCase {
    std::string title;
    CowString word;
    std::string documentField;  // the document, as the tags file names it
};

struct CaseResult {
    BestTime scanFile, scanTouched, touchedCount, memchrCount;
    std::size_t touchedLines = 0, memchrLines = 0;
    std::size_t listSizes[TagMatchLists::kCount] = {};
    bool scanned = true;
    bool listsAgree = true;  // the whole-file scan and the scan of the touched view
};

// Round 0 is the warm-up (it also faults the touched view's pages in).
CaseResult RunCase(const CowString& tagsPath, const TagQuery& query, const MappedWindow& touched,
                   const ScanOptions& options, int runs)
{
    CaseResult result;
    for (int round = 0; round <= runs; ++round) {
        TimeRound(round, result.touchedCount,
                  [&] { result.touchedLines = CountNewlinesSse2(touched.Begin(), touched.End()); });
        if (round == 0) result.memchrLines = CountNewlinesMemchr(touched.Begin(), touched.End());
        TimeRound(round, result.memchrCount, [&] { CountNewlinesMemchr(touched.Begin(), touched.End()); });
        TagMatchLists lists;
        TimeRound(round, result.scanFile, [&] { result.scanned = ScanTagsFile(tagsPath, query, lists, options); });
        TagMatchLists touchedLists;
        TimeRound(round, result.scanTouched, [&] {
            TagScanner scanner(query, touchedLists, options.path);
            scanner.Scan(touched.Begin(), touched.End());
        });
        for (int list = 0; list < TagMatchLists::kCount; ++list) {
            result.listSizes[list] = lists[list].size();
            result.listsAgree = result.listsAgree && lists[list].size() == touchedLists[list].size();
        }
    }
    return result;
}

// One row: time, throughput and the ratios to the floor and to the count of the touched view.
void PrintRow(const char* label, const BestTime& time, const CaseResult& result, double floor, std::uint64_t bytes,
              const std::string& found)
{
    std::printf("  %-26s %8.1f ms %7.0f MB/s %7.2fx %7.2fx   %s\n", label, time.milliseconds,
                static_cast<double>(bytes) / kBytesPerMegabyte / (time.milliseconds / 1000.0),
                time.milliseconds / floor, time.milliseconds / result.touchedCount.milliseconds, found.c_str());
}

void PrintCase(const BenchCase& benchCase, const CaseResult& result, double floor, std::uint64_t bytes)
{
    std::printf("\n%s\n", benchCase.title.c_str());
    std::printf("  %-26s %11s %12s %8s %8s\n", "", "time", "", "/floor", "/touched");
    const std::string records = "records: exact " + std::to_string(result.listSizes[0]) + ", prefix " +
                                std::to_string(result.listSizes[1]) + ", inDocument " +
                                std::to_string(result.listSizes[2]);
    PrintRow("ScanTagsFile (whole)", result.scanFile, result, floor, bytes, records);
    PrintRow("TagScanner, touched view", result.scanTouched, result, floor, bytes, "the same lists, no mapping");
    PrintRow("count, touched view", result.touchedCount, result, floor, bytes,
             "lines: " + std::to_string(result.touchedLines));
    PrintRow("memchr count, touched", result.memchrCount, result, floor, bytes,
             "lines: " + std::to_string(result.memchrLines));
    std::printf("  readtags filter  %s\n", ReadtagsFilter(benchCase.word.Text(), benchCase.documentField).c_str());
}

int Benchmark(const char* path, const ScanOptions& options, int runs)
{
    const TagsFileNameValue tagsFileName;  // the plug-in reads "tags"
    const CowString tagsPath = GetFullPath<CowString>(path);
    const CowString tagsFolder = FolderOf(tagsPath);
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    const SIZE_T workingSetBeforeMapping = memory.WorkingSetSize;

    const MappedFileOrFailure opened = MappedFile::Open(tagsPath.Text());
    if (!opened.file) {
        std::fprintf(stderr, "cannot open %s\n", tagsPath.Text());
        return 1;
    }
    // The floor first, while no other view takes room.
    Floor floor(*opened.file, runs);
    floor.Measure();
    MappedWindow touched = opened.file->Map(0, opened.file->Size());
    if (!touched) {
        std::fprintf(stderr, "cannot map %s (error %lu)\n", tagsPath.Text(), GetLastError());
        return 1;
    }
    const auto size = static_cast<std::uint64_t>(touched.End() - touched.Begin());
    std::printf("tags file  %s\n", tagsPath.Text());
    std::printf("build      %d-bit, %s search, %lu MB windows, best of %d runs after a warm-up; MB = 10^6 bytes\n",
                static_cast<int>(sizeof(void*) * 8), PathName(options.path),
                static_cast<unsigned long>(options.windowBytes >> 20), runs);
    const TagsFileProfile profile = ProfileTagsFile(touched.Begin(), touched.End());
    PrintProfile(profile);
    if (profile.tagLines == 0) {
        std::fprintf(stderr, "%s holds no tag lines\n", tagsPath.Text());
        return 1;
    }

    const std::string typical = " in " + profile.typicalFile + " (" + std::to_string(profile.typicalFileTags) + " tags)";
    const BenchCase cases[] = {
        {"word \"" + profile.commonName + "\"" + typical, CowString(profile.commonName.c_str()), profile.typicalFile},
        {"empty word in " + profile.busiestFile + " (" + std::to_string(profile.busiestFileTags) + " tags)",
         CowString(), profile.busiestFile},
        {std::string("absent word \"") + kAbsentWord + "\"" + typical, CowString(kAbsentWord), profile.typicalFile},
    };
    const char* shortTitles[] = {"word", "empty word", "absent word"};
    // The scan of every line is timed, whatever the header says.
    ScanOptions everyLine = options;
    everyLine.searchSorted = false;
    CaseResult results[3];
    bool agree = true;
    for (int i = 0; i < 3; ++i) {
        const BenchCase& benchCase = cases[i];
        const TagQuery query{benchCase.word, DocumentPath(tagsFolder, benchCase.documentField), tagsFolder};
        results[i] = RunCase(tagsPath, query, touched, everyLine, runs);
        agree = agree && results[i].scanned && results[i].listsAgree && results[i].touchedLines == results[i].memchrLines;
    }
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    const SIZE_T peakWithViews = memory.PeakWorkingSetSize;
    touched = MappedWindow();
    floor.Measure();
    const NameRows names = MeasureNames(tagsPath, tagsFolder, profile, options, floor, runs);
    // The reference for a name the search cannot rule lines out by: the same
    // scan reading every line.
    const TagQuery absent{CowString(kAbsentWord), DocumentPath(tagsFolder, "velkin_absent_document.c"), tagsFolder};
    BestTime reference;
    for (int round = 0; round <= runs; ++round) {
        TagMatchLists lists;
        TimeRound(round, reference,
                  [&] { ScanTagsFile(tagsPath, absent, lists, {options.windowBytes, ScanPath::everyLine, false}); });
    }
    floor.Measure();

    floor.Print();
    for (int i = 0; i < 3; ++i) PrintCase(cases[i], results[i], floor.Milliseconds(), size);
    std::printf("\nsummary (ms; the goal: scan / floor at most 1.5)\n");
    std::printf("  %-12s %8s %8s %8s %8s %9s\n", "case", "scan", "floor", "touched", "/floor", "/touched");
    for (int i = 0; i < 3; ++i) {
        const CaseResult& r = results[i];
        std::printf("  %-12s %8.1f %8.1f %8.1f %7.2fx %8.2fx\n", shortTitles[i], r.scanFile.milliseconds,
                    floor.Milliseconds(), r.touchedCount.milliseconds, r.scanFile.milliseconds / floor.Milliseconds(),
                    r.scanFile.milliseconds / r.touchedCount.milliseconds);
    }
    agree = PrintNames(names, floor.Milliseconds(), runs) && agree;
    std::printf("reading every line, any name: lookup %.1f ms, %.2fx the floor\n", reference.milliseconds,
                reference.milliseconds / floor.Milliseconds());

    std::printf("\npeak working set %.1f MB (two views of %.1f MB at most; %.1f MB before mapping)\n",
                Megabytes(peakWithViews), Megabytes(static_cast<SIZE_T>(size)), Megabytes(workingSetBeforeMapping));
    if (!agree) {
        std::fprintf(stderr, "the scans or the counts disagree\n");
        return 1;
    }
    return 0;
}

// ---- Sorted lookups ------------------------------------------------------------

bool IsWord(const std::string& name)
{
    if (name.empty()) return false;
    for (const char byte : name) {
        if (!std::isalnum(static_cast<unsigned char>(byte)) && byte != '_') return false;
    }
    return true;
}

struct LookupCase {
    std::string label;
    std::string word;
    // From a VHDL document: names of any case match (the generated tags are
    // C++'s, so only those of the word's own case are found, but the search
    // looks for every case of it).
    bool anyCase = false;
};

// From the names of the lines in a window at the middle of the file (sorted),
// or from `at` on: a name of one tag, a name of several (2 to 20), and a
// start of only longer names (2 to 50 of them) that is no name itself; then a
// word of none. `document` gets the file field of the window's first whole
// line.
std::vector<LookupCase> PickLookupWords(const MappedFile& file, std::string& document, std::uint64_t at = 0)
{
    constexpr std::uint32_t kBytes = 8u << 20;
    const std::uint32_t granularity = MappedFile::AllocationGranularity();
    const std::uint64_t start = at != 0 ? at : file.Size() / 2;
    const std::uint64_t middle = start - start % granularity;
    const MappedWindow window = file.Map(middle, kBytes);
    std::vector<std::string> names;
    if (window) {
        const char* end = window.End();
        const char* first = middle == 0 ? window.Begin() : SkipLine(window.Begin(), end);
        for (const char* line = first; line < end; line = SkipLine(line, end)) {
            const char* tab = NextTab(line, end);
            if (!tab || *line == '!') continue;
            names.emplace_back(line, tab);
            if (document.empty()) {
                const char* fileTab = NextTab(tab + 1, end);
                if (fileTab) document.assign(tab + 1, fileTab);
            }
        }
    }
    const auto countStarting = [&names](std::size_t at, const std::string& start) {
        std::size_t count = 0;
        while (at + count < names.size() && names[at + count].compare(0, start.size(), start) == 0) ++count;
        return count;
    };
    std::string one, several, longer;
    // Away from the window's edges, where a run may go on beyond it.
    for (std::size_t i = names.size() / 4; i < names.size() * 3 / 4; ++i) {
        const std::string& name = names[i];
        if (!IsWord(name) || (i > 0 && names[i - 1] == name)) continue;
        std::size_t same = 0;
        while (i + same < names.size() && names[i + same] == name) ++same;
        if (one.empty() && same == 1 && name.size() >= 6) one = name;
        if (several.empty() && same >= 2 && same <= 20) several = name;
        const std::string start = name.substr(0, name.size() - 1);
        if (longer.empty() && start.size() >= 3 && i > 0 && names[i - 1].compare(0, start.size(), start) != 0) {
            const std::size_t count = countStarting(i, start);
            if (count >= 2 && count <= 50) longer = start;
        }
    }
    return {{"one tag", one}, {"several tags", several}, {"only longer names", longer}, {"none", kAbsentWord}};
}

const char* RouteName(LookupRoute route)
{
    switch (route) {
    case LookupRoute::sortedRange: return "binary search";
    case LookupRoute::noTagThenEveryLine: return "search, then every line";
    case LookupRoute::disorderThenEveryLine: return "disorder, then every line";
    default: return "every line";
    }
}

// Each word: ScanTagsFile and the command with either plug-in, each round in
// that order, best of `runs` after a warm-up; then the word with none for
// every document name.
int BenchmarkLookups(const char* path, int runs)
{
    const TagsFileNameValue tagsFileName;  // the plug-in reads "tags"
    const CowString tagsPath = GetFullPath<CowString>(path);
    const CowString tagsFolder = FolderOf(tagsPath);
    const MappedFileOrFailure opened = MappedFile::Open(tagsPath.Text());
    if (!opened.file) {
        std::fprintf(stderr, "cannot open %s\n", tagsPath.Text());
        return 1;
    }
    Floor floor(*opened.file, runs);
    floor.Measure();
    const TagsFileProfile profile = ProfileFile(*opened.file);
    std::string documentField;
    std::vector<LookupCase> cases = PickLookupWords(*opened.file, documentField);
    for (std::size_t i = 1; i < 4; ++i) cases.push_back({cases[i].label + ", VHDL", cases[i].word, true});
    std::printf("tags file  %s, %.1f MB\n", tagsPath.Text(), static_cast<double>(opened.file->Size()) / kBytesPerMegabyte);
    std::printf("build      %d-bit; the widest search: %s; best of %d runs after a warm-up\n",
                static_cast<int>(sizeof(void*) * 8), PathName(ScanPath::best), runs);
    std::printf("document   %s (and %s.vhd for the rows marked VHDL)\n", documentField.c_str(), documentField.c_str());
    Commands commands = IsNamedTags(tagsPath) ? OpenCommands() : Commands();
    const CowString document = DocumentPath(tagsFolder, documentField);
    const CowString vhdlDocument = DocumentPath(tagsFolder, documentField + ".vhd");
    bool found = true;
    struct Row {
        const LookupCase* lookup = nullptr;
        BestTime scan, command, avx2;
        LookupRoute route = LookupRoute::everyLine;
        std::size_t exact = 0, prefix = 0;
    };
    std::vector<Row> rows;
    for (const LookupCase& lookup : cases) {
        Row row;
        row.lookup = &lookup;
        if (!lookup.word.empty()) {
            const CowString& from = lookup.anyCase ? vhdlDocument : document;
            const TagQuery query{CowString(lookup.word.c_str()), from, tagsFolder};
            for (int round = 0; round <= runs; ++round) {
                TagMatchLists lists;
                TimeRound(round, row.scan,
                          [&] { found = ScanTagsFile(tagsPath, query, lists, ScanOptions(), &row.route) && found; });
                row.exact = lists.exact.size();
                row.prefix = lists.prefix.size();
                if (commands) {
                    TimeCommand(round, *commands.widest, from, lookup.word, row.command);
                    TimeCommand(round, *commands.avx2, from, lookup.word, row.avx2);
                }
            }
        }
        rows.push_back(row);
    }
    commands = Commands();  // the names' rows open their own
    const NameRows names = MeasureNames(tagsPath, tagsFolder, profile, ScanOptions(), floor, runs);

    floor.Print();
    std::printf("  %-24s %-30s %6s %6s  %-26s %8s %8s %8s %8s %8s %8s\n", "case", "word", "exact", "prefix", "route",
                "scan ms", "cmd ms", "AVX2 ms", "scan/fl", "cmd/fl", "AVX2/fl");
    const double floorMilliseconds = floor.Milliseconds();
    for (const Row& row : rows) {
        if (row.lookup->word.empty()) {
            std::printf("  %-24s (no such word in the middle of the file)\n", row.lookup->label.c_str());
            continue;
        }
        std::printf("  %-24s %-30.30s %6lu %6lu  %-26s %8s %8s %8s %8s %8s %8s\n", row.lookup->label.c_str(),
                    row.lookup->word.c_str(), static_cast<unsigned long>(row.exact),
                    static_cast<unsigned long>(row.prefix), RouteName(row.route),
                    Milliseconds(row.scan.milliseconds, "%.2f").c_str(),
                    Milliseconds(row.command.milliseconds, "%.2f").c_str(),
                    Milliseconds(row.avx2.milliseconds, "%.2f").c_str(),
                    Percent(row.scan.milliseconds, floorMilliseconds).c_str(),
                    Percent(row.command.milliseconds, floorMilliseconds).c_str(),
                    Percent(row.avx2.milliseconds, floorMilliseconds).c_str());
    }
    std::printf("goal: a word with tags at most 2%% of the floor (command), a word with none at most 150%%\n");
    const bool agree = PrintNames(names, floorMilliseconds, runs);
    return found && agree ? 0 : 1;
}

// ---- Several tags files ---------------------------------------------------------

// One file named in the list: its entry in TagsFileName, and the file itself.
struct ListedFile {
    std::string entry;
    CowString path;
};

// The command over all the files and over each alone, for a word of each
// file (one with several tags, from its middle) and a word of none. A word
// with tags costs at most the sum of the lookups in each file alone plus 10%;
// a word with none reads every line of the project's file alone (the others
// cannot name the document), and costs at most 1.5 times its floor.
int BenchmarkSeveral(const char* projectFolder, const std::vector<const char*>& libraries, int runs)
{
    const CowString project = GetFullPath<CowString>(projectFolder);
    std::vector<ListedFile> files = {{"tags", project + "\\tags"}};
    for (const char* library : libraries) {
        const CowString full = GetFullPath<CowString>(library);
        files.push_back({full.Text(), full});
    }
    std::string all;
    for (const ListedFile& file : files) all += (all.empty() ? "" : ";") + file.entry;
    const CowString document = project + "\\src\\main.c";

    std::vector<LookupCase> words;
    for (const ListedFile& file : files) {
        const MappedFileOrFailure opened = MappedFile::Open(file.path.Text());
        if (!opened.file) {
            std::fprintf(stderr, "cannot open %s\n", file.path.Text());
            return 1;
        }
        std::string documentField;
        const std::vector<LookupCase> picked = PickLookupWords(*opened.file, documentField);
        if (!picked[1].word.empty()) words.push_back({"tags in " + std::to_string(words.size() + 1), picked[1].word});
    }
    words.push_back({"none", kAbsentWord});

    TagsFileNameValue value;
    Commands commands = OpenCommands();
    if (!commands) return 1;
    const MappedFileOrFailure projectFile = MappedFile::Open(files[0].path.Text());
    if (!projectFile.file) return 1;
    Floor floor(*projectFile.file, runs);
    floor.Measure();

    std::printf("several tags files, TagsFileName \"%s\"\n", all.c_str());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const MappedFileOrFailure opened = MappedFile::Open(files[i].path.Text());
        std::printf("  %lu. %s, %.1f MB%s\n", static_cast<unsigned long>(i + 1), files[i].path.Text(),
                    opened.file ? static_cast<double>(opened.file->Size()) / kBytesPerMegabyte : 0.0,
                    i == 0 ? " (found upward from the document: the only one read for its tags)" : "");
    }
    std::printf("document   %s\nbuild      %d-bit; best of %d runs after a warm-up; the command, in ms\n",
                document.Text(), static_cast<int>(sizeof(void*) * 8), runs);

    struct Row {
        BestTime all[2];
        std::vector<BestTime> alone[2];
    };
    std::vector<Row> rows(words.size());
    for (std::size_t w = 0; w < words.size(); ++w) {
        Row& row = rows[w];
        row.alone[0].resize(files.size());
        row.alone[1].resize(files.size());
        for (int round = 0; round <= runs; ++round) {
            CommandClock* clocks[2] = {commands.widest.get(), commands.avx2.get()};
            for (int c = 0; c < 2; ++c) {
                value.Set(all);
                TimeCommand(round, *clocks[c], document, words[w].word, row.all[c]);
                for (std::size_t i = 0; i < files.size(); ++i) {
                    value.Set(files[i].entry);
                    TimeCommand(round, *clocks[c], document, words[w].word, row.alone[c][i]);
                }
            }
        }
    }
    floor.Measure();
    floor.Print();
    std::printf("  (the floor of the project's file, the one a word with no tag has read line by line)\n");
    const char* pathNames[2] = {PathName(ScanPath::best), "AVX2"};
    bool met = true;
    for (int c = 0; c < 2; ++c) {
        std::printf("\n%s\n  %-12s %-28s %9s", pathNames[c], "case", "word", "all");
        for (std::size_t i = 0; i < files.size(); ++i) std::printf(" %7s%lu", "alone ", static_cast<unsigned long>(i + 1));
        std::printf(" %9s %12s\n", "sum", "all/yardstick");
        for (std::size_t w = 0; w < words.size(); ++w) {
            const Row& row = rows[w];
            double sum = 0;
            std::printf("  %-12s %-28.28s %9s", words[w].label.c_str(), words[w].word.c_str(),
                        Milliseconds(row.all[c].milliseconds, "%.2f").c_str());
            for (const BestTime& alone : row.alone[c]) {
                std::printf(" %8s", Milliseconds(alone.milliseconds, "%.2f").c_str());
                sum += alone.milliseconds;
            }
            const bool none = words[w].word == kAbsentWord;
            // A word with tags against the sum of the files alone, a word with
            // none against the floor of the file it reads line by line.
            const double yardstick = none ? floor.Milliseconds() : sum;
            const double ratio = row.all[c].milliseconds / yardstick;
            std::printf(" %9s %9.2fx %s\n", none ? "" : Milliseconds(sum, "%.2f").c_str(), ratio,
                        none ? "of the floor" : "of the sum");
            met = met && ratio <= (none ? 1.5 : 1.1);
        }
    }
    std::printf("goal: a word with tags at most the sum of the files alone plus 10%%; a word with none at most 1.5x the "
                "floor%s\n",
                met ? "" : " (NOT MET)");
    return 0;
}

// ---- Past 4 GiB ----------------------------------------------------------------

// The same lines twice, past 4 GiB: sorted (the header says 1) and not (the
// header says 0). In each, a word whose tags stand past the 4 GiB offset and
// the word of none: ScanTagsFile and the command, best of `runs` after a
// warm-up, against each file's own floor (measured before and after); then
// Esc pressed kEscapeAfterMs into the command's read of the file not sorted
// (the word of none), timed from the press to the command's end.
int BenchmarkPastFourGiB(const char* sortedPath, const char* unsortedPath, int runs)
{
    constexpr std::uint64_t kFourGiB = std::uint64_t{4} << 30;
    constexpr DWORD kEscapeAfterMs = 300;  // the progress shows from 250 ms on
    const TagsFileNameValue tagsFileName;  // the plug-in reads "tags"
    const CowString paths[2] = {GetFullPath<CowString>(sortedPath), GetFullPath<CowString>(unsortedPath)};
    const char* labels[2] = {"sorted", "not sorted (header 0)"};
    std::string documentField;
    std::vector<LookupCase> words;
    {
        const MappedFileOrFailure sorted = MappedFile::Open(paths[0].Text());
        if (!sorted.file || sorted.file->Size() <= kFourGiB + kScanWindowBytes) {
            std::fprintf(stderr, "%s: no file past 4 GiB\n", paths[0].Text());
            return 1;
        }
        const std::vector<LookupCase> picked = PickLookupWords(*sorted.file, documentField, kFourGiB + kScanWindowBytes);
        words = {{"tags past 4 GiB", picked[1].word}, {"none", kAbsentWord}};
    }
    std::printf("build      %d-bit; the widest search: %s; best of %d runs after a warm-up\n",
                static_cast<int>(sizeof(void*) * 8), PathName(ScanPath::best), runs);
    std::printf("document   %s\n", documentField.c_str());
    bool found = true;
    bool met = true;
    for (int f = 0; f < 2; ++f) {
        const CowString& tagsPath = paths[f];
        const CowString tagsFolder = FolderOf(tagsPath);
        const CowString document = DocumentPath(tagsFolder, documentField);
        const MappedFileOrFailure opened = MappedFile::Open(tagsPath.Text());
        if (!opened.file) return 1;
        Floor floor(*opened.file, runs);
        floor.Measure();
        Commands commands = IsNamedTags(tagsPath) ? OpenCommands() : Commands();
        struct Row {
            BestTime scan, command;
            LookupRoute route = LookupRoute::everyLine;
            std::size_t exact = 0, prefix = 0;
        } rows[2];
        for (std::size_t w = 0; w < words.size(); ++w) {
            const TagQuery query{CowString(words[w].word.c_str()), document, tagsFolder};
            for (int round = 0; round <= runs; ++round) {
                TagMatchLists lists;
                TimeRound(round, rows[w].scan,
                          [&] { found = ScanTagsFile(tagsPath, query, lists, ScanOptions(), &rows[w].route) && found; });
                rows[w].exact = lists.exact.size();
                rows[w].prefix = lists.prefix.size();
                if (commands) TimeCommand(round, *commands.widest, document, words[w].word, rows[w].command);
            }
        }
        BestTime escape;
        int stopped = 0;
        if (f == 1 && commands) {
            char stoppedText[256] = "";
            LoadStringA(GetModuleHandleA("Velkin.dll"), IDS_SEARCH_STOPPED, stoppedText, sizeof stoppedText);
            for (int round = 0; round < runs; ++round) {
                const double milliseconds = commands.widest->RunStoppedByEscape(document.Text(), kAbsentWord, kEscapeAfterMs);
                if (milliseconds >= 0) escape.Add(milliseconds);
                const std::vector<std::string>& statuses = commands.widest->Statuses();
                stopped += !statuses.empty() && statuses.back() == stoppedText;
            }
        }
        floor.Measure();
        std::printf("\n%s: %s, %.1f MB\n", labels[f], tagsPath.Text(),
                    static_cast<double>(opened.file->Size()) / kBytesPerMegabyte);
        floor.Print();
        std::printf("  %-16s %-24s %6s %6s  %-24s %9s %9s %8s %8s\n", "case", "word", "exact", "prefix", "route",
                    "scan ms", "cmd ms", "scan/fl", "cmd/fl");
        const double floorMilliseconds = floor.Milliseconds();
        for (std::size_t w = 0; w < words.size(); ++w) {
            const Row& row = rows[w];
            const bool searched = f == 0 && w == 0;
            const auto share = searched ? Percent : Ratio;
            std::printf("  %-16s %-24.24s %6lu %6lu  %-24s %9s %9s %8s %8s\n", words[w].label.c_str(),
                        words[w].word.c_str(), static_cast<unsigned long>(row.exact),
                        static_cast<unsigned long>(row.prefix), RouteName(row.route),
                        Milliseconds(row.scan.milliseconds, "%.2f").c_str(),
                        Milliseconds(row.command.milliseconds, "%.2f").c_str(),
                        share(row.scan.milliseconds, floorMilliseconds).c_str(),
                        share(row.command.milliseconds, floorMilliseconds).c_str());
            const double worst = std::max(row.scan.milliseconds, row.command.milliseconds) / floorMilliseconds;
            met = met && worst <= (searched ? 0.02 : 1.5);
        }
        if (f == 1) {
            std::printf("  Esc %lu ms into the command (word of none): %s ms from the press to the command's end, best of %d\n"
                        "  (%d of %d commands said they stopped, 546)\n",
                        static_cast<unsigned long>(kEscapeAfterMs), Milliseconds(escape.milliseconds, "%.1f").c_str(), runs,
                        stopped, runs);
        }
    }
    std::printf("goal: sorted, a word with tags at most 2%% of the floor; not sorted, at most 1.5x; a word with none at "
                "most 1.5x%s\n",
                met ? "" : " (NOT MET)");
    return found ? 0 : 1;
}

// The path an option names, or null.
const ScanPath* PathNamed(const char* option)
{
    static const struct {
        const char* option;
        ScanPath path;
    } kPaths[] = {{"--avx2", ScanPath::avx2},
                  {"--ssse3", ScanPath::ssse3},
                  {"--sse2", ScanPath::sse2},
                  {"--every-line", ScanPath::everyLine}};
    for (const auto& named : kPaths) {
        if (std::strcmp(option, named.option) == 0) return &named.path;
    }
    return nullptr;
}

int Usage()
{
    std::fprintf(stderr, "usage: scan_benchmark [--runs N] [--avx2 | --ssse3 | --sse2 | --every-line] TAGS_FILE\n"
                         "       scan_benchmark [--runs N] --lookups TAGS_FILE\n"
                         "       scan_benchmark [--runs N] --several PROJECT_FOLDER LIBRARY_TAGS...\n"
                         "       scan_benchmark [--runs N] --past-4gib SORTED_TAGS UNSORTED_TAGS\n"
                         "       scan_benchmark --generate TAGS_FILE [TAGS]\n");
    return 2;
}

}  // namespace
}  // namespace velkin::bench

int main(int argc, char** argv)
{
    using namespace velkin::bench;
    std::vector<const char*> arguments(argv + 1, argv + argc);
    if ((arguments.size() == 2 || arguments.size() == 3) && std::strcmp(arguments[0], "--generate") == 0) {
        return Generate(arguments[1], arguments.size() == 3 ? static_cast<std::uint32_t>(std::atol(arguments[2])) : 0);
    }

    int runs = 5;
    if (arguments.size() > 2 && std::strcmp(arguments[0], "--runs") == 0) {
        runs = std::atoi(arguments[1]);
        arguments.erase(arguments.begin(), arguments.begin() + 2);
    }
    if (runs < 1) return Usage();
    if (arguments.size() >= 3 && std::strcmp(arguments[0], "--several") == 0) {
        return BenchmarkSeveral(arguments[1], std::vector<const char*>(arguments.begin() + 2, arguments.end()), runs);
    }
    if (arguments.size() == 2 && std::strcmp(arguments[0], "--lookups") == 0) return BenchmarkLookups(arguments[1], runs);
    if (arguments.size() == 3 && std::strcmp(arguments[0], "--past-4gib") == 0) {
        return BenchmarkPastFourGiB(arguments[1], arguments[2], runs);
    }
    velkin::ScanOptions options;
    if (arguments.size() == 2) {
        const velkin::ScanPath* path = PathNamed(arguments[0]);
        if (!path) return Usage();
        options.path = *path;
        arguments.erase(arguments.begin());
    }
    if (arguments.size() != 1) return Usage();
    return Benchmark(arguments[0], options, runs);
}
