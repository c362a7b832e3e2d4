// picker_picture: opens the tag picker the way the command does, for the
// README's picture: the first non-empty list (exact, then prefix matches) of
// WORD in TAGS_FILE, owned by a window that covers the screen, with row SELECT
// selected. Once the dialog is shown it prints its window rectangle,
//   dialog LEFT TOP RIGHT BOTTOM
// keeps it open for HOLD_MS milliseconds and closes it.
//
//   picker_picture.exe TAGS_FILE WORD [SELECT [HOLD_MS]]
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "bench/VelkinResources.h"
#include "res/ResourceIds.h"
#include "tags/TagsFileLookup.h"
#include "ui/TagPicker.h"
#include "win/FullPath.h"

namespace velkin::bench {
namespace {

constexpr const char* kOwnerClass = "VelkinPickerPictureOwner";
constexpr UINT_PTR kCloseTimer = 1;

int g_selectedRow = 0;
UINT g_holdMs = 3000;
HWND g_dialog = nullptr;

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENTERIDLE && !g_dialog) {
        g_dialog = reinterpret_cast<HWND>(lParam);
        const HWND list = GetDlgItem(g_dialog, IDC_TAG_LIST);
        LVITEMA state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(g_selectedRow), reinterpret_cast<LPARAM>(&state));
        SetFocus(list);
        UpdateWindow(g_dialog);
        RECT rect;
        GetWindowRect(g_dialog, &rect);
        std::printf("dialog %ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        std::fflush(stdout);
        SetTimer(window, kCloseTimer, g_holdMs, nullptr);
    }
    if (message == WM_TIMER && wParam == kCloseTimer) {
        KillTimer(window, kCloseTimer);
        PostMessageA(g_dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int ShowPicker(const char* tagsFile, const char* word)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};   // as the editor's process has it
    if (!InitCommonControlsEx(&controls) || !UseVelkinResources()) {
        std::fprintf(stderr, "cannot register the list-view class or load Velkin.dll\n");
        return 1;
    }
    TagMatchLists lists;
    if (!ScanTagsFile(GetFullPath<CowString>(tagsFile), TagQuery{CowString(word), CowString(), CowString()}, lists)) {
        std::fprintf(stderr, "cannot read %s\n", tagsFile);
        return 1;
    }
    TagList& shown = lists.exact.empty() ? lists.prefix : lists.exact;

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = OwnerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kOwnerClass;
    RegisterClassA(&windowClass);
    const HWND owner = CreateWindowExA(0, kOwnerClass, "owner", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                       GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!owner) {
        std::fprintf(stderr, "cannot create a window (no display?)\n");
        return 1;
    }
    const TagEntry* picked = PickTag(owner, shown);
    DestroyWindow(owner);
    if (!g_dialog) {
        std::fprintf(stderr, "the picker was not shown\n");
        return 1;
    }
    std::printf("%lu rows, picked: %s\n", static_cast<unsigned long>(shown.size()), picked ? picked->name.Text() : "none");
    return 0;
}

}  // namespace
}  // namespace velkin::bench

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: picker_picture TAGS_FILE WORD [SELECT [HOLD_MS]]\n");
        return 2;
    }
    if (argc > 3) velkin::bench::g_selectedRow = std::atoi(argv[3]);
    if (argc > 4) velkin::bench::g_holdMs = static_cast<UINT>(std::atoi(argv[4]));
    return velkin::bench::ShowPicker(argv[1], argv[2]);
}
