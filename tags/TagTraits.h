// What ctags says a tag is, read from its line: its language, its kind by
// name, and the owner its scope field names. Used by the picker's Kind column
// and by the jump, which looks for a member's owner.
#pragma once

#include <string_view>

#include "tags/TagEntry.h"
#include "text/CowString.h"

namespace velkin {

// The tag's language as universal-ctags names it ("C", "C++", "Java"): its
// `language:` field when the line has one, else what its file field's name or
// extension maps to, as ctags maps them. Empty when neither tells. A view of
// a static text or of `entry.extensionFields`.
std::string_view TagLanguage(const TagEntry& entry);

// The kind's name as ctags writes it with --fields=+K ("macro", "member"): a
// kind field longer than one byte is the name itself ("kind:NAME" too, and
// "kind:X" holding a letter is read as the letter); a letter is looked up
// among the kinds of the tag's language, C's for a tag of no known language.
// Empty when the letter names no kind there. A view of a static text or of
// the entry's own fields.
std::string_view TagKindName(const TagEntry& entry);

// The owner a scope field names, as borrowed views of the extension fields.
struct TagScope {
    std::string_view kind;  // the owner's kind, as ctags names it: "class", "struct", "enum"...
    std::string_view name;  // the owner's name as written, qualified ("A.E", "ns::List"); may be empty
    explicit operator bool() const noexcept { return !kind.empty(); }
};

// The first scope field among the tab-separated extension fields, wherever it
// stands (after line:, say): "struct:list", "enum:A.E", or with --fields=+Z
// "scope:class:Foo". Nothing when there is none. Reads only within
// `extensionFields`; the views borrow its bytes.
TagScope TagScopeOf(const CowString& extensionFields);

}  // namespace velkin
