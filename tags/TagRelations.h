// How a tag stands among the other tags of its file: the twins ctags writes
// for one definition repeated in #if branches, and the owner a member's scope
// field names. The jump uses both to tell lines of the same text apart.
#pragma once

#include <optional>

#include "tags/TagEntry.h"

namespace velkin {

// What the list a tag was picked from says about the tag's line.
struct TagSiblings {
    // Which of its twins the tag is, counting from 1 in the list's order
    // (tags-file order): one more than its twins before it. Twins are rows
    // alike in every field ctags wrote (name, file, address, kind, extension
    // fields) and read from the same tags file: one definition in several #if
    // branches, written in the order of the source.
    int twin = 1;
    // Another row of the list, not a twin, has the same file and address in
    // the same tags file (a member of each of several structs, alike): the
    // tag's text stands on more than one line.
    bool textShared = false;
};

// The siblings of `entry` in `list`, where it is found by address; the
// defaults when it is not there.
TagSiblings SiblingsOf(const TagList& list, const TagEntry& entry) noexcept;

// The tag of the owner that `member`'s scope field names ("struct:list",
// "class:ns::Foo"), looked up by its last name in the member's own tags file
// (`member.tagsFile`, by binary search when sorted): the one tag of that name
// whose kind is the scope's (TagKindName) and whose file field is the
// member's. The last name follows the last "::" or "." of a qualified one;
// when several tags remain, the one whose own scope names the rest ("ns" of
// "ns::Foo"). Nothing when the member has no scope or
// tags file, the name is empty or holds other than ASCII letters, digits,
// '_' and '$', no tag or more than one remains (twins of the owner too), or
// the file cannot be read or memory runs out. Reads the tags file during the
// call only.
std::optional<TagEntry> FindOwnerTag(const TagEntry& member);

}  // namespace velkin
