#include "tags/SearchTexts.h"

#include <climits>
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

bool IsDigit(char byte) { return byte >= '0' && byte <= '9'; }

bool IsDelimiter(char byte) { return byte == '/' || byte == '?'; }

bool IsDelimited(const CowString& pattern) { return pattern.Length() >= 2 && IsDelimiter(pattern.Text()[0]); }

// ctags starts a pattern with "^" after its delimiter: the text starts the line.
bool StartsLine(const CowString& pattern)
{
    return pattern.Length() >= 3 && IsDelimited(pattern) && pattern.Text()[1] == '^';
}

// The bytes before the text: the delimiter, and the "^" after it. An address
// that is no pattern loses two bytes, as if it were one.
int OpeningLength(const CowString& pattern) { return IsDelimited(pattern) && !StartsLine(pattern) ? 1 : 2; }

// ctags ends a pattern with "$" and its delimiter when the text runs to the
// end of the line; without the "$" (a macro's pattern stops after its name, a
// long line is cut at the pattern's length limit) the line goes on.
bool RunsToLineEnd(const CowString& pattern)
{
    return pattern.Length() >= OpeningLength(pattern) + 2 && pattern.Text()[pattern.Length() - 2] == '$';
}

// A line hint in the digits [begin, end): 0 when there are none, when
// another byte stands there, or when it is beyond int range.
int ParseLine(const char* begin, const char* end)
{
    if (!IsAllDigits(begin, end)) return 0;
    const int line = ParseDigits(begin, end);
    return line == INT_MAX ? 0 : line;
}

// The ';' that ends the line number of a combined address "N;/pattern/" (or
// "N;?pattern?"); null when the address is not one.
const char* CombinedSeparator(const CowString& address)
{
    const char* const begin = address.Text();
    const char* const end = begin + address.Length();
    const char* p = begin;
    while (p != end && IsDigit(*p)) ++p;
    const bool combined = p != begin && end - p >= 2 && p[0] == ';' && (p[1] == '/' || p[1] == '?');
    return combined ? p : nullptr;
}

// N of the first "line:N" field among tab-separated fields; 0 when none.
int LineField(const CowString& fields)
{
    static constexpr char kKey[] = "line:";
    constexpr int kKeyLength = sizeof kKey - 1;
    const char* const end = fields.Text() + fields.Length();
    for (const char* field = fields.Text(); field < end;) {
        const char* tab = static_cast<const char*>(std::memchr(field, '\t', static_cast<std::size_t>(end - field)));
        if (!tab) tab = end;
        if (tab - field > kKeyLength && std::memcmp(field, kKey, kKeyLength) == 0) return ParseLine(field + kKeyLength, tab);
        field = tab + 1;
    }
    return 0;
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

bool IsAllDigits(const char* begin, const char* end) noexcept
{
    for (const char* p = begin; p != end; ++p)
        if (!IsDigit(*p)) return false;
    return true;
}

int ParseDigits(const char* begin, const char* end) noexcept
{
    int value = 0;
    for (const char* p = begin; p != end; ++p) {
        const int digit = *p - '0';
        if (value > (INT_MAX - digit) / 10) return INT_MAX;
        value = value * 10 + digit;
    }
    return value;
}

CowString PatternText(const CowString& pattern)
{
    const int opening = OpeningLength(pattern);
    const int closing = RunsToLineEnd(pattern) ? 2 : 1;
    return pattern.Substring(opening, pattern.Length() - opening - closing);
}

CowString PatternOf(const CowString& address)
{
    const char* const separator = CombinedSeparator(address);
    return separator ? address.Substring(static_cast<int>(separator - address.Text()) + 1) : address;
}

int TagLineHint(const CowString& address, const CowString& extensionFields)
{
    if (const char* const separator = CombinedSeparator(address)) return ParseLine(address.Text(), separator);
    return LineField(extensionFields);
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
    const CowString pattern = PatternOf(entry.address);
    tries.startsLine = StartsLine(pattern);
    tries.endsLine = IsDelimited(pattern) && RunsToLineEnd(pattern);
    tries.lineHint = TagLineHint(entry.address, entry.extensionFields);
    const CowString asWritten = PatternText(pattern);
    tries.Add(asWritten);
    const CowString unescaped = UnescapePattern(asWritten);
    // Unescaping only drops bytes: the same length means nothing changed.
    if (!unescaped.IsEmpty() && unescaped.Length() != asWritten.Length()) tries.Add(unescaped);
    // Unescaping touches ASCII bytes only: the unescaped text is UTF-8 when
    // the text is. Empty when it could not be stored, and so is its ANSI form.
    // A pattern cut at its length limit may end inside a character; the line
    // starts with the text before it all the same.
    const CowString ansi = Utf8ToAnsi(tries.endsLine ? unescaped : WithoutCutCharacter(unescaped));
    if (!ansi.IsEmpty()) tries.Add(ansi);
    tries.patternCount = tries.count;
    tries.Add(entry.name);
    return tries;
}

}  // namespace velkin
