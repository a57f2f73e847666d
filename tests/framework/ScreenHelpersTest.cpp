#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <thread>

#include "AppMessageBox.h"
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

TEST(AppMessageBox, CarriesTheProductNameAsCaption) {
    const DWORD guiThread = GetCurrentThreadId();
    std::wstring caption;
    std::thread closer([&] {
        // Windows are listed per desktop: look where the message box is.
        SetThreadDesktop(GetThreadDesktop(guiThread));
        for (int attempt = 0; attempt < 200 && caption.empty(); ++attempt) {
            Sleep(25);
            EnumThreadWindows(guiThread, [](HWND window, LPARAM found) {
                wchar_t className[16] = {};
                GetClassNameW(window, className, 16);
                if (wcscmp(className, L"#32770") != 0) return TRUE;
                wchar_t text[64] = {};
                GetWindowTextW(window, text, 64);
                *reinterpret_cast<std::wstring*>(found) = text;
                PostMessageW(window, WM_COMMAND, IDOK, 0);
                return FALSE;
            }, reinterpret_cast<LPARAM>(&caption));
        }
    });
    const int result = AppMessageBox_Show(nullptr, L"A question for the user", MB_OKCANCEL);
    closer.join();
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(L"Orvalen", caption);
}
