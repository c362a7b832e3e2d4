#include "tags/TagRelations.h"

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

}  // namespace

TagSiblings SiblingsOf(const TagList& list, const TagEntry& entry) noexcept
{
    TagSiblings siblings;
    int twinsBefore = 0;
    bool listed = false;
    for (const TagEntry& other : list) {
        if (&other == &entry) {
            listed = true;
        } else if (AreTwins(other, entry)) {
            twinsBefore += listed ? 0 : 1;
        } else if (SameText(other.address, entry.address) && SameText(other.file, entry.file) &&
                   SameText(other.tagsFile, entry.tagsFile)) {
            siblings.textShared = true;
        }
    }
    if (!listed) return TagSiblings();
    siblings.twin = twinsBefore + 1;
    return siblings;
}

std::optional<TagEntry> FindOwnerTag(const TagEntry& member)
{
    const TagScope scope = TagScopeOf(member.extensionFields);
    if (!scope || member.tagsFile.IsEmpty()) return std::nullopt;
    const std::string_view name = LastScopeName(scope.name);
    if (!IsOwnerName(name)) return std::nullopt;
    const std::string_view qualifier = ScopeQualifier(scope.name, name);
    try {
        TagsFile file;
        file.path = member.tagsFile;
        file.folder = member.tagsFolder;
        file.ownFolder = member.ownFolder;
        TagsLookup lookup = LookUpTags({file}, CowString(name.data(), static_cast<int>(name.size())), CowString());
        std::vector<const TagEntry*> owners;
        for (const TagEntry& tag : lookup.lists.exact)
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

}  // namespace velkin
