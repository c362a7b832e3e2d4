#include "tags/TagTraits.h"

#include <algorithm>
#include <iterator>

namespace velkin {

namespace {

struct KindLetter {
    char letter;
    std::string_view name;
};

// Each language's kinds as ctags --list-kinds-full names them, by letter
// (upper case first, as bytes sort). C's are C++'s less a few.
constexpr KindLetter kCppKinds[] = {
    {'A', "alias"},     {'D', "macroparam"}, {'L', "label"},     {'N', "name"},     {'U', "using"},
    {'Z', "tparam"},    {'c', "class"},      {'d', "macro"},     {'e', "enumerator"}, {'f', "function"},
    {'g', "enum"},      {'h', "header"},     {'l', "local"},     {'m', "member"},   {'n', "namespace"},
    {'p', "prototype"}, {'s', "struct"},     {'t', "typedef"},   {'u', "union"},    {'v', "variable"},
    {'x', "externvar"}, {'z', "parameter"},
};
constexpr KindLetter kCSharpKinds[] = {
    {'E', "event"},     {'c', "class"},  {'d', "macro"},     {'e', "enumerator"}, {'f', "field"},
    {'g', "enum"},      {'i', "interface"}, {'l', "local"},  {'m', "method"},     {'n', "namespace"},
    {'p', "property"},  {'s', "struct"}, {'t', "typedef"},
};
constexpr KindLetter kJavaKinds[] = {
    {'a', "annotation"}, {'c', "class"}, {'e', "enumConstant"}, {'f', "field"}, {'g', "enum"},
    {'i', "interface"},  {'l', "local"}, {'m', "method"},       {'p', "package"},
};
constexpr KindLetter kJavaScriptKinds[] = {
    {'C', "constant"}, {'G', "getter"},    {'M', "field"},  {'S', "setter"},   {'c', "class"},
    {'f', "function"}, {'g', "generator"}, {'m', "method"}, {'p', "property"}, {'v', "variable"},
};
constexpr KindLetter kTypeScriptKinds[] = {
    {'C', "constant"}, {'G', "generator"}, {'a', "alias"},  {'c', "class"},     {'e', "enumerator"},
    {'f', "function"}, {'g', "enum"},      {'i', "interface"}, {'l', "local"},  {'m', "method"},
    {'n', "namespace"}, {'p', "property"}, {'v', "variable"}, {'z', "parameter"},
};
constexpr KindLetter kPythonKinds[] = {
    {'I', "namespace"}, {'c', "class"},  {'f', "function"}, {'i', "module"},   {'l', "local"},
    {'m', "member"},    {'v', "variable"}, {'x', "unknown"}, {'z', "parameter"},
};
constexpr KindLetter kRubyKinds[] = {
    {'A', "accessor"}, {'C', "constant"}, {'L', "library"}, {'S', "singletonMethod"},
    {'a', "alias"},    {'c', "class"},    {'f', "method"},  {'m', "module"},
};
constexpr KindLetter kPhpKinds[] = {
    {'a', "alias"},     {'c', "class"}, {'d', "define"}, {'f', "function"}, {'i', "interface"},
    {'l', "local"},     {'n', "namespace"}, {'t', "trait"}, {'v', "variable"},
};
constexpr KindLetter kGoKinds[] = {
    {'M', "anonMember"}, {'P', "packageName"}, {'R', "receiver"}, {'a', "talias"},  {'c', "const"},
    {'f', "func"},       {'i', "interface"},   {'m', "member"},   {'n', "methodSpec"}, {'p', "package"},
    {'s', "struct"},     {'t', "type"},        {'u', "unknown"},  {'v', "var"},
};
constexpr KindLetter kRustKinds[] = {
    {'M', "macro"}, {'P', "method"}, {'c', "implementation"}, {'e', "enumerator"}, {'f', "function"},
    {'g', "enum"},  {'i', "interface"}, {'m', "field"},       {'n', "module"},     {'s', "struct"},
    {'t', "typedef"}, {'v', "variable"},
};
constexpr KindLetter kPerlKinds[] = {
    {'M', "module"}, {'c', "constant"}, {'d', "subroutineDeclaration"}, {'f', "format"},
    {'l', "label"},  {'p', "package"},  {'s', "subroutine"},
};
constexpr KindLetter kLuaKinds[] = {{'f', "function"}};
constexpr KindLetter kShKinds[] = {{'a', "alias"}, {'f', "function"}, {'h', "heredoc"}, {'s', "script"}};
constexpr KindLetter kSqlKinds[] = {
    {'C', "ccflag"},  {'D', "domain"},    {'E', "field"},     {'L', "label"},    {'P', "package"},
    {'R', "service"}, {'T', "trigger"},   {'U', "publication"}, {'V', "view"},   {'c', "cursor"},
    {'d', "prototype"}, {'e', "event"},   {'f', "function"},  {'i', "index"},    {'l', "local"},
    {'n', "synonym"}, {'p', "procedure"}, {'r', "record"},    {'s', "subtype"},  {'t', "table"},
    {'v', "variable"}, {'x', "mltable"},  {'y', "mlconn"},    {'z', "mlprop"},
};
constexpr KindLetter kMarkdownKinds[] = {
    {'S', "subsection"}, {'T', "l4subsection"}, {'c', "chapter"},
    {'s', "section"},    {'t', "subsubsection"}, {'u', "l5subsection"},
};
constexpr KindLetter kMakeKinds[] = {{'I', "makefile"}, {'m', "macro"}, {'t', "target"}};
constexpr KindLetter kCssKinds[] = {{'c', "class"}, {'i', "id"}, {'s', "selector"}};
constexpr KindLetter kHtmlKinds[] = {
    {'C', "stylesheet"}, {'I', "id"},       {'J', "script"},   {'a', "anchor"},
    {'c', "class"},      {'h', "heading1"}, {'i', "heading2"}, {'j', "heading3"},
};
constexpr KindLetter kKotlinKinds[] = {
    {'C', "constant"}, {'T', "typealias"}, {'c', "class"},   {'i', "interface"},
    {'m', "method"},   {'o', "object"},    {'p', "package"}, {'v', "variable"},
};
constexpr KindLetter kObjectiveCKinds[] = {
    {'C', "category"}, {'E', "field"},     {'I', "implementation"}, {'M', "macro"},  {'P', "protocol"},
    {'c', "class"},    {'e', "enum"},      {'f', "function"},       {'i', "interface"}, {'m', "method"},
    {'p', "property"}, {'s', "struct"},    {'t', "typedef"},        {'v', "var"},
};
constexpr KindLetter kVimKinds[] = {
    {'C', "constant"}, {'a', "augroup"}, {'c', "command"}, {'f', "function"},
    {'m', "map"},      {'n', "filename"}, {'v', "variable"},
};
constexpr KindLetter kEmacsLispKinds[] = {
    {'C', "custom"}, {'D', "derivedMode"}, {'G', "group"},  {'H', "face"},   {'M', "minorMode"}, {'T', "theme"},
    {'V', "varalias"}, {'a', "alias"},     {'c', "const"},  {'e', "error"},  {'f', "function"},  {'i', "inline"},
    {'m', "macro"},  {'s', "subst"},       {'u', "unknown"}, {'v', "variable"},
};

struct LanguageKinds {
    std::string_view language;
    const KindLetter* begin;
    const KindLetter* end;
};

template <std::size_t N>
constexpr LanguageKinds Kinds(std::string_view language, const KindLetter (&kinds)[N])
{
    return {language, kinds, kinds + N};
}

// By name, as bytes sort.
constexpr LanguageKinds kLanguages[] = {
    Kinds("C", kCppKinds),          Kinds("C#", kCSharpKinds),         Kinds("C++", kCppKinds),
    Kinds("CSS", kCssKinds),        Kinds("EmacsLisp", kEmacsLispKinds), Kinds("Go", kGoKinds),
    Kinds("HTML", kHtmlKinds),      Kinds("Java", kJavaKinds),         Kinds("JavaScript", kJavaScriptKinds),
    Kinds("Kotlin", kKotlinKinds),  Kinds("Lua", kLuaKinds),           Kinds("Make", kMakeKinds),
    Kinds("Markdown", kMarkdownKinds), Kinds("ObjectiveC", kObjectiveCKinds), Kinds("PHP", kPhpKinds),
    Kinds("Perl", kPerlKinds),      Kinds("Python", kPythonKinds),     Kinds("Ruby", kRubyKinds),
    Kinds("Rust", kRustKinds),      Kinds("SQL", kSqlKinds),           Kinds("Sh", kShKinds),
    Kinds("TypeScript", kTypeScriptKinds), Kinds("Vim", kVimKinds),
};

struct NamedLanguage {
    std::string_view key;   // an extension in lower case, or a whole file name in lower case
    std::string_view language;
};

// ctags --list-maps for the languages above (and Scala's and Swift's usual
// extensions, which this ctags has no parser for), in lower case, by key.
constexpr NamedLanguage kExtensions[] = {
    {"ash", "Sh"},        {"bash", "Sh"},       {"bsh", "Sh"},       {"c", "C"},          {"c++", "C++"},
    {"cc", "C++"},        {"cp", "C++"},        {"cpp", "C++"},      {"cs", "C#"},        {"css", "CSS"},
    {"cxx", "C++"},       {"el", "EmacsLisp"},  {"go", "Go"},        {"h", "C++"},        {"h++", "C++"},
    {"hh", "C++"},        {"hp", "C++"},        {"hpp", "C++"},      {"htm", "HTML"},     {"html", "HTML"},
    {"hxx", "C++"},       {"inl", "C++"},       {"java", "Java"},    {"js", "JavaScript"}, {"jsx", "JavaScript"},
    {"ksh", "Sh"},        {"kt", "Kotlin"},     {"kts", "Kotlin"},   {"lua", "Lua"},      {"m", "ObjectiveC"},
    {"mak", "Make"},      {"markdown", "Markdown"}, {"md", "Markdown"}, {"mjs", "JavaScript"}, {"mk", "Make"},
    {"mm", "ObjectiveC"}, {"perl", "Perl"},     {"ph", "Perl"},      {"php", "PHP"},      {"php3", "PHP"},
    {"php4", "PHP"},      {"php5", "PHP"},      {"php7", "PHP"},     {"phtml", "PHP"},    {"pl", "Perl"},
    {"plx", "Perl"},      {"pm", "Perl"},       {"pxd", "Python"},   {"pxi", "Python"},   {"py", "Python"},
    {"pyx", "Python"},    {"rb", "Ruby"},       {"rs", "Rust"},      {"ruby", "Ruby"},    {"scala", "Scala"},
    {"scons", "Python"},  {"sh", "Sh"},         {"sql", "SQL"},      {"swift", "Swift"},  {"ts", "TypeScript"},
    {"vba", "Vim"},       {"vim", "Vim"},       {"wsgi", "Python"},  {"zsh", "Sh"},
};
constexpr NamedLanguage kFileNames[] = {
    {".gvimrc", "Vim"}, {".vimrc", "Vim"}, {"_gvimrc", "Vim"}, {"_vimrc", "Vim"},   {"gnumakefile", "Make"},
    {"gvimrc", "Vim"},  {"makefile", "Make"}, {"vimrc", "Vim"},
};

// Every kind name of the tables above, by name: the keys a scope field can have.
constexpr std::string_view kKindNames[] = {
    "accessor", "alias", "anchor", "annotation", "anonMember", "augroup", "category", "ccflag", "chapter", "class",
    "command", "const", "constant", "cursor", "custom", "define", "derivedMode", "domain", "enum", "enumConstant",
    "enumerator", "error", "event", "externvar", "face", "field", "filename", "format", "func", "function",
    "generator", "getter", "group", "header", "heading1", "heading2", "heading3", "heredoc", "id", "implementation",
    "index", "inline", "interface", "l4subsection", "l5subsection", "label", "library", "local", "macro",
    "macroparam", "makefile", "map", "member", "method", "methodSpec", "minorMode", "mlconn", "mlprop", "mltable",
    "module", "name", "namespace", "object", "package", "packageName", "parameter", "procedure", "property",
    "protocol", "prototype", "publication", "receiver", "record", "script", "section", "selector", "service",
    "setter", "singletonMethod", "struct", "stylesheet", "subroutine", "subroutineDeclaration", "subsection", "subst",
    "subsubsection", "subtype", "synonym", "table", "talias", "target", "theme", "tparam", "trait", "trigger", "type",
    "typealias", "typedef", "union", "unknown", "using", "var", "varalias", "variable", "view",
};

template <typename T, typename Key>
constexpr bool SortedBy(const T& table, Key key)
{
    for (std::size_t i = 1; i < std::size(table); ++i)
        if (!(key(table[i - 1]) < key(table[i]))) return false;
    return true;
}
constexpr auto kByLanguage = [](const LanguageKinds& entry) { return entry.language; };
constexpr auto kByKey = [](const NamedLanguage& entry) { return entry.key; };
static_assert(SortedBy(kLanguages, kByLanguage));
static_assert(SortedBy(kExtensions, kByKey));
static_assert(SortedBy(kFileNames, kByKey));
static_assert(SortedBy(kKindNames, [](std::string_view name) { return name; }));

// The entry of the sorted `table` whose key is `key`, or null.
template <typename Entry, std::size_t N, typename KeyOf>
const Entry* Find(const Entry (&table)[N], std::string_view key, KeyOf keyOf)
{
    const Entry* found = std::lower_bound(table, table + N, key,
                                          [&](const Entry& entry, std::string_view wanted) { return keyOf(entry) < wanted; });
    return found != table + N && keyOf(*found) == key ? found : nullptr;
}

std::string_view ViewOf(const CowString& text) { return {text.Text(), static_cast<std::size_t>(text.Length())}; }

// The language that `key`, lower-cased, names in `table`; empty when it names
// none (also when it is too long to be a key).
template <std::size_t N>
std::string_view LanguageOfKey(const NamedLanguage (&table)[N], std::string_view key)
{
    char lower[16];
    if (key.empty() || key.size() > sizeof lower) return {};
    for (std::size_t i = 0; i < key.size(); ++i) {
        const char c = key[i];
        lower[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const NamedLanguage* found = Find(table, std::string_view(lower, key.size()), kByKey);
    return found ? found->language : std::string_view();
}

}  // namespace

std::string_view LanguageOfFileName(std::string_view file)
{
    const std::size_t slash = file.find_last_of("/\\");
    const std::string_view name = slash == std::string_view::npos ? file : file.substr(slash + 1);
    const std::string_view byName = LanguageOfKey(kFileNames, name);
    if (!byName.empty()) return byName;
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : LanguageOfKey(kExtensions, name.substr(dot + 1));
}

namespace {

// The kinds of `language`; C++'s for a language not known here.
const LanguageKinds& KindsOf(std::string_view language)
{
    const LanguageKinds* kinds = Find(kLanguages, language, kByLanguage);
    return kinds ? *kinds : *Find(kLanguages, "C++", kByLanguage);
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

bool IsObjectiveCOnlyKind(const TagEntry& entry)
{
    std::string_view field = ViewOf(entry.kindField);
    if (field.compare(0, 5, "kind:") == 0) field.remove_prefix(5);
    if (field.size() > 1) return IsObjectiveCOnlyName(field);
    const char letter = field.size() == 1 ? field[0] : entry.kind;
    return letter != '\0' && kObjectiveCOnlyLetters.find(letter) != std::string_view::npos;
}

}  // namespace

std::string_view LanguageOfUnlabelledTag(std::string_view fileLanguage, const TagEntry& entry, std::string_view ownerKind)
{
    if (fileLanguage != "C++" || !IsSharedHeaderName(ViewOf(entry.file))) return fileLanguage;
    return IsObjectiveCOnlyKind(entry) || IsObjectiveCOnlyName(ownerKind) ? "ObjectiveC" : fileLanguage;
}

std::string_view TagLanguage(const TagEntry& entry)
{
    const std::string_view language = ExtensionFieldValue(ViewOf(entry.extensionFields), "language").value_or("");
    if (!language.empty()) return language;
    return LanguageOfUnlabelledTag(LanguageOfFileName(ViewOf(entry.file)), entry, TagScopeOf(entry.extensionFields).kind);
}

bool UsesCKindLetters(std::string_view language) { return KindsOf(language).begin == std::begin(kCppKinds); }

std::string_view KindNameOfLetter(std::string_view language, char letter)
{
    const LanguageKinds* kinds = &KindsOf(language);
    const KindLetter* found = std::lower_bound(kinds->begin, kinds->end, letter,
                                               [](const KindLetter& kind, char wanted) { return kind.letter < wanted; });
    return found != kinds->end && found->letter == letter ? found->name : std::string_view();
}

std::string_view TagKindName(const TagEntry& entry, std::string_view language)
{
    std::string_view field = ViewOf(entry.kindField);
    if (field.compare(0, 5, "kind:") == 0) field.remove_prefix(5);
    if (field.size() > 1) return field;
    return KindNameOfLetter(language, field.size() == 1 ? field[0] : entry.kind);
}

std::string_view TagKindName(const TagEntry& entry) { return TagKindName(entry, TagLanguage(entry)); }

bool IsKnownKindName(std::string_view name)
{
    return std::binary_search(std::begin(kKindNames), std::end(kKindNames), name);
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
