// Text conversions between the Japanese ANSI code page (932, Shift-JIS), the
// UTF-16 of resources and documents, and UTF-8: tests write their expected
// texts in UTF-8, and the demo prints UTF-8 to a Linux terminal. Bytes that
// do not convert become the code page's default character; nothing throws
// except std::bad_alloc.
#pragma once

#include <windows.h>

#include <string>

namespace velkin::sim {

constexpr UINT kShiftJisCodePage = 932;

std::wstring Widen(const std::string& bytes, UINT codePage);
std::string Narrow(const std::wstring& text, UINT codePage);

std::string Utf8ToShiftJis(const std::string& utf8);
std::string ShiftJisToUtf8(const std::string& shiftJis);

// Through the ANSI code page (CP_ACP), as the editor converts every text a
// plug-in sends it or reads from it.
std::wstring FromAnsi(const std::string& ansi);
std::string ToAnsi(const std::wstring& text);

// A file's bytes as the editor decodes them on load: UTF-8 after a UTF-8
// byte-order mark (which is dropped), or when the bytes are valid UTF-8 and
// hold a non-ASCII byte; otherwise the ANSI code page.
std::wstring DecodeFileText(const std::string& bytes);

}  // namespace velkin::sim
