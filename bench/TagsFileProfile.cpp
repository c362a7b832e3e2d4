#include "bench/TagsFileProfile.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "bench/TagLines.h"

namespace velkin::bench {
namespace {

bool IsWordByte(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsWord(std::string_view text)
{
    if (text.empty()) return false;
    for (char c : text) {
        if (!IsWordByte(c)) return false;
    }
    return true;
}

bool HoldsNonAscii(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

std::uint64_t Distance(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : b - a; }

}  // namespace

TagsFileProfile ProfileTagsFile(const char* begin, const char* end)
{
    TagsFileProfile profile;
    profile.bytes = static_cast<std::uint64_t>(end - begin);

    std::unordered_map<std::string_view, std::uint32_t> tagsPerFile;
    std::string_view previousFile;
    std::string_view runName;
    std::uint32_t run = 0;
    std::uint32_t kinds[256] = {};
    ForEachTagLine(begin, end, [&](const char* line, const char* nameEnd, const char* fileEnd) {
        if (const char* terminator = FindTerminator(fileEnd + 1, end)) {
            const char* kindTab = NextTab(terminator + 1, end);
            if (kindTab && end - kindTab > 2 && kindTab[2] == '\t') ++kinds[static_cast<unsigned char>(kindTab[1])];
        }
        const std::string_view name(line, static_cast<std::size_t>(nameEnd - line));
        const std::string_view file(nameEnd + 1, static_cast<std::size_t>(fileEnd - nameEnd - 1));
        ++profile.tagLines;
        profile.fileFieldBytes += file.size();
        ++tagsPerFile[file];
        if (HoldsNonAscii(file)) ++profile.nonAsciiFileLines;
        if (profile.tagLines > 1 && file == previousFile) ++profile.sameFileAsPrevious;
        previousFile = file;

        run = name == runName ? run + 1 : 1;
        runName = name;
        if (run > profile.commonNameRun && IsWord(name)) {
            profile.commonNameRun = run;
            profile.commonName.assign(name);
        }
    });
    std::uint32_t mostKinds = 0;
    for (int byte = 0; byte < 256; ++byte) {
        const bool letter = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
        if (letter && kinds[byte] > mostKinds) {
            mostKinds = kinds[byte];
            profile.commonKind = static_cast<char>(byte);
        }
    }
    if (tagsPerFile.empty()) return profile;

    using FileTags = std::pair<const std::string_view, std::uint32_t>;
    // Ties go to the smaller file field, so the choice does not depend on the map's order.
    const auto moreTags = [](const FileTags& a, const FileTags& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    };
    const std::uint64_t mean = profile.tagLines / tagsPerFile.size();
    const auto nearerMean = [mean](const FileTags& a, const FileTags& b) {
        const std::uint64_t distanceA = Distance(a.second, mean), distanceB = Distance(b.second, mean);
        return distanceA != distanceB ? distanceA < distanceB : a.first < b.first;
    };
    const FileTags& busiest = *std::min_element(tagsPerFile.begin(), tagsPerFile.end(), moreTags);
    const FileTags& typical = *std::min_element(tagsPerFile.begin(), tagsPerFile.end(), nearerMean);
    profile.distinctFiles = static_cast<std::uint32_t>(tagsPerFile.size());
    profile.busiestFile.assign(busiest.first);
    profile.busiestFileTags = busiest.second;
    profile.typicalFile.assign(typical.first);
    profile.typicalFileTags = typical.second;
    const FileTags* typicalNonAscii = nullptr;
    for (const FileTags& file : tagsPerFile) {
        if (HoldsNonAscii(file.first) && (!typicalNonAscii || nearerMean(file, *typicalNonAscii))) typicalNonAscii = &file;
    }
    if (typicalNonAscii) {
        profile.typicalNonAsciiFile.assign(typicalNonAscii->first);
        profile.typicalNonAsciiFileTags = typicalNonAscii->second;
    }
    return profile;
}

}  // namespace velkin::bench
