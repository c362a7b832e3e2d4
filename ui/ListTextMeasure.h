// Measures texts for a list-view control the way the control itself does
// (LVM_GETSTRINGWIDTHA: its font, in pixels), but with one device context
// taken and the font selected once for many texts, not once per text.
#pragma once

#include <windows.h>

namespace velkin {

// Takes the list's DC and selects the list's font into it for the guard's
// lifetime; both are put back when it ends. Use it on the list's thread and
// do not keep it past one burst of measuring (a DC is a shared resource).
class ListTextMeasure {
public:
    explicit ListTextMeasure(HWND list);
    ~ListTextMeasure();
    ListTextMeasure(const ListTextMeasure&) = delete;
    ListTextMeasure& operator=(const ListTextMeasure&) = delete;

    // The width of `text` up to its first zero; 0 for the empty text or a
    // null list. Without a DC or a font of its own (the control then measures
    // with a default font we cannot name) it asks the control per text.
    int Width(const char* text) const;

private:
    HWND list_;
    HDC dc_ = nullptr;
    HGDIOBJ previousFont_ = nullptr;
};

}  // namespace velkin
