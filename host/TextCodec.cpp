#include "host/TextCodec.h"

#include <algorithm>

namespace velkin::sim {

std::wstring Widen(const std::string& bytes, UINT codePage)
{
    if (bytes.empty()) return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int count = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(count, L'\0');
    if (count > 0) MultiByteToWideChar(codePage, 0, bytes.data(), size, &text[0], count);
    return text;
}

std::string Narrow(const std::wstring& text, UINT codePage)
{
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int count = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(count, '\0');
    if (count > 0) WideCharToMultiByte(codePage, 0, text.data(), size, &bytes[0], count, nullptr, nullptr);
    return bytes;
}

std::string Utf8ToShiftJis(const std::string& utf8)
{
    return Narrow(Widen(utf8, CP_UTF8), kShiftJisCodePage);
}

std::string ShiftJisToUtf8(const std::string& shiftJis)
{
    return Narrow(Widen(shiftJis, kShiftJisCodePage), CP_UTF8);
}

std::wstring FromAnsi(const std::string& ansi) { return Widen(ansi, CP_ACP); }

std::string ToAnsi(const std::wstring& text) { return Narrow(text, CP_ACP); }

std::wstring DecodeFileText(const std::string& bytes)
{
    static const std::string byteOrderMark = "\xEF\xBB\xBF";
    if (bytes.compare(0, byteOrderMark.size(), byteOrderMark) == 0) {
        return Widen(bytes.substr(byteOrderMark.size()), CP_UTF8);
    }
    const bool nonAscii =
        std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    // ASCII reads the same either way: only text beyond it is checked as UTF-8.
    const bool utf8 = nonAscii && MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                      static_cast<int>(bytes.size()), nullptr, 0) > 0;
    return Widen(bytes, utf8 ? CP_UTF8 : CP_ACP);
}

}  // namespace velkin::sim
