#include "bench/TagsFileGenerator.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string_view>
#include <vector>

#include "tags/MappedFile.h"
#include "win/Win32Handles.h"

namespace velkin::bench {
namespace {

// Bump when the output changes, so files written by an older generator are
// not taken for current ones.
constexpr int kGeneratorVersion = 2;

// splitmix64: tiny, and the same sequence on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n); n > 0.
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>((Next() >> 32) * n >> 32); }
    // Uniform in [low, high].
    std::uint32_t Between(std::uint32_t low, std::uint32_t high) { return low + Below(high - low + 1); }
    // Skewed towards 0, like word frequencies: P(i) falls linearly with i.
    std::uint32_t Skewed(std::uint32_t n) { return std::min(Below(n), Below(n)); }
    bool Chance(std::uint32_t perThousand) { return Below(1000) < perThousand; }

private:
    std::uint64_t state_;
};

template <std::size_t N>
std::string_view Pick(Random& random, const char* const (&words)[N])
{
    return words[random.Skewed(N)];
}

const char* const kVerbs[] = {
    "Get", "Set", "Is", "Create", "Update", "Find", "Add", "Remove", "Init", "Reset", "Read", "Write",
    "Load", "Save", "Open", "Close", "Handle", "On", "Parse", "Format", "Build", "Has", "Insert",
    "Clear", "Make", "Draw", "Apply", "Check", "Copy", "Compute", "Begin", "End", "Start", "Stop",
    "Register", "Resolve", "Scan", "Send", "Post", "Lock", "Unlock", "Free", "Alloc", "To", "From",
    "Try", "Validate", "Enable", "Disable", "Show", "Hide", "Move", "Resize", "Query", "Notify",
    "Dispatch", "Release", "Acquire", "Attach", "Detach", "Convert", "Encode", "Decode", "Compare",
    "Match", "Select", "Sort", "Merge", "Split", "Flush", "Sync", "Wait", "Run", "Execute", "Invoke",
};

const char* const kNouns[] = {
    "Value", "Buffer", "Size", "Name", "Path", "File", "Text", "Line", "Item", "Index", "Count",
    "Length", "Window", "Handle", "Node", "Tree", "List", "Map", "Key", "Entry", "Record", "Field",
    "Column", "Row", "Cell", "Table", "Page", "View", "Document", "Frame", "Event", "Message",
    "Command", "State", "Mode", "Flag", "Option", "Config", "Setting", "Font", "Color", "Brush", "Rect",
    "Point", "Region", "Cursor", "Caret", "Selection", "Range", "Token", "Symbol", "Scope", "Type",
    "Kind", "Module", "Plugin", "Thread", "Task", "Queue", "Stack", "Pool", "Cache", "Stream",
    "Socket", "Connection", "Request", "Response", "Header", "Body", "Data", "Block", "Chunk",
    "Segment", "Offset", "Position", "Address", "Target", "Source", "Parent", "Child", "Owner",
    "Resource", "Image", "Icon", "Bitmap", "Menu", "Toolbar", "Status", "Error", "Result", "Callback",
    "Handler", "Listener", "Timer", "Clock", "Lexer", "Parser", "Scanner", "Writer", "Reader",
    "Loader", "Manager", "Factory", "Builder", "Context", "Session", "Account", "Profile", "Locale",
    "Encoding", "Charset", "Layout", "Glyph", "Undo", "Clipboard", "Macro", "Search", "Outline",
};

const char* const kRoots[] = {
    "engine\\", "app\\", "libs\\common\\", "libs\\editor_core\\", "modules\\",
};

const char* const kAreas[] = {
    "src\\editor\\", "src\\core\\", "src\\platform\\win32\\", "src\\net\\", "src\\render\\",
    "src\\text\\", "src\\io\\", "src\\ui\\controls\\", "src\\script\\engine\\", "src\\plugins\\",
    "src\\storage\\", "src\\util\\", "third_party\\", "src\\ui\\dialogs\\", "src\\document\\",
    "tests\\unit\\", "src\\services\\", "src\\platform\\common\\", "tools\\", "src\\layout\\",
};

const char* const kReturnTypes[] = {
    "void", "bool", "int", "size_t", "HRESULT", "DWORD", "const char*", "std::string", "uint32_t",
    "LRESULT", "BOOL", "HWND", "std::unique_ptr<Node>", "const Buffer&", "Status",
};

const char* const kParameterTypes[] = {
    "int", "const char*", "size_t", "bool", "HWND", "DWORD", "const std::string&", "uint32_t",
    "LPARAM", "WPARAM", "void*", "const Range&", "Document*", "const Point&", "Context&",
};

// Fractions of a file's tags, per thousand.
constexpr std::uint32_t kModulePrefixed = 430;  // Module_Verb..., MODULE_... : sort into a run
constexpr std::uint32_t kBareVerb = 70;         // of member functions: Get, Reset, ... in many files

enum class TagStyle : std::uint8_t {
    classDefinition,  // the module's class
    moduleFunction,   // Module_VerbNoun, a C-style function
    moduleMacro,      // MODULE_NOUN, a #define addressed by line number
    memberFunction,   // Verb, VerbNoun, VerbNounNoun
    memberField,      // m_nounNoun
    constant,         // kNounNoun
};

struct SourceFile {
    std::string path;        // the file field
    std::string module;      // CamelCase class name, unique
    std::string macroStem;   // MODULE_NAME
    std::uint32_t tags = 0;
    bool isHeader = false;
};

struct Tag {
    std::uint32_t nameOffset;
    std::uint32_t nameLength;
    std::uint32_t file;
    std::uint32_t line;
    std::uint32_t detailSeed;  // the pattern and fields are drawn from it when written
    TagStyle style;
};

// Any noun, evenly: names of files and macros are not skewed towards the common words.
std::string_view RandomNoun(Random& random) { return kNouns[random.Below(std::size(kNouns))]; }

std::string MacroStem(const std::string& module)
{
    std::string stem;
    for (char c : module) {
        if (c >= 'A' && c <= 'Z' && !stem.empty()) stem += '_';
        stem += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return stem;
}

std::string LowerFirst(std::string_view word)
{
    std::string lower(word);
    lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
    return lower;
}

// Tags per file: mostly tens, a long tail up to thousands, scaled so that
// the counts add up to `totalTags`.
std::vector<std::uint32_t> DrawFileSizes(Random& random, std::uint32_t totalTags)
{
    const std::uint32_t fileCount = std::max<std::uint32_t>(1, (totalTags + 83) / 84);
    std::vector<std::uint32_t> sizes(fileCount);
    std::uint64_t drawn = 0;
    for (auto& size : sizes) {
        const std::uint32_t tier = random.Below(1000);
        size = tier < 600 ? random.Between(5, 80)
             : tier < 900 ? random.Between(80, 200)
             : tier < 985 ? random.Between(200, 500)
             : tier < 998 ? random.Between(500, 1500)
                          : random.Between(1500, 6000);
        drawn += size;
    }
    std::uint64_t assigned = 0;
    for (auto& size : sizes) {
        size = static_cast<std::uint32_t>(size * std::uint64_t{totalTags} / drawn);
        assigned += size;
    }
    for (std::uint32_t i = 0; assigned < totalTags; i = (i + 1) % fileCount, ++assigned) ++sizes[i];
    return sizes;
}

std::vector<SourceFile> DrawFiles(Random& random, std::uint32_t totalTags)
{
    const std::vector<std::uint32_t> sizes = DrawFileSizes(random, totalTags);
    std::set<std::string> modules;
    std::vector<SourceFile> files(sizes.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        SourceFile& file = files[i];
        do {
            file.module.clear();
            const std::uint32_t words = random.Chance(250) ? 2 : 3;
            std::string_view previous;
            for (std::uint32_t w = 0; w < words; ++w) {
                std::string_view noun = RandomNoun(random);
                while (noun == previous) noun = RandomNoun(random);
                file.module += noun;
                previous = noun;
            }
        } while (!modules.insert(file.module).second);
        file.macroStem = MacroStem(file.module);
        file.isHeader = random.Chance(350);
        file.path = std::string(Pick(random, kRoots)) + std::string(Pick(random, kAreas)) + LowerFirst(RandomNoun(random)) + "\\";
        if (random.Chance(750)) file.path += LowerFirst(RandomNoun(random)) + "\\";
        file.path += file.module + (file.isHeader ? ".h" : ".cpp");
        file.tags = sizes[i];
    }
    // File indexes in file-field order, so that sorting by index sorts by field.
    std::sort(files.begin(), files.end(),
              [](const SourceFile& a, const SourceFile& b) { return a.path < b.path; });
    return files;
}

TagStyle DrawStyle(Random& random)
{
    if (random.Chance(kModulePrefixed)) return random.Chance(750) ? TagStyle::moduleFunction : TagStyle::moduleMacro;
    const std::uint32_t draw = random.Below(1000);
    return draw < 780 ? TagStyle::memberFunction : draw < 920 ? TagStyle::memberField : TagStyle::constant;
}

void AppendName(Random& random, TagStyle style, const SourceFile& file, std::string& names)
{
    switch (style) {
    case TagStyle::classDefinition:
        names += file.module;
        return;
    case TagStyle::moduleFunction:
        names.append(file.module).append("_").append(Pick(random, kVerbs)).append(Pick(random, kNouns));
        return;
    case TagStyle::moduleMacro:
        names.append(file.macroStem).append("_").append(MacroStem(std::string(RandomNoun(random))));
        return;
    case TagStyle::memberFunction:
        names.append(Pick(random, kVerbs));
        if (random.Chance(kBareVerb)) return;
        names.append(Pick(random, kNouns));
        if (random.Chance(250)) names.append(Pick(random, kNouns));
        return;
    case TagStyle::memberField:
        names.append("m_").append(LowerFirst(Pick(random, kNouns))).append(Pick(random, kNouns));
        return;
    case TagStyle::constant:
        names.append("k").append(Pick(random, kNouns)).append(Pick(random, kNouns));
        return;
    }
}

class TagsWriter {
public:
    TagsWriter(const std::function<void(const char*, std::size_t)>& emit) : emit_(emit) { text_.reserve(kPiece + 4096); }

    std::string& Text() { return text_; }
    void EndLine()
    {
        text_ += '\n';
        if (text_.size() >= kPiece) Flush();
    }
    void Flush()
    {
        if (!text_.empty()) emit_(text_.data(), text_.size());
        text_.clear();
    }

private:
    static constexpr std::size_t kPiece = 1 << 20;
    const std::function<void(const char*, std::size_t)>& emit_;
    std::string text_;
};

void AppendParameters(Random& random, std::string& text)
{
    text += '(';
    const std::uint32_t count = random.Below(4);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (i > 0) text += ", ";
        text.append(Pick(random, kParameterTypes)).append(" ").append(LowerFirst(Pick(random, kNouns)));
    }
    text += ')';
}

// Everything after the file field's tab: address, terminator, kind and fields.
void AppendAddressAndFields(const Tag& tag, std::string_view name, const SourceFile& file, std::string& text)
{
    Random random(tag.detailSeed);
    const std::string_view returnType = Pick(random, kReturnTypes);
    switch (tag.style) {
    case TagStyle::classDefinition:
        text.append("/^class ").append(name).append(" : public ").append(Pick(random, kNouns)).append("Base {$/;\"\tc");
        if (random.Chance(500)) text.append("\tnamespace:app::").append(LowerFirst(Pick(random, kNouns)));
        return;
    case TagStyle::moduleFunction:
        text.append("/^").append(returnType).append(" ").append(name);
        AppendParameters(random, text);
        text.append(file.isHeader ? ";$/;\"\tp" : "$/;\"\tf").append("\ttyperef:typename:").append(returnType);
        return;
    case TagStyle::moduleMacro:
        text.append(std::to_string(tag.line)).append(";\"\td");
        return;
    case TagStyle::memberFunction:
        if (file.isHeader) {
            text.append("/^    ").append(random.Chance(300) ? "virtual " : "").append(returnType).append(" ").append(name);
            AppendParameters(random, text);
            text.append(random.Chance(400) ? " const;$/;\"\tp" : ";$/;\"\tp");
        } else {
            text.append("/^").append(returnType).append(" ").append(file.module).append("::").append(name);
            AppendParameters(random, text);
            text.append(random.Chance(400) ? " const$/;\"\tf" : "$/;\"\tf");
        }
        text.append("\tclass:").append(file.module).append("\ttyperef:typename:").append(returnType);
        if (file.isHeader) text.append(random.Chance(700) ? "\taccess:public" : "\taccess:protected");
        return;
    case TagStyle::memberField:
        text.append("/^    ").append(returnType).append(" ").append(name).append(";$/;\"\tm\tclass:")
            .append(file.module).append("\ttyperef:typename:").append(returnType).append("\taccess:private");
        return;
    case TagStyle::constant:
        text.append("/^constexpr ").append(returnType).append(" ").append(name).append(" = ")
            .append(std::to_string(random.Below(100000))).append(";$/;\"\tv\ttyperef:typename:").append(returnType);
        if (random.Chance(400)) text.append("\tfile:");
        return;
    }
}

bool HoldsGeneratedTags(const char* path, const GeneratedTagsShape& shape)
{
    const MappedFileOrFailure opened = MappedFile::Open(path);
    if (!opened.file) return false;
    const MappedWindow head = opened.file->Map(0, 1024);
    if (!head) return false;
    return std::string_view(head.Begin(), static_cast<std::size_t>(head.End() - head.Begin()))
               .find(GeneratedTagsHeader(shape)) != std::string_view::npos;
}

bool WriteWholeFile(const char* path, const GeneratedTagsShape& shape)
{
    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bool written = true;
    GenerateTags(shape, [&file, &written](const char* bytes, std::size_t count) {
        DWORD done = 0;
        written = written && WriteFile(file.Get(), bytes, static_cast<DWORD>(count), &done, nullptr) && done == count;
    });
    return written;
}

}  // namespace

std::string GeneratedTagsHeader(const GeneratedTagsShape& shape)
{
    char header[160];
    std::snprintf(header, sizeof header,
                  "!_TAG_PROGRAM_NAME\tVelkin scan_benchmark\t/generator %d, seed %08lX%08lX, %lu tags/\n",
                  kGeneratorVersion, static_cast<unsigned long>(shape.seed >> 32),
                  static_cast<unsigned long>(shape.seed & 0xFFFFFFFFu), static_cast<unsigned long>(shape.tags));
    return header;
}

void GenerateTags(const GeneratedTagsShape& shape, const std::function<void(const char*, std::size_t)>& emit)
{
    Random random(shape.seed);
    const std::vector<SourceFile> files = DrawFiles(random, shape.tags);

    std::string names;
    std::vector<Tag> tags;
    tags.reserve(shape.tags);
    for (std::uint32_t f = 0; f < files.size(); ++f) {
        std::uint32_t line = random.Between(5, 40);
        for (std::uint32_t t = 0; t < files[f].tags; ++t) {
            const TagStyle style = t == 0 ? TagStyle::classDefinition : DrawStyle(random);
            const auto offset = static_cast<std::uint32_t>(names.size());
            AppendName(random, style, files[f], names);
            tags.push_back(Tag{offset, static_cast<std::uint32_t>(names.size()) - offset, f, line,
                               static_cast<std::uint32_t>(random.Next()), style});
            line += random.Between(2, 30);
        }
    }

    const auto nameOf = [&names](const Tag& tag) { return std::string_view(names).substr(tag.nameOffset, tag.nameLength); };
    std::sort(tags.begin(), tags.end(), [&nameOf](const Tag& a, const Tag& b) {
        const int byName = nameOf(a).compare(nameOf(b));
        if (byName != 0) return byName < 0;
        return a.file != b.file ? a.file < b.file : a.line < b.line;
    });

    TagsWriter writer(emit);
    writer.Text() = "!_TAG_FILE_FORMAT\t2\t/extended format; --format=1 will not append ;\" to lines/\n" +
                    GeneratedTagsHeader(shape) + "!_TAG_FILE_SORTED\t1\t/0=unsorted, 1=sorted, 2=foldcase/\n";
    // Tags of one name in one file are written in the order of their lines'
    // bytes, as ctags sorts whole lines.
    std::vector<std::string> group;
    for (std::size_t first = 0; first < tags.size();) {
        std::size_t end = first + 1;
        while (end < tags.size() && tags[end].file == tags[first].file && nameOf(tags[end]) == nameOf(tags[first])) {
            ++end;
        }
        group.clear();
        for (std::size_t i = first; i < end; ++i) {
            const SourceFile& file = files[tags[i].file];
            std::string& line = group.emplace_back();
            line.append(nameOf(tags[i])).append("\t").append(file.path).append("\t");
            AppendAddressAndFields(tags[i], nameOf(tags[i]), file, line);
        }
        std::sort(group.begin(), group.end());
        for (const std::string& line : group) {
            writer.Text() += line;
            writer.EndLine();
        }
        first = end;
    }
    writer.Flush();
}

GeneratedFile WriteTagsFileUnlessCurrent(const char* path, const GeneratedTagsShape& shape)
{
    if (HoldsGeneratedTags(path, shape)) return GeneratedFile::kept;
    const std::string partPath = std::string(path) + ".part";
    if (WriteWholeFile(partPath.c_str(), shape) && MoveFileExA(partPath.c_str(), path, MOVEFILE_REPLACE_EXISTING)) {
        return GeneratedFile::written;
    }
    const DWORD error = GetLastError();
    DeleteFileA(partPath.c_str());
    SetLastError(error);
    return GeneratedFile::failed;
}

}  // namespace velkin::bench
