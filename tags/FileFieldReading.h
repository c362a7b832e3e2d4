// How a tags line's file field is read. ctags on Linux, and its Windows
// builds since they run in the UTF-8 code page, write file names in UTF-8;
// older builds and ctags run in code page 932 write them in the ANSI code
// page. The editor and Windows' ANSI calls take ANSI paths only, so a UTF-8
// field is converted (through UTF-16) before any use.
#pragma once

#include <string>

#include "text/CowString.h"

namespace velkin {

// What a tags file says of its file fields.
enum class FieldEncoding : unsigned char {
    unstated,  // no (known) !_TAG_FILE_ENCODING line: each field is told by its bytes
    utf8,
    ansi,      // the ANSI code page
};

// The encoding the value of a !_TAG_FILE_ENCODING line names, letter case
// ignored: "utf-8" or "utf8" UTF-8; "cp932", "shift_jis", "sjis",
// "windows-31j", or the ANSI code page's own name ("cp1252",
// "windows-1252" under 1252) ANSI; anything else unstated.
FieldEncoding FieldEncodingNamed(const char* name, const char* nameEnd) noexcept;

// The encoding the !_TAG_FILE_ENCODING line among the pseudo-tag lines that
// begin [begin, end) names; unstated without one.
FieldEncoding ReadFieldEncoding(const char* begin, const char* end) noexcept;

// One way of reading a file field.
struct FieldReading {
    // The field in the ANSI code page; empty when it has no ANSI form.
    CowString text;
    // The field in UTF-16 when it is UTF-8 with a character the code page
    // lacks (hangul or an emoji under 932); empty otherwise.
    std::wstring wide;
};

// The readings of a field, in the order they are tried.
struct FieldReadings {
    FieldReading reading[2];
    int count = 0;
};

// How `field` may be read under `encoding`:
//  - no byte past ASCII, or `encoding` ansi: as written, alone;
//  - valid UTF-8 with `encoding` utf8 or unstated: its UTF-8 reading (the
//    ANSI form, or `wide` when the code page cannot hold it); unstated, then
//    also as written when the bytes are valid ANSI text too (a Shift-JIS name
//    of half-width katakana, "ﾂｱ.c", is the valid UTF-8 "±.c");
//  - anything else (bytes that are not UTF-8): as written.
// No reading when storage runs out. The first check is for a byte past
// ASCII, so an ASCII field costs one pass over its bytes.
FieldReadings ReadFileField(const CowString& field, FieldEncoding encoding) noexcept;

// The field as the user reads it (the File column): its UTF-8 reading, a
// character the code page lacks as a look-alike or "?" (ShownText), unless
// `encoding` says ANSI or the bytes are not UTF-8 (then as written).
CowString ShownFileField(const CowString& field, FieldEncoding encoding) noexcept;

}  // namespace velkin
