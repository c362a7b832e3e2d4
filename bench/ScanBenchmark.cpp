// scan_benchmark: times the tags scanner over one mapped tags file, each case
// side by side with two line-feed counts over the same mapping in the same run.
//
//   scan_benchmark.exe [--runs N] TAGS_FILE   benchmark TAGS_FILE (best of N runs, default 5)
//   scan_benchmark.exe --generate TAGS_FILE   write the synthetic tags file there, unless the
//                                             file there was written with the same shape
//
// Generating is a separate run so that the benchmark's peak working set
// holds no generator tables.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/NewlineCount.h"
#include "bench/ReadtagsFilter.h"
#include "bench/TagLines.h"
#include "bench/TagsFileGenerator.h"
#include "bench/TagsFileProfile.h"
#include "tags/FileFieldMemo.h"
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

double NowMilliseconds()
{
    static const double ticksPerMillisecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMillisecond;
}

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
    BestTime scan, sse2, memchr;
    std::size_t sse2Lines = 0, memchrLines = 0;
    std::size_t listSizes[TagMatchLists::kCount] = {};
};

// Round 0 is the warm-up (it also faults the view's pages in); the baselines
// run in every round right before the scan, so all three see the same conditions.
CaseResult RunCase(const BenchCase& benchCase, const CowString& documentPath, const CowString& tagsFolder,
                   const MappedBytes& bytes, int runs)
{
    CaseResult result;
    for (int round = 0; round <= runs; ++round) {
        TimeRound(round, result.sse2, [&] { result.sse2Lines = CountNewlinesSse2(bytes.begin, bytes.end); });
        TimeRound(round, result.memchr, [&] { result.memchrLines = CountNewlinesMemchr(bytes.begin, bytes.end); });
        TagMatchLists lists;
        TimeRound(round, result.scan, [&] {
            TagScanner scanner({benchCase.word, documentPath, tagsFolder}, lists);
            scanner.Scan(bytes.begin, bytes.end);
        });
        for (int list = 0; list < TagMatchLists::kCount; ++list) result.listSizes[list] = lists[list].size();
    }
    return result;
}

// One row: time, throughput, the ratio to the SSE2 count (blank for that
// count itself) and what the run found.
void PrintRow(const char* label, const BestTime& time, const BestTime& sse2, std::uint64_t bytes,
              const std::string& found)
{
    std::printf("  %-22s %9.1f ms %8.0f MB/s", label, time.milliseconds,
                static_cast<double>(bytes) / kBytesPerMegabyte / (time.milliseconds / 1000.0));
    if (&time == &sse2) {
        std::printf("%14s", "");
    } else {
        std::printf(" %7.2fx SSE2", time.milliseconds / sse2.milliseconds);
    }
    std::printf("   %s\n", found.c_str());
}

void PrintCase(const BenchCase& benchCase, const CaseResult& result, std::uint64_t bytes)
{
    std::printf("\n%s\n", benchCase.title.c_str());
    PrintRow("TagScanner", result.scan, result.sse2, bytes,
             "records: exact " + std::to_string(result.listSizes[0]) + ", prefix " +
                 std::to_string(result.listSizes[1]) + ", inDocument " + std::to_string(result.listSizes[2]));
    PrintRow("SSE2 newline count", result.sse2, result.sse2, bytes, "lines: " + std::to_string(result.sse2Lines));
    PrintRow("memchr newline count", result.memchr, result.sse2, bytes, "lines: " + std::to_string(result.memchrLines));
    std::printf("  readtags filter  %s\n", ReadtagsFilter(benchCase.word.Text(), benchCase.documentField).c_str());
}

// Where the scan's time goes: its first steps, made of the scanner's own
// pieces, each row including the ones above it. The rest of the scan's time
// is the name comparison and the records.
void RunSteps(const MappedBytes& bytes, const CowString& documentPath, const CowString& tagsFolder, int runs)
{
    BestTime sse2, walk, fields, documents;
    std::size_t newlines = 0, lines = 0, tagLines = 0, inDocument = 0, resolved = 0;
    for (int round = 0; round <= runs; ++round) {
        TimeRound(round, sse2, [&] { newlines = CountNewlinesSse2(bytes.begin, bytes.end); });
        TimeRound(round, walk, [&] {
            lines = 0;
            for (const char* line = bytes.begin; line < bytes.end; line = SkipLine(line, bytes.end)) ++lines;
        });
        TimeRound(round, fields, [&] {
            tagLines = 0;
            ForEachTagLine(bytes.begin, bytes.end, [&](const char*, const char*, const char*) { ++tagLines; });
        });
        FileFieldMemo memo(documentPath, tagsFolder);
        TimeRound(round, documents, [&] {
            inDocument = 0;
            ForEachTagLine(bytes.begin, bytes.end, [&](const char*, const char* nameEnd, const char* fileEnd) {
                inDocument += memo.IsInDocument(nameEnd + 1, fileEnd);
            });
        });
        resolved = memo.ResolvedCount();
    }
    const auto size = static_cast<std::uint64_t>(bytes.end - bytes.begin);
    std::printf("\nwhere the time goes, document of the first case (each row includes the rows above)\n");
    PrintRow("SSE2 newline count", sse2, sse2, size, "lines: " + std::to_string(newlines));
    PrintRow("SkipLine line walk", walk, sse2, size, "lines: " + std::to_string(lines));
    PrintRow("+ NextTab name, file", fields, sse2, size, "tag lines: " + std::to_string(tagLines));
    PrintRow("+ FileFieldMemo test", documents, sse2, size,
             "in document: " + std::to_string(inDocument) + ", fields resolved: " + std::to_string(resolved));
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

int Benchmark(const char* path, int runs)
{
    const CowString tagsPath = GetFullPath<CowString>(path);
    const CowString tagsFolder = FolderOf(tagsPath);
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    const SIZE_T workingSetBeforeMapping = memory.WorkingSetSize;

    MappedFile file;
    file.Open(tagsPath.Text());
    MappedBytes bytes;
    if (!file.MapView(bytes)) {
        std::fprintf(stderr, "cannot map %s (error %lu)\n", tagsPath.Text(), GetLastError());
        return 1;
    }
    const auto size = static_cast<std::uint64_t>(bytes.end - bytes.begin);
    std::printf("tags file  %s\n", tagsPath.Text());
    std::printf("build      %d-bit, best of %d runs after a warm-up; MB = 10^6 bytes\n",
                static_cast<int>(sizeof(void*) * 8), runs);
    const TagsFileProfile profile = ProfileTagsFile(bytes.begin, bytes.end);
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
    bool countsAgree = true;
    for (const BenchCase& benchCase : cases) {
        const CaseResult result =
            RunCase(benchCase, DocumentPath(tagsFolder, benchCase.documentField), tagsFolder, bytes, runs);
        PrintCase(benchCase, result, size);
        countsAgree = countsAgree && result.sse2Lines == result.memchrLines;
        std::fflush(stdout);
    }

    RunSteps(bytes, DocumentPath(tagsFolder, profile.typicalFile), tagsFolder, runs);

    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("\npeak working set %.1f MB (the view %.1f MB; %.1f MB before mapping)\n",
                Megabytes(memory.PeakWorkingSetSize), Megabytes(static_cast<SIZE_T>(size)),
                Megabytes(workingSetBeforeMapping));
    if (!countsAgree) {
        std::fprintf(stderr, "the SSE2 and memchr counts disagree\n");
        return 1;
    }
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: scan_benchmark [--runs N] TAGS_FILE\n"
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
    if (arguments.size() == 3 && std::strcmp(arguments[0], "--runs") == 0) {
        runs = std::atoi(arguments[1]);
        arguments.erase(arguments.begin(), arguments.begin() + 2);
    }
    if (arguments.size() != 1 || runs < 1) return Usage();
    return Benchmark(arguments[0], runs);
}
