// scan_benchmark: times the whole ScanTagsFile (open, map, scan, unmap) on one
// tags file, each case side by side with two line-feed counts in the same run:
// over a freshly mapped view of the file (map, count, unmap: the price of
// touching every page once) and over a view already touched.
//
//   scan_benchmark.exe [--runs N] [--avx2 | --ssse3 | --sse2 | --every-line] TAGS_FILE
//                     benchmark TAGS_FILE (best of N runs, default 5); the scanner
//                     searches with AVX2 or SSSE3 at most, with SSE2 alone, or reads
//                     every line
//   scan_benchmark.exe --generate TAGS_FILE   write the synthetic tags file there, unless the
//                                             file there was written with the same shape
//
// Generating is a separate run so that the benchmark's peak working set
// holds no generator tables.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
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
#include "tags/MappedFile.h"
#include "tags/TagScanner.h"
#include "win/FullPath.h"

namespace velkin::bench {
namespace {

constexpr const char* kAbsentWord = "zzVelkinAbsentWord";
constexpr double kBytesPerMegabyte = 1e6;

int Generate(const char* path)
{
    const GeneratedTagsShape shape;
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
    const CandidateSearch::Width widest = SearchWidth(options.path);
    const char* search = options.path == ScanPath::everyLine                   ? "no"
                         : widest == CandidateSearch::Width::avx512 ? "AVX-512"
                         : widest == CandidateSearch::Width::avx2   ? "AVX2"
                         : widest == CandidateSearch::Width::ssse3  ? "SSSE3"
                                                                    : "SSE2";
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
                         "       scan_benchmark --generate TAGS_FILE\n");
    return 2;
}

}  // namespace
}  // namespace velkin::bench

int main(int argc, char** argv)
{
    using namespace velkin::bench;
    std::vector<const char*> arguments(argv + 1, argv + argc);
    if (arguments.size() == 2 && std::strcmp(arguments[0], "--generate") == 0) return Generate(arguments[1]);

    int runs = 5;
    velkin::ScanOptions options;
    while (arguments.size() > 1) {
        if (std::strcmp(arguments[0], "--runs") == 0 && arguments.size() > 2) {
            runs = std::atoi(arguments[1]);
            arguments.erase(arguments.begin(), arguments.begin() + 2);
        } else if (const velkin::ScanPath* path = PathNamed(arguments[0])) {
            options.path = *path;
            arguments.erase(arguments.begin());
        } else {
            return Usage();
        }
    }
    if (arguments.size() != 1 || runs < 1) return Usage();
    return Benchmark(arguments[0], options, runs);
}
