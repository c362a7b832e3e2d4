#include "text/Utf8ToAnsi.h"

#include <memory>
#include <new>

namespace velkin {

namespace {

bool HoldsNonAsciiByte(const char* begin, const char* end) noexcept
{
    for (const char* p = begin; p != end; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80) return true;
    return false;
}

// Puts one U+003F in place of each surrogate pair of [text, text + length) and
// returns the new length: a character outside the basic plane, which no ANSI
// code page has, then stands as one default character, not two.
int PairsAsQuestionMarks(wchar_t* text, int length) noexcept
{
    int out = 0;
    for (int i = 0; i < length; ++i) {
        const bool pair = IS_HIGH_SURROGATE(text[i]) && i + 1 < length && IS_LOW_SURROGATE(text[i + 1]);
        text[out++] = pair ? L'?' : text[i];
        if (pair) ++i;
    }
    return out;
}

// The ANSI form of UTF-8 `text` with a non-ASCII byte; with `exact`, only
// when every character has its own character in the code page. Empty when
// there is none.
CowString ToAnsi(const CowString& text, bool exact) noexcept
{
    const char* const bytes = text.Text();
    const int length = text.Length();
    if (GetACP() == CP_UTF8 || !HoldsNonAsciiByte(bytes, bytes + length)) return CowString();

    const int utf16Length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
    if (utf16Length <= 0) return CowString();
    const std::unique_ptr<wchar_t[]> wide(new (std::nothrow) wchar_t[utf16Length]);
    if (!wide || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, wide.get(), utf16Length) != utf16Length)
        return CowString();

    const int wideLength = exact ? utf16Length : PairsAsQuestionMarks(wide.get(), utf16Length);
    // A character the code page lacks becomes the default character (or a
    // look-alike without WC_NO_BEST_FIT_CHARS): that text would not be the source's.
    const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL usedDefault = FALSE;
    const int ansiLength =
        WideCharToMultiByte(CP_ACP, flags, wide.get(), wideLength, nullptr, 0, nullptr, exact ? &usedDefault : nullptr);
    if (ansiLength <= 0 || usedDefault) return CowString();
    CowString ansi;
    char* const buffer = ansi.OpenBuffer(ansiLength);
    if (!buffer) return CowString();
    if (WideCharToMultiByte(CP_ACP, flags, wide.get(), wideLength, buffer, ansiLength, nullptr, nullptr) != ansiLength)
        return CowString();
    ansi.CloseBuffer(ansiLength);
    return ansi;
}

}  // namespace

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
