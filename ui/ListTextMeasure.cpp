#include "ui/ListTextMeasure.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

#include "text/CowString.h"
#include "text/Utf8ToAnsi.h"

namespace velkin {

ListTextMeasure::ListTextMeasure(HWND list) : list_(list)
{
    std::fill(std::begin(singleByteWidths_), std::end(singleByteWidths_), kUnknown);
    std::fill(std::begin(knownSingleWidths_), std::end(knownSingleWidths_), kUnknown);
    // GetDC(null) would be the screen's DC: a missing list is measured by message (as 0).
    if (!list_) return;
    const auto font = reinterpret_cast<HFONT>(SendMessageA(list_, WM_GETFONT, 0, 0));
    if (!font) return;
    dc_ = GetDC(list_);
    if (!dc_) return;
    previousFont_ = SelectObject(dc_, font);
    if (!previousFont_ || previousFont_ == HGDI_ERROR) {
        ReleaseDC(list_, dc_);
        dc_ = nullptr;
        previousFont_ = nullptr;
        return;
    }
    for (int byte = 0; byte < 256; ++byte) leadByte_[byte] = IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
    convertsUtf8_ = GetACP() != CP_UTF8;
    summing_ = SumsAgree();
    // The font's own figure, and no less than any character seen so far; 0
    // (nothing ruled out) without it.
    TEXTMETRICA metrics;
    if (!summing_ || !GetTextMetricsA(dc_, &metrics)) return;
    widestChar_ = metrics.tmMaxCharWidth;
    for (const int width : singleByteWidths_) widestChar_ = std::max(widestChar_, width);
}

ListTextMeasure::~ListTextMeasure()
{
    if (!dc_) return;
    SelectObject(dc_, previousFont_);
    ReleaseDC(list_, dc_);
}

int ListTextMeasure::Width(std::string_view text)
{
    if (summing_) return SummedWidth(text.data(), text.data() + text.size());
    return WholeWidth(text.data(), static_cast<int>(text.size()));
}

int ListTextMeasure::ShownWidth(std::string_view text)
{
    if (summing_ && convertsUtf8_) {
        const int width = SummedUtf8Width(text.data(), text.data() + text.size());
        if (width != kUnknown) return width;
    }
    return Width(ShownText(CowString(text.data(), static_cast<int>(text.size()))).Text());
}

int ListTextMeasure::WholeWidth(const char* text, int length) const
{
    if (length == 0) return 0;
    SIZE size;
    if (dc_ && GetTextExtentPoint32A(dc_, text, length, &size)) return size.cx;
    // The control's message reads up to a zero.
    const CowString whole(text, length);
    return static_cast<int>(SendMessageA(list_, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(whole.Text())));
}

int ListTextMeasure::SummedWidth(const char* begin, const char* end)
{
    int width = 0;
    for (const char* p = begin; p != end;) {
        // Most texts are runs of single-byte characters already measured.
        const int known = knownSingleWidths_[static_cast<unsigned char>(*p)];
        if (known != kUnknown) {
            width += known;
            ++p;
            continue;
        }
        // A lead byte before the end starts a two-byte character, as the
        // code page's conversion reads it.
        const int length = leadByte_[static_cast<unsigned char>(*p)] && end - p > 1 ? 2 : 1;
        width += CharWidth(p, length);
        p += length;
    }
    return width;
}

int ListTextMeasure::CharWidth(const char* text, int length)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    int* width = &singleByteWidths_[lead];
    if (length == 2) {
        if (!doubleByteWidths_) {
            // Runs inside the dialog procedure, where nothing may throw:
            // without memory for the table each character is measured anew.
            doubleByteWidths_.reset(new (std::nothrow) int[kDoubleByteCount]);
            if (!doubleByteWidths_) return WholeWidth(text, length);
            std::fill(doubleByteWidths_.get(), doubleByteWidths_.get() + kDoubleByteCount, kUnknown);
        }
        width = &doubleByteWidths_[lead << 8 | static_cast<unsigned char>(text[1])];
    }
    if (*width == kUnknown) {
        *width = WholeWidth(text, length);
        if (length == 1 && !leadByte_[lead]) knownSingleWidths_[lead] = *width;
    }
    return *width;
}

namespace {

bool IsContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The bytes of the UTF-8 sequence that `lead` begins; 0 for a byte that
// begins none.
int SequenceLength(unsigned char lead)
{
    if (lead >= 0xC0 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

}  // namespace

int ListTextMeasure::SummedUtf8Width(const char* begin, const char* end)
{
    int width = 0;
    for (const char* p = begin; p != end;) {
        const auto lead = static_cast<unsigned char>(*p);
        if (lead == 0) return kUnknown;   // the list shows a text up to its first zero
        if (lead < 0x80) {
            // ASCII is its own ANSI form.
            const int known = knownSingleWidths_[lead];
            width += known != kUnknown ? known : CharWidth(p, 1);
            ++p;
            continue;
        }
        // The bytes a lead byte promises, all of them continuation bytes:
        // otherwise the text is no UTF-8 at all and shows as it stands.
        const int length = SequenceLength(lead);
        if (length == 0 || end - p < length || !std::all_of(p + 1, p + length, IsContinuation))
            return SummedWidth(begin, end);
        // An overlong form or a surrogate (the system's decoder refuses them)
        // and a character outside the basic plane (ShownText makes it one
        // "?"): left to ShownText.
        if (length == 4 || lead < 0xC2) return kUnknown;
        const unsigned character = length == 2 ? (lead & 0x1Fu) << 6 | (p[1] & 0x3Fu)
                                               : (lead & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
        if (character < 0x800 && length == 3) return kUnknown;
        if (character >= 0xD800 && character <= 0xDFFF) return kUnknown;
        const int characterWidth = WideCharWidth(static_cast<wchar_t>(character));
        if (characterWidth == kUnknown) return kUnknown;
        width += characterWidth;
        p += length;
    }
    return width;
}

int ListTextMeasure::WideCharWidth(wchar_t character)
{
    if (!wideCharWidths_) {
        wideCharWidths_.reset(new (std::nothrow) int[kWideCharCount]);
        if (!wideCharWidths_) return kUnknown;
        std::fill(wideCharWidths_.get(), wideCharWidths_.get() + kWideCharCount, kUnknown);
    }
    int& width = wideCharWidths_[static_cast<unsigned short>(character)];
    if (width != kUnknown) return width;
    // As ShownText converts a whole text: a look-alike or the default
    // character for one the code page lacks. The conversion is a table from
    // character to bytes, so a character's form does not depend on its
    // neighbours.
    char ansi[2];
    const int length = WideCharToMultiByte(CP_ACP, 0, &character, 1, ansi, sizeof ansi, nullptr, nullptr);
    if (length != 1 && length != 2) return kUnknown;
    width = CharWidth(ansi, length);
    return width;
}

// Whether the font's extents add up, on texts of narrow, wide and double-byte
// characters ("TAGSジャンプ" in the Japanese code page) and of the pairs a
// font that kerns would draw closer.
bool ListTextMeasure::SumsAgree()
{
    static const char* const kSamples[] = {"Wi", "m_iW", "/^\tvoid x();$/", "TAGS\x83W\x83\x83\x83\x93\x83v",
                                           "AVATAR To Ty Yo Wa LT P. r, f'"};
    for (const char* sample : kSamples) {
        const int length = static_cast<int>(std::strlen(sample));
        if (SummedWidth(sample, sample + length) != WholeWidth(sample, length)) return false;
    }
    return true;
}

}  // namespace velkin
