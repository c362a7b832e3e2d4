// scan_benchmark: times the whole ScanTagsFile (open, map, scan, unmap) on one
// tags file, reading every line (a sorted file is not searched), each case side by side with two line-feed counts in the same run:
// over a freshly mapped view of the file (map, count, unmap: the price of
// touching every page once) and over a view already touched.
//
//   scan_benchmark.exe [--runs N] [--avx2 | --ssse3 | --sse2 | --every-line] TAGS_FILE
//                     benchmark TAGS_FILE (best of N runs, default 5); the scanner
//                     searches with AVX2 or SSSE3 at most, with SSE2 alone, or reads
//                     every line
//   scan_benchmark.exe [--runs N] --lookups TAGS_FILE
//                     look words up in a sorted tags file: one with one tag, one with
//                     several, one only longer names begin with, and one with none; the
//                     scan and the whole command against mapping the file fresh and
//                     counting its lines in windows, in the same rounds
//   scan_benchmark.exe --generate TAGS_FILE [TAGS]
//                     write the synthetic tags file there (1,000,000 tags unless TAGS),
//                     unless the file there was written with the same shape
//
// Generating is a separate run so that the benchmark's peak working set
// holds no generator tables.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <memory>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/Clock.h"
#include "bench/CommandClock.h"
#include "bench/NewlineCount.h"
#include "bench/ReadtagsFilter.h"
#include "bench/TagsFileGenerator.h"
#include "bench/TagsFileProfile.h"
#include "tags/CandidateSearch.h"
#include "tags/LineGrammar.h"
#include "tags/MappedFile.h"
#include "tags/TagsFileLookup.h"
#include "win/FullPath.h"

namespace velkin::bench {
namespace {

constexpr const char* kAbsentWord = "zzVelkinAbsentWord";
constexpr double kBytesPerMegabyte = 1e6;

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

// ---- Timing ----------------------------------------------------------------

template <typename Work>
double TimeMilliseconds(Work&& work)
{
    const double start = NowMilliseconds();
    work();
    return NowMilliseconds() - start;
}

struct BestTime {
    double milliseconds = 1e300;
    void Add(double sample) { milliseconds = std::min(milliseconds, sample); }
};

// Times `work` and keeps the time unless this is the warm-up round (round 0).
template <typename Work>
void TimeRound(int round, BestTime& best, Work&& work)
{
    const double milliseconds = TimeMilliseconds(work);
    if (round > 0) best.Add(milliseconds);
}

// ---- Cases -----------------------------------------------------------------

struct BenchCase {
    std::string title;
    CowString word;
    std::string documentField;  // the document, as the tags file names it
};

struct CaseResult {
    BestTime scanFile, scanTouched, freshCount, touchedCount, memchrCount;
    std::size_t freshLines = 0, touchedLines = 0, memchrLines = 0;
    std::size_t listSizes[TagMatchLists::kCount] = {};
    bool scanned = true;
    bool listsAgree = true;  // the whole-file scan and the scan of the touched view
};

std::size_t CountFreshView(const MappedFile& file)
{
    const MappedWindow view = file.Map(0, file.Size());
    return view ? CountNewlinesSse2(view.Begin(), view.End()) : 0;
}

// Round 0 is the warm-up (it also faults the touched view's pages in); the
// baselines run in every round right before the scans, so all see the same
// conditions.
CaseResult RunCase(const CowString& tagsPath, const TagQuery& query,
                   const MappedFile& file, const MappedWindow& touched, const ScanOptions& options, int runs)
{
    CaseResult result;
    for (int round = 0; round <= runs; ++round) {
        TimeRound(round, result.touchedCount,
                  [&] { result.touchedLines = CountNewlinesSse2(touched.Begin(), touched.End()); });
        TimeRound(round, result.freshCount, [&] { result.freshLines = CountFreshView(file); });
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

// One row: time, throughput and the ratios to the two counts.
void PrintRow(const char* label, const BestTime& time, const CaseResult& result, std::uint64_t bytes,
              const std::string& found)
{
    std::printf("  %-26s %8.1f ms %7.0f MB/s %7.2fx %7.2fx   %s\n", label, time.milliseconds,
                static_cast<double>(bytes) / kBytesPerMegabyte / (time.milliseconds / 1000.0),
                time.milliseconds / result.freshCount.milliseconds,
                time.milliseconds / result.touchedCount.milliseconds, found.c_str());
}

void PrintCase(const BenchCase& benchCase, const CaseResult& result, std::uint64_t bytes)
{
    std::printf("\n%s\n", benchCase.title.c_str());
    std::printf("  %-26s %11s %12s %8s %8s\n", "", "time", "", "/fresh", "/touched");
    const std::string records = "records: exact " + std::to_string(result.listSizes[0]) + ", prefix " +
                                std::to_string(result.listSizes[1]) + ", inDocument " +
                                std::to_string(result.listSizes[2]);
    PrintRow("ScanTagsFile (whole)", result.scanFile, result, bytes, records);
    PrintRow("TagScanner, touched view", result.scanTouched, result, bytes, "the same lists, no mapping");
    PrintRow("count, fresh view", result.freshCount, result, bytes, "lines: " + std::to_string(result.freshLines));
    PrintRow("count, touched view", result.touchedCount, result, bytes,
             "lines: " + std::to_string(result.touchedLines));
    PrintRow("memchr count, touched", result.memchrCount, result, bytes,
             "lines: " + std::to_string(result.memchrLines));
    std::printf("  readtags filter  %s\n", ReadtagsFilter(benchCase.word.Text(), benchCase.documentField).c_str());
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
}

double Megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / kBytesPerMegabyte; }

// The folder of a full path, without the trailing backslash ("C:" for a drive's root).
CowString FolderOf(const CowString& fullPath) { return fullPath.Prefix(fullPath.FindLastByte('\\')); }

// The document that a file field names, resolved as the scanner resolves it.
CowString DocumentPath(const CowString& tagsFolder, const std::string& fileField)
{
    return GetFullPath<CowString>((tagsFolder + "\\" + fileField.c_str()).Text());
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
    return {
        {"e", "e", true},
        {"x", "x", true},
        {"a.c", "a.c", true},
        {"io.h", "io.h", true},
        {"t.h", "t.h", true},
        {"main.c", "main.c", true},
        {"Makefile", "Makefile", true},
        {"stdio.h", "stdio.h", true},
        {"long path", "src\\components\\network\\protocol\\handlers\\session_management_state_machine.c", true},
        {"in the file: " + profile.typicalFile, profile.typicalFile, true},
        {"absent", "velkin_absent_document.c", true},
        {"Japanese", "\x93\xfa\x96\x7b\x8c\xea.c" /* 日本語.c */, true},
        {"full-width letters (no search)", "\x82\x81\x82\x82.c" /* ａｂ.c */, false},
    };
}

struct NameResult {
    BestTime scan, command, fresh, scanTouched, countTouched;
    std::size_t inDocument = 0;
    bool sameAsEveryLine = true;
    std::string status;  // the status after the scan (the command's)
};

// The lists of a scan of the touched view, sizes only.
std::vector<std::size_t> ListSizesOf(const TagQuery& query, const MappedWindow& touched, ScanPath path)
{
    TagMatchLists lists;
    TagScanner scanner(query, lists, path);
    scanner.Scan(touched.Begin(), touched.End());
    return {lists[0].size(), lists[1].size(), lists[2].size()};
}

// Each name in turn: ScanTagsFile, the command and the fresh count, each
// round in that order, best of `runs` after a warm-up.
NameResult RunName(const CowString& tagsPath, const TagQuery& query, const MappedFile& file,
                   const MappedWindow& touched, const ScanOptions& options, CommandClock* command, int runs)
{
    NameResult result;
    for (int round = 0; round <= runs; ++round) {
        TimeRound(round, result.fresh, [&] { CountFreshView(file); });
        TagMatchLists lists;
        TimeRound(round, result.scan, [&] { ScanTagsFile(tagsPath, query, lists, options); });
        result.inDocument = lists.inDocument.size();
        TimeRound(round, result.countTouched, [&] { CountNewlinesSse2(touched.Begin(), touched.End()); });
        TagMatchLists touchedLists;
        TimeRound(round, result.scanTouched, [&] {
            TagScanner scanner(query, touchedLists, options.path);
            scanner.Scan(touched.Begin(), touched.End());
        });
        if (command) {
            const double milliseconds = command->Run(query.documentPath.Text(), query.word.Text());
            if (round > 0 && milliseconds >= 0) result.command.Add(milliseconds);
            if (command->Statuses().size() >= 2) result.status = command->Statuses()[1];
        }
    }
    result.sameAsEveryLine =
        ListSizesOf(query, touched, options.path) == ListSizesOf(query, touched, ScanPath::everyLine);
    return result;
}

std::string Ratio(double milliseconds, double baseline)
{
    if (milliseconds >= 1e300) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", milliseconds / baseline);
    return text;
}

std::string Milliseconds(double milliseconds)
{
    if (milliseconds >= 1e300) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", milliseconds);
    return text;
}

// The command in the simulated editor, when the tags file is named "tags"
// (the plug-in looks for that name) and a display is there; else none.
std::unique_ptr<CommandClock> OpenCommandClock(const CowString& tagsPath)
{
    const int separator = tagsPath.FindLastByte('\\');
    if (lstrcmpiA(tagsPath.Text() + separator + 1, "tags") != 0) {
        std::printf("(the command is not timed: the tags file is not named \"tags\")\n");
        return nullptr;
    }
    try {
        return std::make_unique<CommandClock>();
    } catch (const std::exception& error) {
        std::printf("(the command is not timed: %s)\n", error.what());
        return nullptr;
    }
}

// One row per document name, the absent word as the word: the scan alone
// (ScanTagsFile) and the command as the editor runs it, each against a fresh
// count in the same rounds. Returns false when a name's lists differ from
// those of reading every line.
bool BenchmarkNames(const CowString& tagsPath, const CowString& tagsFolder, const TagsFileProfile& profile,
                    const MappedFile& file, const MappedWindow& touched, const ScanOptions& options, int runs)
{
    // The DLL searches with the widest vectors the processor has: its command
    // is timed only beside scans that do the same.
    std::unique_ptr<CommandClock> command;
    if (options.path == ScanPath::best) {
        command = OpenCommandClock(tagsPath);
    } else {
        std::printf("(the command is not timed: the DLL searches with the widest vectors, whatever the flag)\n");
    }
    std::printf("\ndocument names, word \"%s\" (ms; /fresh: against mapping the file fresh and counting its lines,\n"
                "in the same rounds; command: OnCommand to the status after the scan, Velkin.dll in the simulated editor)\n",
                kAbsentWord);
    std::printf("  %-34s %7s %7s %7s %8s %8s %7s %7s %6s  %s\n", "document", "scan", "command", "fresh", "scan/fr",
                "cmd/fr", "touched", "count t", "in doc", "lists as every line");
    double worstScan = 0, worstCommand = 0;
    std::string worstScanName, worstCommandName;
    bool agree = true;
    for (const DocumentName& name : DocumentNames(profile)) {
        const TagQuery query{CowString(kAbsentWord), DocumentPath(tagsFolder, name.field), tagsFolder};
        const NameResult r = RunName(tagsPath, query, file, touched, options, command.get(), runs);
        std::printf("  %-34.34s %7s %7s %7s %8s %8s %7s %7s %6lu  %s\n", name.label.c_str(),
                    Milliseconds(r.scan.milliseconds).c_str(), Milliseconds(r.command.milliseconds).c_str(),
                    Milliseconds(r.fresh.milliseconds).c_str(), Ratio(r.scan.milliseconds, r.fresh.milliseconds).c_str(),
                    Ratio(r.command.milliseconds, r.fresh.milliseconds).c_str(),
                    Milliseconds(r.scanTouched.milliseconds).c_str(), Milliseconds(r.countTouched.milliseconds).c_str(),
                    static_cast<unsigned long>(r.inDocument), r.sameAsEveryLine ? "same" : "DIFFERENT");
        std::fflush(stdout);
        agree = agree && r.sameAsEveryLine;
        if (!name.searched) continue;
        if (r.scan.milliseconds / r.fresh.milliseconds > worstScan) {
            worstScan = r.scan.milliseconds / r.fresh.milliseconds;
            worstScanName = name.label;
        }
        if (r.command.milliseconds < 1e300 && r.command.milliseconds / r.fresh.milliseconds > worstCommand) {
            worstCommand = r.command.milliseconds / r.fresh.milliseconds;
            worstCommandName = name.label;
        }
    }
    // The reference for a name the search cannot rule lines out by: the same
    // scan reading every line.
    const TagQuery absent{CowString(kAbsentWord), DocumentPath(tagsFolder, "velkin_absent_document.c"), tagsFolder};
    ScanOptions everyLine = options;
    everyLine.path = ScanPath::everyLine;
    const NameResult reference = RunName(tagsPath, absent, file, touched, everyLine, nullptr, runs);
    std::printf("  %-34s %7s %7s %7s %8s %8s %7s %7s\n", "(reading every line, any name)",
                Milliseconds(reference.scan.milliseconds).c_str(), "", Milliseconds(reference.fresh.milliseconds).c_str(),
                Ratio(reference.scan.milliseconds, reference.fresh.milliseconds).c_str(), "",
                Milliseconds(reference.scanTouched.milliseconds).c_str(),
                Milliseconds(reference.countTouched.milliseconds).c_str());
    std::printf("worst over the names searched for: scan %.2fx (%s)", worstScan, worstScanName.c_str());
    if (command) std::printf(", command %.2fx (%s)", worstCommand, worstCommandName.c_str());
    std::printf("; goal: at most 1.5x\n");
    return agree;
}

int Benchmark(const char* path, const ScanOptions& options, int runs)
{
    const CowString tagsPath = GetFullPath<CowString>(path);
    const CowString tagsFolder = FolderOf(tagsPath);
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    const SIZE_T workingSetBeforeMapping = memory.WorkingSetSize;

    const MappedFileOrFailure opened = MappedFile::Open(tagsPath.Text());
    const MappedWindow touched = opened.file ? opened.file->Map(0, opened.file->Size()) : MappedWindow();
    if (!touched) {
        std::fprintf(stderr, "cannot map %s (error %lu)\n", tagsPath.Text(), GetLastError());
        return 1;
    }
    const auto size = static_cast<std::uint64_t>(touched.End() - touched.Begin());
    std::printf("tags file  %s\n", tagsPath.Text());
    const char* search = options.path == ScanPath::everyLine ? "no" : WidthName(SearchWidth(options.path));
    std::printf("build      %d-bit, %s search, %lu MB windows, best of %d runs after a warm-up; MB = 10^6 bytes\n",
                static_cast<int>(sizeof(void*) * 8), search,
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
    CaseResult results[3];
    bool agree = true;
    for (int i = 0; i < 3; ++i) {
        const BenchCase& benchCase = cases[i];
        const TagQuery query{benchCase.word, DocumentPath(tagsFolder, benchCase.documentField), tagsFolder};
        results[i] = RunCase(tagsPath, query, *opened.file, touched, options, runs);
        PrintCase(benchCase, results[i], size);
        agree = agree && results[i].scanned && results[i].listsAgree &&
                results[i].freshLines == results[i].touchedLines && results[i].touchedLines == results[i].memchrLines;
        std::fflush(stdout);
    }

    std::printf("\nsummary (ms; the goal: scan / fresh at most 1.5)\n");
    std::printf("  %-12s %8s %8s %8s %8s %9s\n", "case", "scan", "fresh", "touched", "/fresh", "/touched");
    for (int i = 0; i < 3; ++i) {
        const CaseResult& r = results[i];
        std::printf("  %-12s %8.1f %8.1f %8.1f %7.2fx %8.2fx\n", shortTitles[i], r.scanFile.milliseconds,
                    r.freshCount.milliseconds, r.touchedCount.milliseconds,
                    r.scanFile.milliseconds / r.freshCount.milliseconds,
                    r.scanFile.milliseconds / r.touchedCount.milliseconds);
    }

    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    agree = BenchmarkNames(tagsPath, tagsFolder, profile, *opened.file, touched, options, runs) && agree;

    std::printf("\npeak working set %.1f MB (the views %.1f MB each; %.1f MB before mapping)\n",
                Megabytes(memory.PeakWorkingSetSize), Megabytes(static_cast<SIZE_T>(size)),
                Megabytes(workingSetBeforeMapping));
    if (!agree) {
        std::fprintf(stderr, "the scans or the counts disagree\n");
        return 1;
    }
    return 0;
}

// ---- Sorted lookups ------------------------------------------------------------

// Mapping the file fresh and counting its lines, window by window as the scan
// maps it: a 32-bit process has no room for one view of a large file.
std::size_t CountFreshWindows(const MappedFile& file)
{
    std::size_t lines = 0;
    for (std::uint32_t offset = 0; offset < file.Size(); offset += kScanWindowBytes) {
        const MappedWindow window = file.Map(offset, kScanWindowBytes);
        if (!window) return 0;
        lines += CountNewlinesSse2(window.Begin(), window.End());
    }
    return lines;
}

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
};

// From the names of the lines in a window at the middle of the file (sorted):
// a name of one tag, a name of several (2 to 20), and a start of only longer
// names (2 to 50 of them) that is no name itself; then a word of none.
// `document` gets the file field of the window's first whole line.
std::vector<LookupCase> PickLookupWords(const MappedFile& file, std::string& document)
{
    constexpr std::uint32_t kBytes = 8u << 20;
    const std::uint32_t granularity = MappedFile::AllocationGranularity();
    const std::uint32_t middle = file.Size() / 2 - file.Size() / 2 % granularity;
    const MappedWindow window = file.Map(middle, kBytes);
    std::vector<std::string> names;
    if (window) {
        const char* end = window.End();
        for (const char* line = SkipLine(window.Begin(), end); line < end; line = SkipLine(line, end)) {
            const char* tab = NextTab(line, end);
            if (!tab) continue;
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
        if (longer.empty() && start.size() >= 3 && names[i - 1].compare(0, start.size(), start) != 0) {
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

// Each word: ScanTagsFile, the command, and the fresh count in windows, each
// round in that order, best of `runs` after a warm-up.
int BenchmarkLookups(const char* path, int runs)
{
    const CowString tagsPath = GetFullPath<CowString>(path);
    const CowString tagsFolder = FolderOf(tagsPath);
    const MappedFileOrFailure opened = MappedFile::Open(tagsPath.Text());
    if (!opened.file) {
        std::fprintf(stderr, "cannot open %s\n", tagsPath.Text());
        return 1;
    }
    std::string documentField;
    const std::vector<LookupCase> cases = PickLookupWords(*opened.file, documentField);
    const CandidateSearch::Width widest = SearchWidth(ScanPath::best);
    std::printf("tags file  %s, %.1f MB\n", tagsPath.Text(), static_cast<double>(opened.file->Size()) / kBytesPerMegabyte);
    std::printf("build      %d-bit; a full scan searches with %s; best of %d runs after a warm-up\n",
                static_cast<int>(sizeof(void*) * 8), WidthName(widest), runs);
    std::printf("document   %s\n", documentField.c_str());
    std::unique_ptr<CommandClock> command = OpenCommandClock(tagsPath);
    std::printf("  %-18s %-30s %6s %6s  %-26s %8s %8s %8s %7s %7s\n", "case", "word", "exact", "prefix", "route",
                "scan ms", "cmd ms", "fresh ms", "scan/fr", "cmd/fr");
    const CowString document = DocumentPath(tagsFolder, documentField);
    bool found = true;
    for (const LookupCase& lookup : cases) {
        if (lookup.word.empty()) {
            std::printf("  %-18s (no such word in the middle of the file)\n", lookup.label.c_str());
            continue;
        }
        const TagQuery query{CowString(lookup.word.c_str()), document, tagsFolder};
        BestTime scan, commandTime, fresh;
        LookupRoute route = LookupRoute::everyLine;
        std::size_t exact = 0, prefix = 0;
        for (int round = 0; round <= runs; ++round) {
            TimeRound(round, fresh, [&] { CountFreshWindows(*opened.file); });
            TagMatchLists lists;
            TimeRound(round, scan, [&] { found = ScanTagsFile(tagsPath, query, lists, ScanOptions(), &route) && found; });
            exact = lists.exact.size();
            prefix = lists.prefix.size();
            if (command) {
                const double milliseconds = command->Run(query.documentPath.Text(), lookup.word);
                if (round > 0 && milliseconds >= 0) commandTime.Add(milliseconds);
            }
        }
        const auto percent = [&fresh](const BestTime& time) {
            if (time.milliseconds >= 1e300) return std::string("-");
            char text[32];
            std::snprintf(text, sizeof text, "%.2f%%", 100 * time.milliseconds / fresh.milliseconds);
            return std::string(text);
        };
        std::printf("  %-18s %-30.30s %6lu %6lu  %-26s %8.2f %8s %8.1f %7s %7s\n", lookup.label.c_str(),
                    lookup.word.c_str(), static_cast<unsigned long>(exact), static_cast<unsigned long>(prefix),
                    RouteName(route), scan.milliseconds, Milliseconds(commandTime.milliseconds).c_str(),
                    fresh.milliseconds, percent(scan).c_str(), percent(commandTime).c_str());
        std::fflush(stdout);
    }
    std::printf("goal: a word with tags at most 2%% of the fresh count (command), a word with none at most 150%%\n");
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
    bool lookups = false;
    velkin::ScanOptions options;
    while (arguments.size() > 1) {
        if (std::strcmp(arguments[0], "--runs") == 0 && arguments.size() > 2) {
            runs = std::atoi(arguments[1]);
            arguments.erase(arguments.begin(), arguments.begin() + 2);
        } else if (std::strcmp(arguments[0], "--lookups") == 0 && arguments.size() == 2) {
            lookups = true;
            arguments.erase(arguments.begin());
        } else if (const velkin::ScanPath* path = PathNamed(arguments[0])) {
            options.path = *path;
            arguments.erase(arguments.begin());
        } else {
            return Usage();
        }
    }
    if (arguments.size() != 1 || runs < 1) return Usage();
    if (lookups) return BenchmarkLookups(arguments[0], runs);
    // The scan of every line is timed, whatever the header says.
    options.searchSorted = false;
    return Benchmark(arguments[0], options, runs);
}
