// The line grammar of an extended-format ctags file, as the scanner and the
// sorted search read it:
//   name TAB file TAB address ;" [anything] TAB kind... [TAB extension fields]
// A line ends at the first CR or LF; any run of CR/LF separates lines; a line
// starting with '!' is a pseudo-tag. A line missing a required separator
// yields nothing. The address runs to the first ;" of the line (tabs inside it
// belong to it).
//
// Every function reads only within [begin, end) (or [p, end)): the data need
// not be zero-terminated, and zero bytes are ordinary data. The forward and
// backward searches compare 16 bytes at a time with SSE2 and never load a
// block that reaches past `end` (or before `begin`).
#pragma once

#include "text/CowString.h"

namespace velkin {

constexpr char kTab = '\t';
constexpr char kCr = '\r';
constexpr char kLf = '\n';

inline bool IsLineEnd(char byte) noexcept { return byte == kCr || byte == kLf; }
inline bool IsTabAt(const char* p, const char* end) noexcept { return p != end && *p == kTab; }

// The start of the next non-empty line after the one holding `p`, or `end`.
const char* SkipLine(const char* p, const char* end) noexcept;
// The first tab at or after `p`; null when CR, LF or `end` comes first.
const char* NextTab(const char* p, const char* end) noexcept;
// The first tab, CR or LF at or after `p` (the end of a field), or `end`.
const char* FindFieldEnd(const char* p, const char* end) noexcept;
// The first CR or LF at or after `p`, or `end`.
const char* FindLineEnd(const char* p, const char* end) noexcept;
// Past the run of CR and LF bytes at `p`: the start of the next non-empty line, or `end`.
const char* SkipLineEnds(const char* p, const char* end) noexcept;
// The last CR or LF in [begin, end), or null.
const char* FindLastLineEnd(const char* begin, const char* end) noexcept;
// The last tab, CR or LF in [begin, end), or null.
const char* FindLastFieldEnd(const char* begin, const char* end) noexcept;
// The start of the line holding `p`, but not before `first` (a line start).
const char* LineStart(const char* first, const char* p) noexcept;
// The first ';' at or after `p` followed by '"' inside the data; null when CR,
// LF or `end` comes first.
const char* FindTerminator(const char* p, const char* end) noexcept;

// The value of the pseudo-tag `tag` ("!_TAG_FILE_SORTED") among the '!' lines
// that begin [begin, end): the bytes after the tab that follows the tag's
// name, up to the next tab or line end (sets `valueEnd`). The first line of
// that name with a byte after the tab counts; null (`valueEnd` untouched)
// when none comes before the first tag line.
const char* FindPseudoTagValue(const char* begin, const char* end, const char* tag, const char** valueEnd) noexcept;

enum class NameMatch { none, prefix, exact };
// Compares a tag name with a non-empty word, byte for byte and case-sensitively,
// from the name's first byte: exact when equal, prefix when the name is longer.
// (An empty word would match every name; the scanner never passes one.)
NameMatch MatchName(const CowString& word, const char* nameStart, const char* nameEnd) noexcept;
// The same with ASCII letters compared in either case (AsciiCase.h).
NameMatch MatchNameIgnoringCase(const CowString& word, const char* nameStart, const char* nameEnd) noexcept;

}  // namespace velkin
