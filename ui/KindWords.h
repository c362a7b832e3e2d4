// The picker's Kind column: what each tag is, in words, for every language
// ctags tags.
#pragma once

#include <string_view>

#include "tags/TagEntry.h"
#include "text/CowString.h"

namespace velkin {

// What a tag's Kind cell is made of, read from its line: views of static
// texts or of the entry's own fields. Tags with equal parts have equal cells.
struct KindCellParts {
    std::string_view language;   // TagLanguage
    std::string_view kindName;   // TagKindName; empty when the letter names no kind
    std::string_view kindField;  // the kind field when longer than a letter
    std::string_view ownerKind;  // TagScopeOf, when the owner's name is not empty
    std::string_view ownerName;
    std::string_view inherits;   // the first field's value after "inherits:", when it is that
    std::string_view access;     // the first field's value after "access:", when it is that
    char letter = 0;             // the kind byte
    bool fileScope = false;      // a field is exactly "file:"

    static KindCellParts Of(const TagEntry& entry);
    bool operator==(const KindCellParts& other) const noexcept;
    std::size_t Hash() const noexcept;
};

class KindWords {
public:
    // Loads nothing yet: each word is loaded from the string table the first
    // time a cell needs it. A word that cannot be loaded is empty.
    KindWords() = default;
    KindWords(const KindWords&) = delete;
    KindWords& operator=(const KindWords&) = delete;

    // The Kind column's text for `entry`, in the ANSI code page:
    //   [file scope] [owner] [inherits/access] kind
    // - "ファイル内限定 " (510) when a field anywhere is exactly "file:";
    // - the owner its scope field names (TagScopeOf), wherever that stands:
    //   for tags read with C's letters (C, C++, a language not known here) a
    //   class or struct as strings 511 and 512 say it ("クラス Foo メンバ "),
    //   any other owner as its kind in words and its name (IDS_KIND_OWNER);
    //   nothing for a scope with an empty name;
    // - a first field "inherits:X" or "access:X" as strings 513 and 514 say
    //   it, X up to the field's tab;
    // - the kind (TagKindName) in words for the tag's language, else its
    //   name as ctags writes it, else the letter; no letter for a control
    //   byte (an empty kind field). A kind word that the text before it
    //   already ends with (a member's "... メンバ") is said once.
    // Names from the line are shown in their ANSI form (ReadableText), each
    // cut at kNameLimit bytes on a character boundary. Empty when storage
    // runs out.
    CowString Cell(const TagEntry& entry) const { return Cell(KindCellParts::Of(entry)); }
    CowString Cell(const KindCellParts& parts) const;

    // At least Cell(parts).Length(), without making the cell: what the words
    // and formats add to the names' lengths.
    int CellLengthBound(const KindCellParts& parts) const;

    // The longest a name from the line may stand in a cell, in bytes.
    static constexpr int kNameLimit = 200;

private:
    CowString Word(unsigned id) const;
    // Formats 511-514 and IDS_KIND_OWNER with their arguments, each format
    // loaded once.
    CowString Formatted(unsigned format, const CowString& first, const CowString& second = CowString()) const;
    const CowString& Format(unsigned format) const;
    int FormatLength(unsigned format) const;
    // The bytes KindInWords gives at most.
    int KindLengthBound(std::string_view language, std::string_view name) const;
    // The kind named `name` of `language` in words; the name itself (cut)
    // when there is no word for it.
    CowString KindInWords(std::string_view language, std::string_view name) const;

    static constexpr int kWordSlots = 96;
    mutable CowString words_[kWordSlots];
    mutable bool loaded_[kWordSlots] = {};
    static constexpr int kFormatSlots = 5;   // 511-514, then IDS_KIND_OWNER
    mutable CowString formats_[kFormatSlots];
    mutable int formatLengths_[kFormatSlots] = {};   // with empty arguments
    mutable bool formatsLoaded_[kFormatSlots] = {};
};

}  // namespace velkin
