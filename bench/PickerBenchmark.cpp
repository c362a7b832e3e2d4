// picker_benchmark: times the tag picker from PickTag to the dialog shown and
// painted, for 1,000, 10,000 and 100,000 rows of realistic tags, against its
// own time for 1,000 rows (the goal: 100,000 rows within 4 times that), side
// by side with a baseline in the same run: the same texts put into an
// ordinary list in the same dialog with bare LVM_INSERTITEMA/LVM_SETITEMA
// calls between WM_SETREDRAW FALSE and TRUE, and nothing else.
//
//   picker_benchmark.exe [--runs N] [--mixed | --one-length] TAGS_FILE
//
// best of N rounds after a warm-up (default 5). The rows are the prefix
// matches of the one-letter word that begins the most tag names of TAGS_FILE,
// in file order, as a short word over a large tags file gives them; with
// --mixed, every tag of TAGS_FILE over and over (the tests' tags of small
// sources in two dozen languages), names and owners numbered by copy; with
// --one-length, the same rows named pkrow000000, pkrow000001..., names all of
// one length. The dialog and the strings come from Velkin.dll beside the program.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/Clock.h"
#include "bench/TagLines.h"
#include "bench/VelkinResources.h"
#include "res/ResourceIds.h"
#include "tags/MappedFile.h"
#include "tags/TagKind.h"
#include "tags/TagTraits.h"
#include "tags/TagsFileLookup.h"
#include "text/Utf8ToAnsi.h"
#include "ui/KindWords.h"
#include "ui/TagPicker.h"
#include "win/FullPath.h"

namespace velkin::bench {
namespace {

constexpr std::size_t kSizes[] = {1000, 10000, 100000};
constexpr int kColumns = 4;
constexpr const char* kOwnerClass = "VelkinPickerBenchmarkOwner";

// ---- Timing ----------------------------------------------------------------

// When the dialog under test was first shown and painted; set by the owner.
double g_shownAt = 0;
bool g_waitingForShow = false;
// Run on the shown dialog after the time was taken, when set.
std::function<void(HWND dialog)> g_inspect;

// The dialogs' owner. A modal loop sends its owner WM_ENTERIDLE once its queue
// first runs empty, right after it has shown the dialog: the owner paints the
// dialog at once, takes the time and closes it.
LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENTERIDLE && g_waitingForShow) {
        const auto dialog = reinterpret_cast<HWND>(lParam);
        UpdateWindow(dialog);
        g_shownAt = NowMilliseconds();
        g_waitingForShow = false;
        if (g_inspect) g_inspect(dialog);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Milliseconds from `show` being called to its dialog shown and painted.
template <typename Show>
double TimeToShown(Show&& show)
{
    g_waitingForShow = true;
    const double start = NowMilliseconds();
    show();
    return g_waitingForShow ? -1 : g_shownAt - start;
}

// ---- The baseline ----------------------------------------------------------

using RowTexts = std::array<CowString, kColumns>;

// The texts the picker shows for `entries`, made before any timing.
std::vector<RowTexts> ShownTexts(const TagList& entries)
{
    const KindWords words;
    std::vector<RowTexts> rows;
    rows.reserve(entries.size());
    for (const TagEntry& entry : entries)
        rows.push_back({ShownText(entry.name), words.Cell(entry), entry.file, ShownPosition(entry.address)});
    return rows;
}

// The picker's template, its owner-data list replaced by an ordinary one of
// the same place, style and font, filled by bare item calls: the columns
// (needed for sub-items) and the list's extended style, then one
// LVM_INSERTITEMA and three LVM_SETITEMA per row, while the list neither
// repaints nor updates its scroll bars.
INT_PTR CALLBACK BaselineProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, -1);
        return TRUE;
    }
    if (message != WM_INITDIALOG) return FALSE;
    const auto& rows = *reinterpret_cast<const std::vector<RowTexts>*>(lParam);
    const HWND templateList = GetDlgItem(dialog, IDC_TAG_LIST);
    RECT place{};
    GetWindowRect(templateList, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(templateList, GWL_STYLE)) & ~static_cast<DWORD>(LVS_OWNERDATA);
    DestroyWindow(templateList);
    const HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", style, place.left, place.top, place.right - place.left,
                                      place.bottom - place.top, dialog, reinterpret_cast<HMENU>(IDC_TAG_LIST),
                                      GetModuleHandleA(nullptr), nullptr);
    SendMessageA(list, WM_SETFONT, static_cast<WPARAM>(SendMessageA(dialog, WM_GETFONT, 0, 0)), FALSE);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
    for (int column = 0; column < kColumns; ++column) {
        LVCOLUMNA header{};
        header.mask = LVCF_TEXT | LVCF_WIDTH;
        header.cx = 50;
        header.pszText = const_cast<char*>("");
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&header));
    }
    int row = 0;
    for (const RowTexts& texts : rows) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = row++;
        item.pszText = const_cast<char*>(texts[0].Text());
        item.iItem = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        for (int column = 1; column < kColumns; ++column) {
            item.iSubItem = column;
            item.pszText = const_cast<char*>(texts[column].Text());
            SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    return TRUE;
}

// ---- Checking the picker's results ------------------------------------------

std::string CellText(HWND list, int row, int column)
{
    char text[4096] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    const auto length = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return std::string(text, static_cast<std::size_t>(length));
}

using Widths = std::array<LRESULT, kColumns>;

// What the shown picker holds: whether its rows are exactly `rows`, in order;
// the widths it gave its columns; and the widths of measuring every row's
// text as the list itself measures it (LVM_GETSTRINGWIDTHA, at least 50)
// plus 16, which they must equal.
struct Shown {
    bool rowsExact = false;
    Widths picker{};
    Widths everyRow{50, 50, 50, 50};
};

Shown Inspect(HWND dialog, const std::vector<RowTexts>& rows)
{
    Shown shown;
    const HWND list = GetDlgItem(dialog, IDC_TAG_LIST);
    shown.rowsExact = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == static_cast<LRESULT>(rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const char* text = rows[row][column].Text();
            shown.rowsExact = shown.rowsExact && CellText(list, static_cast<int>(row), column) == text;
            shown.everyRow[column] =
                std::max(shown.everyRow[column], SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
        }
    }
    for (int column = 0; column < kColumns; ++column) {
        shown.everyRow[column] += 16;
        shown.picker[column] = SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0);
    }
    return shown;
}

std::string WidthsText(const Widths& widths)
{
    std::string text;
    for (const LRESULT width : widths) text += (text.empty() ? "" : " ") + std::to_string(width);
    return text;
}

// ---- Rows ------------------------------------------------------------------

// The byte that begins the most tag names, among letters, digits and '_'.
char CommonestInitial(const char* path)
{
    const MappedFileOrFailure opened = MappedFile::Open(path);
    if (!opened.file) return 0;
    // The benchmark is large-address-aware: one view of the whole file fits.
    const MappedWindow view = opened.file->Map(0, opened.file->Size());
    if (!view) return 0;
    std::array<std::size_t, 256> counts{};
    ForEachTagLine(view.Begin(), view.End(),
                   [&](const char* line, const char*, const char*) { ++counts[static_cast<unsigned char>(*line)]; });
    char best = 0;
    for (int byte = 0; byte < 256; ++byte) {
        const bool wordByte = std::isalnum(byte) || byte == '_';
        if (wordByte && counts[byte] > counts[static_cast<unsigned char>(best)]) best = static_cast<char>(byte);
    }
    return best;
}

std::string Str(const CowString& text) { return std::string(text.Text(), static_cast<std::size_t>(text.Length())); }

// Every tag of the tags file `path`, one source file after another, as the
// command gives a document's tags.
TagList EveryTag(const CowString& path)
{
    const MappedFileOrFailure opened = MappedFile::Open(path.Text());
    if (!opened.file) return {};
    const MappedWindow view = opened.file->Map(0, opened.file->Size());
    if (!view) return {};
    std::vector<std::string> files;
    ForEachTagLine(view.Begin(), view.End(), [&](const char*, const char* nameEnd, const char* fileEnd) {
        const std::string file(nameEnd + 1, fileEnd);
        if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
    });
    std::string folder = path.Text();
    folder.erase(folder.find_last_of('\\'));
    TagList tags;
    for (std::string file : files) {
        std::replace(file.begin(), file.end(), '/', '\\');
        TagMatchLists lists;
        if (ScanTagsFile(path, TagQuery{CowString(), CowString((folder + "\\" + file).c_str()), CowString(folder.c_str())}, lists))
            tags.insert(tags.end(), lists.inDocument.begin(), lists.inDocument.end());
    }
    return tags;
}

// `count` rows of `tags` over and over, each copy's names and owners'
// names numbered, as the tags of a large project in many languages; with
// `oneLength`, the rows named pkrow000000, pkrow000001... instead and the
// owners numbered in six digits, as generated names are (string ids, say):
// no length tells them apart.
TagList Repeated(const TagList& tags, std::size_t count, bool oneLength)
{
    TagList rows;
    for (std::size_t i = 0; i < count && !tags.empty(); ++i) {
        TagEntry entry = tags[i % tags.size()];
        char number[16];
        std::snprintf(number, sizeof number, "%06lu", static_cast<unsigned long>(i / tags.size()));
        const std::string copy = oneLength ? number : std::to_string(i / tags.size());
        if (oneLength) {
            std::snprintf(number, sizeof number, "%06lu", static_cast<unsigned long>(i));
            entry.name = (std::string("pkrow") + number).c_str();
        } else {
            entry.name = (Str(entry.name) + copy).c_str();
        }
        std::string fields = Str(entry.extensionFields);
        if (const TagScope scope = TagScopeOf(entry.extensionFields); scope && !scope.name.empty()) {
            const std::size_t end = static_cast<std::size_t>(scope.name.data() + scope.name.size() - entry.extensionFields.Text());
            fields.insert(end, copy);
        }
        entry.extensionFields = fields.c_str();
        rows.push_back(entry);
    }
    return rows;
}

TagList FirstEntries(const TagList& entries, std::size_t count)
{
    TagList first;
    for (std::size_t i = 0; i < count && i < entries.size(); ++i) first.push_back(entries[i]);
    return first;
}

double TimeBaseline(HWND owner, const std::vector<RowTexts>& rows)
{
    return TimeToShown([&] {
        DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(IDD_TAG_PICKER), owner, BaselineProc,
                        reinterpret_cast<LPARAM>(&rows));
    });
}

// ---- The run ---------------------------------------------------------------

HWND CreateOwner()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = OwnerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kOwnerClass;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, kOwnerClass, "owner", WS_POPUP, 100, 100, 1000, 700, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

enum class Rows { prefixMatches, mixed, oneLength };

int Benchmark(const char* path, int runs, Rows kind)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};   // as the editor's process has it
    if (!InitCommonControlsEx(&controls) || !UseVelkinResources()) {
        std::fprintf(stderr, "cannot register the list-view class or load Velkin.dll\n");
        return 1;
    }
    const HWND owner = CreateOwner();
    if (!owner) {
        std::fprintf(stderr, "cannot create a window (no display?)\n");
        return 1;
    }
    const CowString tagsPath = GetFullPath<CowString>(path);
    const bool mixed = kind != Rows::prefixMatches;
    TagList source;
    if (mixed) {
        source = EveryTag(tagsPath);
        std::printf(kind == Rows::oneLength
                        ? "tags file  %s: its %lu tags over and over, named pkrow000000 on, owners numbered by copy in six digits\n"
                        : "tags file  %s: its %lu tags over and over, names and owners numbered by copy\n",
                    tagsPath.Text(), static_cast<unsigned long>(source.size()));
    } else {
        const char initial = CommonestInitial(tagsPath.Text());
        TagMatchLists lists;
        const char word[2] = {initial, 0};
        if (initial && ScanTagsFile(tagsPath, TagQuery{CowString(word), CowString(), CowString()}, lists)) source = lists.prefix;
        std::printf("tags file  %s: %lu prefix matches of \"%s\"\n", tagsPath.Text(),
                    static_cast<unsigned long>(source.size()), word);
    }
    if (source.empty()) {
        std::fprintf(stderr, "cannot read tags from %s\n", tagsPath.Text());
        return 1;
    }
    std::printf("build      %d-bit, best of %d rounds after a warm-up, the sizes in turn; from the call to the dialog\n"
                "           shown and painted\n\n",
                static_cast<int>(sizeof(void*) * 8), runs);
    std::printf("baseline   an ordinary list in the same dialog, filled with bare LVM_INSERTITEMA/LVM_SETITEMA\n"
                "           calls between WM_SETREDRAW FALSE and TRUE (how the picker filled its list before it\n"
                "           asked for the rows it draws); goal: 100,000 rows within 4 times 1,000 rows\n\n");
    std::printf("  %8s %12s %14s %12s %7s\n", "rows", "PickTag", "x 1,000 rows", "baseline", "ratio");

    // The sizes take turns in every round, so that a spell of a busy machine
    // weighs on each of them alike.
    struct Size {
        TagList rows;
        std::vector<RowTexts> texts;
        double picker = 1e300;
        double baseline = 1e300;
    };
    std::vector<Size> sizes;
    for (const std::size_t size : kSizes) {
        sizes.push_back({mixed ? Repeated(source, size, kind == Rows::oneLength) : FirstEntries(source, size)});
        sizes.back().texts = ShownTexts(sizes.back().rows);
    }
    bool allShown = true;
    for (int round = 0; round <= runs; ++round) {
        for (Size& size : sizes) {
            const double pickerTime = TimeToShown([&] { PickTag(owner, size.rows); });
            const double baselineTime = TimeBaseline(owner, size.texts);
            allShown = allShown && pickerTime >= 0 && baselineTime >= 0;
            if (round == 0) continue;
            size.picker = std::min(size.picker, pickerTime);
            size.baseline = std::min(size.baseline, baselineTime);
        }
    }
    bool allExact = true;
    std::vector<Shown> shown(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        Size& size = sizes[i];
        g_inspect = [&](HWND dialog) { shown[i] = Inspect(dialog, size.texts); };
        TimeToShown([&] { PickTag(owner, size.rows); });
        g_inspect = nullptr;
        allExact = allExact && shown[i].rowsExact && shown[i].picker == shown[i].everyRow;
        std::printf("  %8lu %9.1f ms %13.2fx %9.1f ms %6.2fx\n", static_cast<unsigned long>(size.rows.size()),
                    size.picker, size.picker / sizes.front().picker, size.baseline, size.picker / size.baseline);
    }
    std::printf("\n  column widths (symbol kind file position): the picker's, and every row's text measured\n");
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        std::printf("  %8lu  %-24s %-24s %s\n", static_cast<unsigned long>(sizes[i].rows.size()),
                    WidthsText(shown[i].picker).c_str(), WidthsText(shown[i].everyRow).c_str(),
                    !shown[i].rowsExact ? "rows differ" : shown[i].picker == shown[i].everyRow ? "equal" : "DIFFER");
    }
    DestroyWindow(owner);
    if (!allShown) {
        std::fprintf(stderr, "a dialog was not shown\n");
        return 1;
    }
    std::printf("\n%s\n", allExact ? "checked: every picker held the rows' texts and fitted its columns to their widths as the list measures them"
                                   : "FAILED: a picker's rows or widths differ");
    return allExact ? 0 : 1;
}

}  // namespace
}  // namespace velkin::bench

int main(int argc, char** argv)
{
    std::vector<const char*> arguments(argv + 1, argv + argc);
    int runs = 5;
    auto rows = velkin::bench::Rows::prefixMatches;
    while (arguments.size() > 1) {
        if (std::strcmp(arguments[0], "--mixed") == 0) {
            rows = velkin::bench::Rows::mixed;
            arguments.erase(arguments.begin());
        } else if (std::strcmp(arguments[0], "--one-length") == 0) {
            rows = velkin::bench::Rows::oneLength;
            arguments.erase(arguments.begin());
        } else if (arguments.size() > 2 && std::strcmp(arguments[0], "--runs") == 0) {
            runs = std::atoi(arguments[1]);
            arguments.erase(arguments.begin(), arguments.begin() + 2);
        } else {
            break;
        }
    }
    if (arguments.size() != 1 || runs < 1) {
        std::fprintf(stderr, "usage: picker_benchmark [--runs N] [--mixed | --one-length] TAGS_FILE\n");
        return 2;
    }
    return velkin::bench::Benchmark(arguments[0], runs, rows);
}
