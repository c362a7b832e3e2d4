#include "ui/ListTextMeasure.h"

#include <commctrl.h>

#include <cstring>

namespace velkin {

ListTextMeasure::ListTextMeasure(HWND list) : list_(list)
{
    // GetDC(null) would be the screen's DC: a missing list is measured by message (as 0).
    if (!list_) return;
    const auto font = reinterpret_cast<HFONT>(SendMessageA(list_, WM_GETFONT, 0, 0));
    if (!font) return;
    dc_ = GetDC(list_);
    if (!dc_) return;
    previousFont_ = SelectObject(dc_, font);
    if (previousFont_ && previousFont_ != HGDI_ERROR) return;
    ReleaseDC(list_, dc_);
    dc_ = nullptr;
    previousFont_ = nullptr;
}

ListTextMeasure::~ListTextMeasure()
{
    if (!dc_) return;
    SelectObject(dc_, previousFont_);
    ReleaseDC(list_, dc_);
}

int ListTextMeasure::Width(const char* text) const
{
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0) return 0;
    SIZE size;
    if (dc_ && GetTextExtentPoint32A(dc_, text, length, &size)) return size.cx;
    return static_cast<int>(SendMessageA(list_, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
}

}  // namespace velkin
