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

}  // namespace

CowString Utf8ToAnsi(const CowString& text) noexcept
{
    const char* const bytes = text.Text();
    const int length = text.Length();
    if (GetACP() == CP_UTF8 || !HoldsNonAsciiByte(bytes, bytes + length)) return CowString();

    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0);
    if (wideLength <= 0) return CowString();
    const std::unique_ptr<wchar_t[]> wide(new (std::nothrow) wchar_t[wideLength]);
    if (!wide || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, wide.get(), wideLength) != wideLength)
        return CowString();

    // A character the code page lacks becomes the default character (or a
    // look-alike without WC_NO_BEST_FIT_CHARS): that text would not be the source's.
    BOOL usedDefault = FALSE;
    const int ansiLength =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.get(), wideLength, nullptr, 0, nullptr, &usedDefault);
    if (ansiLength <= 0 || usedDefault) return CowString();
    CowString ansi;
    char* const buffer = ansi.OpenBuffer(ansiLength);
    if (!buffer) return CowString();
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.get(), wideLength, buffer, ansiLength, nullptr, nullptr) !=
        ansiLength)
        return CowString();
    ansi.CloseBuffer(ansiLength);
    return ansi;
}

CowString ReadableText(const CowString& text) noexcept
{
    CowString ansi = Utf8ToAnsi(text);
    return ansi.IsEmpty() ? text : ansi;
}

}  // namespace velkin
