#include "ui/KindWords.h"

#include <algorithm>
#include <functional>
#include <iterator>

#include "res/ResourceIds.h"
#include "tags/TagTraits.h"
#include "text/Utf8ToAnsi.h"

namespace velkin {

namespace {

constexpr unsigned kFunction = IDS_KIND_FIRST;
constexpr unsigned kClass = IDS_KIND_FIRST + 1;
constexpr unsigned kNamespace = IDS_KIND_FIRST + 2;
constexpr unsigned kMacro = IDS_KIND_FIRST + 3;
constexpr unsigned kTypedef = IDS_KIND_FIRST + 4;
constexpr unsigned kStruct = IDS_KIND_FIRST + 5;
constexpr unsigned kUnion = IDS_KIND_FIRST + 6;
constexpr unsigned kMember = IDS_KIND_FIRST + 7;
constexpr unsigned kEnumerator = IDS_KIND_FIRST + 8;
constexpr unsigned kVariable = IDS_KIND_FIRST + 9;
constexpr unsigned kFileScope = IDS_KIND_LAST;

struct NamedWord {
    std::string_view name;
    unsigned id;
};

// A word for each kind name ctags writes (CtagsTables.h), by name as bytes
// sort. A name with no word here (a newer ctags', a user's parser's) is shown
// as it stands.
constexpr NamedWord kWords[] = {
    {"Constructor", IDS_KIND_CONSTRUCTOR},
    {"Exception", IDS_KIND_EXCEPTION},
    {"RecordField", IDS_KIND_FIELD},
    {"accelerators", IDS_KIND_ACCELERATORS},
    {"accessor", IDS_KIND_ACCESSOR},
    {"activeBindingFunc", IDS_KIND_ACTIVE_BINDING},
    {"alias", IDS_KIND_ALIAS},
    {"altstep", IDS_KIND_ALTSTEP},
    {"anchor", IDS_KIND_ANCHOR},
    {"annotation", IDS_KIND_ANNOTATION},
    {"anon", IDS_KIND_ANONYMOUS_BLOCK},
    {"anonMember", IDS_KIND_EMBEDDED_FIELD},
    {"antfile", IDS_KIND_ANT_FILE},
    {"architecture", IDS_KIND_ARCHITECTURE},
    {"arg", IDS_KIND_PARAMETER},
    {"array", IDS_KIND_ARRAY},
    {"article", IDS_KIND_ARTICLE},
    {"artifactId", IDS_KIND_ARTIFACT_ID},
    {"assembly", IDS_KIND_ASSEMBLY},
    {"assert", IDS_KIND_ASSERTION},
    {"attribute", IDS_KIND_ATTRIBUTE},
    {"augroup", IDS_KIND_AUGROUP},
    {"autovar", IDS_KIND_AUTOMATIC_VARIABLE},
    {"benchmark", IDS_KIND_BENCHMARK},
    {"bibitem", IDS_KIND_BIBLIOGRAPHY_ITEM},
    {"bitmap", IDS_KIND_BITMAP},
    {"block", IDS_KIND_BLOCK},
    {"blockData", IDS_KIND_BLOCK_DATA},
    {"book", IDS_KIND_BOOK},
    {"booklet", IDS_KIND_BOOKLET},
    {"boolean", IDS_KIND_BOOLEAN},
    {"build", IDS_KIND_BUILD_TARGET},
    {"callback", IDS_KIND_CALLBACK},
    {"category", IDS_KIND_CATEGORY},
    {"ccflag", IDS_KIND_CONDITIONAL_FLAG},
    {"cell", IDS_KIND_CELL},
    {"chapter", IDS_KIND_CHAPTER},
    {"checker", IDS_KIND_CHECKER},
    {"choice", IDS_KIND_CHOICE},
    {"citation", IDS_KIND_CITATION},
    {"class", kClass},
    {"clocking", IDS_KIND_CLOCKING},
    {"combo", IDS_KIND_CHOICE},
    {"command", IDS_KIND_COMMAND},
    {"common", IDS_KIND_COMMON_BLOCK},
    {"component", IDS_KIND_COMPONENT},
    {"condition", IDS_KIND_CONDITION},
    {"conference", IDS_KIND_CONFERENCE},
    {"config", IDS_KIND_CONFIG},
    {"const", IDS_KIND_CONSTANT},
    {"constant", IDS_KIND_CONSTANT},
    {"constraint", IDS_KIND_CONSTRAINT},
    {"constructor", IDS_KIND_CONSTRUCTOR},
    {"context", IDS_KIND_CONTEXT},
    {"counter", IDS_KIND_COUNTER},
    {"covergroup", IDS_KIND_COVERGROUP},
    {"cursor", IDS_KIND_CURSOR},
    {"custom", IDS_KIND_CUSTOM_VARIABLE},
    {"data", IDS_KIND_DATA_ITEM},
    {"dataframe", IDS_KIND_DATA_FRAME},
    {"def", IDS_KIND_DEFINITION},
    {"define", IDS_KIND_CONSTANT},
    {"definition", IDS_KIND_DEFINITION},
    {"delegate", IDS_KIND_DELEGATE},
    {"deletedFile", IDS_KIND_DELETED_FILE},
    {"derivedMode", IDS_KIND_DERIVED_MODE},
    {"describe", IDS_KIND_DESCRIBE},
    {"dialog", IDS_KIND_DIALOG},
    {"directory", IDS_KIND_DIRECTORY},
    {"division", IDS_KIND_PART},
    {"document", IDS_KIND_DOCUMENTATION},
    {"domain", IDS_KIND_DOMAIN},
    {"edesc", IDS_KIND_ERROR_DESCRIPTOR},
    {"element", IDS_KIND_ELEMENT},
    {"entity", IDS_KIND_ENTITY},
    {"entry", IDS_KIND_ENTRY},
    {"entryspec", IDS_KIND_ENTRY_SPEC},
    {"enum", IDS_KIND_ENUM},
    {"enumConstant", kEnumerator},
    {"enumerator", kEnumerator},
    {"error", IDS_KIND_ERROR},
    {"event", IDS_KIND_EVENT},
    {"exception", IDS_KIND_EXCEPTION},
    {"externvar", IDS_KIND_EXTERN_VARIABLE},
    {"face", IDS_KIND_FACE},
    {"fd", IDS_KIND_FILE_DESCRIPTION},
    {"feature", IDS_KIND_FEATURE},
    {"field", IDS_KIND_FIELD},
    {"filename", IDS_KIND_FILE_NAME},
    {"font", IDS_KIND_FONT},
    {"formal", IDS_KIND_GENERIC_FORMAL},
    {"format", IDS_KIND_FORMAT},
    {"fragment", IDS_KIND_FRAGMENT},
    {"framesubtitle", IDS_KIND_FRAME_SUBTITLE},
    {"frametitle", IDS_KIND_FRAME_TITLE},
    {"fun", kFunction},
    {"func", kFunction},
    {"function", kFunction},
    {"functionVar", IDS_KIND_LOCAL},
    {"functor", IDS_KIND_FUNCTOR},
    {"generator", IDS_KIND_GENERATOR},
    {"generic", IDS_KIND_GENERIC},
    {"getter", IDS_KIND_GETTER},
    {"global", IDS_KIND_GLOBAL_VARIABLE},
    {"globalVar", IDS_KIND_GLOBAL_VARIABLE},
    {"grammar", IDS_KIND_GRAMMAR},
    {"group", IDS_KIND_GROUP},
    {"groupId", IDS_KIND_GROUP_ID},
    {"guard", IDS_KIND_GUARD},
    {"handler", IDS_KIND_HANDLER},
    {"header", IDS_KIND_HEADER},
    {"heading1", IDS_KIND_HEADING1},
    {"heading2", IDS_KIND_HEADING2},
    {"heading3", IDS_KIND_HEADING3},
    {"heredoc", IDS_KIND_HEREDOC},
    {"hunk", IDS_KIND_HUNK},
    {"icon", IDS_KIND_ICON},
    {"id", IDS_KIND_ID},
    {"identifier", IDS_KIND_BLOCK_NAME},
    {"ifclass", IDS_KIND_INTERFACE_CLASS},
    {"implementation", IDS_KIND_IMPLEMENTATION},
    {"import", IDS_KIND_IMPORT},
    {"inbook", IDS_KIND_BOOK_PART},
    {"incollection", IDS_KIND_COLLECTION_ARTICLE},
    {"index", IDS_KIND_INDEX},
    {"infoitem", IDS_KIND_INFO_ITEM},
    {"inline", IDS_KIND_INLINE_FUNCTION},
    {"inproceedings", IDS_KIND_CONFERENCE},
    {"inputSection", IDS_KIND_INPUT_SECTION},
    {"instance", IDS_KIND_INSTANCE},
    {"integer", IDS_KIND_INTEGER},
    {"interface", IDS_KIND_INTERFACE},
    {"iparam", IDS_KIND_INPUT_PARAMETER},
    {"kconfig", IDS_KIND_KCONFIG_FILE},
    {"key", IDS_KIND_KEY},
    {"keyword", IDS_KIND_KEYWORD},
    {"kind", IDS_KIND_KIND_DEFINITION},
    {"l4subsection", IDS_KIND_HEADING5},
    {"l5subsection", IDS_KIND_HEADING6},
    {"label", IDS_KIND_LABEL},
    {"langdef", IDS_KIND_LANGUAGE_DEFINITION},
    {"langstr", IDS_KIND_LANGUAGE_STRING},
    {"library", IDS_KIND_LIBRARY},
    {"list", IDS_KIND_LIST},
    {"literal", kEnumerator},
    {"local", IDS_KIND_LOCAL},
    {"localVariable", IDS_KIND_LOCAL},
    {"localvar", IDS_KIND_LOCAL},
    {"loggerSection", IDS_KIND_LOGGER_SECTION},
    {"ltlibrary", IDS_KIND_LIBTOOL_LIBRARY},
    {"macro", kMacro},
    {"macroParameter", IDS_KIND_MACRO_PARAMETER},
    {"macrofile", IDS_KIND_MACRO_FILE},
    {"macroparam", IDS_KIND_MACRO_PARAMETER},
    {"mainMenu", IDS_KIND_MAIN_MENU},
    {"makefile", IDS_KIND_MAKEFILE},
    {"man", IDS_KIND_MANUAL},
    {"manual", IDS_KIND_MANUAL},
    {"map", IDS_KIND_KEY_MAP},
    {"mastersthesis", IDS_KIND_MASTERS_THESIS},
    {"matchedTemplate", IDS_KIND_MATCHED_TEMPLATE},
    {"member", kMember},
    {"menu", IDS_KIND_MENU},
    {"message", IDS_KIND_MESSAGE},
    {"method", IDS_KIND_METHOD},
    {"methodSpec", IDS_KIND_METHOD_DECLARATION},
    {"minorMode", IDS_KIND_MINOR_MODE},
    {"misc", IDS_KIND_MISC_REFERENCE},
    {"mixin", IDS_KIND_MIXIN},
    {"mlconn", IDS_KIND_MOBILINK_CONNECTION},
    {"mlprop", IDS_KIND_MOBILINK_PROPERTY},
    {"mltable", IDS_KIND_MOBILINK_TABLE},
    {"modifiedFile", IDS_KIND_MODIFIED_FILE},
    {"modport", IDS_KIND_MODPORT},
    {"module", IDS_KIND_MODULE},
    {"modulepar", IDS_KIND_MODULE_PARAMETER},
    {"mxtag", IDS_KIND_MXML_TAG},
    {"name", IDS_KIND_USING_DECLARATION},
    {"nameattr", IDS_KIND_NAMES_ATTRIBUTE},
    {"namedPattern", IDS_KIND_NAMED_PATTERN},
    {"namedTemplate", IDS_KIND_NAMED_TEMPLATE},
    {"namelist", IDS_KIND_NAMELIST},
    {"namespace", kNamespace},
    {"net", IDS_KIND_NET},
    {"nettype", IDS_KIND_NETTYPE},
    {"newFile", IDS_KIND_NEW_FILE},
    {"node", IDS_KIND_NODE},
    {"notation", IDS_KIND_NOTATION},
    {"nsprefix", IDS_KIND_NAMESPACE_PREFIX},
    {"null", IDS_KIND_NULL},
    {"number", IDS_KIND_NUMBER},
    {"object", IDS_KIND_OBJECT},
    {"oneof", IDS_KIND_ONEOF},
    {"oparam", IDS_KIND_OUTPUT_PARAMETER},
    {"operator", IDS_KIND_OPERATOR},
    {"optenable", IDS_KIND_ENABLE_OPTION},
    {"option", IDS_KIND_OPTION},
    {"optwith", IDS_KIND_WITH_OPTION},
    {"package", IDS_KIND_PACKAGE},
    {"packageName", IDS_KIND_PACKAGE_ALIAS},
    {"packspec", IDS_KIND_PACKAGE_SPEC},
    {"paragraph", IDS_KIND_PARAGRAPH},
    {"param", IDS_KIND_PARAMETER},
    {"parameter", IDS_KIND_PARAMETER},
    {"parameterEntity", IDS_KIND_PARAMETER_ENTITY},
    {"part", IDS_KIND_PART},
    {"patch", IDS_KIND_PATCH},
    {"pattern", IDS_KIND_PATTERN},
    {"phandler", IDS_KIND_PHANDLE},
    {"phdthesis", IDS_KIND_DOCTORAL_THESIS},
    {"pkg", IDS_KIND_PACKAGE},
    {"placeholder", IDS_KIND_PLACEHOLDER},
    {"play", IDS_KIND_PLAY},
    {"port", IDS_KIND_PORT},
    {"probe", IDS_KIND_PROBE},
    {"procedure", IDS_KIND_PROCEDURE},
    {"proceedings", IDS_KIND_PROCEEDINGS},
    {"process", IDS_KIND_PROCESS},
    {"program", IDS_KIND_PROGRAM},
    {"project", IDS_KIND_PROJECT},
    {"property", IDS_KIND_PROPERTY},
    {"protected", IDS_KIND_PROTECTED},
    {"protectspec", IDS_KIND_PROTECTED_SPEC},
    {"protocol", IDS_KIND_PROTOCOL},
    {"protodef", IDS_KIND_PROTO_DEFINITION},
    {"prototype", IDS_KIND_PROTOTYPE},
    {"publication", IDS_KIND_PUBLICATION},
    {"qmp", IDS_KIND_QMP_COMMAND},
    {"qualname", IDS_KIND_LOGGER_NAME},
    {"receiver", IDS_KIND_RECEIVER},
    {"record", IDS_KIND_RECORD},
    {"region", IDS_KIND_REGION},
    {"register", IDS_KIND_REGISTER},
    {"reopen", IDS_KIND_REOPENED_CLASS},
    {"repoid", IDS_KIND_REPOSITORY_ID},
    {"repositoryId", IDS_KIND_REPOSITORY_ID},
    {"repr", IDS_KIND_REPRESENTATION},
    {"resource", IDS_KIND_RESOURCE},
    {"role", IDS_KIND_ROLE},
    {"root", IDS_KIND_ROOT_ELEMENT},
    {"rpc", IDS_KIND_RPC},
    {"rule", IDS_KIND_RULE},
    {"run", IDS_KIND_RUN_TARGET},
    {"script", IDS_KIND_SCRIPT},
    {"section", IDS_KIND_SECTION},
    {"sectionGroup", IDS_KIND_SECTION_GROUP},
    {"selector", IDS_KIND_SELECTOR},
    {"separate", IDS_KIND_SUBUNIT},
    {"sequence", IDS_KIND_SEQUENCE},
    {"service", IDS_KIND_SERVICE},
    {"set", IDS_KIND_SET},
    {"setter", IDS_KIND_SETTER},
    {"signal", IDS_KIND_SIGNAL},
    {"signature", IDS_KIND_SIGNATURE},
    {"singletonMethod", IDS_KIND_SINGLETON_METHOD},
    {"slot", IDS_KIND_SLOT},
    {"source", IDS_KIND_INPUT_FILE},
    {"sourcefile", IDS_KIND_SOURCE_FILE},
    {"step", IDS_KIND_STEP},
    {"string", IDS_KIND_STRING},
    {"struct", kStruct},
    {"structure", IDS_KIND_STRUCTURE},
    {"stylesheet", IDS_KIND_STYLESHEET},
    {"subdir", IDS_KIND_SUBDIRECTORY},
    {"submethod", IDS_KIND_SUBMETHOD},
    {"submodule", IDS_KIND_SUBMODULE},
    {"subparagraph", IDS_KIND_SUBPARAGRAPH},
    {"subprogram", IDS_KIND_SUBPROGRAM},
    {"subprogspec", IDS_KIND_SUBPROGRAM_SPEC},
    {"subroutine", IDS_KIND_SUBROUTINE},
    {"subroutineDeclaration", IDS_KIND_SUBROUTINE_DECLARATION},
    {"subsection", IDS_KIND_SUBSECTION},
    {"subspec", IDS_KIND_SUBTYPE_SPEC},
    {"subst", IDS_KIND_SUBST_FUNCTION},
    {"substdef", IDS_KIND_SUBSTITUTION},
    {"subsubsection", IDS_KIND_SUBSUBSECTION},
    {"subtype", IDS_KIND_SUBTYPE},
    {"symbol", IDS_KIND_SYMBOL},
    {"synonym", IDS_KIND_SYNONYM},
    {"table", IDS_KIND_TABLE},
    {"tag", IDS_KIND_TAG},
    {"talias", IDS_KIND_TYPE_ALIAS},
    {"target", IDS_KIND_TARGET},
    {"task", IDS_KIND_TASK},
    {"taskspec", IDS_KIND_TASK_SPEC},
    {"techreport", IDS_KIND_TECHNICAL_REPORT},
    {"template", IDS_KIND_TEMPLATE},
    {"test", IDS_KIND_TEST},
    {"testcase", IDS_KIND_TEST_CASE},
    {"theme", IDS_KIND_THEME},
    {"timer", IDS_KIND_TIMER},
    {"title", IDS_KIND_TITLE},
    {"token", IDS_KIND_TOKEN},
    {"toplevelVariable", IDS_KIND_GLOBAL_VARIABLE},
    {"tparam", IDS_KIND_TEMPLATE_PARAMETER},
    {"trait", IDS_KIND_TRAIT},
    {"trigger", IDS_KIND_TRIGGER},
    {"type", IDS_KIND_TYPE},
    {"typealias", IDS_KIND_TYPE_ALIAS},
    {"typedef", kTypedef},
    {"typespec", IDS_KIND_TYPE_SPEC},
    {"union", kUnion},
    {"unit", IDS_KIND_UNIT},
    {"unknown", IDS_KIND_UNKNOWN_KIND},
    {"unpublished", IDS_KIND_UNPUBLISHED},
    {"username", IDS_KIND_USER_NAME},
    {"using", IDS_KIND_USING_DIRECTIVE},
    {"val", IDS_KIND_VALUE},
    {"value", IDS_KIND_VALUE},
    {"var", kVariable},
    {"varalias", IDS_KIND_VARIABLE_ALIAS},
    {"variable", kVariable},
    {"varspec", IDS_KIND_VARIABLE_SPEC},
    {"vector", IDS_KIND_VECTOR},
    {"version", IDS_KIND_VERSION_INFO},
    {"view", IDS_KIND_VIEW},
    {"virtual", IDS_KIND_VIRTUAL_PATTERN},
    {"vresource", IDS_KIND_VIRTUAL_RESOURCE},
    {"wrapper", IDS_KIND_WRAPPER},
    {"xinput", IDS_KIND_INPUT_FILE},
};

constexpr bool WordsSorted()
{
    for (std::size_t i = 1; i < std::size(kWords); ++i)
        if (!(kWords[i - 1].name < kWords[i].name)) return false;
    return true;
}
static_assert(WordsSorted());

struct LanguageWord {
    std::string_view language;
    std::string_view name;
    unsigned id;
};

constexpr unsigned kNoWord = 0;

// Where a language means by a kind's name what another word says better, by
// language and name as bytes sort.
constexpr LanguageWord kLanguageWords[] = {
    {"Asm", "section", IDS_KIND_NAMED_SECTION},
    {"Autoconf", "subst", IDS_KIND_SUBSTITUTION_KEY},
    {"Automake", "data", IDS_KIND_DATA_FILES},
    {"CSS", "class", IDS_KIND_CLASS_SELECTOR},
    {"CSS", "id", IDS_KIND_ID_SELECTOR},
    {"Cobol", "group", IDS_KIND_GROUP_ITEM},
    {"CobolFree", "group", IDS_KIND_GROUP_ITEM},
    {"CobolVariable", "group", IDS_KIND_GROUP_ITEM},
    {"D", "version", IDS_KIND_VERSION_CONDITION},
    {"Elm", "namespace", IDS_KIND_MODULE_ALIAS},
    {"EmacsLisp", "group", IDS_KIND_CUSTOM_GROUP},
    {"Falcon", "namespace", IDS_KIND_IMPORT},
    {"Go", "member", IDS_KIND_FIELD},
    {"ITcl", "common", IDS_KIND_COMMON_VARIABLE},
    {"Iniconf", "section", IDS_KIND_NAMED_SECTION},
    {"Julia", "unknown", IDS_KIND_IMPORTED_NAME},
    {"LdScript", "section", IDS_KIND_NAMED_SECTION},
    {"LdScript", "version", IDS_KIND_VERSION},
    {"Meson", "custom", IDS_KIND_CUSTOM_TARGET},
    {"NSIS", "section", IDS_KIND_NAMED_SECTION},
    {"ObjectiveC", "class", IDS_KIND_CLASS_METHOD},
    {"ObjectiveC", "enum", kEnumerator},   // ctags tags an enum's values with it
    {"PuppetManifest", "type", IDS_KIND_TYPE_ALIAS},
    {"Python", "member", IDS_KIND_METHOD},
    {"Python", "unknown", IDS_KIND_IMPORTED_NAME},
    {"ReStructuredText", "target", IDS_KIND_LINK_TARGET},
    {"RpmSpec", "global", IDS_KIND_GLOBAL_MACRO},
    {"Rust", "interface", IDS_KIND_TRAIT},
    {"SCSS", "class", IDS_KIND_CLASS_SELECTOR},
    {"SCSS", "id", IDS_KIND_ID_SELECTOR},
    {"TTCN", "enum", kEnumerator},
    {"TypeScript", "alias", IDS_KIND_TYPE_ALIAS},
    {"VHDL", "record", IDS_KIND_FIELD},   // ctags tags a record's elements with it
};

constexpr bool LanguageWordsSorted()
{
    for (std::size_t i = 1; i < std::size(kLanguageWords); ++i) {
        const LanguageWord& a = kLanguageWords[i - 1];
        const LanguageWord& b = kLanguageWords[i];
        if (!(a.language < b.language || (a.language == b.language && a.name < b.name))) return false;
    }
    return true;
}
static_assert(LanguageWordsSorted());

unsigned WordId(std::string_view language, std::string_view name)
{
    const auto before = [](const LanguageWord& word, const LanguageWord& wanted) {
        return word.language < wanted.language || (word.language == wanted.language && word.name < wanted.name);
    };
    const LanguageWord wanted{language, name, kNoWord};
    const LanguageWord* special = std::lower_bound(std::begin(kLanguageWords), std::end(kLanguageWords), wanted, before);
    if (special != std::end(kLanguageWords) && special->language == language && special->name == name) return special->id;
    const NamedWord* found = std::lower_bound(std::begin(kWords), std::end(kWords), name,
                                              [](const NamedWord& word, std::string_view wanted) { return word.name < wanted; });
    return found != std::end(kWords) && found->name == name ? found->id : kNoWord;
}

// The words 500-510 take the first pieces, those from IDS_KIND_ENUM on the next.
constexpr int kFirstWords = IDS_KIND_LAST - IDS_KIND_FIRST + 1;
// The formats 511-514 take the first format slots, IDS_KIND_OWNER the last.
constexpr int kOwnerFormatSlot = KindWords::kFormatSlots - 1;

constexpr int WordPiece(unsigned id)
{
    return id <= IDS_KIND_LAST ? static_cast<int>(id - IDS_KIND_FIRST) : kFirstWords + static_cast<int>(id - IDS_KIND_ENUM);
}

// The last word's id is the largest.
static_assert(WordPiece(IDS_KIND_DOCUMENTATION) == KindWords::kWordSlots - 1, "a word beyond the pieces");

unsigned WordIdOfPiece(int piece)
{
    return piece < kFirstWords ? IDS_KIND_FIRST + piece : IDS_KIND_ENUM + (piece - kFirstWords);
}

// The piece of a format's id, after the words.
int FormatSlot(unsigned format)
{
    return format == IDS_KIND_OWNER ? kOwnerFormatSlot : static_cast<int>(format - IDS_KIND_CLASS_MEMBER);
}
int FormatPiece(unsigned format) { return KindWords::kWordSlots + FormatSlot(format); }

// The bytes of a name a cell reads: enough UTF-8 for the limit in any code
// page, cut before a character.
constexpr std::size_t kReadLimit = KindWords::kNameLimit * 3;

bool IsControlByte(char byte) { return (byte >= 0 && byte < 0x20) || byte == 0x7F; }

// `head` less the blanks at its end.
CowString TrimmedEnd(const CowString& head)
{
    int length = head.Length();
    while (length > 0 && head.Text()[length - 1] == ' ') --length;
    return length == head.Length() ? head : head.Prefix(length);
}

// `text` ends with the whole characters of `word`: the byte before them ends
// a character of `text`, so a double-byte character is not cut in two.
bool EndsWithWord(const CowString& text, const CowString& word)
{
    const int start = text.Length() - word.Length();
    if (word.IsEmpty() || start < 0 || lstrcmpA(text.Text() + start, word.Text()) != 0) return false;
    const char* p = text.Text();
    while (p < text.Text() + start) p = CharNextA(p);
    return p == text.Text() + start;
}

bool IsUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// `name` with universal-ctags' escapes in field values undone: two
// backslashes are one (PHP's namespaces: Geo\\Circle) and "\\t" a tab.
CowString Unescaped(std::string_view name)
{
    if (name.find('\\') == std::string_view::npos) return CowString(name.data(), static_cast<int>(name.size()));
    CowString plain;
    char* const out = plain.OpenBuffer(static_cast<int>(name.size()));
    if (!out) return CowString();
    int length = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const bool escape = name[i] == '\\' && i + 1 < name.size() && (name[i + 1] == '\\' || name[i + 1] == 't');
        if (escape) ++i;
        out[length++] = escape && name[i] == 't' ? '\t' : name[i];
    }
    plain.CloseBuffer(length);
    return plain;
}

// The first field of `fields` (up to its tab) when it begins with `key`.
std::string_view FirstFieldValue(std::string_view fields, std::string_view key)
{
    const std::string_view first = fields.substr(0, fields.find('\t'));
    return first.compare(0, key.size(), key) == 0 ? first.substr(key.size()) : std::string_view();
}

std::string_view ViewOf(const CowString& text) { return {text.Text(), static_cast<std::size_t>(text.Length())}; }

}  // namespace

CowString KindWords::ShownName(std::string_view name)
{
    std::size_t length = std::min(name.size(), kReadLimit);
    for (int back = 0; back < 3 && length < name.size() && length > 0 && IsUtf8Continuation(name[length]); ++back)
        --length;
    CowString shown = ShownText(Unescaped(name.substr(0, length)));
    const char* const text = shown.Text();
    const char* end = text;
    for (const char* next; *end && (next = CharNextA(end)) - text <= KindWords::kNameLimit;) {
        // A lead byte at the end has no trail byte: it stands for no character.
        if (next == end + 1 && IsDBCSLeadByte(static_cast<BYTE>(*end))) break;
        end = next;
    }
    if (end - text < shown.Length()) shown = shown.Prefix(static_cast<int>(end - text));
    if (std::none_of(shown.Text(), shown.Text() + shown.Length(), IsControlByte)) return shown;
    CowString blanked;
    char* const out = blanked.OpenBuffer(shown.Length());
    if (!out) return CowString();
    for (int i = 0; i < shown.Length(); ++i) out[i] = IsControlByte(shown.Text()[i]) ? ' ' : shown.Text()[i];
    blanked.CloseBuffer(shown.Length());
    return blanked;
}

bool KindWords::ShownAsText(std::string_view name) noexcept
{
    return name.size() <= kReadLimit &&
           std::none_of(name.begin(), name.end(), [](char byte) { return byte == '\\' || IsControlByte(byte); });
}

std::string_view FileLanguages::Of(const CowString& file)
{
    if (file.Text() != file_) {
        file_ = file.Text();
        language_ = LanguageOfFileName(ViewOf(file));
    }
    return language_;
}

KindCellParts KindCellParts::Of(const TagEntry& entry, FileLanguages* files)
{
    KindCellParts parts;
    const std::string_view fields = ViewOf(entry.extensionFields);
    parts.inherits = FirstFieldValue(fields, "inherits:");
    if (parts.inherits.empty()) parts.access = FirstFieldValue(fields, "access:");
    TagScope owner;
    ForEachExtensionField(fields, [&](std::string_view field) {
        if (field == "file:") parts.fileScope = true;
        else if (parts.language.empty() && field.compare(0, 9, "language:") == 0) parts.language = field.substr(9);
        else if (!owner) owner = ScopeOfField(field);
        return false;
    });
    if (!owner.name.empty()) {
        parts.ownerKind = owner.kind;
        parts.ownerName = owner.name;
    }
    if (parts.language.empty()) {
        const std::string_view fileLanguage = files ? files->Of(entry.file) : LanguageOfFileName(ViewOf(entry.file));
        parts.language = LanguageOfUnlabelledTag(fileLanguage, entry, owner.kind);
    }
    parts.kindName = TagKindName(entry, parts.language);
    parts.kindField = ViewOf(entry.kindField);
    parts.kindWord = parts.kindName.empty() ? kNoWord : WordId(parts.language, parts.kindName);
    parts.ownerWord = parts.ownerKind.empty() ? kNoWord : WordId(parts.language, parts.ownerKind);
    parts.letter = entry.kind;
    return parts;
}

bool KindCellParts::operator==(const KindCellParts& other) const noexcept
{
    return letter == other.letter && fileScope == other.fileScope && kindName == other.kindName &&
           ownerName == other.ownerName && ownerKind == other.ownerKind && language == other.language &&
           kindField == other.kindField && inherits == other.inherits && access == other.access;
}

std::size_t KindCellParts::Hash() const noexcept
{
    const std::hash<std::string_view> hash;
    std::size_t h = hash(ownerName);
    for (const std::string_view part : {language, kindName, ownerKind, inherits, access}) h = h * 31 + hash(part);
    return (h * 31 + static_cast<unsigned char>(letter)) * 2 + (fileScope ? 1 : 0);
}

const CowString& KindWords::Piece(int piece) const
{
    static const CowString kNone;
    if (piece < 0 || piece >= kPieceCount) return kNone;
    if (!loaded_[piece]) {
        if (piece < kWordSlots) {
            pieces_[piece].LoadFromTable(WordIdOfPiece(piece));
        } else {
            const int slot = piece - kWordSlots;
            formats_[slot].LoadFromTable(slot == kOwnerFormatSlot ? IDS_KIND_OWNER : IDS_KIND_CLASS_MEMBER + slot);
            if (!formats_[slot].IsEmpty()) pieces_[piece].FormatText(formats_[slot].Text(), "", "");
        }
        loaded_[piece] = true;
    }
    return pieces_[piece];
}

const CowString& KindWords::Word(unsigned id) const { return Piece(WordPiece(id)); }

const CowString& KindWords::Format(unsigned format) const
{
    Piece(FormatPiece(format));
    return formats_[FormatSlot(format)];
}

CowString KindWords::Formatted(unsigned format, const CowString& first, const CowString& second) const
{
    const CowString& pattern = Format(format);
    CowString text;
    if (!pattern.IsEmpty()) text.FormatText(pattern.Text(), first.Text(), second.Text());
    return text;
}

CowString KindWords::InWords(unsigned word, std::string_view name) const
{
    return word != kNoWord ? Word(word) : ShownName(name);
}

KindCellLayout KindWords::Layout(const KindCellParts& parts) const
{
    KindCellLayout layout;
    const auto add = [&](int piece) { layout.pieces[layout.pieceCount++] = piece; };
    const auto addName = [&](std::string_view name) { layout.names[layout.nameCount++] = name; };
    const auto addWord = [&](unsigned word, std::string_view name) {
        if (word != kNoWord) add(WordPiece(word));
        else addName(name);
    };
    if (parts.fileScope) add(WordPiece(kFileScope));
    if (!parts.ownerKind.empty()) {
        const bool cLetters = UsesCKindLetters(parts.language);
        if (cLetters && parts.ownerKind == "class") add(FormatPiece(IDS_KIND_CLASS_MEMBER));
        else if (cLetters && parts.ownerKind == "struct") add(FormatPiece(IDS_KIND_STRUCT_MEMBER));
        else {
            add(FormatPiece(IDS_KIND_OWNER));
            addWord(parts.ownerWord, parts.ownerKind);
        }
        addName(parts.ownerName);
    }
    if (!parts.inherits.empty()) {
        add(FormatPiece(IDS_KIND_INHERITS));
        addName(parts.inherits);
    } else if (!parts.access.empty()) {
        add(FormatPiece(IDS_KIND_ACCESS));
        addName(parts.access);
    }
    if (!parts.kindName.empty()) addWord(parts.kindWord, parts.kindName);
    else if (!parts.kindField.empty()) addName(parts.kindField);
    else if (!IsControlByte(parts.letter)) addName(std::string_view(&parts.letter, 1));
    return layout;
}

CowString KindWords::Cell(const KindCellParts& parts) const
{
    const bool cLetters = UsesCKindLetters(parts.language);
    CowString head;
    if (parts.fileScope) head = Word(kFileScope);
    if (!parts.ownerKind.empty()) {
        const CowString name = ShownName(parts.ownerName);
        if (cLetters && parts.ownerKind == "class") head = head + Formatted(IDS_KIND_CLASS_MEMBER, name);
        else if (cLetters && parts.ownerKind == "struct") head = head + Formatted(IDS_KIND_STRUCT_MEMBER, name);
        else head = head + Formatted(IDS_KIND_OWNER, InWords(parts.ownerWord, parts.ownerKind), name);
    }
    if (!parts.inherits.empty()) head = head + Formatted(IDS_KIND_INHERITS, ShownName(parts.inherits));
    else if (!parts.access.empty()) head = head + Formatted(IDS_KIND_ACCESS, ShownName(parts.access));

    CowString kind;
    if (!parts.kindName.empty()) kind = InWords(parts.kindWord, parts.kindName);
    else if (!parts.kindField.empty()) kind = ShownName(parts.kindField);
    else if (!IsControlByte(parts.letter)) kind = ShownName(std::string_view(&parts.letter, 1));
    if (head.IsEmpty()) return kind;
    // A member's owner already ends in the word for a member: say it once.
    const CowString trimmed = TrimmedEnd(head);
    return EndsWithWord(trimmed, kind) ? trimmed : head + kind;
}

}  // namespace velkin
