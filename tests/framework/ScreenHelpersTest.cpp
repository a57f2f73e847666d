#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <thread>
#include <vector>

#include "AppMessageBox.h"
#include "DeviceScreen.h"
#include "FileDialog.h"
#include "GdiHelpers.h"
#include "ListViewItems.h"

TEST(ListViewItems, ReadsItemDataAndSelectsRows) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 200, 60, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(nullptr, list);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    for (int row = 0; row < 20; ++row) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(L"row");
        item.lParam = 1000 + row;
        ASSERT_EQ(row, SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    EXPECT_EQ(1007, ListView_GetItemData(list, 7));
    EXPECT_EQ(0, ListView_GetItemData(list, 42));

    ListView_SelectItem(list, 15);
    EXPECT_EQ(static_cast<LRESULT>(LVIS_SELECTED | LVIS_FOCUSED),
              SendMessageW(list, LVM_GETITEMSTATE, 15, LVIS_SELECTED | LVIS_FOCUSED));
    EXPECT_EQ(15, SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0));
    const LRESULT top = SendMessageW(list, LVM_GETTOPINDEX, 0, 0);
    const LRESULT visible = SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0);
    EXPECT_LE(top, 15);
    EXPECT_GT(top + visible, 15);
    DestroyWindow(list);
}

TEST(GdiHelpers, DrawsIconsOnLightGrey) {
    const int size = 16;
    // A fully transparent icon leaves the background; an opaque one covers it.
    BYTE andTransparent[size * size / 8], andOpaque[size * size / 8], xorBits[size * size / 8] = {};
    memset(andTransparent, 0xFF, sizeof andTransparent);
    memset(andOpaque, 0x00, sizeof andOpaque);
    HICON transparent = CreateIcon(nullptr, size, size, 1, 1, andTransparent, xorBits);
    HICON black = CreateIcon(nullptr, size, size, 1, 1, andOpaque, xorBits);
    ASSERT_NE(nullptr, transparent);
    ASSERT_NE(nullptr, black);

    auto pixel = [](HBITMAP bitmap, int x, int y) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        COLORREF colour = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteDC(dc);
        return colour;
    };
    HBITMAP clear = Gfx_IconToBitmap(transparent, 24, 20);
    ASSERT_NE(nullptr, clear);
    BITMAP info = {};
    GetObjectW(clear, sizeof info, &info);
    EXPECT_EQ(24, info.bmWidth);
    EXPECT_EQ(20, info.bmHeight);
    EXPECT_EQ(0xC0C0C0u, pixel(clear, 5, 5));
    EXPECT_EQ(0xC0C0C0u, pixel(clear, 23, 19));
    HBITMAP covered = Gfx_IconToBitmap(black, 24, 20);
    ASSERT_NE(nullptr, covered);
    EXPECT_EQ(0u, pixel(covered, 5, 5));
    DeleteObject(clear);
    DeleteObject(covered);
    DestroyIcon(transparent);
    DestroyIcon(black);
}

TEST(FileDialog, UsesTheDevicesChooserWhenItHasOne) {
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW record = {};
    record.lStructSize = sizeof record;
    record.lpstrFile = file;
    record.nMaxFile = MAX_PATH;
    EXPECT_TRUE(FileDialog_GetOpenName(&record));
    EXPECT_STREQ(L"\\My Documents\\picked.wav", file);
    // The library is let go again after the call.
    EXPECT_EQ(nullptr, GetModuleHandleW(L"tgetfile.dll"));
}

namespace {

// What a message box of this thread showed: its caption, its place on the screen and
// its children's places inside it.
struct SeenBox {
    std::wstring caption;
    RECT window = {};
    RECT client = {};
    std::vector<RECT> children;
};

// Shows a message box through AppMessageBox_Show while another thread notes the box and
// presses its OK button.
int ShowAndConfirm(const wchar_t* text, UINT flags, SeenBox* seen) {
    const DWORD guiThread = GetCurrentThreadId();
    std::thread closer([&] {
        // Windows are listed per desktop: look where the message box is.
        SetThreadDesktop(GetThreadDesktop(guiThread));
        for (int attempt = 0; attempt < 200 && seen->caption.empty(); ++attempt) {
            Sleep(25);
            EnumThreadWindows(guiThread, [](HWND window, LPARAM found) {
                wchar_t className[16] = {};
                GetClassNameW(window, className, 16);
                if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
                auto* box = reinterpret_cast<SeenBox*>(found);
                wchar_t text[64] = {};
                GetWindowTextW(window, text, 64);
                GetWindowRect(window, &box->window);
                GetClientRect(window, &box->client);
                for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                    RECT r;
                    GetWindowRect(c, &r);
                    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
                    box->children.push_back(r);
                }
                box->caption = text;
                PostMessageW(window, WM_COMMAND, IDOK, 0);
                return FALSE;
            }, reinterpret_cast<LPARAM>(seen));
        }
    });
    const int result = AppMessageBox_Show(nullptr, text, flags);
    closer.join();
    return result;
}

}  // namespace

TEST(AppMessageBox, CarriesTheProductNameAsCaption) {
    SeenBox seen;
    EXPECT_EQ(IDOK, ShowAndConfirm(L"A question for the user", MB_OKCANCEL, &seen));
    EXPECT_EQ(L"Orvalen", seen.caption);
}

TEST(AppMessageBox, StaysOnTheDeviceScreenWithAWordLongerThanALine) {
    // A desktop box grows to the longest word and hangs over both edges of a small screen.
    SeenBox seen;
    EXPECT_EQ(IDOK, ShowAndConfirm(L"A screenshot saved in \\My Documents\\Orvalen-ver4.3-screenshot-of-the-clock-page.bmp",
                                   MB_OK, &seen));
    ASSERT_EQ(L"Orvalen", seen.caption);
    DEVICE_SCREEN_MODE mode;
    DeviceScreen_GetMode(&mode);
    EXPECT_GE(seen.window.left, 0);
    EXPECT_LE(seen.window.right, mode.width);
    EXPECT_GE(seen.window.top, 0);
    EXPECT_LE(seen.window.bottom, mode.height);
    ASSERT_FALSE(seen.children.empty());
    for (const RECT& child : seen.children) {  // the text and the button, neither cut off
        EXPECT_GE(child.left, 0);
        EXPECT_LE(child.right, seen.client.right);
        EXPECT_LE(child.bottom, seen.client.bottom);
    }
}
