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
#include "text/Utf8ToAnsi.h"
#include "ui/ListTextMeasure.h"
#include "ui/TagPicker.h"

namespace {

using namespace velkin;
using namespace velkin::sim;

using Cells = std::vector<std::string>;

// Realistic tags: name, file, address, kind, extension fields, and the Kind
// column each shows (UTF-8).
const Cells kSamples[] = {
    {"Widget", "src\\widget.h", "12", "c", "", "クラス"},
    {"draw", "src\\widget.cpp", "/^void Widget::draw(Canvas& canvas) const$/", "f", "class:Widget", "クラス Widget メンバ 関数"},
    {"trim", "src\\util\\strings.c", "40", "f", "file:", "ファイル内限定 関数"},
    {"Point", "include\\geometry\\point.h", "/^struct Point {$/", "s", "", "構造体"},
    {"x", "include\\geometry\\point.h", "7", "m", "struct:Point", "構造体 Point メンバ"},
    {"Button", "src\\ui\\controls\\push_button_with_a_long_name.h", "3", "c", "inherits:Widget", "Widget を継承したクラス"},
    {"count", "src\\main.c", "22", "v", "access:private", "スコープ private の変数"},
    {"RED", "src\\colour.h", "5", "e", "", "列挙定数"},
    {"LIMIT", "src\\limits.h", "/^#define LIMIT\t100$/", "d", "", "マクロ定義"},   // a tab shows as a blank
    // universal-ctags' default fields: the scope ends at its tab; "file:" anywhere.
    {"area", "geo\\shapes.cpp", "11", "f", "class:geo::Circle\ttyperef:typename:double", "クラス geo::Circle メンバ 関数"},
    {"y", "geo\\shapes.h", "10", "m", "struct:geo::Point\ttyperef:typename:double\tfile:", "ファイル内限定 構造体 geo::Point メンバ"},
    {"pi", "geo\\shapes.cpp", "7", "f", "namespace:geo\ttyperef:typename:double\tfile:", "ファイル内限定 名前空間 geo 関数"},
    {"half", "geo\\shapes.cpp", "3", "v", "file:\ttyperef:typename:int", "ファイル内限定 変数"},
    {"tmp", "geo\\shapes.cpp", "4", "v", "typeref:typename:file:\tfile:x", "変数"},
    {"odd", "geo\\shapes.cpp", "5", "\t", "class:A", "クラス A メンバ "},   // an empty kind field
    {"size_", "geo\\shapes.h", "14", "m", "class:geo::Circle\ttyperef:typename:int", "クラス geo::Circle メンバ"},
    // The widest Kind cell by its owner's name alone: after the widest by its
    // words (y) and after a cell of the same words (draw).
    {"centre", "geo\\shapes.cpp", "15", "f", "class:geo::CircleWithALongName", "クラス geo::CircleWithALongName メンバ 関数"},
    // A UTF-8 name shows in the code page; the widest name, measured as shown.
    {"描画する図形の輪郭線", "src\\canvas.cpp", "30", "f", "", "関数"},
};

TagList Samples()
{
    TagList list;
    for (const Cells& sample : kSamples) {
        list.emplace_back();
        list.back().name = sample[0].c_str();
        list.back().file = sample[1].c_str();
        list.back().address = sample[2].c_str();
        list.back().kind = sample[3][0];
        list.back().extensionFields = sample[4].c_str();
    }
    return list;
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
    // Drags column header `from` onto the right part of header `onto`.
    void DragHeader(int from, int onto) const
    {
        const auto header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        RECT source{}, target{};
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&source));
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(onto), reinterpret_cast<LPARAM>(&target));
        const LONG y = (source.top + source.bottom) / 2;
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
    // Asks the list for the row `text` begins, from `start` (LVM_FINDITEMA,
    // which an owner-data list hands to its owner), and selects the answer.
    void SelectFound(int start, UINT flags, const char* text) const
    {
        LVFINDINFOA find{};
        find.flags = flags;
        find.psz = text;
        const auto row = SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&find));
        if (row >= 0) {
            LVITEMA state{};
            state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
        }
        Settle();
    }
    int Width(int column) const { return static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0)); }
    // Column captions (row -1) or the cells of a row, as the list holds them.
    Cells Texts(int row) const
    {
        Cells texts;
        for (int column = 0; column < 4; ++column) {
            texts.push_back(row < 0 ? velkin::sim::ListColumnCaption(list, column)
                                    : velkin::sim::ListCellText(list, row, column));
        }
        return texts;
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

    // The dialog's window rectangle when `list` is shown owned by a window at `ownerRect`.
    RECT Placed(TagList list, RECT ownerRect)
    {
        RECT window{};
        Pick(list, [&](const OpenPicker& p) {
            GetWindowRect(p.dialog, &window);
            p.Key(VK_ESCAPE);
        }, ModalOwner(ownerRect));
        return window;
    }

    SimHost host;   // registers the list-view class, as the editor's process has it
    ModalOwner owner{RECT{200, 150, 1000, 750}};
};

TEST_F(TagPickerTest, EachUserActionPicksTheRowOrNothing)
{
    std::vector<int> draggedOrder(4);
    const struct {
        const char* action;
        TagPickerTest::Act act;
        int picked;
    } cases[] = {
        {"Enter at once", [](const OpenPicker& p) { p.Key(VK_RETURN); }, -1},
        {"a click on row 2, Enter", [](const OpenPicker& p) { p.ClickAt(p.Row(2)); p.Key(VK_RETURN); }, 2},
        {"a double-click on row 5", [](const OpenPicker& p) { p.DoubleClickAt(p.Row(5)); }, 5},
        // The double-click on blank space leaves the dialog open: the later pick counts.
        {"row 3 clicked, blank space double-clicked, row 1 clicked, Enter",
         [](const OpenPicker& p) {
             p.ClickAt(p.Row(3));
             p.DoubleClickAt(p.Blank());
             p.ClickAt(p.Row(1));
             p.Key(VK_RETURN);
         },
         1},
        {"a click on row 2, Escape", [](const OpenPicker& p) { p.ClickAt(p.Row(2)); p.Key(VK_ESCAPE); }, -1},
        {"a click on row 2, the close box (its system command)",
         [](const OpenPicker& p) {
             p.ClickAt(p.Row(2));
             PostMessageA(p.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
             p.Settle();
         },
         -1},
        {"a click on row 2, Alt+F4",
         [](const OpenPicker& p) {
             p.ClickAt(p.Row(2));
             PressAltKey(FocusOf(p.dialog), VK_F4);
             p.Settle();
         },
         -1},
        // Type-ahead: the next name from the focused row on that begins with the letters, in any case.
        {"a click on row 2, R and E typed, Enter",
         [](const OpenPicker& p) { p.ClickAt(p.Row(2)); p.Key('R'); p.Key('E'); p.Key(VK_RETURN); }, 7},
        {"a click on row 7, D typed (from the top again), Enter",
         [](const OpenPicker& p) { p.ClickAt(p.Row(7)); p.Key('D'); p.Key(VK_RETURN); }, 1},
        {"a click on row 5, D typed (only a row above begins with it), Enter",
         [](const OpenPicker& p) { p.ClickAt(p.Row(5)); p.Key('D'); p.Key(VK_RETURN); }, 1},
        {"W typed with no row selected, Enter", [](const OpenPicker& p) { p.Key('W'); p.Key(VK_RETURN); }, 0},
        // Asked from outside the rows: from the top, and no row outside them is read.
        {"the row RE begins, asked from -1 and wrapping, Enter",
         [](const OpenPicker& p) { p.SelectFound(-1, LVFI_PARTIAL | LVFI_WRAP, "RE"); p.Key(VK_RETURN); }, 7},
        {"the row W begins, asked from the row count, Enter",
         [](const OpenPicker& p) { p.SelectFound(8, LVFI_PARTIAL, "W"); p.Key(VK_RETURN); }, 0},
        {"header 0 dragged behind header 2, a double-click on row 4",
         [&](const OpenPicker& p) {
             p.DragHeader(0, 2);
             SendMessageA(p.list, LVM_GETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(draggedOrder.data()));
             p.DoubleClickAt(p.Row(4));
         },
         4},
    };
    for (const auto& c : cases) {
        TagList list = Samples();
        list.resize(8);   // leaves blank space below the rows to double-click
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
        for (int column = 0; column < 4; ++column) widths.push_back(p.Width(column));
        rows = SendMessageA(p.list, LVM_GETITEMCOUNT, 0, 0);
        p.DoubleClickAt(p.Blank());
        openAfterDoubleClick = IsWindow(p.dialog) != FALSE;
        p.Key(VK_RETURN);
    }));
    EXPECT_EQ((std::vector<int>{66, 66, 66, 66}), widths);
    EXPECT_EQ(0, rows);
    EXPECT_TRUE(openAfterDoubleClick);
}

TEST_F(TagPickerTest, ShowsTheListInFittedColumnsCentredOnTheOwner)
{
    TagMatchLists lists;
    lists.exact = Samples();
    lists.prefix = Samples();
    lists.inDocument = Samples();
    std::vector<Cells> expected, shown;
    for (const Cells& sample : kSamples) {
        std::string position = sample[2];
        std::replace(position.begin(), position.end(), '\t', ' ');
        expected.push_back({Sjis(sample[0]), sample[1], position, Sjis(sample[5])});
    }
    for (Cells& row : expected) std::rotate(row.begin() + 1, row.begin() + 3, row.end());   // name, kind, file, address
    std::vector<int> widths, fitted(4, 50);
    Cells widestRows(4);   // the name of the row that gives each column its width
    LRESULT style = 0;
    SCROLLINFO range{};
    range.cbSize = sizeof range;
    range.fMask = SIF_RANGE;
    RECT window{}, client{}, templateClient{0, 0, 422, 153}, resized{}, list{};
    LRESULT typedAhead = -1;
    Pick(lists.prefix, [&](const OpenPicker& p) {
        for (int row = -1; row < static_cast<int>(expected.size()); ++row) shown.push_back(p.Texts(row));
        const std::string typed = Sjis("描");
        LVFINDINFOA find{};
        find.flags = LVFI_PARTIAL | LVFI_WRAP;
        find.psz = typed.c_str();
        typedAhead = SendMessageA(p.list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
        for (int column = 0; column < 4; ++column) {
            widths.push_back(p.Width(column));
            for (size_t row = 0; row < expected.size(); ++row) {
                const LPARAM text = reinterpret_cast<LPARAM>(expected[row][column].c_str());
                const int width = static_cast<int>(SendMessageA(p.list, LVM_GETSTRINGWIDTHA, 0, text));
                if (width > fitted[column]) widestRows[column] = kSamples[row][0];
                fitted[column] = std::max(fitted[column], width);
            }
            fitted[column] += 16;
        }
        style = SendMessageA(p.list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        GetScrollInfo(p.list, SB_HORZ, &range);
        GetWindowRect(p.dialog, &window);
        GetClientRect(p.dialog, &client);
        MapDialogRect(p.dialog, &templateClient);
        // The user drags the frame larger.
        SetWindowPos(p.dialog, nullptr, 0, 0, window.right - window.left + 120, window.bottom - window.top + 80,
                     SWP_NOMOVE | SWP_NOZORDER);
        GetClientRect(p.dialog, &resized);
        GetWindowRect(p.list, &list);
        MapWindowPoints(nullptr, p.dialog, reinterpret_cast<POINT*>(&list), 2);
        p.Key(VK_ESCAPE);
    });

    expected.insert(expected.begin(), {Sjis("シンボル"), Sjis("種類"), Sjis("ファイル"), Sjis("位置")});
    EXPECT_EQ(expected, shown);
    EXPECT_EQ(fitted, widths) << "the widest text of each column as the list measures it, at least 50, + 16: rows "
                              << testing::PrintToString(widestRows);
    EXPECT_EQ(static_cast<LRESULT>(std::size(kSamples)) - 1, typedAhead) << "type-ahead reads the name as shown";
    EXPECT_EQ(0x31, style);
    EXPECT_EQ(range.nMax - range.nMin + 8, client.right) << "the client area is as wide as the content";
    EXPECT_EQ(templateClient.bottom, client.bottom) << "the template's height";
    EXPECT_EQ(600 - (window.right - window.left) / 2, window.left) << "centred on the owner (200..1000, 150..750)";
    EXPECT_EQ(450 - (window.bottom - window.top) / 2, window.top);
    EXPECT_TRUE(EqualRect(&resized, &list)) << "the list fills the resized client area";
    for (size_t i = 0; i < lists.prefix.size(); ++i) {
        const TagEntry& entry = lists.prefix[i];
        EXPECT_EQ(Str(DescribeTagKind(entry.kind, entry.extensionFields)), Str(entry.kindText));
        EXPECT_TRUE(lists.exact[i].kindText.IsEmpty() && lists.inDocument[i].kindText.IsEmpty()) << "lists not shown";
    }
}

TEST_F(TagPickerTest, LongListShowsItsLastRowsAndPicksThemByKeysAndClicks)
{
    constexpr int kRows = 100000;
    TagList list;
    for (int i = 0; i < kRows; ++i) {
        list.emplace_back();
        list.back().name = ("tag" + std::to_string(i)).c_str();
        list.back().file = "src\\a.c";
        list.back().address = std::to_string(i + 1).c_str();
        list.back().kind = 'f';
    }
    // The last row's file and Kind cell are the widest, the Kind cell by its words alone.
    const std::string widestFile = "src\\the\\widest\\file\\name\\of\\all.c";
    const std::string widestKind = Sjis("ファイル内限定 extern 変数");
    list.back().file = widestFile.c_str();
    list.back().kind = 'x';
    list.back().extensionFields = "file:";
    std::vector<Cells> shown;
    std::vector<int> widths, fitted;
    EXPECT_EQ(kRows - 1, Pick(list, [&](const OpenPicker& p) {
        shown = {p.Texts(kRows - 1), p.Texts(kRows / 2)};
        for (const auto& [column, text] : {std::pair{1, &widestKind}, std::pair{2, &widestFile}}) {
            widths.push_back(p.Width(column));
            const auto measured = SendMessageA(p.list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text->c_str()));
            fitted.push_back(static_cast<int>(measured) + 16);
        }
        p.Key(VK_END);
        p.Key(VK_RETURN);
    }));
    EXPECT_EQ((std::vector<Cells>{{"tag99999", widestKind, widestFile, "100000"}, {"tag50000", Sjis("関数"), "src\\a.c", "50001"}}),
              shown);
    EXPECT_EQ(fitted, widths) << "the columns fit the texts of the last row";
    EXPECT_EQ(Str(DescribeTagKind('x', list.back().extensionFields)), Str(list.back().kindText));

    EXPECT_EQ(70000, Pick(list, [](const OpenPicker& p) {
        SendMessageA(p.list, LVM_ENSUREVISIBLE, 70000, FALSE);
        p.DoubleClickAt(p.Row(70000));
    }));
}

// Each text measured, summed from the character tables, as wide as the list
// measures the form it shows (ShownText): UTF-8 in the code page, other bytes
// as they stand, and what only the system's conversion can say.
TEST_F(TagPickerTest, MeasuresEachNameAsTheListMeasuresItsShownForm)
{
    const std::string texts[] = {
        "pkrow000001",
        "描画する図形の輪郭線",          // UTF-8
        Sjis("描画する図形の輪郭線"),    // Shift-JIS: no UTF-8, shown as it stands
        "ｶﾀｶﾅ and café",               // single bytes in the code page, one a look-alike
        "한글 Ω",                       // characters the code page lacks, and one it has
        "見出し😀",                      // outside the basic plane: one "?"
        "描画\x80",                     // UTF-8 and then a stray byte: no UTF-8
        "描\xE7\x94",                   // cut short in a character
        "\xC0\xAF" "etc",               // an overlong form
        "\xE0\x83\xA9" "etc",           // an overlong form of three bytes (of "é")
        "\xED\xA0\x80" "ab",            // a surrogate
        "abc\x82",                      // a lead byte at the end
    };
    const HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 400, 200, owner.Window(),
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, list);
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    std::vector<int> measured, listed;
    {
        ListTextMeasure measure(list);
        EXPECT_TRUE(measure.SumsCharacters());
        for (const std::string& text : texts) {
            measured.push_back(measure.ShownWidth(text));
            const CowString shown = ShownText(CowString(text.c_str()));
            listed.push_back(static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(shown.Text()))));
        }
    }
    DestroyWindow(list);
    EXPECT_EQ(listed, measured);
}

TEST_F(TagPickerTest, StaysInsideTheWorkAreaOfTheOwnersMonitor)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(owner.Window(), MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT work = monitor.rcWork;
    const RECT nearCorner = Placed(Samples(), {work.right - 100, work.bottom - 80, work.right + 300, work.bottom + 200});
    EXPECT_EQ(work.right, nearCorner.right);
    EXPECT_EQ(work.bottom, nearCorner.bottom);
    const RECT pastCorner = Placed(Samples(), {work.left - 500, work.top - 400, work.left + 100, work.top + 100});
    EXPECT_EQ(work.left, pastCorner.left);
    EXPECT_EQ(work.top, pastCorner.top);
    TagList wide = Samples();
    wide[1].name = std::string(400, 'W').c_str();
    const RECT capped = Placed(wide, {200, 150, 1000, 750});
    EXPECT_EQ(work.left, capped.left) << "as wide as the work area";
    EXPECT_EQ(work.right, capped.right);
}

TEST_F(TagPickerTest, DialogThatCannotBeCreatedPicksNothing)
{
    const HMODULE withoutTemplate = GetModuleHandleA("kernel32.dll");
    ASSERT_EQ(nullptr, FindResourceA(withoutTemplate, MAKEINTRESOURCEA(IDD_TAG_PICKER), MAKEINTRESOURCEA(5)));
    TagList list = Samples();
    SetResourceModule(withoutTemplate);
    const TagEntry* picked = PickTag(owner.Window(), list);
    SetResourceModule(GetModuleHandleA(nullptr));
    EXPECT_EQ(nullptr, picked);
}

}  // namespace
