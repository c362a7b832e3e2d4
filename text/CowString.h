// CowString: the one string type of the plug-in. A reference-counted,
// copy-on-write byte string in the ANSI code page.
//
// Layout: a value is one pointer to zero-terminated text, preceded in the same
// heap block by a StringHeader. Copies share the block and bump `refs`; a
// block is copied before it is written while shared. The empty string is a
// static header (refs = -1) that is never freed, so empty values allocate
// nothing.
//
// Memory: storage comes from malloc. When it runs out, constructors leave the
// empty string, assignments leave the target empty, OpenBuffer returns null
// and LoadFromTable returns false. Nothing here throws.
//
// Searching (FindText, FindLastByte and the Scan* functions) steps over
// multibyte characters with CharNextA, so a match never begins on the trail
// byte of a double-byte character.
#pragma once

#include <windows.h>

#include <cstdarg>

namespace velkin {

struct StringHeader {
    LONG refs;      // sharers of the block; negative: never share, copy instead
    LONG length;    // text bytes, without the terminator
    LONG capacity;  // text bytes the block can hold, without the terminator
    // capacity + 1 bytes of text follow
};

class CowString {
public:
    // The empty string.
    CowString() noexcept;
    // A zero-terminated string (null gives the empty string). A pointer value
    // not above 0xFFFF is a string-table id instead, loaded with LoadFromTable.
    CowString(const char* textOrId);  // NOLINT(google-explicit-constructor): strings convert
    // `count` bytes from `bytes`; count <= 0 gives the empty string.
    CowString(const char* bytes, int count);
    // `count` copies of `byte`; count <= 0 gives the empty string.
    CowString(char byte, int count);

    CowString(const CowString& other) noexcept;
    CowString(CowString&& other) noexcept;
    ~CowString();

    CowString& operator=(const CowString& other) noexcept;
    CowString& operator=(CowString&& other) noexcept;
    CowString& operator=(const char* text) noexcept;  // null assigns the empty string
    void Assign(const char* bytes, int count) noexcept;

    int Length() const noexcept { return Header()->length; }
    bool IsEmpty() const noexcept { return Header()->length == 0; }
    // Always a zero-terminated text; valid until the value is changed or released.
    const char* Text() const noexcept { return text_; }

    // Equality by lstrcmpA (case-sensitive, locale-aware, up to the first zero).
    bool operator==(const CowString& other) const noexcept;
    bool operator!=(const CowString& other) const noexcept { return !(*this == other); }

    friend CowString operator+(const CowString& left, const CowString& right);
    friend CowString operator+(const CowString& left, const char* right);

    // Bytes [first, first + count), clamped to the text: negative first or
    // count count as 0, first beyond the length gives the empty string.
    CowString Substring(int first, int count) const;
    CowString Substring(int first) const;
    // The first `count` bytes, count clamped to [0, length].
    CowString Prefix(int count) const;

    // Byte position of the first occurrence of `sub` at or after `start`, or
    // -1; -1 too when start > length. An empty `sub` is found at `start`.
    int FindText(const char* sub, int start = 0) const noexcept;
    // Byte position of the last character whose lead byte is `byte`, or -1.
    int FindLastByte(char byte) const noexcept;

    // Lets a system call write into the string: returns at least `minimum`
    // writable bytes (plus the terminator), keeping the current text and length,
    // or null when storage runs out. Finish with CloseBuffer.
    char* OpenBuffer(int minimum) noexcept;
    // Sets the length to `newLength`, or measures with lstrlenA when it is -1,
    // and writes the terminator there.
    void CloseBuffer(int newLength = -1) noexcept;

    // Loads string-table entry `id` of the resource module, however long it
    // is. True when the loaded text is not empty; a missing id loads as empty.
    bool LoadFromTable(UINT id) noexcept;
    // printf-style formatting into at most 2048 bytes; a longer result is cut
    // there. Arguments must not point into this string. False (and the string
    // empty) only when storage runs out.
    bool FormatText(const char* format, ...) noexcept;
    // FormatText with the format loaded from string-table entry `id`.
    bool FormatFromTable(UINT id, ...) noexcept;

    static constexpr int kFormatLimit = 2048;

private:
    StringHeader* Header() const noexcept { return reinterpret_cast<StringHeader*>(text_) - 1; }
    bool IsStaticEmpty() const noexcept;
    void Release() noexcept;
    bool FormatArguments(const char* format, va_list arguments) noexcept;

    char* text_;
};

// ---- Multibyte character functions on zero-terminated text -----------------

// The first character whose lead byte is `byte`, or null at the terminator.
const char* ScanChar(const char* text, char byte) noexcept;
// The last character whose lead byte is `byte`, or null.
const char* ScanLastChar(const char* text, char byte) noexcept;
// The first occurrence of `sub` starting at a character boundary, or null.
// An empty `sub` is found at `text`.
const char* ScanSubstring(const char* text, const char* sub) noexcept;

// LoadStringA from the resource module into `buffer` of `size` bytes. Returns
// the bytes loaded; on failure the buffer holds the empty text and 0 is returned.
int LoadText(UINT id, char* buffer, int size) noexcept;

// The module whose string table and dialog templates the plug-in uses: the
// plug-in's own DLL, recorded when it is attached to a process.
void SetResourceModule(HINSTANCE module) noexcept;
HINSTANCE ResourceModule() noexcept;

}  // namespace velkin
