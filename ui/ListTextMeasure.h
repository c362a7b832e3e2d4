// Measures texts for a list-view control the way the control itself does
// (LVM_GETSTRINGWIDTHA: its font, in pixels), fast enough for lists of a
// hundred thousand rows.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

namespace velkin {

// Takes the list's DC and selects the list's font into it for the guard's
// lifetime; both are put back when it ends. Use it on the list's thread for
// one burst of measuring (a DC is a shared resource).
//
// Measuring a whole text costs microseconds; GDI's extent of a text is the
// sum of its characters' advances (it does not kern), so each character is
// measured once, alone, and a text's width is the sum over its characters.
// The guard checks that sums agree with whole measures for sample texts
// (pairs a kerning font would draw closer among them) and otherwise (a font
// with overhang or extra spacing) measures every text whole.
class ListTextMeasure {
public:
    explicit ListTextMeasure(HWND list);
    ~ListTextMeasure();
    ListTextMeasure(const ListTextMeasure&) = delete;
    ListTextMeasure& operator=(const ListTextMeasure&) = delete;

    // The width of `text` up to its first zero; 0 for the empty text or a
    // null list. Without a DC or a font of its own (the control then measures
    // with a default font we cannot name) it asks the control per text.
    int Width(const char* text) { return Width(std::string_view(text)); }
    // The same for the bytes of `text`, which need no zero after them.
    int Width(std::string_view text);

    // Width(ShownText(text)): a UTF-8 text measured in the ANSI form the list
    // shows. Summed per character where it can be: the ANSI form of each
    // UTF-8 character is found once and kept; text that ShownText alone can
    // say how to show (a character outside the basic plane, bytes that may not
    // be UTF-8) is converted whole.
    int ShownWidth(std::string_view text);

    // Whether a text's width is the sum of its characters' widths, as
    // measured: then so is the width of texts put together.
    bool SumsCharacters() const { return summing_; }

    // A width no character of the font exceeds (a double-byte character: no
    // more than twice it), so that a text of n bytes is at most n times it
    // wide; 0 when texts are not measured as sums of their characters (a
    // whole text may then be wider), and nothing can be ruled out unmeasured.
    int WidestCharBound() const { return summing_ ? widestChar_ : 0; }

private:
    static constexpr int kUnknown = -1;
    static constexpr int kDoubleByteCount = 65536;
    static constexpr int kWideCharCount = 65536;

    int WholeWidth(const char* text, int length) const;
    int SummedWidth(const char* begin, const char* end);
    // The width of the character of `length` bytes (1 or 2) at `text`.
    int CharWidth(const char* text, int length);
    // ShownWidth of [begin, end) as the sum of its characters' widths: UTF-8
    // in its ANSI form, bytes that are plainly no UTF-8 as they stand.
    // kUnknown when ShownText has to decide: a zero byte, an overlong form, a
    // surrogate, a character outside the basic plane, one with no ANSI form
    // of one or two bytes.
    int SummedUtf8Width(const char* begin, const char* end);
    // The width of the ANSI form of the UTF-16 character `character`.
    int WideCharWidth(wchar_t character);
    bool SumsAgree();

    HWND list_;
    HDC dc_ = nullptr;
    HGDIOBJ previousFont_ = nullptr;
    bool summing_ = false;
    int widestChar_ = 0;
    bool leadByte_[256] = {};
    int singleByteWidths_[256];
    // The widths of single-byte characters measured so far, kUnknown for the
    // rest and for lead bytes: the summing loop's fast path.
    int knownSingleWidths_[256];
    // lead << 8 | trail; made at the first double-byte character, absent
    // when there was no memory for it.
    std::unique_ptr<int[]> doubleByteWidths_;
    // By UTF-16 character, the width of its ANSI form; made at the first
    // UTF-8 text, absent when there was no memory for it.
    std::unique_ptr<int[]> wideCharWidths_;
    // ShownText converts UTF-8 (the ANSI code page is not UTF-8 itself).
    bool convertsUtf8_ = false;
};

}  // namespace velkin
