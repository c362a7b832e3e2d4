#include "tags/TagTraits.h"

#include <algorithm>
#include <iterator>

#include "tags/CtagsTables.h"
#include "text/AsciiCase.h"

namespace velkin {

namespace {

using ctags::FileName;
using ctags::Kind;
using ctags::Language;

// The entry of the sorted `table` whose key is `key`, or null.
template <typename Entry, typename KeyOf>
const Entry* Find(const ctags::Table<Entry>& table, std::string_view key, KeyOf keyOf)
{
    const Entry* found = std::lower_bound(table.begin(), table.end(), key,
                                          [&](const Entry& entry, std::string_view wanted) { return keyOf(entry) < wanted; });
    return found != table.end() && keyOf(*found) == key ? found : nullptr;
}

constexpr auto kByName = [](const Language& language) { return language.name; };
constexpr auto kByKey = [](const FileName& entry) { return entry.key; };

std::string_view ViewOf(const CowString& text) { return {text.Text(), static_cast<std::size_t>(text.Length())}; }

// The longest file name or extension that can be a key.
constexpr std::size_t kLongestKey = 32;

char LowerCaseOf(char c) { return AsciiLowerCase(c); }

// `text` in lower case (ASCII letters only) in `buffer`; empty when it is
// longer than the buffer.
std::string_view LowerCase(std::string_view text, char (&buffer)[kLongestKey])
{
    if (text.size() > sizeof buffer) return {};
    std::transform(text.begin(), text.end(), buffer, LowerCaseOf);
    return {buffer, text.size()};
}

// Whether `text` is `lower` in any case.
bool EqualsInAnyCase(std::string_view text, std::string_view lower)
{
    return text.size() == lower.size() &&
           std::equal(text.begin(), text.end(), lower.begin(), [](char a, char b) { return LowerCaseOf(a) == b; });
}

// The language that `key` (in lower case) names in `table`; empty when it
// names none.
std::string_view LanguageOfKey(const ctags::Table<FileName>& table, std::string_view key)
{
    const FileName* found = key.empty() ? nullptr : Find(table, key, kByKey);
    return found ? found->language : std::string_view();
}

std::string_view LanguageOfPattern(std::string_view name)
{
    for (const ctags::NamePattern& pattern : ctags::kNamePatterns) {
        if (name.size() < pattern.head.size() + pattern.tail.size()) continue;
        if (EqualsInAnyCase(name.substr(0, pattern.head.size()), pattern.head) &&
            EqualsInAnyCase(name.substr(name.size() - pattern.tail.size()), pattern.tail))
            return pattern.language;
    }
    return {};
}

// The language a file's name (without its folder) maps to by itself.
std::string_view LanguageOfName(std::string_view name)
{
    char buffer[kLongestKey];
    const std::string_view byName = LanguageOfKey(ctags::kFileNames, LowerCase(name, buffer));
    if (!byName.empty()) return byName;
    const std::string_view byPattern = LanguageOfPattern(name);
    if (!byPattern.empty()) return byPattern;
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : LanguageOfKey(ctags::kExtensions, LowerCase(name.substr(dot + 1), buffer));
}

}  // namespace

std::string_view LanguageOfFileName(std::string_view file)
{
    const std::size_t slash = file.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? file : file.substr(slash + 1);
    const std::string_view language = LanguageOfName(name);
    // ctags reads "x.cs.in", a template that configure fills in, as "x.cs".
    constexpr std::string_view kTemplate = ".in";
    const bool isTemplate = name.size() > kTemplate.size() && EqualsInAnyCase(name.substr(name.size() - kTemplate.size()), kTemplate);
    return language.empty() && isTemplate ? LanguageOfName(name.substr(0, name.size() - kTemplate.size())) : language;
}

namespace {

// The kinds of `language`: C++'s for a tag whose language cannot be told
// (empty), none for a language ctags did not list here (a newer ctags', a
// user's own parser).
ctags::Table<Kind> KindsOf(std::string_view language)
{
    const Language* found = Find(ctags::kLanguages, language.empty() ? std::string_view("C++") : language, kByName);
    return found ? ctags::Table<Kind>{found->kinds, found->kindCount} : ctags::Table<Kind>{nullptr, 0};
}

}  // namespace

std::optional<std::string_view> ExtensionFieldValue(std::string_view fields, std::string_view key)
{
    std::optional<std::string_view> value;
    ForEachExtensionField(fields, [&](std::string_view field) {
        if (field.size() <= key.size() || field[key.size()] != ':' || field.compare(0, key.size(), key) != 0) return false;
        value = field.substr(key.size() + 1);
        return true;
    });
    return value;
}

namespace {

// A header's extension, which ctags maps to C++ and to Objective-C alike.
bool IsSharedHeaderName(std::string_view file)
{
    return file.size() >= 2 && file[file.size() - 2] == '.' && (file.back() == 'h' || file.back() == 'H');
}

// Objective-C's kinds that C++ has not, by letter and by name (a name also
// as an owner's kind).
constexpr std::string_view kObjectiveCOnlyLetters = "CEIMPi";
constexpr std::string_view kObjectiveCOnlyNames[] = {
    "category", "field", "implementation", "interface", "method", "property", "protocol", "var",
};

bool IsObjectiveCOnlyName(std::string_view name)
{
    return std::find(std::begin(kObjectiveCOnlyNames), std::end(kObjectiveCOnlyNames), name) != std::end(kObjectiveCOnlyNames);
}

// The tag's kind field as written: a letter or a name.
std::string_view KindAsWritten(const TagEntry& entry)
{
    std::string_view field = ViewOf(entry.kindField);
    if (field.compare(0, 5, "kind:") == 0) field.remove_prefix(5);
    return field.empty() ? std::string_view(&entry.kind, entry.kind != '\0' ? 1 : 0) : field;
}

bool IsObjectiveCOnlyKind(const TagEntry& entry)
{
    const std::string_view kind = KindAsWritten(entry);
    if (kind.size() > 1) return IsObjectiveCOnlyName(kind);
    return kind.size() == 1 && kObjectiveCOnlyLetters.find(kind[0]) != std::string_view::npos;
}

// Whether `kinds` hold a kind of that letter (a one-byte `kind`) or name.
bool HasKindIn(const ctags::Table<Kind>& kinds, std::string_view kind)
{
    if (kind.size() != 1) return std::any_of(kinds.begin(), kinds.end(), [&](const Kind& known) { return known.name == kind; });
    const Kind* found = std::lower_bound(kinds.begin(), kinds.end(), kind[0],
                                         [](const Kind& known, char wanted) { return known.letter < wanted; });
    return found != kinds.end() && found->letter == kind[0];
}

bool HasKind(std::string_view language, std::string_view kind) { return HasKindIn(KindsOf(language), kind); }

// A tag of a kind the C preprocessor writes whose search pattern begins with
// a preprocessor line ("/^#define X"): ctags' C preprocessor wrote it for an
// assembly file it ran through.
bool IsPreprocessorTag(const TagEntry& entry)
{
    if (!HasKind("CPreProcessor", KindAsWritten(entry))) return false;
    std::string_view address = ViewOf(entry.address);
    if (address.compare(0, 2, "/^") != 0) return false;
    address.remove_prefix(2);
    const std::size_t text = address.find_first_not_of(" \t");
    return text != std::string_view::npos && address[text] == '#';
}

// Extensions that ctags gives to a second language by what the file holds
// (".s" to R, ".pm" to Raku, ".cmd" to REXX, ".hx" to QEMU's command
// descriptions).
struct SharedExtension {
    std::string_view language;
    std::string_view other;
};
constexpr SharedExtension kSharedExtensions[] = {
    {"Asm", "R"}, {"DosBatch", "REXX"}, {"Haxe", "QemuHX"}, {"Perl", "Perl6"},
};

// Whether `kind` (a letter or a name; none when empty) is one of `kinds`.
bool HasKindOrNone(const ctags::Table<Kind>& kinds, std::string_view kind) { return kind.empty() || HasKindIn(kinds, kind); }

// The language, other than `language`, that a tag of a file mapped to
// `language` is of when its kind or its owner's kind is not `language`'s:
// the first that has both, among the other language of a shared extension,
// the parser `language` runs inside (a systemd unit's keys are Iniconf's) and
// the parsers that run inside it (a D-Bus interface in an ".xml" file);
// `language` itself when none has both or both are its own.
std::string_view RelatedLanguage(std::string_view language, std::string_view kind, std::string_view ownerKind)
{
    const ctags::Table<Kind> own = KindsOf(language);
    if (HasKindOrNone(own, kind) && HasKindOrNone(own, ownerKind)) return language;
    const auto fits = [&](std::string_view other) {
        const ctags::Table<Kind> kinds = KindsOf(other);
        return HasKindOrNone(kinds, kind) && HasKindOrNone(kinds, ownerKind);
    };
    for (const SharedExtension& shared : kSharedExtensions)
        if (shared.language == language && fits(shared.other)) return shared.other;
    for (const ctags::Subparser& sub : ctags::kSubparsers) {
        if (sub.language == language && fits(sub.base)) return sub.base;
        if (sub.base == language && fits(sub.language)) return sub.language;
    }
    return language;
}

// The text of a tag's search pattern after "/^" and any blanks; empty when
// its address is no pattern.
std::string_view PatternText(const TagEntry& entry)
{
    std::string_view address = ViewOf(entry.address);
    if (address.compare(0, 2, "/^") != 0) return {};
    return address.substr(std::min(address.find_first_not_of(" \t", 2), address.size()));
}

// An XML namespace prefix ("n"): XML's parser writes it with the namespace's
// `uri:` field from the element that declares it (xmlns:doc=), for a file of
// any language that runs inside XML's, whose own "n" is something else
// (XSLT's named template, D-Bus's node).
bool IsNamespacePrefix(const TagEntry& entry)
{
    const std::string_view kind = KindAsWritten(entry);
    if (kind != "n" && kind != "nsprefix") return false;
    if (ExtensionFieldValue(ViewOf(entry.extensionFields), "uri")) return true;
    const std::string_view line = PatternText(entry);
    const std::string_view name = ViewOf(entry.name);
    for (std::size_t at = line.find("xmlns:"); at != std::string_view::npos; at = line.find("xmlns:", at + 6)) {
        const std::string_view prefix = line.substr(at + 6);
        if (prefix.compare(0, name.size(), name) == 0 && prefix.size() > name.size() && prefix[name.size()] == '=')
            return true;
    }
    return false;
}

// A D-Bus node in an ".xml" file: XML's "n" is a namespace prefix, D-Bus's a
// node, written with no owner from a line that begins with a <node> element.
bool IsDBusNode(const TagEntry& entry, std::string_view ownerKind)
{
    const std::string_view kind = KindAsWritten(entry);
    if (!ownerKind.empty() || (kind != "n" && kind != "node")) return false;
    const std::string_view line = PatternText(entry);
    return line.compare(0, 5, "<node") == 0 && line.size() > 5 && (line[5] == ' ' || line[5] == '>' || line[5] == '/');
}

bool RunsInsideXml(std::string_view language)
{
    if (language == "XML") return true;
    return std::any_of(ctags::kSubparsers.begin(), ctags::kSubparsers.end(),
                       [&](const ctags::Subparser& sub) { return sub.language == language && sub.base == "XML"; });
}

// A ".m" file's tag that MatLab's parser wrote: one with no owner, of a kind
// MatLab has. Objective-C's methods (whose "class" is a class method) always
// have an owner, and its functions and variables read alike in either.
bool IsMatLabTag(const TagEntry& entry, std::string_view ownerKind)
{
    const std::string_view file = ViewOf(entry.file);
    const bool dotM = file.size() >= 2 && file[file.size() - 2] == '.' && (file.back() == 'm' || file.back() == 'M');
    return dotM && ownerKind.empty() && HasKind("MatLab", KindAsWritten(entry));
}

}  // namespace

std::string_view LanguageOfUnlabelledTag(std::string_view fileLanguage, const TagEntry& entry, std::string_view ownerKind)
{
    if (fileLanguage == "Asm" && IsPreprocessorTag(entry)) return "CPreProcessor";
    if (fileLanguage == "ObjectiveC" && IsMatLabTag(entry, ownerKind)) return "MatLab";
    if (IsNamespacePrefix(entry) && RunsInsideXml(fileLanguage)) return "XML";
    if (fileLanguage == "XML" && IsDBusNode(entry, ownerKind)) return "DBusIntrospect";
    if (fileLanguage == "C++" && IsSharedHeaderName(ViewOf(entry.file)))
        return IsObjectiveCOnlyKind(entry) || IsObjectiveCOnlyName(ownerKind) ? "ObjectiveC" : fileLanguage;
    return fileLanguage.empty() ? fileLanguage : RelatedLanguage(fileLanguage, KindAsWritten(entry), ownerKind);
}

std::string_view TagLanguage(const TagEntry& entry)
{
    const std::string_view language = ExtensionFieldValue(ViewOf(entry.extensionFields), "language").value_or("");
    if (!language.empty()) return language;
    return LanguageOfUnlabelledTag(LanguageOfFileName(ViewOf(entry.file)), entry, TagScopeOf(entry.extensionFields).kind);
}

bool UsesCKindLetters(std::string_view language)
{
    return language.empty() || language == "C" || language == "C++" || language == "CUDA" || language == "OldC" ||
           language == "OldC++";
}

bool NamesIgnoreCase(std::string_view language)
{
    // Each by its own definition (the reasons are in the README); sorted.
    static constexpr std::string_view kIgnoringCase[] = {
        "Ada",    "Asp",    "AutoIt", "Basic",  "Cobol",      "CobolFree", "CobolVariable", "DosBatch",
        "Eiffel", "Fortran", "Lisp",  "Pascal", "PowerShell", "REXX",      "SQL",           "VHDL",
    };
    return std::binary_search(std::begin(kIgnoringCase), std::end(kIgnoringCase), language);
}

std::string_view KindNameOfLetter(std::string_view language, char letter)
{
    const ctags::Table<Kind> kinds = KindsOf(language);
    const Kind* found = std::lower_bound(kinds.begin(), kinds.end(), letter,
                                         [](const Kind& kind, char wanted) { return kind.letter < wanted; });
    return found != kinds.end() && found->letter == letter ? found->name : std::string_view();
}

std::string_view TagKindName(const TagEntry& entry, std::string_view language)
{
    const std::string_view kind = KindAsWritten(entry);
    if (kind.size() > 1) return kind;
    return kind.empty() ? std::string_view() : KindNameOfLetter(language, kind[0]);
}

std::string_view TagKindName(const TagEntry& entry) { return TagKindName(entry, TagLanguage(entry)); }

bool IsKnownKindName(std::string_view name)
{
    return std::binary_search(ctags::kKindNames.begin(), ctags::kKindNames.end(), name);
}

TagScope ScopeOfField(std::string_view field)
{
    // --fields=+Z writes any owner's kind after "scope:".
    const bool anyKind = field.compare(0, 6, "scope:") == 0;
    if (anyKind) field.remove_prefix(6);
    const std::size_t colon = field.find(':');
    if (colon == std::string_view::npos || colon == 0) return {};
    const std::string_view key = field.substr(0, colon);
    if (!anyKind && !IsKnownKindName(key)) return {};
    return {key, field.substr(colon + 1)};
}

TagScope TagScopeOf(const CowString& extensionFields)
{
    TagScope scope;
    ForEachExtensionField(ViewOf(extensionFields), [&](std::string_view field) { return static_cast<bool>(scope = ScopeOfField(field)); });
    return scope;
}

}  // namespace velkin
