// What ctags says a tag is, read from its line: its language, its kind by
// name, and the owner its scope field names. Used by the picker's Kind column
// and by the jump, which looks for a member's owner.
#pragma once

#include <optional>
#include <string_view>

#include "tags/TagEntry.h"
#include "text/CowString.h"

namespace velkin {

// The tag's language as universal-ctags names it ("C", "C++", "Java"): its
// `language:` field when the line has one, else what its file field's name
// ("Makefile", "Kconfig.debug") or extension (in any case; "x.cs.in" as
// "x.cs") maps to, as ctags --list-maps maps them (CtagsTables.h), with the
// exceptions of LanguageOfUnlabelledTag. Empty when neither tells. A view of
// a static text or of `entry.extensionFields`.
std::string_view TagLanguage(const TagEntry& entry);

// The language that a file field's name or extension maps to, as
// TagLanguage maps them; empty when it maps to none. A view of a static text.
std::string_view LanguageOfFileName(std::string_view file);

// The language of a tag whose line has no `language:` field, given what its
// file field maps to (LanguageOfFileName): that, except where ctags gives a
// file of that name to another language by what the file holds:
// - a header (".h") is C++'s unless the tag's kind (letter or name) or its
//   owner's kind (`ownerKind`, as TagScopeOf reads it) is one only
//   Objective-C writes;
// - a ".m" file's tag with no owner and of a kind MatLab has is MatLab's;
// - an "n" from a line that declares it as a namespace prefix (xmlns:x=) is
//   XML's in a file of XML or of a language that runs inside it (XSLT); an
//   ".xml" file's other ownerless "n" from a <node> line is D-Bus's node;
// - an assembly file's tag whose pattern begins with a `#` line was written
//   by ctags' C preprocessor ("CPreProcessor");
// - a tag whose kind or owner's kind the mapped language has not is of the
//   first language that has both among: the other language of a shared
//   extension (R for ".s", Raku for ".pm", REXX for ".cmd", QEMU's
//   descriptions for ".hx"), the parser the mapped language's runs inside
//   (Iniconf for a systemd unit) and those that run inside it (D-Bus
//   introspection for ".xml").
// A view of `fileLanguage` or of a static text.
std::string_view LanguageOfUnlabelledTag(std::string_view fileLanguage, const TagEntry& entry, std::string_view ownerKind);

// The kind's name as ctags writes it with --fields=+K ("macro", "member"): a
// kind field longer than one byte is the name itself ("kind:NAME" too, and
// "kind:X" holding a letter is read as the letter); a letter is looked up
// among the kinds of the tag's language (ctags --list-kinds-full), C's and
// C++'s for a tag whose language cannot be told. Empty when the letter names
// no kind there, and for a letter of a language ctags did not list here (a
// newer ctags' language, a user's own parser). A view of a static text or of
// the entry's own fields.
std::string_view TagKindName(const TagEntry& entry);

// TagKindName for a tag whose language is known to be `language`.
std::string_view TagKindName(const TagEntry& entry, std::string_view language);

// The same for a kind letter of `language` (as TagLanguage names it; C++'s
// letters when it is empty): empty when the letter names no kind there or
// the language is not listed here.
std::string_view KindNameOfLetter(std::string_view language, char letter);

// Whether `language` (as TagLanguage names it) takes a name in any case of
// its ASCII letters for the same name: Ada, Asp (VBScript), AutoIt, Basic,
// COBOL (Cobol, CobolFree, CobolVariable), DosBatch, Eiffel, Fortran, Lisp
// (Common Lisp), Pascal, PowerShell, REXX, SQL and VHDL. False for every
// other language and for an empty one.
bool NamesIgnoreCase(std::string_view language);

// Whether a tag of `language` is read with C's and C++'s letters and owners:
// C, C++, CUDA, ctags' old C and C++ parsers, and a tag whose language
// cannot be told (empty).
bool UsesCKindLetters(std::string_view language);

// Whether `name` is the name of a kind that one of the languages ctags
// lists writes: the keys of scope fields are such names.
bool IsKnownKindName(std::string_view name);

// The owner a scope field names, as borrowed views of the extension fields.
struct TagScope {
    std::string_view kind;  // the owner's kind, as ctags names it: "class", "struct", "enum"...
    std::string_view name;  // the owner's name as written, qualified ("A.E", "ns::List"); may be empty
    explicit operator bool() const noexcept { return !kind.empty(); }
};

// The first scope field among the tab-separated extension fields, wherever it
// stands (after line:, say): a field whose key is a kind's name
// ("struct:list", "enum:A.E", "chapter:Guide", "implementation:geo::Circle"),
// or with --fields=+Z "scope:class:Foo". Nothing when there is none. Reads
// only within `extensionFields`; the views borrow its bytes.
TagScope TagScopeOf(const CowString& extensionFields);

// The owner that one extension field names, as TagScopeOf reads each field;
// nothing when the field names none.
TagScope ScopeOfField(std::string_view field);

// Calls visit(field) for each tab-separated field of `fields`, in order,
// until it returns true.
template <typename Visit>
void ForEachExtensionField(std::string_view fields, Visit&& visit)
{
    while (!fields.empty()) {
        const std::size_t tab = fields.find('\t');
        if (visit(fields.substr(0, tab)) || tab == std::string_view::npos) return;
        fields.remove_prefix(tab + 1);
    }
}

// The value of the first tab-separated field of `fields` that is `key`, a
// colon and the value ("file:" has an empty one); nothing when there is no
// such field. Borrows from `fields`.
std::optional<std::string_view> ExtensionFieldValue(std::string_view fields, std::string_view key);

}  // namespace velkin
