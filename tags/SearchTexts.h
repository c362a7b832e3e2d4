// What the jump searches for when a tag's address is a search pattern.
#pragma once

#include "tags/TagEntry.h"
#include "text/CowString.h"

namespace velkin {

// The texts to search for in the tag's file, in order, and where the tag's
// line should hold them.
struct SearchTexts {
    static constexpr int kCapacity = 4;
    CowString texts[kCapacity];
    int count = 0;
    // texts[0, patternCount) come from the pattern and share its anchors; the
    // tag's name, last, has none.
    int patternCount = 0;
    bool startsLine = false;  // "^" after the opening delimiter: the text starts its line
    bool endsLine = false;    // "$" before the closing one: the line ends right after the text
    // The line (1-based) the tag was on when it was tagged: N of an address
    // "N;/pattern/", else a "line:N" extension field; 0 when there is none.
    int lineHint = 0;

    void Add(const CowString& text) noexcept
    {
        if (count < kCapacity) texts[count++] = text;
    }
};

// For a pattern address ("/^text$/" or "?^text$?", or either after "N;" as
// ctags --excmd=combine writes it):
//  1. the text as written (PatternText);
//  2. when that holds a backslash, the text with each "\/" turned into "/"
//     and each "\\" into "\" (how ctags escapes them), unless that changes
//     nothing or cannot be stored;
//  3. when the text is valid UTF-8 holding a non-ASCII byte, the ANSI form
//     of its unescaped text (Utf8ToAnsi), unless a character has none in the
//     code page or it cannot be stored: the editor reads the texts above
//     through the ANSI code page, so in a UTF-8 source only this one finds
//     the line. ASCII text and bytes that are not UTF-8 (Shift-JIS) get no
//     such try. A pattern cut at ctags' length limit (no "$" before its
//     closing byte) may end inside a character: that character is left out
//     here, so the rest must be UTF-8;
//  4. the tag's name.
SearchTexts PatternSearchTexts(const TagEntry& entry);

// The text of a pattern ("/^text$/" or "?^text$?"): less its opening
// delimiter and the "^" after it, and less its closing delimiter and the "$"
// before it. Without the "$" (ctags leaves it out when the line goes on: after
// a macro's name, or past the pattern's length limit) only the closing
// delimiter goes, and the text keeps its last byte. Empty for a pattern too
// short to hold any.
CowString PatternText(const CowString& pattern);

// The pattern part of an address: what follows "N;" in a combined address
// ("42;/^text$/"), else the address itself.
CowString PatternOf(const CowString& address);

// True when [begin, end) holds ASCII digits alone (the empty range too): an
// address of a line number.
bool IsAllDigits(const char* begin, const char* end) noexcept;

// The decimal value of the digits [begin, end), which must all be digits; 0
// for none, and INT_MAX beyond int range (as strtol saturates).
int ParseDigits(const char* begin, const char* end) noexcept;

// N of a combined address "N;/pattern/", else of a "line:N" field among the
// tab-separated `extensionFields`; 0 when neither holds a line from 1 to
// below INT_MAX.
int TagLineHint(const CowString& address, const CowString& extensionFields);

// `text` with each "\/" turned into "/" and each "\\" into "\", read byte by
// byte from the left as ctags wrote them (a trail byte 0x5C of a double-byte
// character was doubled too). `text` itself when it holds no backslash; empty
// when the result cannot be stored.
CowString UnescapePattern(const CowString& text);

}  // namespace velkin
