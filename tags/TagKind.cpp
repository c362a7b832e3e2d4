#include "tags/TagKind.h"

#include <cstring>

#include "res/ResourceIds.h"

namespace velkin {

namespace {

// Kind letters in code-byte order: letter i has code byte kFirstKindCode + i.
constexpr char kKindLetters[] = "fcndtsumev";

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
    if (kind == 'g') return static_cast<char>(kEnumCode);
    const char* letter = kind ? std::strchr(kKindLetters, kind) : nullptr;
    return letter ? static_cast<char>(kFirstKindCode + (letter - kKindLetters)) : kind;
}

// True when the text starts with `key`; the text ends at its first zero, as
// every search of the text does.
bool BeginsWith(const CowString& text, const PrefixKey& key)
{
    return std::strncmp(text.Text(), key.key, static_cast<size_t>(key.length)) == 0;
}

}  // namespace

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
