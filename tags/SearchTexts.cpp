#include "tags/SearchTexts.h"

#include "text/Utf8ToAnsi.h"

namespace velkin {

namespace {

bool IsEscaped(char byte) { return byte == '/' || byte == '\\'; }

// Byte by byte: a trail byte 0x5C counts, as ctags escaped it.
bool HoldsBackslash(const CowString& text)
{
    const char* const end = text.Text() + text.Length();
    for (const char* p = text.Text(); p != end; ++p)
        if (*p == '\\') return true;
    return false;
}

}  // namespace

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
    const CowString asWritten = entry.address.Substring(2, entry.address.Length() - 4);
    tries.Add(asWritten);
    const CowString unescaped = UnescapePattern(asWritten);
    // Unescaping only drops bytes: the same length means nothing changed.
    if (!unescaped.IsEmpty() && unescaped.Length() != asWritten.Length()) tries.Add(unescaped);
    // Unescaping touches ASCII bytes only: the unescaped text is UTF-8 when
    // the text is. Empty when it could not be stored, and so is its ANSI form.
    const CowString ansi = Utf8ToAnsi(unescaped);
    if (!ansi.IsEmpty()) tries.Add(ansi);
    tries.Add(entry.name);
    return tries;
}

}  // namespace velkin
