#include "tags/TagRelations.h"

#include <cstdint>
#include <new>
#include <string_view>
#include <vector>

#include "tags/TagTraits.h"
#include "tags/TagsFileLookup.h"

namespace velkin {

namespace {

bool SameText(const CowString& a, const CowString& b) noexcept
{
    return a.Length() == b.Length() && std::string_view(a.Text(), a.Length()) == std::string_view(b.Text(), b.Length());
}

// Longer names are no identifier ctags writes as a scope.
constexpr std::size_t kMaxOwnerName = 255;

bool IsOwnerNameByte(char byte) noexcept
{
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
           byte == '_' || byte == '$';
}

bool IsOwnerName(std::string_view name) noexcept
{
    if (name.empty() || name.size() > kMaxOwnerName) return false;
    for (const char byte : name)
        if (!IsOwnerNameByte(byte)) return false;
    return true;
}

// The qualified name less its last name and the separator before it: "ns" of
// "ns::list"; empty for an unqualified name.
std::string_view ScopeQualifier(std::string_view qualified, std::string_view last) noexcept
{
    std::string_view rest = qualified.substr(0, qualified.size() - last.size());
    if (rest.size() >= 2 && rest.substr(rest.size() - 2) == "::") return rest.substr(0, rest.size() - 2);
    if (!rest.empty() && rest.back() == '.') rest.remove_suffix(1);
    return rest;
}

// Alike in every field ctags wrote, and read from the same tags file: one
// definition in several #if branches.
bool AreTwins(const TagEntry& a, const TagEntry& b) noexcept
{
    return a.kind == b.kind && SameText(a.name, b.name) && SameText(a.file, b.file) && SameText(a.address, b.address) &&
           SameText(a.kindField, b.kindField) && SameText(a.extensionFields, b.extensionFields) &&
           SameText(a.tagsFile, b.tagsFile);
}

// The last name of a qualified scope name: what follows its last "::" or
// "." ("list" of "ns::list"); the whole name when it has neither.
std::string_view LastScopeName(std::string_view qualified) noexcept
{
    const std::size_t colons = qualified.rfind("::");
    const std::size_t dot = qualified.rfind('.');
    std::size_t start = 0;
    if (colons != std::string_view::npos) start = colons + 2;
    if (dot != std::string_view::npos && dot + 1 > start) start = dot + 1;
    return qualified.substr(start);
}

// The tags whose name is or begins with `word` in `tag`'s own tags file, with
// its folders. Throws std::bad_alloc.
TagMatchLists LookUpInOwnTagsFile(const TagEntry& tag, std::string_view word)
{
    TagsFile file;
    file.path = tag.tagsFile;
    file.folder = tag.tagsFolder;
    file.ownFolder = tag.ownFolder;
    return LookUpTags({file}, CowString(word.data(), static_cast<int>(word.size())), CowString()).lists;
}

constexpr std::string_view kAnonymousPrefix = "__anon";
constexpr std::size_t kFileHashDigits = 8;
constexpr std::size_t kKindDigits = 2;
// ctags writes the counter with two digits at least; more than fit in 64
// bits are no name it made.
constexpr std::size_t kMinCounterDigits = 2;
constexpr std::size_t kMaxCounterDigits = 16;

bool IsHexDigit(char byte) noexcept
{
    return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'f') || (byte >= 'A' && byte <= 'F');
}

// The counter of an anonymous name (IsAnonymousName): the digits between its
// file's hash and its kind.
std::uint64_t AnonymousCounter(std::string_view name) noexcept
{
    std::uint64_t counter = 0;
    const std::string_view digits =
        name.substr(kAnonymousPrefix.size() + kFileHashDigits,
                    name.size() - kAnonymousPrefix.size() - kFileHashDigits - kKindDigits);
    for (const char byte : digits)
        counter = counter * 16 + static_cast<std::uint64_t>(byte <= '9' ? byte - '0' : (byte | 0x20) - 'a' + 10);
    return counter;
}

std::string_view View(const CowString& text) noexcept { return std::string_view(text.Text(), text.Length()); }

}  // namespace

TagSiblings SiblingsOf(const TagList& list, const TagEntry& entry) noexcept
{
    int twinsBefore = 0;
    for (const TagEntry& other : list) {
        if (&other == &entry) {
            TagSiblings siblings;
            siblings.twin = twinsBefore + 1;
            return siblings;
        }
        if (AreTwins(other, entry)) ++twinsBefore;
    }
    return TagSiblings();
}

std::optional<TagEntry> FindOwnerTag(const TagEntry& member)
{
    const TagScope scope = TagScopeOf(member.extensionFields);
    if (!scope || member.tagsFile.IsEmpty()) return std::nullopt;
    const std::string_view name = LastScopeName(scope.name);
    if (!IsOwnerName(name)) return std::nullopt;
    const std::string_view qualifier = ScopeQualifier(scope.name, name);
    try {
        const TagMatchLists found = LookUpInOwnTagsFile(member, name);
        std::vector<const TagEntry*> owners;
        for (const TagEntry& tag : found.exact)
            if (SameText(tag.file, member.file) && TagKindName(tag) == scope.kind) owners.push_back(&tag);
        if (owners.size() > 1 && !qualifier.empty()) {
            std::vector<const TagEntry*> named;
            for (const TagEntry* owner : owners)
                if (TagScopeOf(owner->extensionFields).name == qualifier) named.push_back(owner);
            owners.swap(named);
        }
        if (owners.size() != 1) return std::nullopt;
        return *owners.front();
    } catch (const std::bad_alloc&) {
        // Without memory for the lookup the member lands as if it had no owner.
        return std::nullopt;
    }
}

bool IsAnonymousName(const CowString& name) noexcept
{
    const std::string_view text = View(name);
    constexpr std::size_t kFixedLength = kAnonymousPrefix.size() + kFileHashDigits + kKindDigits;
    if (text.size() < kFixedLength + kMinCounterDigits || text.size() > kFixedLength + kMaxCounterDigits) return false;
    if (text.substr(0, kAnonymousPrefix.size()) != kAnonymousPrefix) return false;
    for (const char byte : text.substr(kAnonymousPrefix.size()))
        if (!IsHexDigit(byte)) return false;
    return true;
}

std::optional<int> AnonymousOrder(const TagEntry& tag)
{
    if (!IsAnonymousName(tag.name) || tag.tagsFile.IsEmpty()) return std::nullopt;
    const std::string_view name = View(tag.name);
    const std::uint64_t counter = AnonymousCounter(name);
    try {
        // The anonymous names of one file share its hash.
        const TagMatchLists found = LookUpInOwnTagsFile(tag, name.substr(0, kAnonymousPrefix.size() + kFileHashDigits));
        int order = 1;
        for (const TagEntry& other : found.prefix) {
            if (!IsAnonymousName(other.name) || !SameText(other.file, tag.file) || !SameText(other.address, tag.address))
                continue;
            if (AnonymousCounter(View(other.name)) < counter) ++order;
        }
        return order;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace velkin
