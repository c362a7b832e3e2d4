#include "tags/TagTraits.h"

namespace velkin {

namespace {

constexpr std::string_view kScopeKeys[] = {
    "class", "struct", "union", "enum", "namespace", "interface", "module", "package", "implementation", "function",
    "method",
};

// The value of the field of `fields` that begins with `key` and ':', less that key; nothing when there is none.
std::string_view FieldValue(std::string_view fields, std::string_view key)
{
    while (!fields.empty()) {
        const std::size_t tab = fields.find('\t');
        const std::string_view field = fields.substr(0, tab);
        if (field.size() > key.size() && field[key.size()] == ':' && field.compare(0, key.size(), key) == 0)
            return field.substr(key.size() + 1);
        if (tab == std::string_view::npos) break;
        fields.remove_prefix(tab + 1);
    }
    return {};
}

std::string_view ViewOf(const CowString& text) { return {text.Text(), static_cast<std::size_t>(text.Length())}; }

struct KindLetter {
    char letter;
    std::string_view name;
};

// C's and C++'s kinds, as ctags --list-kinds-full names them.
constexpr KindLetter kCKinds[] = {
    {'d', "macro"},    {'e', "enumerator"}, {'f', "function"},  {'g', "enum"},      {'h', "header"},
    {'l', "local"},    {'m', "member"},     {'p', "prototype"}, {'s', "struct"},    {'t', "typedef"},
    {'u', "union"},    {'v', "variable"},   {'x', "externvar"}, {'z', "parameter"}, {'L', "label"},
    {'D', "macroparam"}, {'c', "class"},    {'n', "namespace"}, {'A', "alias"},     {'N', "name"},
    {'U', "using"},    {'Z', "tparam"},
};

}  // namespace

std::string_view TagLanguage(const TagEntry& entry)
{
    const std::string_view language = FieldValue(ViewOf(entry.extensionFields), "language");
    if (!language.empty()) return language;
    const std::string_view file = ViewOf(entry.file);
    const std::size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) return {};
    const std::string_view extension = file.substr(dot + 1);
    if (extension == "c" || extension == "h") return "C";
    if (extension == "cpp" || extension == "cc" || extension == "cxx" || extension == "hpp" || extension == "hh")
        return "C++";
    return {};
}

std::string_view TagKindName(const TagEntry& entry)
{
    std::string_view field = ViewOf(entry.kindField);
    if (field.compare(0, 5, "kind:") == 0) field.remove_prefix(5);
    if (field.size() > 1) return field;
    const char letter = field.size() == 1 ? field[0] : entry.kind;
    for (const KindLetter& kind : kCKinds)
        if (kind.letter == letter) return kind.name;
    return {};
}

TagScope TagScopeOf(const CowString& extensionFields)
{
    const std::string_view fields = ViewOf(extensionFields);
    std::string_view rest = fields;
    while (!rest.empty()) {
        const std::size_t tab = rest.find('\t');
        std::string_view field = rest.substr(0, tab);
        // --fields=+Z writes any owner's kind after "scope:".
        const bool anyKind = field.compare(0, 6, "scope:") == 0;
        if (anyKind) field.remove_prefix(6);
        const std::size_t colon = field.find(':');
        if (colon != std::string_view::npos && colon > 0) {
            const std::string_view key = field.substr(0, colon);
            if (anyKind) return {key, field.substr(colon + 1)};
            for (const std::string_view scopeKey : kScopeKeys)
                if (key == scopeKey) return {key, field.substr(colon + 1)};
        }
        if (tab == std::string_view::npos) break;
        rest.remove_prefix(tab + 1);
    }
    return {};
}

}  // namespace velkin
