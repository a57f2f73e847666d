#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <aygshell.h>
#include <sipapi.h>

#include <memory>
#include <vector>

#include "DeviceScreen.h"
#include "DialogTestResources.h"
#include "DialogTestSupport.h"
#include "MenuBarHolder.h"
#include "MenuBarWnd.h"
#include "PpcDialog.h"
#include "resource.h"

using namespace dialogtests;

namespace {

// Menu: "A", popup "B" { "B1", popup "C" { "C1", "C2" } }.
HMENU NestedMenu() {
    HMENU inner = CreatePopupMenu();
    AppendMenuW(inner, MF_STRING, 31, L"C1");
    AppendMenuW(inner, MF_STRING | MF_CHECKED, 32, L"C2");
    HMENU middle = CreatePopupMenu();
    AppendMenuW(middle, MF_STRING, 21, L"B1");
    AppendMenuW(middle, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(middle, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), L"C");
    HMENU outer = CreatePopupMenu();
    AppendMenuW(outer, MF_STRING | MF_GRAYED, 11, L"A");
    AppendMenuW(outer, MF_POPUP, reinterpret_cast<UINT_PTR>(middle), L"B");
    return outer;
}

}  // namespace

// Copies recreate every level with ids, texts and states; an override text replaces
// the texts; counting stops at 256 items.
TEST(MenuBarWndTest, MenuCopiesAreDeep) {
    HMENU source = NestedMenu();
    HMENU target = CreatePopupMenu();
    Menu_CopyItems(source, target, nullptr, -1);
    ASSERT_EQ(2, Menu_CountItems(target));
    EXPECT_EQ(L"A", MenuText(target, 0));
    EXPECT_TRUE(GetMenuState(target, 0, MF_BYPOSITION) & MF_GRAYED);
    HMENU b = GetSubMenu(target, 1);
    ASSERT_TRUE(b);
    EXPECT_NE(GetSubMenu(source, 1), b);
    EXPECT_EQ(3, Menu_CountItems(b));
    EXPECT_TRUE(GetMenuState(b, 1, MF_BYPOSITION) & MF_SEPARATOR);
    HMENU c = GetSubMenu(b, 2);
    ASSERT_TRUE(c);
    EXPECT_EQ(32u, GetMenuItemID(c, 1));
    EXPECT_TRUE(GetMenuState(c, 1, MF_BYPOSITION) & MF_CHECKED);

    HMENU overridden = CreatePopupMenu();
    Menu_CopyItems(GetSubMenu(source, 1), overridden, L"X", 0);
    EXPECT_EQ(L"X", MenuText(overridden, 0));

    HMENU big = CreatePopupMenu();
    for (int i = 0; i < 300; ++i)
        AppendMenuW(big, MF_STRING, 100 + i, L"item");
    EXPECT_EQ(256, Menu_CountItems(big));
    HMENU copy = CreatePopupMenu();
    Menu_CopyItems(big, copy, nullptr, -1);
    EXPECT_EQ(256, GetMenuItemCount(copy));
    for (HMENU menu : {source, target, overridden, big, copy})
        DestroyMenu(menu);
}

// A bar of menu 299: two buttons, the second holding the popup; SetMenu replaces
// that popup's items; deleting the object destroys the bar.
TEST(MenuBarWndTest, BarOfMenuAndMenuReplacement) {
    TestWindow owner(L"owner", 0, 26, 240, 268);
    std::unique_ptr<MenuBarWnd> bar(MenuBarWnd::Create(owner.Get(), nullptr, SHCMBF_HMENU, IDM_FRAME_MENUBAR));
    ASSERT_TRUE(bar);
    HWND window = bar->GetHwnd();
    EXPECT_EQ(2, SendMessageW(window, TB_BUTTONCOUNT, 0, 0));
    EXPECT_EQ(L"OK", ButtonText(window, 0));
    HMENU menu = bar->GetMenu();
    ASSERT_TRUE(IsMenu(menu));
    EXPECT_EQ(3, GetMenuItemCount(menu));
    // The bar sits at the bottom of the screen, 26 high.
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(320, rect.bottom);
    EXPECT_EQ(26, rect.bottom - rect.top);

    HMENU source = NestedMenu();
    bar->SetMenu(source);
    EXPECT_EQ(menu, bar->GetMenu());
    EXPECT_EQ(2, GetMenuItemCount(menu));
    EXPECT_EQ(L"B", MenuText(menu, 1));
    DestroyMenu(source);

    // A soft key posts its command to the parent.
    Shell_TapMenuBarButton(window, 0, 0);
    MSG msg = {};
    ASSERT_TRUE(PeekMessageW(&msg, owner.Get(), WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(IDM_FRAME_OK), LOWORD(msg.wParam));

    bar.reset();
    EXPECT_FALSE(IsWindow(window));

    EXPECT_EQ(nullptr, MenuBarWnd::Create(owner.Get(), nullptr, SHCMBF_HMENU, 4711));
}

// Bars of the program's own windows: an empty bar, the tool bar of the DPI's
// bitmap (its buttons from the tool bar resource), and the version-dependent bar.
TEST(MenuBarWndTest, WindowBarsAndToolbarResource) {
    TestWindow owner(L"owner", 0, 26, 240, 268);
    EXPECT_EQ(static_cast<UINT>(IDB_TOOLBAR), Toolbar_BitmapForDpi());
    ToolbarResource resource;
    ASSERT_TRUE(Toolbar_ReadResource(nullptr, IDB_TOOLBAR, resource));
    EXPECT_EQ(3, resource.count);
    EXPECT_EQ(16, resource.width);
    EXPECT_FALSE(Toolbar_ReadResource(nullptr, 4711, resource));

    MenuBarHolder empty;
    ASSERT_TRUE(MenuBar_CreateForWindow(empty, owner.Get(), 0, false, 0));
    EXPECT_EQ(0, SendMessageW(empty.bar, TB_BUTTONCOUNT, 0, 0));
    EXPECT_TRUE(MenuBar_FromToolbarResource(empty, IDB_TOOLBAR));
    ASSERT_EQ(3, SendMessageW(empty.bar, TB_BUTTONCOUNT, 0, 0));
    TBBUTTON button = {};
    SendMessageW(empty.bar, TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(IDM_FRAME_HELP, button.idCommand);
    EXPECT_EQ(2, button.iBitmap);

    MenuBarHolder modern;
    ASSERT_TRUE(MenuBar_CreateVersionDependent(modern, owner.Get(), true, 5));
    EXPECT_EQ(2, SendMessageW(modern.bar, TB_BUTTONCOUNT, 0, 0));
    EXPECT_EQ(L"OK", ButtonText(modern.bar, 0));

    // The older shell's bar comes from its bar resource, which names menu 2000.
    MenuBarHolder older;
    ASSERT_TRUE(MenuBar_CreateVersionDependent(older, owner.Get(), false, 4));
    EXPECT_EQ(2, SendMessageW(older.bar, TB_BUTTONCOUNT, 0, 0));
}

namespace {

PpcDialogState g_state;
int g_initDialogs = 0;

INT_PTR CALLBACK PpcProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (PpcDialog_ProcessMessage(g_state, dialog, message, wParam, lParam, result, 0))
        return TRUE;
    if (message == WM_INITDIALOG)
        ++g_initDialogs;
    return message == WM_INITDIALOG;
}

}  // namespace

// A plain Pocket PC dialog: full screen above its soft-key bar, children moved below
// the title strip, shell soft key 0xE791 ends it as Cancel, and it follows the SIP.
TEST(MenuBarWndTest, PocketPcDialog) {
    g_state = PpcDialogState();
    g_state.titleStripHeight = 20;
    ModalScript script;
    HWND dialog = nullptr;
    script.Watch([&] { return dialog; });
    script.Then([&] {
        dialog = g_state.dialog;
        ASSERT_TRUE(IsWindow(dialog));
        EXPECT_EQ(1, g_initDialogs);
        RECT rect;
        GetWindowRect(dialog, &rect);
        EXPECT_EQ(26, rect.top);
        EXPECT_EQ(320 - 26, rect.bottom);
        EXPECT_TRUE(IsWindow(g_state.menuBar.bar));
        EXPECT_EQ(static_cast<DWORD>(13), Shell_GetDialogFlags(dialog));
        RECT designed = {4, 4, 144, 14};
        MapDialogRect(dialog, &designed);
        EXPECT_EQ(designed.top + 20, ChildRect(dialog, GetDlgItem(dialog, IDC_TEST_LABEL)).top);

        SHSipPreference(dialog, SIP_UP);  // announced with SPI_SETSIPINFO
        GetWindowRect(dialog, &rect);
        SIPINFO sip = {sizeof sip};
        ASSERT_TRUE(SipGetInfo(&sip));
        EXPECT_TRUE(sip.fdwFlags & SIPF_ON);
        EXPECT_EQ(sip.rcSipRect.top, rect.bottom);
        SHSipPreference(dialog, SIP_DOWN);
        GetWindowRect(dialog, &rect);
        EXPECT_EQ(320 - 26, rect.bottom);
        PostMessageW(dialog, WM_COMMAND, 0xE791, 0);
    });
    const DLGTEMPLATE* dialogTemplate = nullptr;
    {
        HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_TEST_PAGE_GENERAL), RT_DIALOG);
        ASSERT_TRUE(found);
        dialogTemplate = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(nullptr, found)));
    }
    // The page template is a child template; give the dialog a popup style copy.
    const DWORD size = SizeofResource(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_TEST_PAGE_GENERAL),
                                                             RT_DIALOG));
    std::vector<BYTE> copy(reinterpret_cast<const BYTE*>(dialogTemplate),
                           reinterpret_cast<const BYTE*>(dialogTemplate) + size);
    auto* header = reinterpret_cast<DLGTEMPLATE*>(copy.data());
    header->style = (header->style & ~(WS_CHILD | DS_CONTROL)) | WS_POPUP;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), header, nullptr, PpcProc, 0);
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_FALSE(script.TimedOut());
}
