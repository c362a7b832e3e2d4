#include "tags/TagKind.h"

#include <cstring>

#include "res/ResourceIds.h"

namespace velkin {

namespace {

// Kind letters in code-byte order: letter i has code byte kFirstKindCode + i.
constexpr char kKindLetters[] = "fcndtsumgv";

struct PrefixKey {
    const char* key;
    int length;
    UINT format;   // "%s" = the text after the key
};

// Tried in this order; none is the beginning of another.
constexpr PrefixKey kPrefixKeys[] = {
    {"class:", 6, IDS_KIND_CLASS_MEMBER},
    {"struct:", 7, IDS_KIND_STRUCT_MEMBER},
    {"inherits:", 9, IDS_KIND_INHERITS},
    {"access:", 7, IDS_KIND_ACCESS},
};

char CodeByte(char kind)
{
    const char* letter = kind ? std::strchr(kKindLetters, kind) : nullptr;
    return letter ? static_cast<char>(kFirstKindCode + (letter - kKindLetters)) : kind;
}

// True when the text starts with `key`; the text ends at its first zero, as
// every search of the text does.
bool BeginsWith(const CowString& text, const PrefixKey& key)
{
    return std::strncmp(text.Text(), key.key, static_cast<size_t>(key.length)) == 0;
}

// The end of the field that starts at `field`: its tab, or `end`.
const char* FieldEnd(const char* field, const char* end)
{
    const void* tab = std::memchr(field, '\t', static_cast<std::size_t>(end - field));
    return tab ? static_cast<const char*>(tab) : end;
}

// True when a tab-separated field of [fields, end) is exactly "file:".
bool HasFileScopeField(const char* fields, const char* end)
{
    constexpr int kLength = 5;
    for (const char* field = fields;; ++field) {
        const char* const fieldEnd = FieldEnd(field, end);
        if (fieldEnd - field == kLength && std::memcmp(field, "file:", kLength) == 0) return true;
        if (fieldEnd == end) return false;
        field = fieldEnd;
    }
}

}  // namespace

std::string_view KindColumnFieldsView(const CowString& extensionFields)
{
    const char* const fields = extensionFields.Text();
    const char* const end = fields + extensionFields.Length();
    for (const PrefixKey& key : kPrefixKeys) {
        if (BeginsWith(extensionFields, key)) return {fields, static_cast<std::size_t>(FieldEnd(fields, end) - fields)};
    }
    return HasFileScopeField(fields, end) ? std::string_view("file:") : std::string_view();
}

CowString KindColumnFields(const CowString& extensionFields)
{
    const std::string_view kept = KindColumnFieldsView(extensionFields);
    const int length = static_cast<int>(kept.size());
    if (kept.data() != extensionFields.Text()) return CowString(kept.data(), length);
    return length == extensionFields.Length() ? extensionFields : extensionFields.Prefix(length);
}

CowString DescribeTagKind(char kind, CowString extensionFields)
{
    const CowString code(CodeByte(kind), 1);
    if (lstrcmpA(extensionFields.Text(), "file:") == 0) return CowString(static_cast<char>(kFileScopeMarker), 1) + code;
    for (const PrefixKey& key : kPrefixKeys) {
        if (!BeginsWith(extensionFields, key)) continue;
        CowString prefix;
        prefix.FormatFromTable(key.format, extensionFields.Substring(key.length).Text());
        return prefix + code;
    }
    return code;
}

}  // namespace velkin
