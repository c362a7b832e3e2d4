// Helpers shared by the scanner tests: records as plain values, data placed
// against an inaccessible page, and a slow reference reader of the grammar.
#pragma once

#include <ostream>
#include <string>
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

}  // namespace scannertest
