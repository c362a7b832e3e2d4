#include "host/TextCodec.h"

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

}  // namespace velkin::sim
