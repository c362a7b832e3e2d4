// The picker's Kind column: what each tag is, in words, for every language
// ctags tags.
#pragma once

#include <string_view>

#include "tags/TagEntry.h"
#include "text/CowString.h"

namespace velkin {

// The language of a file field's name, remembered for the last file asked
// about: the tags of one file share their file field's text.
class FileLanguages {
public:
    std::string_view Of(const CowString& file);

private:
    const char* file_ = nullptr;
    std::string_view language_;
};

// What a tag's Kind cell is made of, read from its line in one pass over its
// fields: views of static texts or of the entry's own fields. Tags with equal
// parts have equal cells.
struct KindCellParts {
    std::string_view language;   // TagLanguage
    std::string_view kindName;   // TagKindName; empty when the letter names no kind
    std::string_view kindField;  // the kind field when longer than a letter
    std::string_view ownerKind;  // TagScopeOf, when the owner's name is not empty
    std::string_view ownerName;
    std::string_view inherits;   // the first field's value after "inherits:", when it is that
    std::string_view access;     // the first field's value after "access:", when it is that
    unsigned kindWord = 0;       // the string id of the kind's word, 0 for none
    unsigned ownerWord = 0;      // the string id of the owner's kind's word, 0 for none
    char letter = 0;             // the kind byte
    bool fileScope = false;      // a field is exactly "file:"

    // `files` (may be null) remembers the language of the last file.
    static KindCellParts Of(const TagEntry& entry, FileLanguages* files = nullptr);
    bool operator==(const KindCellParts& other) const noexcept;
    std::size_t Hash() const noexcept;
};

// The texts a Kind cell holds whole (words, and formats with empty
// arguments, as KindWords::Piece numbers them), and the names from the line
// it holds besides, as the line writes them (KindWords::ShownName gives each
// as the cell shows it). When texts are measured as the sums of their
// characters, the cell is no wider than those texts and those names as
// shown: exactly as wide, unless a word said twice is said once.
struct KindCellLayout {
    static constexpr int kMostPieces = 4;
    static constexpr int kMostNames = 4;
    int pieces[kMostPieces] = {};
    int pieceCount = 0;
    std::string_view names[kMostNames];
    int nameCount = 0;
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
    //   for tags read with C's letters (UsesCKindLetters: C, C++, a tag whose
    //   language cannot be told...) a
    //   class or struct as strings 511 and 512 say it ("クラス Foo メンバ "),
    //   any other owner as its kind in words and its name (IDS_KIND_OWNER);
    //   nothing for a scope with an empty name;
    // - a first field "inherits:X" or "access:X" as strings 513 and 514 say
    //   it, X up to the field's tab;
    // - the kind (TagKindName) in words for the tag's language, else its
    //   name as ctags writes it, else the letter (a language not listed here
    //   shows its letter, not C's words); no letter for a control byte (an
    //   empty kind field). A kind word that the text before it
    //   already ends with (a member's "... メンバ") is said once.
    // Names from the line are shown in their ANSI form (ShownText: a
    // character the code page lacks as a look-alike or "?"), each cut at
    // kNameLimit bytes on a character boundary, control bytes as blanks.
    // Empty when storage runs out.
    CowString Cell(const TagEntry& entry) const { return Cell(KindCellParts::Of(entry)); }
    CowString Cell(const KindCellParts& parts) const;

    // What Cell(parts) is made of; its names borrow from `parts` (a kind
    // letter is its own) and from what `parts` borrows from.
    KindCellLayout Layout(const KindCellParts& parts) const;
    // Piece `piece` of a layout, loaded at the first call; empty for a piece
    // that is none.
    const CowString& Piece(int piece) const;

    // A name from the line as a cell shows it: its escapes undone, in its
    // ANSI form (ShownText), at most kNameLimit bytes of whole characters,
    // control bytes as blanks. Empty when storage runs out.
    static CowString ShownName(std::string_view name);
    // Whether ShownName(name) is ShownText(name) or the start of it (when
    // cut): `name` holds no escape and no control byte, and is short enough
    // to be read whole. Costs a look at each byte.
    static bool ShownAsText(std::string_view name) noexcept;

    // The longest a name from the line may stand in a cell, in bytes.
    static constexpr int kNameLimit = 200;
    static constexpr int kWordSlots = 309;     // 500-510, then 600 on
    static constexpr int kFormatSlots = 5;    // 511-514, then IDS_KIND_OWNER
    static constexpr int kPieceCount = kWordSlots + kFormatSlots;

private:
    const CowString& Word(unsigned id) const;
    // The format `format` (511-514, IDS_KIND_OWNER) with its arguments.
    CowString Formatted(unsigned format, const CowString& first, const CowString& second = CowString()) const;
    const CowString& Format(unsigned format) const;
    // The word with id `word`; the name itself (cut) when there is none.
    CowString InWords(unsigned word, std::string_view name) const;

    mutable CowString pieces_[kPieceCount];     // a word, or a format with empty arguments
    mutable CowString formats_[kFormatSlots];
    mutable bool loaded_[kPieceCount] = {};
};

}  // namespace velkin
