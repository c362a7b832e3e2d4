#include "ui/ListTextMeasure.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

#include "text/CowString.h"

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
