#include "ui/TagPicker.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>
#include <string_view>
#include <unordered_map>

#include "res/ResourceIds.h"
#include "tags/FileFieldReading.h"
#include "tags/TagKind.h"
#include "text/CowString.h"
#include "text/Utf8ToAnsi.h"
#include "ui/KindWords.h"
#include "ui/ListTextMeasure.h"

namespace velkin {

namespace {

constexpr int kColumnCount = 5;
constexpr UINT kCaptionIds[kColumnCount] = {IDS_COLUMN_SYMBOL, IDS_COLUMN_KIND, IDS_COLUMN_FILE, IDS_COLUMN_POSITION,
                                            IDS_COLUMN_TAGS_FILE};
constexpr int kKindColumn = 1;
constexpr int kFileColumn = 2;
constexpr int kAddressColumn = 3;
constexpr int kTagsFileColumn = 4;  // shown only when the rows come from several tags files
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

// Whether the entries come from more than one tags file: each one's File
// cell is then relative to its own, which another column names.
bool FromSeveralTagsFiles(const TagList& list)
{
    const auto differs = [&list](const TagEntry& entry) {
        return std::strcmp(entry.tagsFile.Text(), list.front().tagsFile.Text()) != 0;
    };
    return std::any_of(list.begin(), list.end(), differs);
}

// What the open dialog shows: the list borrowed for the call. The list
// control asks for the text of a cell when it draws it or is asked for it.
struct PickerRows {
    explicit PickerRows(TagList& entries)
        : list(entries), columnCount(FromSeveralTagsFiles(entries) ? kColumnCount : kTagsFileColumn)
    {
    }
    TagList& list;
    const int columnCount;
    KindWords words;

    size_t Count() const { return list.size(); }
    // The text of a cell; empty outside the rows and columns. Asking for a
    // Kind cell writes its entry's kindText.
    CowString CellText(int row, int column)
    {
        if (row < 0 || static_cast<size_t>(row) >= list.size()) return CowString();
        TagEntry& entry = list[static_cast<size_t>(row)];
        switch (column) {
        case 0: return ShownText(entry.name);
        case kKindColumn:
            entry.kindText = DescribeTagKind(entry.kind, entry.extensionFields);
            return words.Cell(entry);
        case kFileColumn: return ShownFileField(entry.file, entry.fileEncoding);
        case kAddressColumn: return ShownPosition(entry.address);
        case kTagsFileColumn: return column < columnCount ? entry.tagsFile : CowString();
        default: return CowString();
        }
    }
};

std::string_view ViewOf(const CowString& text) { return {text.Text(), static_cast<std::size_t>(text.Length())}; }

struct KindCellPartsHash {
    size_t operator()(const KindCellParts& parts) const { return parts.Hash(); }
};

// The widest text of each column, measuring only the texts that could be
// wider than the widest so far: a text of n bytes is at most n times the
// font's widest character wide. A Kind cell is measured from the table of
// its words' widths and its names' widths (each character's width measured
// once), and its text made and measured whole only when that could be wider
// than the widest so far: once for each distinct cell; the parts borrow from
// the entries, which outlive this.
class ColumnWidths {
public:
    ColumnWidths(const PickerRows& rows, ListTextMeasure& measure)
        : rows_(rows), measure_(measure), widestChar_(measure.WidestCharBound())
    {
        maxima_.fill(0);
        std::fill_n(maxima_.begin(), rows.columnCount, kInitialColumnWidth);
        pieceWidths_.fill(-1);
    }

    // Widens the maxima by the texts of `entry`; the longest rows first rule
    // out the most.
    void Add(const TagEntry& entry)
    {
        // As for the position: the shown name is never longer than the name.
        if (MayWiden(0, entry.name.Length())) Widen(0, measure_.ShownWidth(ViewOf(entry.name)));
        const KindCellParts parts = KindCellParts::Of(entry, &files_);
        if (KindMayWiden(parts)) Widen(kKindColumn, KindWidth(parts));
        // The shown file is never longer than the field, as for the name.
        if (MayWiden(kFileColumn, entry.file.Length())) Widen(kFileColumn, FileWidth(entry));
        // The shown position is never longer than the address: a UTF-8 text is longer than its ANSI form.
        if (MayWiden(kAddressColumn, entry.address.Length()))
            Widen(kAddressColumn, measure_.Width(ShownPosition(entry.address).Text()));
        if (rows_.columnCount > kTagsFileColumn && MayWiden(kTagsFileColumn, entry.tagsFile.Length()))
            Widen(kTagsFileColumn, measure_.Width(entry.tagsFile.Text()));
    }

    const ColumnMaxima& Maxima() const { return maxima_; }

private:
    // The File cell's width: a UTF-8 field in its ANSI form unless the tags
    // file says its fields are ANSI (ShownFileField).
    int FileWidth(const TagEntry& entry)
    {
        if (entry.fileEncoding == FieldEncoding::ansi) return measure_.Width(entry.file.Text());
        return measure_.ShownWidth(ViewOf(entry.file));
    }

    bool MayWiden(int column, int length) const
    {
        return widestChar_ <= 0 || static_cast<long long>(length) * widestChar_ > maxima_[column];
    }
    void Widen(int column, int width) { maxima_[column] = std::max(maxima_[column], width); }

    // Whether the Kind text of `parts` could be wider than the widest so far,
    // when texts are measured as the sums of their characters: it is no wider
    // than its words and its names as shown, measured apart (exactly as wide,
    // unless it says a word once that its parts say twice), and a name as
    // shown no wider than its bytes (at most kNameLimit) as the font's widest
    // characters, which rules out most cells before their names are measured.
    bool KindMayWiden(const KindCellParts& parts)
    {
        if (!measure_.SumsCharacters()) return true;
        const KindCellLayout layout = rows_.words.Layout(parts);
        long long words = 0;
        for (int i = 0; i < layout.pieceCount; ++i) {
            int& width = pieceWidths_[layout.pieces[i]];
            if (width < 0) width = measure_.Width(rows_.words.Piece(layout.pieces[i]).Text());
            words += width;
        }
        const std::string_view* const names = layout.names;
        const std::string_view* const namesEnd = names + layout.nameCount;
        if (widestChar_ > 0) {
            const long long nameBytes = std::accumulate(names, namesEnd, 0LL, [](long long sum, std::string_view name) {
                return sum + static_cast<long long>(std::min<std::size_t>(name.size(), KindWords::kNameLimit));
            });
            if (words + nameBytes * widestChar_ <= maxima_[kKindColumn]) return false;
        }
        long long width = words;
        for (const std::string_view* name = names; name != namesEnd; ++name) {
            width += KindWords::ShownAsText(*name) ? measure_.ShownWidth(*name)
                                                   : measure_.Width(KindWords::ShownName(*name).Text());
        }
        return width > maxima_[kKindColumn];
    }

    int KindWidth(const KindCellParts& parts)
    {
        const auto known = kindWidths_.find(parts);
        if (known != kindWidths_.end()) return known->second;
        const int width = measure_.Width(rows_.words.Cell(parts).Text());
        kindWidths_.emplace(parts, width);
        return width;
    }

    const PickerRows& rows_;
    ListTextMeasure& measure_;
    const int widestChar_;
    ColumnMaxima maxima_;
    FileLanguages files_;
    std::array<int, KindWords::kPieceCount> pieceWidths_;
    std::unordered_map<KindCellParts, int, KindCellPartsHash> kindWidths_;
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

// Measures every cell's text, then gives the owner-data list its row count.
// The widest text of each column shown, at least 50; 0 for a column not shown.
ColumnMaxima FillTagList(HWND listControl, PickerRows& rows)
{
    ColumnMaxima maxima;
    {
        ListTextMeasure measure(listControl);
        ColumnWidths widths(rows, measure);
        // The row of the longest name, file and position first: their
        // widths rule out most rows unmeasured.
        for (const auto length : {&TagEntry::name, &TagEntry::file, &TagEntry::address}) {
            const auto longest = std::max_element(rows.list.begin(), rows.list.end(), [&](const TagEntry& a, const TagEntry& b) {
                return (a.*length).Length() < (b.*length).Length();
            });
            if (longest != rows.list.end()) widths.Add(*longest);
        }
        for (const TagEntry& entry : rows.list) widths.Add(entry);
        maxima = widths.Maxima();
    }
    SendMessageA(listControl, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows.Count()), 0);
    return maxima;
}

// The first selected row, or -1 when none is selected or the list is empty.
INT_PTR GetSelectedRow(HWND listControl)
{
    return static_cast<int>(SendMessageA(listControl, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
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

INT_PTR OnInitDialog(HWND dialog, PickerRows& rows)
{
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&rows));
    for (int column = 0; column < kColumnCount; ++column) g_columnCaptions[column].LoadFromTable(kCaptionIds[column]);
    const HWND owner = GetWindow(dialog, GW_OWNER);
    const HWND listControl = GetDlgItem(dialog, IDC_TAG_LIST);

    const LRESULT style = SendMessageA(listControl, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageA(listControl, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style | kListExtendedStyle);
    for (int column = 0; column < rows.columnCount; ++column)
        InsertTagColumn(listControl, g_columnCaptions[column], column);

    const ColumnMaxima maxima = FillTagList(listControl, rows);
    for (int column = 0; column < rows.columnCount; ++column)
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

PickerRows* RowsOf(HWND dialog)
{
    return reinterpret_cast<PickerRows*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// The list asks for the text of a cell it draws or is asked for (by
// LVM_GETITEMTEXTA, from this program or another).
INT_PTR OnGetDispInfo(HWND dialog, NMLVDISPINFOA& info)
{
    LVITEMA& item = info.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return FALSE;
    PickerRows* rows = RowsOf(dialog);
    lstrcpynA(item.pszText, rows ? rows->CellText(item.iItem, item.iSubItem).Text() : "", item.cchTextMax);
    return TRUE;
}

// Type-ahead: the first row from `start` on (then from the top with
// LVFI_WRAP) whose name as shown begins with the letters typed, in any case, as an
// ordinary list finds it among its rows' texts; -1 for none.
LRESULT FindRow(const PickerRows& rows, int start, UINT flags, const char* typed)
{
    const int count = static_cast<int>(rows.Count());
    if (!(flags & (LVFI_STRING | LVFI_PARTIAL)) || count == 0) return -1;
    const bool partial = (flags & LVFI_PARTIAL) != 0;
    const int length = lstrlenA(typed);
    if (start < 0 || start >= count) start = 0;
    const int end = (flags & LVFI_WRAP) ? start + count : count;
    for (int i = start; i < end; ++i) {
        const int row = i % count;
        const CowString shown = ShownText(rows.list[static_cast<size_t>(row)].name);
        const char* name = shown.Text();
        const int compared = partial ? std::min(length, lstrlenA(name)) : -1;
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name, compared, typed, partial ? length : -1) == CSTR_EQUAL)
            return row;
    }
    return -1;
}

// The list asks its owner for the row to go to when letters are typed; the
// answer is the notification's result.
INT_PTR AnswerFindItem(HWND dialog, int start, UINT flags, const char* typed)
{
    const PickerRows* rows = RowsOf(dialog);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, rows && typed ? FindRow(*rows, start, flags, typed) : -1);
    return TRUE;
}

// Wine's list asks in UTF-16 even of an ANSI dialog: the letters are
// compared in their ANSI form.
INT_PTR AnswerFindItem(HWND dialog, const NMLVFINDITEMW& find)
{
    char typed[MAX_PATH * 2];
    const bool converted = find.lvfi.psz &&
                           WideCharToMultiByte(CP_ACP, 0, find.lvfi.psz, -1, typed, sizeof typed, nullptr, nullptr) > 0;
    return AnswerFindItem(dialog, find.iStart, find.lvfi.flags, converted ? typed : nullptr);
}

INT_PTR OnNotify(HWND dialog, NMHDR& header)
{
    if (header.idFrom != IDC_TAG_LIST) return FALSE;
    switch (header.code) {
    case LVN_GETDISPINFOA:
        return OnGetDispInfo(dialog, reinterpret_cast<NMLVDISPINFOA&>(header));
    case LVN_ODFINDITEMA: {
        const auto& find = reinterpret_cast<const NMLVFINDITEMA&>(header);
        return AnswerFindItem(dialog, find.iStart, find.lvfi.flags, find.lvfi.psz);
    }
    case LVN_ODFINDITEMW:
        return AnswerFindItem(dialog, reinterpret_cast<const NMLVFINDITEMW&>(header));
    default:
        return FALSE;
    }
}

INT_PTR HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, *reinterpret_cast<PickerRows*>(lParam));
    case WM_SIZE:
        return OnSize(dialog, lParam);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_CLOSE:
        return OnClose(dialog);
    case WM_NOTIFY:
        return OnNotify(dialog, *reinterpret_cast<NMHDR*>(lParam));
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
    PickerRows rows(list);
    const INT_PTR result = DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(IDD_TAG_PICKER), hostWindow,
                                           TagPickerProc, reinterpret_cast<LPARAM>(&rows));
    if (result < 0 || static_cast<size_t>(result) >= list.size()) return nullptr;
    return &list[static_cast<size_t>(result)];
}

CowString ShownPosition(const CowString& address)
{
    CowString readable = ReadableText(address);
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
