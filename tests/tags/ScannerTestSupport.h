// Helpers shared by the scanner tests: records as plain values, data placed
// against an inaccessible page, and a slow reference reader of the grammar.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "tags/TagEntry.h"

namespace scannertest {

struct Record {
    std::string name, file, address;
    char kind;
    std::string extensionFields;
    bool operator==(const Record& other) const
    {
        return name == other.name && file == other.file && address == other.address && kind == other.kind &&
               extensionFields == other.extensionFields;
    }
};
void PrintTo(const Record& record, std::ostream* out);
using Records = std::vector<Record>;

struct Lists {
    Records exact, prefix, inDocument;
};
Lists ToLists(const velkin::TagMatchLists& lists);
void ExpectSameLists(const Lists& expected, const Lists& actual, const std::string& context);

struct ScanSettings {
    std::string word;
    std::string documentPath = "C:\\proj\\src\\foo.c";
    std::string tagsFolder = "C:\\proj";
};

// The Windows form of a Unix path: drive Z: is the Unix root.
std::string WindowsPath(std::string path);

// A folder of its own in the temporary folder, removed with the files made in
// it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return folder_; }

    // A new file of `size` bytes holding the `pieces` at their offsets and
    // zeros elsewhere (never written: a sparse file needs little disk).
    std::string MakeFile(const char* name, const std::vector<std::pair<long long, std::string>>& pieces,
                         long long size);
    std::string MakeFile(const char* name, const std::string& data, long long size = -1);

private:
    std::string folder_;
    std::vector<std::string> files_;
};

// `data` copied into its own pages so that its last byte is the last one
// readable: a read at or past the end faults. With `beyondEnd`, those bytes
// follow the data before the inaccessible page: readable, but not the data's.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& data, const std::string& beyondEnd = std::string());
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    const char* begin() const { return begin_; }
    const char* end() const { return end_; }

private:
    void* block_;
    const char* begin_;
    const char* end_;
};

// TagScanner over `data` placed before an inaccessible page (`beyondEnd`
// between them), on every ScanPath; a path that differs from the best one
// fails the test. A non-zero `split` (a line start) scans the data in two
// blocks, as two windows of a file.
Lists Scan(const std::string& data, const ScanSettings& settings, const std::string& beyondEnd = std::string(),
           size_t split = 0);
// The same result read line by line straight from the grammar, each file field
// resolved afresh: shares no code with the scanner.
Lists ReadReference(const std::string& data, const ScanSettings& settings);

// How ScanTagsFile took the words of one CompareWithEveryLine.
struct Routes {
    int sortedRange = 0, noTagThenEveryLine = 0, disorderThenEveryLine = 0, everyLine = 0;
};
// Looks each word up in `data` (written to a file) with ScanTagsFile as it
// ships and with every line read, in windows of two granules and of the
// default size. A search gives lists made of one run of lines: those of every
// line, when `sorted`, else a part of each list, in order; `inDocument` is
// empty after it. Any other route gives the same lists. Every lookup holds
// at most one view of the file at a time, and releases everything.
Routes CompareWithEveryLine(TempFolder& folder, const std::string& data, const std::vector<std::string>& words,
                            const ScanSettings& settings, bool sorted);

}  // namespace scannertest
