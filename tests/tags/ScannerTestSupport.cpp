#include "tags/ScannerTestSupport.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include <gtest/gtest.h>

#include "common/ResourceCounter.h"
#include "common/TestText.h"
#include "tags/MappedFile.h"
#include "tags/TagsFileLookup.h"
#include "tags/TagTraits.h"
#include "tags/TagsFileLocator.h"
#include "win/FullPath.h"

namespace scannertest {

namespace {

// Says which searches the scanner's tests ran: on a processor without AVX-512
// or AVX2, Scan runs the narrower searches in their place, and a green run
// there says nothing of the wider ones. At the end, which the processes of
// death tests do not reach.
class SearchWidthsRun : public testing::Environment {
public:
    void TearDown() override
    {
        using Width = velkin::CandidateSearch::Width;
        const char* const names[] = {"SSE2", "SSSE3", "AVX2", "AVX-512"};
        bool run[std::size(names)] = {};
        for (const velkin::ScanPath path : {velkin::ScanPath::best, velkin::ScanPath::avx2, velkin::ScanPath::ssse3,
                                            velkin::ScanPath::sse2}) {
            run[static_cast<int>(velkin::SearchWidth(path))] = true;
        }
        std::string ran, notRun;
        for (int width = static_cast<int>(Width::sse2); width <= static_cast<int>(Width::avx512); ++width) {
            std::string& list = run[width] ? ran : notRun;
            list += (list.empty() ? "" : ", ") + std::string(names[width]);
        }
        std::printf("Scanner searches run: %s, and reading every line; not run on this processor: %s\n", ran.c_str(),
                    notRun.empty() ? "none" : notRun.c_str());
    }
};
const testing::Environment* const searchWidthsRun = testing::AddGlobalTestEnvironment(new SearchWidthsRun);

std::string Escaped(const std::string& text)
{
    std::string out;
    for (const char byte : text) {
        switch (byte) {
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\0': out += "\\0"; break;
        default: out += byte;
        }
    }
    return out;
}

// Whether `part` is `whole` less some records, in the same order.
bool IsPartOf(const Records& part, const Records& whole)
{
    auto at = whole.begin();
    for (const Record& record : part) {
        at = std::find(at, whole.end(), record);
        if (at == whole.end()) return false;
        ++at;
    }
    return true;
}

Records ToRecords(const velkin::TagList& list)
{
    Records records;
    for (const velkin::TagEntry& entry : list) {
        records.push_back({Str(entry.name), Str(entry.file), Str(entry.address), entry.kind,
                           Str(entry.extensionFields)});
    }
    return records;
}

}  // namespace

void PrintTo(const Record& record, std::ostream* out)
{
    *out << '{' << Escaped(record.name) << " | " << Escaped(record.file) << " | " << Escaped(record.address) << " | "
         << Escaped(std::string(1, record.kind)) << " | " << Escaped(record.extensionFields) << '}';
}

Lists ToLists(const velkin::TagMatchLists& lists)
{
    return {ToRecords(lists.exact), ToRecords(lists.prefix), ToRecords(lists.inDocument)};
}

void ExpectSameLists(const Lists& expected, const Lists& actual, const std::string& context)
{
    EXPECT_EQ(expected.exact, actual.exact) << "exact: " << Escaped(context);
    EXPECT_EQ(expected.prefix, actual.prefix) << "prefix: " << Escaped(context);
    EXPECT_EQ(expected.inDocument, actual.inDocument) << "inDocument: " << Escaped(context);
}

std::string WindowsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

TempFolder::TempFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "velkin-scanner-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
}

TempFolder::~TempFolder()
{
    for (const std::string& path : files_) DeleteFileA(path.c_str());
    RemoveDirectoryA(folder_.c_str());
}

std::string TempFolder::MakeFile(const char* name, const std::vector<std::pair<long long, std::string>>& pieces,
                                 long long size)
{
    const std::string path = folder_ + "\\" + name;
    files_.push_back(path);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file);
    for (const auto& [offset, bytes] : pieces) {
        LARGE_INTEGER at;
        at.QuadPart = offset;
        DWORD written = 0;
        EXPECT_TRUE(SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    }
    LARGE_INTEGER end;
    end.QuadPart = size;
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
    return path;
}

std::string TempFolder::MakeFile(const char* name, const std::string& data, long long size)
{
    return MakeFile(name, {{0, data}}, size < 0 ? static_cast<long long>(data.size()) : size);
}

GuardedBytes::GuardedBytes(const std::string& data, const std::string& beyondEnd)
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const size_t page = system.dwPageSize;
    const std::string bytes = data + beyondEnd;
    const size_t dataPages = (bytes.size() + page - 1) / page;
    block_ = VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block_) throw std::bad_alloc();
    char* guard = static_cast<char*>(block_) + dataPages * page;
    DWORD previous;
    VirtualProtect(guard, page, PAGE_NOACCESS, &previous);
    char* begin = guard - bytes.size();
    bytes.copy(begin, bytes.size());
    begin_ = begin;
    end_ = begin + data.size();
}

GuardedBytes::~GuardedBytes() { VirtualFree(block_, 0, MEM_RELEASE); }

Lists Scan(const std::string& data, const ScanSettings& settings, const std::string& beyondEnd, size_t split)
{
    const GuardedBytes bytes(data, beyondEnd);
    const velkin::TagQuery query{settings.word.c_str(), settings.documentPath.c_str(), settings.tagsFolder.c_str()};
    Lists first;
    for (const velkin::ScanPath path : {velkin::ScanPath::best, velkin::ScanPath::avx2, velkin::ScanPath::ssse3,
                                        velkin::ScanPath::sse2, velkin::ScanPath::everyLine}) {
        velkin::TagMatchLists lists;
        velkin::TagScanner scanner(query, lists, path);
        if (split != 0) scanner.Scan(bytes.begin(), bytes.begin() + split);
        scanner.Scan(bytes.begin() + split, bytes.end());
        if (path == velkin::ScanPath::best) {
            first = ToLists(lists);
        } else {
            ExpectSameLists(first, ToLists(lists), "path " + std::to_string(static_cast<int>(path)) + ": " + data);
        }
    }
    return first;
}

namespace {

std::string LowerCase(std::string text)
{
    for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

// Whether a tag of `record` matches the word only when case is ignored: a
// document and a tag of languages that ignore it.
bool IgnoresCase(const ScanSettings& settings, const Record& record)
{
    if (!velkin::NamesIgnoreCase(velkin::LanguageOfFileName(settings.documentPath))) return false;
    velkin::TagEntry entry;
    entry.name = record.name.c_str();
    entry.file = velkin::CowString(record.file.data(), static_cast<int>(record.file.size()));
    entry.address = velkin::CowString(record.address.data(), static_cast<int>(record.address.size()));
    entry.kind = record.kind;
    entry.extensionFields =
        velkin::CowString(record.extensionFields.data(), static_cast<int>(record.extensionFields.size()));
    return velkin::NamesIgnoreCase(velkin::TagLanguage(entry));
}

}  // namespace

Lists ReadReference(const std::string& data, const ScanSettings& settings)
{
    Lists lists;
    const std::string& word = settings.word;
    const bool documentIgnoresCase = velkin::NamesIgnoreCase(velkin::LanguageOfFileName(settings.documentPath));
    size_t start = 0;
    while (start < data.size()) {
        size_t stop = data.find_first_of("\r\n", start);
        if (stop == std::string::npos) stop = data.size();
        const std::string line = data.substr(start, stop - start);
        const char lineEnd = stop < data.size() ? data[stop] : '\0';
        start = std::min(data.find_first_not_of("\r\n", stop), data.size());

        if (line.empty() || line[0] == '!') continue;
        const size_t nameTab = line.find('\t');
        const size_t fileTab = line.find('\t', nameTab + 1);
        if (nameTab == std::string::npos || fileTab == std::string::npos) continue;
        const std::string name = line.substr(0, nameTab);
        const std::string file = line.substr(nameTab + 1, fileTab - nameTab - 1);
        bool exact = !word.empty() && name == word;
        bool prefix = !word.empty() && name.compare(0, word.size(), word) == 0;
        const bool foldedPrefix = documentIgnoresCase && !word.empty() &&
                                  LowerCase(name).compare(0, word.size(), LowerCase(word)) == 0;
        const velkin::CowString path = velkin::TagFilePath(settings.tagsFolder.c_str(),
                                                           velkin::CowString(file.data(), static_cast<int>(file.size())));
        const bool inDocument =
            lstrcmpA(velkin::GetFullPath<velkin::CowString>(path.Text()).Text(), settings.documentPath.c_str()) == 0;
        if (!prefix && !foldedPrefix && !inDocument) continue;

        const size_t terminator = line.find(";\"", fileTab + 1);
        if (terminator == std::string::npos) continue;
        const size_t kindTab = line.find('\t', terminator + 2);
        if (kindTab == std::string::npos) continue;
        const size_t fieldsTab = line.find('\t', kindTab + 1);
        const Record record{name, file, line.substr(fileTab + 1, terminator - fileTab - 1),
                            kindTab + 1 < line.size() ? line[kindTab + 1] : lineEnd,
                            fieldsTab == std::string::npos ? "" : line.substr(fieldsTab + 1)};
        if (!prefix && foldedPrefix && IgnoresCase(settings, record)) {
            prefix = true;
            exact = name.size() == word.size();
        }
        if (exact) lists.exact.push_back(record);
        if (prefix) lists.prefix.push_back(record);
        if (inDocument) lists.inDocument.push_back(record);
    }
    return lists;
}

Routes CompareWithEveryLine(TempFolder& folder, const std::string& data, const std::vector<std::string>& words,
                            const ScanSettings& settings, bool sorted)
{
    using velkin::LookupRoute;
    const std::string path = folder.MakeFile("compared", data);
    const std::uint32_t granularity = velkin::MappedFile::AllocationGranularity();
    Routes routes;
    // Every lookup holds one view of the file at a time: a crowded 32-bit
    // editor may have room for no more.
    const velkin::test::ResourceCounter resources(GetModuleHandleA(nullptr));
    for (const std::string& word : words) {
        const velkin::TagQuery query{word.c_str(), settings.documentPath.c_str(), settings.tagsFolder.c_str()};
        for (const std::uint32_t window : {2 * granularity, velkin::kScanWindowBytes}) {
            const std::string context = "word " + word + ", window " + std::to_string(window);
            velkin::TagMatchLists everyLine, searched;
            LookupRoute route = LookupRoute::everyLine;
            const bool scanned =
                velkin::ScanTagsFile(path.c_str(), query, everyLine, {window, velkin::ScanPath::best, false});
            // The search's views: as small as the window, or as the editor maps them.
            const std::uint32_t probe = window == velkin::kScanWindowBytes ? velkin::kProbeViewBytes : window;
            const velkin::ScanOptions options{window, velkin::ScanPath::best, true, probe};
            EXPECT_EQ(scanned, velkin::ScanTagsFile(path.c_str(), query, searched, options, &route)) << context;
            if (!scanned) continue;  // an empty file
            const Lists expected = ToLists(everyLine), lists = ToLists(searched);
            if (sorted && !word.empty()) {
                EXPECT_EQ(expected.prefix.empty() ? LookupRoute::noTagThenEveryLine : LookupRoute::sortedRange, route)
                    << context;
            }
            if (route != LookupRoute::sortedRange) {
                ++(route == LookupRoute::everyLine            ? routes.everyLine
                   : route == LookupRoute::noTagThenEveryLine ? routes.noTagThenEveryLine
                                                              : routes.disorderThenEveryLine);
                ExpectSameLists(expected, lists, context);
                continue;
            }
            ++routes.sortedRange;
            EXPECT_TRUE(lists.inDocument.empty()) << context;
            if (sorted) {
                EXPECT_EQ(expected.exact, lists.exact) << context;
                EXPECT_EQ(expected.prefix, lists.prefix) << context;
            } else {
                EXPECT_TRUE(IsPartOf(lists.exact, expected.exact)) << context;
                EXPECT_TRUE(IsPartOf(lists.prefix, expected.prefix)) << context;
            }
        }
    }
    EXPECT_LE(resources.Of(velkin::test::Resource::view).peak, 1) << resources.Report();
    EXPECT_TRUE(resources.Balanced()) << resources.Report();
    return routes;
}

}  // namespace scannertest
