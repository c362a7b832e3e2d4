#include "text/Utf8ToAnsi.h"

#include <new>

namespace velkin {

namespace {

// Puts one U+003F in place of each surrogate pair of `text`: a character
// outside the basic plane, which no ANSI code page has, then stands as one
// default character, not two.
void PairsAsQuestionMarks(std::wstring& text) noexcept
{
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair = IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]);
        text[out++] = pair ? L'?' : text[i];
        if (pair) ++i;
    }
    text.resize(out);
}

// The ANSI form of `wide`: with `exact`, only when every character has its
// own character in the code page; else with `flags` for the others. Empty
// when there is none.
CowString WideToAnsiWith(const std::wstring& wide, bool exact, DWORD flags) noexcept
{
    const int wideLength = static_cast<int>(wide.size());
    if (wideLength == 0) return CowString();
    BOOL usedDefault = FALSE;
    const int ansiLength =
        WideCharToMultiByte(CP_ACP, flags, wide.data(), wideLength, nullptr, 0, nullptr, exact ? &usedDefault : nullptr);
    if (ansiLength <= 0 || usedDefault) return CowString();
    CowString ansi;
    char* const buffer = ansi.OpenBuffer(ansiLength);
    if (!buffer) return CowString();
    if (WideCharToMultiByte(CP_ACP, flags, wide.data(), wideLength, buffer, ansiLength, nullptr, nullptr) != ansiLength)
        return CowString();
    ansi.CloseBuffer(ansiLength);
    return ansi;
}

// The ANSI form of UTF-8 `text` with a non-ASCII byte; with `exact`, only
// when every character has its own character in the code page. Empty when
// there is none.
CowString ToAnsi(const CowString& text, bool exact) noexcept
{
    const char* const bytes = text.Text();
    if (GetACP() == CP_UTF8 || !HoldsNonAsciiByte(bytes, bytes + text.Length())) return CowString();
    std::wstring wide = Utf8ToWide(text);
    if (exact) return WideToAnsi(wide);
    PairsAsQuestionMarks(wide);
    // A look-alike stands in for a character the code page lacks: shown only.
    return WideToAnsiWith(wide, false, 0);
}

// The length of the UTF-16 form of [begin, end) in `codePage`, rejecting
// invalid bytes; 0 for invalid or empty text.
int WideLength(UINT codePage, const char* begin, const char* end) noexcept
{
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, begin, static_cast<int>(end - begin), nullptr, 0);
}

}  // namespace

bool HoldsNonAsciiByte(const char* begin, const char* end) noexcept
{
    for (const char* p = begin; p != end; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80) return true;
    return false;
}

bool IsUtf8(const char* begin, const char* end) noexcept
{
    return !HoldsNonAsciiByte(begin, end) || WideLength(CP_UTF8, begin, end) > 0;
}

bool IsAnsiText(const char* begin, const char* end) noexcept
{
    return !HoldsNonAsciiByte(begin, end) || WideLength(CP_ACP, begin, end) > 0;
}

std::wstring Utf8ToWide(const CowString& text) noexcept
{
    const char* const bytes = text.Text();
    const int length = text.Length();
    const int wideLength = WideLength(CP_UTF8, bytes, bytes + length);
    if (wideLength <= 0) return std::wstring();
    try {
        std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
        if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, &wide[0], wideLength) != wideLength)
            return std::wstring();
        return wide;
    } catch (const std::bad_alloc&) {
        return std::wstring();
    }
}

// A character the code page lacks becomes the default character (or a
// look-alike without WC_NO_BEST_FIT_CHARS): that text would not be the source's.
CowString WideToAnsi(const std::wstring& text) noexcept { return WideToAnsiWith(text, true, WC_NO_BEST_FIT_CHARS); }

CowString WideToShownAnsi(std::wstring text) noexcept
{
    PairsAsQuestionMarks(text);
    return WideToAnsiWith(text, false, WC_NO_BEST_FIT_CHARS);
}

CowString Utf8ToAnsi(const CowString& text) noexcept { return ToAnsi(text, true); }

CowString ReadableText(const CowString& text) noexcept
{
    CowString ansi = Utf8ToAnsi(text);
    return ansi.IsEmpty() ? text : ansi;
}

CowString ShownText(const CowString& text) noexcept
{
    CowString ansi = ToAnsi(text, false);
    return ansi.IsEmpty() ? text : ansi;
}

}  // namespace velkin
