#include "tags/SearchTexts.h"

#include <cstring>

#include "text/Utf8ToAnsi.h"

namespace velkin {

namespace {

bool IsEscaped(char byte) { return byte == '/' || byte == '\\'; }

// Byte by byte: a trail byte 0x5C counts, as ctags escaped it.
bool HoldsBackslash(const CowString& text)
{
    return std::memchr(text.Text(), '\\', static_cast<std::size_t>(text.Length())) != nullptr;
}

// ctags ends a pattern with "$" and its delimiter when the text runs to the
// end of the line; without the "$" (a macro's pattern stops after its name, a
// long line is cut at the pattern's length limit) the line goes on.
bool RunsToLineEnd(const CowString& address)
{
    return address.Length() >= 4 && address.Text()[address.Length() - 2] == '$';
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The bytes of a UTF-8 character that starts with `lead`; 0 when none does.
int Utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// `text` less a UTF-8 character that lacks bytes at its end; `text` itself
// when it ends otherwise.
CowString WithoutCutCharacter(const CowString& text)
{
    const auto* const begin = reinterpret_cast<const unsigned char*>(text.Text());
    const auto* const end = begin + text.Length();
    const unsigned char* lead = end;
    while (lead != begin && end - lead < 3 && IsContinuation(lead[-1])) --lead;
    if (lead == begin) return text;
    --lead;
    return Utf8SequenceLength(*lead) > end - lead ? text.Prefix(static_cast<int>(lead - begin)) : text;
}

}  // namespace

CowString PatternText(const CowString& address)
{
    const int closing = RunsToLineEnd(address) ? 2 : 1;
    return address.Substring(2, address.Length() - 2 - closing);
}

CowString UnescapePattern(const CowString& text)
{
    if (!HoldsBackslash(text)) return text;
    CowString unescaped;
    char* out = unescaped.OpenBuffer(text.Length());
    if (!out) return CowString();
    char* const start = out;
    const char* const end = text.Text() + text.Length();
    for (const char* p = text.Text(); p != end; ++p) {
        if (*p == '\\' && end - p > 1 && IsEscaped(p[1])) ++p;
        *out++ = *p;
    }
    unescaped.CloseBuffer(static_cast<int>(out - start));
    return unescaped;
}

SearchTexts PatternSearchTexts(const TagEntry& entry)
{
    SearchTexts tries;
    const CowString asWritten = PatternText(entry.address);
    tries.Add(asWritten);
    const CowString unescaped = UnescapePattern(asWritten);
    // Unescaping only drops bytes: the same length means nothing changed.
    if (!unescaped.IsEmpty() && unescaped.Length() != asWritten.Length()) tries.Add(unescaped);
    // Unescaping touches ASCII bytes only: the unescaped text is UTF-8 when
    // the text is. Empty when it could not be stored, and so is its ANSI form.
    // A pattern cut at its length limit may end inside a character; the line
    // starts with the text before it all the same.
    const CowString ansi = Utf8ToAnsi(RunsToLineEnd(entry.address) ? unescaped : WithoutCutCharacter(unescaped));
    if (!ansi.IsEmpty()) tries.Add(ansi);
    tries.Add(entry.name);
    return tries;
}

}  // namespace velkin
