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
constexpr KindLetter kFunctionKinds[] = {{'f', "function"}};
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

// The languages a Windows user meets beside code: scripts, settings,
// resources, documents and hardware descriptions.
constexpr KindLetter kAdaKinds[] = {
    {'E', "entryspec"}, {'K', "taskspec"},  {'O', "protectspec"}, {'P', "packspec"}, {'R', "subprogspec"},
    {'S', "separate"},  {'T', "typespec"},  {'U', "subspec"},     {'V', "varspec"},  {'a', "autovar"},
    {'b', "label"},     {'c', "component"}, {'e', "entry"},       {'f', "formal"},   {'i', "identifier"},
    {'k', "task"},      {'l', "literal"},   {'n', "constant"},    {'o', "protected"}, {'p', "package"},
    {'r', "subprogram"}, {'t', "type"},     {'u', "subtype"},     {'v', "variable"}, {'x', "exception"},
    {'y', "anon"},
};
constexpr KindLetter kAsmKinds[] = {{'d', "define"}, {'l', "label"}, {'m', "macro"}, {'s', "section"}, {'t', "type"}};
constexpr KindLetter kAsciidocKinds[] = {
    {'S', "subsection"}, {'T', "l4subsection"}, {'a', "anchor"},       {'c', "chapter"},
    {'s', "section"},    {'t', "subsubsection"}, {'u', "l5subsection"},
};
constexpr KindLetter kAutoItKinds[] = {{'S', "script"}, {'f', "func"}, {'g', "global"}, {'l', "local"}, {'r', "region"}};
constexpr KindLetter kCMakeKinds[] = {
    {'D', "option"}, {'f', "function"}, {'m', "macro"}, {'p', "project"}, {'t', "target"}, {'v', "variable"},
};
constexpr KindLetter kCPreProcessorKinds[] = {{'D', "parameter"}, {'d', "macro"}, {'h', "header"}};
constexpr KindLetter kDBusKinds[] = {
    {'a', "arg"}, {'i', "interface"}, {'m', "method"}, {'n', "node"}, {'p', "property"}, {'s', "signal"},
};
constexpr KindLetter kElixirKinds[] = {
    {'a', "macro"},  {'c', "callback"}, {'d', "delegate"}, {'e', "exception"}, {'f', "function"},
    {'g', "guard"},  {'i', "implementation"}, {'m', "module"}, {'o', "operator"}, {'p', "protocol"},
    {'r', "record"}, {'t', "test"},     {'y', "type"},
};
constexpr KindLetter kErlangKinds[] = {{'d', "macro"}, {'f', "function"}, {'m', "module"}, {'r', "record"}, {'t', "type"}};
constexpr KindLetter kFortranKinds[] = {
    {'E', "enum"},   {'L', "local"},     {'M', "method"},  {'N', "enumerator"}, {'P', "prototype"},
    {'S', "submodule"}, {'b', "blockData"}, {'c', "common"}, {'e', "entry"},   {'f', "function"},
    {'i', "interface"}, {'k', "component"}, {'l', "label"}, {'m', "module"},   {'n', "namelist"},
    {'p', "program"}, {'s', "subroutine"}, {'t', "type"},  {'v', "variable"},
};
constexpr KindLetter kHaskellKinds[] = {{'c', "constructor"}, {'f', "function"}, {'m', "module"}, {'t', "type"}};
constexpr KindLetter kJsonKinds[] = {
    {'a', "array"}, {'b', "boolean"}, {'n', "number"}, {'o', "object"}, {'s', "string"}, {'z', "null"},
};
constexpr KindLetter kKeyKinds[] = {{'k', "key"}};
constexpr KindLetter kIniconfKinds[] = {{'k', "key"}, {'s', "section"}};
constexpr KindLetter kLispKinds[] = {{'c', "const"}, {'f', "function"}, {'m', "macro"}, {'u', "unknown"}, {'v', "variable"}};
constexpr KindLetter kManKinds[] = {{'s', "section"}, {'t', "title"}};
constexpr KindLetter kOCamlKinds[] = {
    {'C', "Constructor"}, {'M', "module"}, {'c', "class"}, {'e', "Exception"}, {'f', "function"},
    {'m', "method"},      {'p', "val"},    {'r', "RecordField"}, {'t', "type"}, {'v', "var"},
};
constexpr KindLetter kPascalKinds[] = {{'f', "function"}, {'p', "procedure"}};
constexpr KindLetter kPodKinds[] = {{'S', "subsection"}, {'c', "chapter"}, {'s', "section"}, {'t', "subsubsection"}};
constexpr KindLetter kProtobufKinds[] = {
    {'D', "protodef"}, {'G', "group"},   {'e', "enumerator"}, {'f', "field"}, {'g', "enum"},
    {'m', "message"},  {'o', "oneof"},   {'p', "package"},    {'r', "rpc"},   {'s', "service"},
};
constexpr KindLetter kRKinds[] = {
    {'L', "list"},      {'c', "vector"},   {'d', "dataframe"}, {'f', "function"}, {'g', "globalVar"},
    {'l', "library"},   {'n', "nameattr"}, {'s', "source"},    {'v', "functionVar"}, {'z', "parameter"},
};
constexpr KindLetter kRestKinds[] = {
    {'C', "citation"}, {'S', "subsection"}, {'T', "target"},       {'c', "chapter"},
    {'d', "substdef"}, {'s', "section"},    {'t', "subsubsection"},
};
constexpr KindLetter kSchemeKinds[] = {{'f', "function"}, {'s', "set"}};
constexpr KindLetter kFunctionVariableKinds[] = {{'f', "function"}, {'v', "variable"}};
constexpr KindLetter kNamespaceFunctionKinds[] = {{'f', "function"}, {'n', "namespace"}};
constexpr KindLetter kLabelVariableKinds[] = {{'l', "label"}, {'v', "variable"}};
constexpr KindLetter kTclKinds[] = {{'n', "namespace"}, {'p', "procedure"}, {'z', "parameter"}};
constexpr KindLetter kTexKinds[] = {
    {'B', "bibitem"}, {'C', "command"}, {'G', "subparagraph"}, {'N', "counter"}, {'P', "paragraph"},
    {'b', "subsubsection"}, {'c', "chapter"}, {'i', "xinput"}, {'l', "label"}, {'p', "part"},
    {'s', "section"}, {'u', "subsection"},
};
constexpr KindLetter kVhdlKinds[] = {
    {'A', "alias"},    {'C', "component"}, {'P', "package"}, {'Q', "process"},  {'T', "subtype"},
    {'a', "architecture"}, {'c', "constant"}, {'d', "prototype"}, {'e', "entity"}, {'f', "function"},
    {'g', "generic"},  {'l', "local"},     {'p', "procedure"}, {'q', "port"},   {'r', "record"},
    {'s', "signal"},   {'t', "type"},      {'v', "variable"},
};
constexpr KindLetter kVerilogKinds[] = {
    {'b', "block"}, {'c', "constant"}, {'e', "event"}, {'f', "function"}, {'i', "instance"},
    {'m', "module"}, {'n', "net"},     {'p', "port"},  {'r', "register"}, {'t', "task"},
};
constexpr KindLetter kWindResKinds[] = {
    {'a', "accelerators"}, {'b', "bitmap"}, {'c', "cursor"}, {'d', "dialog"},
    {'f', "font"},         {'i', "icon"},   {'m', "menu"},   {'v', "version"},
};
constexpr KindLetter kXmlKinds[] = {{'i', "id"}, {'n', "nsprefix"}, {'r', "root"}};
constexpr KindLetter kYamlKinds[] = {{'a', "anchor"}};

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
    Kinds("Ada", kAdaKinds), Kinds("Asciidoc", kAsciidocKinds), Kinds("Asm", kAsmKinds),
    Kinds("AutoIt", kAutoItKinds), Kinds("Awk", kFunctionKinds), Kinds("C", kCppKinds),
    Kinds("C#", kCSharpKinds), Kinds("C++", kCppKinds), Kinds("CMake", kCMakeKinds),
    Kinds("CPreProcessor", kCPreProcessorKinds), Kinds("CSS", kCssKinds), Kinds("Clojure", kNamespaceFunctionKinds),
    Kinds("DBusIntrospect", kDBusKinds), Kinds("DosBatch", kLabelVariableKinds), Kinds("Elixir", kElixirKinds),
    Kinds("EmacsLisp", kEmacsLispKinds), Kinds("Erlang", kErlangKinds), Kinds("Fortran", kFortranKinds),
    Kinds("Go", kGoKinds), Kinds("HTML", kHtmlKinds), Kinds("Haskell", kHaskellKinds),
    Kinds("Iniconf", kIniconfKinds), Kinds("JSON", kJsonKinds), Kinds("Java", kJavaKinds),
    Kinds("JavaProperties", kKeyKinds), Kinds("JavaScript", kJavaScriptKinds), Kinds("Kotlin", kKotlinKinds),
    Kinds("Lisp", kLispKinds), Kinds("Lua", kFunctionKinds), Kinds("Make", kMakeKinds), Kinds("Man", kManKinds),
    Kinds("Markdown", kMarkdownKinds), Kinds("OCaml", kOCamlKinds), Kinds("ObjectiveC", kObjectiveCKinds),
    Kinds("PHP", kPhpKinds), Kinds("Pascal", kPascalKinds), Kinds("Perl", kPerlKinds), Kinds("Pod", kPodKinds),
    Kinds("PowerShell", kFunctionVariableKinds), Kinds("Protobuf", kProtobufKinds), Kinds("Python", kPythonKinds),
    Kinds("R", kRKinds), Kinds("ReStructuredText", kRestKinds), Kinds("Ruby", kRubyKinds), Kinds("Rust", kRustKinds),
    Kinds("SQL", kSqlKinds), Kinds("Scheme", kSchemeKinds), Kinds("Sh", kShKinds), Kinds("Tcl", kTclKinds),
    Kinds("Tex", kTexKinds), Kinds("TypeScript", kTypeScriptKinds), Kinds("VHDL", kVhdlKinds),
    Kinds("Verilog", kVerilogKinds), Kinds("Vim", kVimKinds), Kinds("WindRes", kWindResKinds),
    Kinds("XML", kXmlKinds), Kinds("Yaml", kYamlKinds),
};

struct NamedLanguage {
    std::string_view key;   // an extension in lower case, or a whole file name in lower case
    std::string_view language;
};

// ctags --list-maps for the languages above (and Scala's and Swift's usual
// extensions, which this ctags has no parser for), in lower case, by key.
constexpr NamedLanguage kExtensions[] = {
    {"1", "Man"}, {"2", "Man"}, {"3", "Man"}, {"3pm", "Man"}, {"3stap", "Man"}, {"4", "Man"}, {"5", "Man"},
    {"6", "Man"}, {"7", "Man"}, {"7stap", "Man"}, {"8", "Man"}, {"9", "Man"}, {"a51", "Asm"}, {"ada", "Ada"},
    {"adb", "Ada"}, {"adoc", "Asciidoc"}, {"ads", "Ada"}, {"asc", "Asciidoc"}, {"asciidoc", "Asciidoc"},
    {"ash", "Sh"}, {"asm", "Asm"}, {"au3", "AutoIt"}, {"aug", "OCaml"}, {"awk", "Awk"}, {"bash", "Sh"},
    {"bat", "DosBatch"}, {"bsh", "Sh"}, {"c", "C"}, {"c++", "C++"}, {"cc", "C++"}, {"cl", "Lisp"}, {"clisp", "Lisp"},
    {"clj", "Clojure"}, {"cljc", "Clojure"}, {"cljs", "Clojure"}, {"cmake", "CMake"}, {"cmd", "DosBatch"},
    {"conf", "Iniconf"}, {"cp", "C++"}, {"cpp", "C++"}, {"cs", "C#"}, {"css", "CSS"}, {"cxx", "C++"},
    {"el", "EmacsLisp"}, {"erl", "Erlang"}, {"ex", "Elixir"}, {"exp", "Tcl"}, {"exs", "Elixir"}, {"f", "Fortran"},
    {"f03", "Fortran"}, {"f08", "Fortran"}, {"f15", "Fortran"}, {"f77", "Fortran"}, {"f90", "Fortran"},
    {"f95", "Fortran"}, {"for", "Fortran"}, {"ftn", "Fortran"}, {"gawk", "Awk"}, {"go", "Go"}, {"h", "C++"},
    {"h++", "C++"}, {"hh", "C++"}, {"hp", "C++"}, {"hpp", "C++"}, {"hrl", "Erlang"}, {"hs", "Haskell"},
    {"htm", "HTML"}, {"html", "HTML"}, {"hxx", "C++"}, {"ini", "Iniconf"}, {"inl", "C++"}, {"java", "Java"},
    {"js", "JavaScript"}, {"json", "JSON"}, {"jsx", "JavaScript"}, {"ksh", "Sh"}, {"kt", "Kotlin"}, {"kts", "Kotlin"},
    {"l", "Lisp"}, {"lisp", "Lisp"}, {"lsp", "Lisp"}, {"lua", "Lua"}, {"m", "ObjectiveC"}, {"mak", "Make"},
    {"markdown", "Markdown"}, {"mawk", "Awk"}, {"md", "Markdown"}, {"mjs", "JavaScript"}, {"mk", "Make"},
    {"ml", "OCaml"}, {"mli", "OCaml"}, {"mm", "ObjectiveC"}, {"p", "Pascal"}, {"pas", "Pascal"}, {"perl", "Perl"},
    {"ph", "Perl"}, {"php", "PHP"}, {"php3", "PHP"}, {"php4", "PHP"}, {"php5", "PHP"}, {"php7", "PHP"},
    {"phtml", "PHP"}, {"pl", "Perl"}, {"plx", "Perl"}, {"pm", "Perl"}, {"pod", "Pod"},
    {"properties", "JavaProperties"}, {"proto", "Protobuf"}, {"ps1", "PowerShell"}, {"psm1", "PowerShell"},
    {"pxd", "Python"}, {"pxi", "Python"}, {"py", "Python"}, {"pyx", "Python"}, {"q", "R"}, {"r", "R"}, {"rb", "Ruby"},
    {"rc", "WindRes"}, {"rest", "ReStructuredText"}, {"rkt", "Scheme"}, {"rs", "Rust"}, {"rst", "ReStructuredText"},
    {"ruby", "Ruby"}, {"s", "Asm"}, {"scala", "Scala"}, {"sch", "Scheme"}, {"scheme", "Scheme"}, {"scm", "Scheme"},
    {"scons", "Python"}, {"sh", "Sh"}, {"sm", "Scheme"}, {"sql", "SQL"}, {"swift", "Swift"}, {"tcl", "Tcl"},
    {"tex", "Tex"}, {"tk", "Tcl"}, {"ts", "TypeScript"}, {"v", "Verilog"}, {"vba", "Vim"}, {"vhd", "VHDL"},
    {"vhdl", "VHDL"}, {"vim", "Vim"}, {"wish", "Tcl"}, {"wsgi", "Python"}, {"xml", "XML"}, {"yml", "Yaml"},
    {"zsh", "Sh"},
};
constexpr NamedLanguage kFileNames[] = {
    {".gvimrc", "Vim"}, {".vimrc", "Vim"}, {"_gvimrc", "Vim"}, {"_vimrc", "Vim"}, {"cmakelists.txt", "CMake"},
    {"gnumakefile", "Make"}, {"gvimrc", "Vim"}, {"makefile", "Make"}, {"vimrc", "Vim"},
};

// Every kind name of the tables above, by name: the keys a scope field can have.
constexpr std::string_view kKindNames[] = {
    "Constructor", "Exception", "RecordField", "accelerators", "accessor", "alias", "anchor", "annotation", "anon",
    "anonMember", "architecture", "arg", "array", "augroup", "autovar", "bibitem", "bitmap", "block", "blockData",
    "boolean", "callback", "category", "ccflag", "chapter", "citation", "class", "command", "common", "component",
    "const", "constant", "constructor", "counter", "cursor", "custom", "dataframe", "define", "delegate",
    "derivedMode", "dialog", "domain", "entity", "entry", "entryspec", "enum", "enumConstant", "enumerator", "error",
    "event", "exception", "externvar", "face", "field", "filename", "font", "formal", "format", "func", "function",
    "functionVar", "generator", "generic", "getter", "global", "globalVar", "group", "guard", "header", "heading1",
    "heading2", "heading3", "heredoc", "icon", "id", "identifier", "implementation", "index", "inline", "instance",
    "interface", "key", "l4subsection", "l5subsection", "label", "library", "list", "literal", "local", "macro",
    "macroparam", "makefile", "map", "member", "menu", "message", "method", "methodSpec", "minorMode", "mlconn",
    "mlprop", "mltable", "module", "name", "nameattr", "namelist", "namespace", "net", "node", "nsprefix", "null",
    "number", "object", "oneof", "operator", "option", "package", "packageName", "packspec", "paragraph", "parameter",
    "part", "port", "procedure", "process", "program", "project", "property", "protected", "protectspec", "protocol",
    "protodef", "prototype", "publication", "receiver", "record", "region", "register", "root", "rpc", "script",
    "section", "selector", "separate", "service", "set", "setter", "signal", "singletonMethod", "source", "string",
    "struct", "stylesheet", "submodule", "subparagraph", "subprogram", "subprogspec", "subroutine",
    "subroutineDeclaration", "subsection", "subspec", "subst", "substdef", "subsubsection", "subtype", "synonym",
    "table", "talias", "target", "task", "taskspec", "test", "theme", "title", "tparam", "trait", "trigger", "type",
    "typealias", "typedef", "typespec", "union", "unknown", "using", "val", "var", "varalias", "variable", "varspec",
    "vector", "version", "view", "xinput",
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

// Whether `language` has a kind of that letter (a one-byte `kind`) or name.
bool HasKind(std::string_view language, std::string_view kind)
{
    if (kind.size() == 1) return !KindNameOfLetter(language, kind[0]).empty();
    const LanguageKinds& kinds = KindsOf(language);
    return std::any_of(kinds.begin, kinds.end, [&](const KindLetter& known) { return known.name == kind; });
}

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
// (".s" to R, a D-Bus interface's ".xml" to its introspection parser).
struct SharedExtension {
    std::string_view language;
    std::string_view other;
};
constexpr SharedExtension kSharedExtensions[] = {{"Asm", "R"}, {"XML", "DBusIntrospect"}};

// The other language of a file of `language` when the tag's kind or its
// owner's kind is one that `language` has not and the other has; else
// `language`.
std::string_view SharedExtensionLanguage(std::string_view language, const TagEntry& entry, std::string_view ownerKind)
{
    const auto isOthers = [&](std::string_view other, std::string_view kind) {
        return !kind.empty() && !HasKind(language, kind) && HasKind(other, kind);
    };
    for (const SharedExtension& shared : kSharedExtensions)
        if (shared.language == language && (isOthers(shared.other, KindAsWritten(entry)) || isOthers(shared.other, ownerKind)))
            return shared.other;
    return language;
}

}  // namespace

std::string_view LanguageOfUnlabelledTag(std::string_view fileLanguage, const TagEntry& entry, std::string_view ownerKind)
{
    if (fileLanguage == "Asm" && IsPreprocessorTag(entry)) return "CPreProcessor";
    if (fileLanguage != "C++" || !IsSharedHeaderName(ViewOf(entry.file)))
        return SharedExtensionLanguage(fileLanguage, entry, ownerKind);
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
    const std::string_view kind = KindAsWritten(entry);
    if (kind.size() > 1) return kind;
    return kind.empty() ? std::string_view() : KindNameOfLetter(language, kind[0]);
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
