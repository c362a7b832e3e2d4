// The tag picker as a user meets it: the real dialog from template 103 (the
// test program's own resources), driven from a background thread with posted
// keys and clicks, and read back from its windows.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/Sjis.h"
#include "common/TestText.h"
#include "host/ModalDriver.h"
#include "host/SimHost.h"
#include "res/ResourceIds.h"
#include "tags/TagKind.h"
#include "ui/TagPicker.h"

namespace {

using namespace velkin;
using namespace velkin::sim;

constexpr int kColumns = 4;

// Realistic tags and the Kind column each shows (UTF-8).
struct Sample {
    const char* name;
    const char* file;
    const char* address;
    char kind;
    const char* fields;
    const char* shownKind;
};
const Sample kSamples[] = {
    {"Widget", "src\\widget.h", "12", 'c', "", "クラス"},
    {"draw", "src\\widget.cpp", "/^void Widget::draw(Canvas& canvas) const$/", 'f', "class:Widget", "クラス Widget メンバ 関数"},
    {"trim", "src\\util\\strings.c", "40", 'f', "file:", "ファイル内限定 関数"},
    {"Point", "include\\geometry\\point.h", "/^struct Point {$/", 's', "", "構造体"},
    {"x", "include\\geometry\\point.h", "7", 'm', "struct:Point", "構造体 Point メンバメンバ"},
    {"Button", "src\\ui\\controls\\push_button_with_a_long_name.h", "3", 'c', "inherits:Widget", "Widget を継承したクラス"},
    {"count", "src\\main.c", "22", 'v', "access:private", "スコープ private の変数"},
    {"RED", "src\\colour.h", "5", 'e', "", "e"},
};

TagEntry Tag(const Sample& sample)
{
    TagEntry entry;
    entry.name = sample.name;
    entry.file = sample.file;
    entry.address = sample.address;
    entry.kind = sample.kind;
    entry.extensionFields = sample.fields;
    return entry;
}

TagList Samples()
{
    TagList list;
    for (const Sample& sample : kSamples) list.push_back(Tag(sample));
    return list;
}

// The cells a sample's row shows, in the ANSI code page.
std::vector<std::string> ShownCells(const Sample& sample)
{
    return {sample.name, Sjis(sample.shownKind), sample.file, sample.address};
}

std::string ItemText(HWND list, int row, int column)
{
    char text[1024] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    const auto length = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return std::string(text, static_cast<size_t>(length));
}

std::string Caption(HWND list, int column)
{
    char text[256] = "";
    LVCOLUMNA header{};
    header.mask = LVCF_TEXT;
    header.pszText = text;
    header.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&header));
    return text;
}

RECT WindowRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// The open picker, as the driver thread sees and works it. Each action waits
// until the dialog has handled it.
struct OpenPicker {
    HWND dialog;
    HWND list;
    const ModalOwner& owner;

    void Settle() const { owner.Settle(dialog); }
    void Key(UINT key) const
    {
        PressKey(FocusOf(dialog), key);
        Settle();
    }
    void ClickAt(POINT point) const
    {
        Click(list, point);
        Settle();
    }
    void DoubleClickAt(POINT point) const
    {
        DoubleClick(list, point);
        Settle();
    }
    // The close box sends the system command Alt+F4 also ends in.
    void CloseBox() const
    {
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        Settle();
    }
    // Drags column header `from` onto the right part of header `onto`.
    void DragHeader(int from, int onto) const
    {
        const HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        RECT source{};
        RECT target{};
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&source));
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(onto), reinterpret_cast<LPARAM>(&target));
        const int y = (source.top + source.bottom) / 2;
        Drag(header, POINT{(source.left + source.right) / 2, y}, POINT{target.right - 4, y});
        Settle();
    }
    // A point inside row `row`, near its left end.
    POINT Row(int row) const
    {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
        return POINT{bounds.left + 8, (bounds.top + bounds.bottom) / 2};
    }
    // A point below every row.
    POINT Blank() const
    {
        RECT client{};
        GetClientRect(list, &client);
        return POINT{8, client.bottom - 6};
    }
    std::vector<int> ColumnOrder() const
    {
        std::vector<int> order(kColumns);
        SendMessageA(list, LVM_GETCOLUMNORDERARRAY, kColumns, reinterpret_cast<LPARAM>(order.data()));
        return order;
    }
    std::vector<int> ColumnWidths() const
    {
        std::vector<int> widths;
        for (int column = 0; column < kColumns; ++column)
            widths.push_back(static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0)));
        return widths;
    }
    // What each column should be for rows `cells`: its widest text as the
    // list measures it, at least 50, plus 16.
    std::vector<int> FittedWidths(const std::vector<std::vector<std::string>>& cells) const
    {
        std::vector<int> widths(kColumns, 50);
        for (const auto& row : cells) {
            for (int column = 0; column < kColumns; ++column) {
                const auto width = SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(row[column].c_str()));
                widths[column] = std::max(widths[column], static_cast<int>(width));
            }
        }
        for (int& width : widths) width += 16;
        return widths;
    }
};

class TagPickerTest : public testing::Test {
protected:
    using Act = std::function<void(const OpenPicker&)>;

    // Shows `list` in the picker owned by `by`, works the open dialog with
    // `act`, and returns the position of the entry picked, or -1 for none.
    int Pick(TagList& list, const Act& act, const ModalOwner& by)
    {
        ModalDriver driver(Sjis("TAGSの検索結果"), [&](const ModalSnapshot& shown) {
            act(OpenPicker{shown.window, GetDlgItem(shown.window, IDC_TAG_LIST), by});
        });
        const TagEntry* picked = PickTag(by.Window(), list);
        const ModalReport& report = driver.Finish();
        EXPECT_TRUE(report.found && report.closedByAction) << "the dialog did not open, or stayed open";
        for (size_t i = 0; i < list.size(); ++i)
            if (picked == &list[i]) return static_cast<int>(i);
        EXPECT_EQ(nullptr, picked) << "an entry from outside the list";
        return -1;
    }
    int Pick(TagList& list, const Act& act) { return Pick(list, act, owner); }

    SimHost host;   // registers the list-view class, as the editor's process has it
    ModalOwner owner{RECT{200, 150, 1000, 750}};
};

TEST_F(TagPickerTest, EachUserActionPicksTheRowOrNothing)
{
    std::vector<int> draggedOrder;
    const struct {
        const char* action;
        Act act;
        int picked;
    } cases[] = {
        {"Enter at once", [](const OpenPicker& p) { p.Key(VK_RETURN); }, -1},
        {"a click on row 2, Enter", [](const OpenPicker& p) { p.ClickAt(p.Row(2)); p.Key(VK_RETURN); }, 2},
        {"a double-click on row 5", [](const OpenPicker& p) { p.DoubleClickAt(p.Row(5)); }, 5},
        // The double-click on blank space leaves the dialog open: the later pick counts.
        {"a click on row 3, a double-click on blank space, a click on row 1, Enter",
         [](const OpenPicker& p) {
             p.ClickAt(p.Row(3));
             p.DoubleClickAt(p.Blank());
             p.ClickAt(p.Row(1));
             p.Key(VK_RETURN);
         },
         1},
        {"a click on row 2, Escape", [](const OpenPicker& p) { p.ClickAt(p.Row(2)); p.Key(VK_ESCAPE); }, -1},
        {"a click on row 2, the close box", [](const OpenPicker& p) { p.ClickAt(p.Row(2)); p.CloseBox(); }, -1},
        {"a click on row 2, Alt+F4",
         [](const OpenPicker& p) {
             p.ClickAt(p.Row(2));
             PressAltKey(FocusOf(p.dialog), VK_F4);
             p.Settle();
         },
         -1},
        {"header 0 dragged behind header 2, a double-click on row 4",
         [&](const OpenPicker& p) {
             p.DragHeader(0, 2);
             draggedOrder = p.ColumnOrder();
             p.DoubleClickAt(p.Row(4));
         },
         4},
    };
    for (const auto& c : cases) {
        TagList list = Samples();
        EXPECT_EQ(c.picked, Pick(list, c.act)) << c.action;
    }
    EXPECT_EQ((std::vector<int>{1, 2, 0, 3}), draggedOrder) << "the header drag did not reorder the columns";
}

TEST_F(TagPickerTest, EmptyListShowsFourCaptionedColumnsOf66AndPicksNothing)
{
    std::vector<int> widths;
    LRESULT rows = -1;
    bool openAfterDoubleClick = false;
    TagList empty;
    EXPECT_EQ(-1, Pick(empty, [&](const OpenPicker& p) {
        widths = p.ColumnWidths();
        rows = SendMessageA(p.list, LVM_GETITEMCOUNT, 0, 0);
        p.DoubleClickAt(p.Blank());
        openAfterDoubleClick = IsWindow(p.dialog) != FALSE;
        p.Key(VK_RETURN);
    }));
    EXPECT_EQ((std::vector<int>{66, 66, 66, 66}), widths);
    EXPECT_EQ(0, rows);
    EXPECT_TRUE(openAfterDoubleClick);
}

// Everything the dialog start decides, read back from the real windows.
struct ShownPicker {
    std::vector<std::string> captions;
    std::vector<std::vector<std::string>> cells;
    std::vector<int> widths;
    std::vector<int> fittedWidths;   // from the list's own measure of the expected texts
    LRESULT extendedStyle = 0;
    SCROLLINFO range{};
    RECT window{};
    RECT client{};
    RECT templateClient{0, 0, 422, 153};   // in pixels once mapped
    RECT resizedClient{};
    RECT resizedList{};

    void Read(const OpenPicker& p, const std::vector<std::vector<std::string>>& expectedCells)
    {
        for (int column = 0; column < kColumns; ++column) captions.push_back(Caption(p.list, column));
        const auto rows = static_cast<int>(SendMessageA(p.list, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) {
            cells.emplace_back();
            for (int column = 0; column < kColumns; ++column) cells.back().push_back(ItemText(p.list, row, column));
        }
        widths = p.ColumnWidths();
        fittedWidths = p.FittedWidths(expectedCells);
        extendedStyle = SendMessageA(p.list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        range.cbSize = sizeof range;
        range.fMask = SIF_RANGE;
        GetScrollInfo(p.list, SB_HORZ, &range);
        window = WindowRect(p.dialog);
        GetClientRect(p.dialog, &client);
        MapDialogRect(p.dialog, &templateClient);
    }
};

TEST_F(TagPickerTest, FitsItsColumnsAndWidthToTheRowsAndCentresOnTheOwner)
{
    std::vector<std::vector<std::string>> expected;
    for (const Sample& sample : kSamples) expected.push_back(ShownCells(sample));
    ShownPicker shown;
    TagList list = Samples();
    Pick(list, [&](const OpenPicker& p) {
        shown.Read(p, expected);
        // The user drags the frame larger.
        SetWindowPos(p.dialog, nullptr, 0, 0, shown.window.right - shown.window.left + 120,
                     shown.window.bottom - shown.window.top + 80, SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(p.dialog, &shown.resizedClient);
        shown.resizedList = WindowRect(p.list);
        MapWindowPoints(nullptr, p.dialog, reinterpret_cast<POINT*>(&shown.resizedList), 2);
        p.Key(VK_ESCAPE);
    });

    EXPECT_EQ((std::vector<std::string>{Sjis("シンボル"), Sjis("種類"), Sjis("ファイル"), Sjis("位置")}), shown.captions);
    EXPECT_EQ(expected, shown.cells);
    EXPECT_EQ(shown.fittedWidths, shown.widths);
    EXPECT_EQ(0x31, shown.extendedStyle);
    EXPECT_EQ(shown.range.nMax - shown.range.nMin + 8, shown.client.right) << "client width = content width";
    EXPECT_EQ(shown.templateClient.bottom, shown.client.bottom) << "the template's height";
    const int width = shown.window.right - shown.window.left;
    const int height = shown.window.bottom - shown.window.top;
    EXPECT_EQ(600 - width / 2, shown.window.left) << "centred on the owner (200..1000, 150..750)";
    EXPECT_EQ(450 - height / 2, shown.window.top);
    EXPECT_EQ(shown.resizedClient.right, shown.resizedList.right - shown.resizedList.left);
    EXPECT_EQ(shown.resizedClient.bottom, shown.resizedList.bottom - shown.resizedList.top);
    EXPECT_EQ(0, shown.resizedList.left);
    EXPECT_EQ(0, shown.resizedList.top);
}

TEST_F(TagPickerTest, StaysInsideTheWorkAreaOfTheOwnersMonitor)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(owner.Window(), MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT work = monitor.rcWork;
    const struct {
        const char* where;
        RECT owner;
        bool longName;   // a row wider than the work area
        LONG left;       // expected edges of the dialog; LONG_MIN: any
        LONG top;
        LONG right;
        LONG bottom;
    } cases[] = {
        {"owner across the bottom right corner", {work.right - 100, work.bottom - 80, work.right + 300, work.bottom + 200},
         false, LONG_MIN, LONG_MIN, work.right, work.bottom},
        {"owner across the top left corner", {work.left - 500, work.top - 400, work.left + 100, work.top + 100}, false,
         work.left, work.top, LONG_MIN, LONG_MIN},
        {"a row wider than the work area", {200, 150, 1000, 750}, true, work.left, LONG_MIN, work.right, LONG_MIN},
    };
    for (const auto& c : cases) {
        TagList list = Samples();
        if (c.longName) list[1].name = CowString(std::string(400, 'W').c_str());
        const ModalOwner by(c.owner);
        RECT window{};
        RECT client{};
        SCROLLINFO bar{};
        bar.cbSize = sizeof bar;
        bar.fMask = SIF_RANGE | SIF_PAGE;
        Pick(list, [&](const OpenPicker& p) {
            window = WindowRect(p.dialog);
            GetClientRect(p.dialog, &client);
            GetScrollInfo(p.list, SB_HORZ, &bar);
            p.Key(VK_ESCAPE);
        }, by);
        SCOPED_TRACE(c.where);
        for (const auto& edge : {std::make_pair(c.left, window.left), std::make_pair(c.top, window.top),
                                 std::make_pair(c.right, window.right), std::make_pair(c.bottom, window.bottom)})
            if (edge.first != LONG_MIN) {
                EXPECT_EQ(edge.first, edge.second);
            }
        EXPECT_TRUE(window.left >= work.left && window.top >= work.top && window.right <= work.right &&
                    window.bottom <= work.bottom);
        if (c.longName) {
            EXPECT_LT(static_cast<int>(bar.nPage), bar.nMax - bar.nMin) << "the list scrolls";
        }
    }
}

TEST_F(TagPickerTest, SetsKindTextOfTheShownListOnly)
{
    TagMatchLists lists;
    lists.exact.push_back(Tag(kSamples[1]));
    lists.prefix = Samples();
    lists.inDocument.push_back(Tag(kSamples[2]));
    Pick(lists.prefix, [](const OpenPicker& p) { p.Key(VK_ESCAPE); });
    for (const TagEntry& entry : lists.prefix)
        EXPECT_EQ(Str(DescribeTagKind(entry.kind, entry.extensionFields)), Str(entry.kindText)) << Str(entry.name);
    EXPECT_TRUE(lists.exact[0].kindText.IsEmpty());
    EXPECT_TRUE(lists.inDocument[0].kindText.IsEmpty());
}

TEST_F(TagPickerTest, DialogThatCannotBeCreatedPicksNothing)
{
    // A module without template 103.
    const HMODULE withoutTemplate = GetModuleHandleA("kernel32.dll");
    ASSERT_EQ(nullptr, FindResourceA(withoutTemplate, MAKEINTRESOURCEA(IDD_TAG_PICKER), MAKEINTRESOURCEA(5)));
    TagList list = Samples();
    SetResourceModule(withoutTemplate);
    const TagEntry* picked = PickTag(owner.Window(), list);
    SetResourceModule(GetModuleHandleA(nullptr));
    EXPECT_EQ(nullptr, picked);
}

}  // namespace
