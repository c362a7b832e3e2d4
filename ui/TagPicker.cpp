#include "ui/TagPicker.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

#include "res/ResourceIds.h"
#include "tags/TagKind.h"
#include "text/CowString.h"
#include "text/Utf8ToAnsi.h"
#include "ui/KindWords.h"
#include "ui/ListTextMeasure.h"

namespace velkin {

namespace {

constexpr int kColumnCount = 4;
constexpr UINT kCaptionIds[kColumnCount] = {IDS_COLUMN_SYMBOL, IDS_COLUMN_KIND, IDS_COLUMN_FILE, IDS_COLUMN_POSITION};
constexpr int kKindColumn = 1;
constexpr int kFileColumn = 2;
constexpr int kAddressColumn = 3;
constexpr int kInitialColumnWidth = 50;   // also the least width a column's texts count for
constexpr int kColumnMargin = 16;         // beside the widest text of a column
constexpr int kScrollRangeMargin = 8;     // beside the list's horizontal scroll range
constexpr int kMaximaMargin = 100;        // beside the widest texts when there is no scroll range
constexpr DWORD kListExtendedStyle = LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT;   // 0x31
constexpr INT_PTR kNoPick = -1;

using ColumnMaxima = std::array<int, kColumnCount>;

// Created empty when the library loads, reloaded at every dialog start.
CowString g_columnCaptions[kColumnCount];
// The list control's own procedure, kept when the list is subclassed; one
// picker is open at a time.
WNDPROC g_previousListProc = nullptr;

// What filling the rows needs besides the entries, for one dialog start.
struct TagListFill {
    explicit TagListFill(HWND listControl) : list(listControl), measure(listControl) {}
    HWND list;
    ListTextMeasure measure;
    KindWords words;
};

void InsertTagColumn(HWND listControl, const CowString& caption, int index)
{
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.fmt = LVCFMT_LEFT;
    column.cx = kInitialColumnWidth;
    column.pszText = const_cast<char*>(caption.Text());
    SendMessageA(listControl, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void Widen(ColumnMaxima& maxima, int column, TagListFill& fill, const char* text)
{
    maxima[column] = std::max(maxima[column], fill.measure.Width(text));
}

// Sets one cell of a row the control took (index >= 0).
void SetTagCell(const TagListFill& fill, int index, int column, const char* text)
{
    if (index < 0) return;
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(fill.list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

// Inserts the row of `entry` at `row`, sets its kindText and widens the maxima
// by its texts. A row the control refuses stays absent; its texts still count.
void AddTagRow(TagEntry& entry, ColumnMaxima& maxima, TagListFill& fill, int row)
{
    Widen(maxima, 0, fill, entry.name.Text());
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(entry.name.Text());
    const int index = static_cast<int>(SendMessageA(fill.list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));

    entry.kindText = DescribeTagKind(entry.kind, entry.extensionFields);
    const CowString shownKind = fill.words.ShownText(entry.kind, entry.extensionFields, entry.kindText);
    Widen(maxima, kKindColumn, fill, shownKind.Text());
    SetTagCell(fill, index, kKindColumn, shownKind.Text());
    Widen(maxima, kFileColumn, fill, entry.file.Text());
    SetTagCell(fill, index, kFileColumn, entry.file.Text());
    const CowString shownAddress = ShownPosition(entry.address);
    Widen(maxima, kAddressColumn, fill, shownAddress.Text());
    SetTagCell(fill, index, kAddressColumn, shownAddress.Text());
}

// One row per entry, in list order; the widest text of each column, at least 50.
ColumnMaxima FillTagList(HWND listControl, TagList& list)
{
    ColumnMaxima maxima;
    maxima.fill(kInitialColumnWidth);
    // Repainting and scroll-bar updates wait until every row is in: one update
    // instead of one per row. The item count reserves room for the rows.
    SendMessageA(listControl, WM_SETREDRAW, FALSE, 0);
    SendMessageA(listControl, LVM_SETITEMCOUNT, static_cast<WPARAM>(list.size()), 0);
    {
        TagListFill fill(listControl);
        int row = 0;
        for (TagEntry& entry : list) AddTagRow(entry, maxima, fill, row++);
    }
    SendMessageA(listControl, WM_SETREDRAW, TRUE, 0);
    return maxima;
}

// The first selected row, or -1 when none is selected or the list is empty.
INT_PTR GetSelectedRow(HWND listControl)
{
    const auto count = static_cast<INT_PTR>(SendMessageA(listControl, LVM_GETITEMCOUNT, 0, 0));
    for (INT_PTR row = 0; row < count; ++row) {
        if (SendMessageA(listControl, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED)
            return row;
    }
    return kNoPick;
}

// The width the columns need: the list's horizontal scroll range, or the
// widest texts when the list has none.
int ContentWidth(HWND listControl, const ColumnMaxima& maxima)
{
    SCROLLINFO range{};
    range.cbSize = sizeof range;
    range.fMask = SIF_RANGE;
    if (GetScrollInfo(listControl, SB_HORZ, &range)) return range.nMax - range.nMin + kScrollRangeMargin;
    return std::accumulate(maxima.begin(), maxima.end(), 0) + kMaximaMargin;
}

// Sizes the dialog's client area to `content` wide, keeping its height, and
// centres it on the owner (on itself when the owner's place is unknown). A
// dialog wider than the work area of that monitor is cut to it (the list
// scrolls), and the dialog is kept inside the work area so its title bar and
// close box stay reachable.
void PlaceTagPicker(HWND dialog, HWND owner, int content)
{
    RECT window;
    RECT client;
    if (!GetWindowRect(dialog, &window) || !GetClientRect(dialog, &client)) return;
    int width = (window.right - window.left) - (client.right - client.left) + content;
    const int height = window.bottom - window.top;

    RECT ownerRect;
    const bool onOwner = owner && GetWindowRect(owner, &ownerRect);
    const RECT& around = onOwner ? ownerRect : window;
    const int centreX = (around.left + around.right) / 2;
    const int centreY = (around.top + around.bottom) / 2;

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    const bool inWorkArea =
        GetMonitorInfoA(MonitorFromWindow(onOwner ? owner : dialog, MONITOR_DEFAULTTONEAREST), &monitor) != FALSE;
    const RECT& work = monitor.rcWork;
    if (inWorkArea) width = std::min(width, static_cast<int>(work.right - work.left));
    int x = centreX - width / 2;
    int y = centreY - height / 2;
    if (inWorkArea) {
        // Right and bottom first, so that left and top win on a dialog taller than the area.
        x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
        y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
    }
    MoveWindow(dialog, x, y, width, height, TRUE);
}

// Posts command 1001 to the dialog on a double-click; the click itself still
// reaches the list first, so the row under it is selected when the dialog acts.
LRESULT CALLBACK TagListProc(HWND listControl, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDBLCLK) {
        if (const HWND parent = GetParent(listControl)) PostMessageA(parent, WM_COMMAND, IDC_TAG_LIST, 0);
    }
    return CallWindowProcA(g_previousListProc, listControl, message, wParam, lParam);
}

INT_PTR OnInitDialog(HWND dialog, TagList& list)
{
    for (int column = 0; column < kColumnCount; ++column) g_columnCaptions[column].LoadFromTable(kCaptionIds[column]);
    const HWND owner = GetWindow(dialog, GW_OWNER);
    const HWND listControl = GetDlgItem(dialog, IDC_TAG_LIST);

    const LRESULT style = SendMessageA(listControl, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(listControl, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style | kListExtendedStyle);
    for (int column = 0; column < kColumnCount; ++column) InsertTagColumn(listControl, g_columnCaptions[column], column);

    const ColumnMaxima maxima = FillTagList(listControl, list);
    for (int column = 0; column < kColumnCount; ++column)
        SendMessageA(listControl, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), maxima[column] + kColumnMargin);
    PlaceTagPicker(dialog, owner, ContentWidth(listControl, maxima));

    g_previousListProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(listControl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TagListProc)));
    return FALSE;   // no row selected and the focus left to the dialog manager
}

// The list fills the client area, once the dialog's rectangles can be read
// (not before the dialog exists).
INT_PTR OnSize(HWND dialog, LPARAM size)
{
    RECT window;
    RECT client;
    if (GetWindowRect(dialog, &window) && GetClientRect(dialog, &client))
        MoveWindow(GetDlgItem(dialog, IDC_TAG_LIST), 0, 0, LOWORD(size), HIWORD(size), TRUE);
    return FALSE;
}

INT_PTR OnCommand(HWND dialog, WORD id)
{
    const HWND listControl = GetDlgItem(dialog, IDC_TAG_LIST);
    switch (id) {
    case IDOK:   // Enter: the selected row, or none
        EndDialog(dialog, listControl ? GetSelectedRow(listControl) : kNoPick);
        return TRUE;
    case IDCANCEL:   // Escape
        EndDialog(dialog, kNoPick);
        return TRUE;
    case IDC_TAG_LIST: {   // a double-click: only on a selected row
        const INT_PTR row = listControl ? GetSelectedRow(listControl) : kNoPick;
        if (row < 0) return FALSE;
        EndDialog(dialog, row);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

// The close box and Alt+F4.
INT_PTR OnClose(HWND dialog)
{
    EndDialog(dialog, kNoPick);
    return TRUE;
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, *reinterpret_cast<TagList*>(lParam));
    case WM_SIZE:
        return OnSize(dialog, lParam);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
        return OnClose(dialog);
    default:
        return FALSE;
    }
}

// No exception may unwind through the dialog manager's frames: one that
// reaches here closes the dialog with no pick.
INT_PTR CALLBACK TagPickerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return HandleMessage(dialog, message, wParam, lParam);
    } catch (...) {
        EndDialog(dialog, kNoPick);
        return TRUE;
    }
}

}  // namespace

TagEntry* PickTag(HWND hostWindow, TagList& list)
{
    const INT_PTR result = DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(IDD_TAG_PICKER), hostWindow,
                                           TagPickerProc, reinterpret_cast<LPARAM>(&list));
    if (result < 0 || static_cast<size_t>(result) >= list.size()) return nullptr;
    return &list[static_cast<size_t>(result)];
}

CowString ShownPosition(const CowString& address)
{
    const CowString readable = ReadableText(address);
    const int length = readable.Length();
    const char* const text = readable.Text();
    if (std::memchr(text, '\t', static_cast<std::size_t>(length)) == nullptr) return readable;
    // A tab is no trail byte of a double-byte character: bytes can be replaced one by one.
    CowString shown;
    char* const out = shown.OpenBuffer(length);
    if (!out) return CowString();
    for (int i = 0; i < length; ++i) out[i] = text[i] == '\t' ? ' ' : text[i];
    shown.CloseBuffer(length);
    return shown;
}

}  // namespace velkin
