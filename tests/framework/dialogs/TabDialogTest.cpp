#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "DialogFrame.h"
#include "DialogTestResources.h"
#include "DialogTestSupport.h"
#include "PageBase.h"
#include "TabDialog.h"
#include "resource.h"

using namespace dialogtests;

namespace {

class CountingPage : public PageBase {
public:
    explicit CountingPage(bool showHeader = true) : PageBase(showHeader) {}
    void OnPageShow() override { ++shown; }
    void OnPageHide() override { ++hidden; }
    LRESULT OnHelp(HELPINFO*, WPARAM) override {
        ++helps;
        return 1;
    }
    int shown = 0;
    int hidden = 0;
    int helps = 0;
};

// Three pages: general, sound (without header) and a long one.
class TestSheet : public TabDialog {
public:
    explicit TestSheet(int menuBarId = FramedDialog::kDefaultMenuBar)
        : TabDialog(IDS_TEST_SHEET_CAPTION, IDI_PROGRAM, true, menuBarId, true) {}

    void OnInitPages() override {
        const UINT templates[] = {IDD_TEST_PAGE_GENERAL, IDD_TEST_PAGE_SOUND, IDD_TEST_PAGE_LONG};
        const UINT captions[] = {IDS_TEST_PAGE_GENERAL, IDS_TEST_PAGE_SOUND, IDS_TEST_PAGE_LONG};
        for (int index = 0; index < 3; ++index) {
            auto* page = new CountingPage(index != 1);
            pages[index] = page;
            if (page->CreateModeless(templates[index], GetHwnd(), nullptr))
                AddPage(page, captions[index]);
            else
                delete page;
        }
    }
    void OnOpened(UINT, WPARAM) override {
        ++opened;
        SelectPage(0);
    }
    CountingPage* pages[3] = {};
    int opened = 0;
};

HWND FrameOf(TestSheet& sheet) { return sheet.Frame().GetHwnd(); }

void ClickTab(TestSheet& sheet, int index) {
    HWND strip = sheet.TabStrip();
    SendMessageW(strip, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    NMHDR header = {strip, static_cast<UINT_PTR>(IDC_TAB_STRIP), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(sheet.GetHwnd(), WM_NOTIFY, IDC_TAB_STRIP, reinterpret_cast<LPARAM>(&header));
}

bool Visible(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

std::wstring TabText(HWND strip, int index) {
    wchar_t text[64] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 63;
    SendMessageW(strip, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

}  // namespace

// Tapping a tab shows that page and hides the others, moves the hooks and the
// header; tapping the current tab again changes nothing.
TEST(TabDialogTest, TabsSwitchPages) {
    ASSERT_TRUE(LoadGermanPack());
    TestSheet sheet;
    ModalScript script;
    script.Watch([&] { return FrameOf(sheet); });
    script.Then([] {})
        .Then([&] {
            ASSERT_EQ(3, sheet.PageCount());
            EXPECT_EQ(1, sheet.opened);
            EXPECT_EQ(0, sheet.CurrentIndex());
            EXPECT_EQ(L"Einstellungen", WindowText(GetDlgItem(FrameOf(sheet), IDC_FRAME_TITLE)));
            EXPECT_EQ(L"Allgemein", TabText(sheet.TabStrip(), 0));
            EXPECT_EQ(L"Ton", TabText(sheet.TabStrip(), 1));
            EXPECT_EQ(1, sheet.pages[0]->shown);
            EXPECT_EQ(0, sheet.pages[0]->hidden);  // the first selection hides nothing
            EXPECT_TRUE(Visible(sheet.pages[0]->GetHwnd()));
            EXPECT_FALSE(Visible(sheet.pages[1]->GetHwnd()));

            // The page fills the dialog above the strip; the strip overhangs by 2.
            RECT client, area;
            GetClientRect(sheet.GetHwnd(), &client);
            area = ChildRect(sheet.GetHwnd(), sheet.pages[0]->GetHwnd());
            EXPECT_EQ(0, area.top);
            EXPECT_EQ(client.right, area.right);
            EXPECT_EQ(client.bottom - 22, area.bottom);
            const RECT strip = ChildRect(sheet.GetHwnd(), sheet.TabStrip());
            EXPECT_EQ(-2, strip.left);
            EXPECT_EQ(client.right, strip.right);
            EXPECT_EQ(client.bottom - 22, strip.top);
            EXPECT_EQ(client.bottom, strip.bottom);

            ClickTab(sheet, 1);
            EXPECT_EQ(1, sheet.CurrentIndex());
            EXPECT_EQ(1, sheet.pages[0]->hidden);
            EXPECT_EQ(1, sheet.pages[1]->shown);
            EXPECT_TRUE(Visible(sheet.pages[1]->GetHwnd()));
            EXPECT_FALSE(Visible(sheet.pages[0]->GetHwnd()));
            EXPECT_FALSE(sheet.Frame().HeaderShown());  // the sound page has no header
            // The page takes the focus (and hands it to its first control).
            HWND focus = GetFocus();
            EXPECT_TRUE(focus == sheet.pages[1]->GetHwnd() || IsChild(sheet.pages[1]->GetHwnd(), focus));

            SetFocus(sheet.TabStrip());
            sheet.SelectPage(1);
            EXPECT_EQ(1, sheet.pages[1]->shown);
            EXPECT_EQ(0, sheet.pages[1]->hidden);
            EXPECT_EQ(GetFocus(), sheet.TabStrip());

            sheet.SelectPageObject(sheet.pages[2]);
            EXPECT_EQ(2, sheet.CurrentIndex());
            EXPECT_EQ(2, SendMessageW(sheet.TabStrip(), TCM_GETCURSEL, 0, 0));
            EXPECT_TRUE(sheet.Frame().HeaderShown());
            EXPECT_THROW(sheet.SelectPage(7), std::exception);

            // Help goes to the current page.
            SendMessageW(FrameOf(sheet), WM_COMMAND, IDM_FRAME_HELP, 0);
            EXPECT_EQ(1, sheet.pages[2]->helps);
            Shell_TapMenuBarButton(sheet.Frame().MenuBar(), 0, 0);
        });
    EXPECT_EQ(IDOK, sheet.Show(nullptr));
    EXPECT_FALSE(script.TimedOut());
}

// Without a menu bar the header icon opens a menu of the tabs with the current one
// checked; choosing an item selects that page and moves the strip.
TEST(TabDialogTest, TabListMenuSelectsPages) {
    ASSERT_TRUE(LoadGermanPack());
    TestSheet sheet(FramedDialog::kNoMenuBar);
    ModalScript script;
    script.Watch([&] { return FrameOf(sheet); });
    script.Then([] {})
        .Then([&] {
            HWND frame = FrameOf(sheet);
            // The tap runs the menu's own loop; the next step runs inside it.
            SendMessageW(frame, WM_COMMAND, MAKEWPARAM(IDC_FRAME_ICON, STN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(frame, IDC_FRAME_ICON)));
        })
        .Then([&] {
            HMENU menu = sheet.TabListMenu();
            ASSERT_TRUE(IsMenu(menu));
            EXPECT_EQ(3, GetMenuItemCount(menu));
            EXPECT_EQ(L"Allgemein", MenuText(menu, 0));
            EXPECT_EQ(L"Lang", MenuText(menu, 2));
            EXPECT_EQ(TabDialog::kTabMenuFirstId + 2, GetMenuItemID(menu, 2));
            EXPECT_TRUE(GetMenuState(menu, 0, MF_BYPOSITION) & MF_CHECKED);
            EXPECT_FALSE(GetMenuState(menu, 2, MF_BYPOSITION) & MF_CHECKED);
            EndMenu();
            PostMessageW(sheet.GetHwnd(), WM_COMMAND, TabDialog::kTabMenuFirstId + 2, 0);
        })
        .Then([&] {
            EXPECT_EQ(2, sheet.CurrentIndex());
            EXPECT_EQ(2, SendMessageW(sheet.TabStrip(), TCM_GETCURSEL, 0, 0));
            EXPECT_TRUE(Visible(sheet.pages[2]->GetHwnd()));
            EXPECT_EQ(nullptr, sheet.TabListMenu());
            // Without the menu the same command is not a tab choice.
            SendMessageW(sheet.GetHwnd(), WM_COMMAND, TabDialog::kTabMenuFirstId, 0);
            EXPECT_EQ(2, sheet.CurrentIndex());
            SendMessageW(FrameOf(sheet), WM_COMMAND, IDCANCEL, 0);
        });
    EXPECT_EQ(IDCANCEL, sheet.Show(nullptr));
    EXPECT_FALSE(script.TimedOut());
}

// A page that does not fit scrolls; focusing an edit below the visible area brings
// it into view with 8 pixels to spare. A page that fits has no scroll range.
TEST(TabDialogTest, LongPageScrollsFocusedControlIntoView) {
    ASSERT_TRUE(LoadGermanPack());
    TestSheet sheet;
    ModalScript script;
    script.Watch([&] { return FrameOf(sheet); });
    script.Then([] {})
        .Then([&] {
            SCROLLINFO fits = {sizeof fits, SIF_ALL};
            GetScrollInfo(sheet.pages[0]->GetHwnd(), SB_VERT, &fits);
            EXPECT_EQ(0, fits.nMax);

            ClickTab(sheet, 2);
            HWND page = sheet.pages[2]->GetHwnd();
            SCROLLINFO info = {sizeof info, SIF_ALL};
            ASSERT_TRUE(GetScrollInfo(page, SB_VERT, &info));
            EXPECT_GT(info.nMax, 0);
            SetFocus(GetDlgItem(page, IDC_TEST_BOTTOM_EDIT));
        })
        .Then([&] {
            HWND page = sheet.pages[2]->GetHwnd();
            RECT client;
            GetClientRect(page, &client);
            const RECT edit = ChildRect(page, GetDlgItem(page, IDC_TEST_BOTTOM_EDIT));
            SCROLLINFO info = {sizeof info, SIF_ALL};
            GetScrollInfo(page, SB_VERT, &info);
            EXPECT_GT(info.nPos, 0);
            const int end = info.nMax - static_cast<int>(info.nPage) + 1;
            // In view with the margin, unless the end of the range stopped it first.
            if (info.nPos < end)
                EXPECT_EQ(client.bottom - 8, edit.bottom);
            else
                EXPECT_LE(edit.bottom, client.bottom);
            SetFocus(GetDlgItem(page, IDC_TEST_EDIT));
        })
        .Then([&] {
            HWND page = sheet.pages[2]->GetHwnd();
            const RECT edit = ChildRect(page, GetDlgItem(page, IDC_TEST_EDIT));
            EXPECT_GE(edit.top, 8);
            SendMessageW(FrameOf(sheet), WM_COMMAND, IDOK, 0);
        });
    EXPECT_EQ(IDOK, sheet.Show(nullptr));
    EXPECT_FALSE(script.TimedOut());
}
