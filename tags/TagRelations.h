// How a tag stands among the other tags of its file: the twins ctags writes
// for one definition repeated in #if branches, the owner a member's scope
// field names, and the order of ctags' anonymous names. The jump uses them to
// tell lines of the same text apart.
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

// Whether `name` is one that ctags makes up for an anonymous struct, union or
// enum: "__anon", then hexadecimal digits: eight of its file's hash, a number
// counting the file's anonymous names in the order ctags met them (two digits
// or more), and two of the kind ("__anon0b8855d70308").
bool IsAnonymousName(const CowString& name) noexcept;

// Which of the anonymous tags (IsAnonymousName) of `tag`'s file that stand on
// its text (the same file field and address) `tag` is, counting from 1 in the
// order ctags numbered them, which is the order of their lines. Looked up in
// `tag`'s tags file by its name's file part (binary search when sorted).
// Nothing when `tag` is not anonymous or has no tags file, the file cannot be
// read, or memory runs out. Reads the tags file during the call only.
std::optional<int> AnonymousOrder(const TagEntry& tag);

}  // namespace velkin
