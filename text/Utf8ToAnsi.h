// Texts from a tags file hold the source's bytes as they stand: UTF-8 for a
// UTF-8 source. The editor reads every text a plug-in hands it through the
// ANSI code page, so such a text is shown and searched for in its ANSI form.
#pragma once

#include <string>

#include "text/CowString.h"

namespace velkin {

// The ANSI-code-page form of `text` when `text` is valid UTF-8 that holds at
// least one non-ASCII byte and every character of it has its own character in
// the code page (no default character, no best-fit stand-in). Otherwise the
// empty string: for ASCII text, for bytes that are not UTF-8 (Shift-JIS, say),
// for a character the code page lacks, and when storage runs out. A result
// that is not empty always differs from `text`. When the ANSI code page is
// UTF-8 itself there is nothing to convert and the result is empty too.
CowString Utf8ToAnsi(const CowString& text) noexcept;

// What the user reads for `text`: Utf8ToAnsi(text) when that is not empty,
// otherwise `text` itself (shared, not copied).
CowString ReadableText(const CowString& text) noexcept;

// What the user reads for a name that is only shown, never searched for:
// Utf8ToAnsi(text) when that is not empty; else, for valid UTF-8 with a
// character the code page lacks (an emoji under 932), its ANSI form with
// such a character as a look-alike or the code page's default character
// ("?"); otherwise `text` itself (shared, not copied).
CowString ShownText(const CowString& text) noexcept;

// Whether [begin, end) holds a byte of 0x80 or above.
bool HoldsNonAsciiByte(const char* begin, const char* end) noexcept;

// Whether [begin, end) is valid UTF-8 (ASCII and the empty text are).
bool IsUtf8(const char* begin, const char* end) noexcept;

// Whether [begin, end) is valid text in the ANSI code page: every lead byte
// has its trail byte, and every character is one the code page defines.
bool IsAnsiText(const char* begin, const char* end) noexcept;

// The UTF-16 form of UTF-8 `text`; empty when it is not valid UTF-8 or
// storage runs out.
std::wstring Utf8ToWide(const CowString& text) noexcept;

// The ANSI form of UTF-16 `text` when every character has its own character
// in the code page; empty otherwise, and when storage runs out.
CowString WideToAnsi(const std::wstring& text) noexcept;

// The ANSI form of UTF-16 `text` for showing it: each character the code
// page lacks (a surrogate pair: one) as the default character ("?"), no look-alike (a name shown
// must not spell another file's); empty when storage runs out.
CowString WideToShownAnsi(std::wstring text) noexcept;

}  // namespace velkin
