#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <aygshell.h>

#include "DeviceScreen.h"
#include "DialogFrame.h"
#include "DialogTestResources.h"
#include "DialogTestSupport.h"
#include "Dpi.h"
#include "FramedDialog.h"
#include "HelpTopic.h"
#include "resource.h"

using namespace dialogtests;

namespace {

// An editor that may refuse OK or Cancel and records what reached it.
class TestEditor : public FramedDialog {
public:
    TestEditor(UINT templateId = IDD_TEST_EDITOR, int menuBarId = FramedDialog::kDefaultMenuBar,
               bool scrollable = false)
        : FramedDialog(templateId, IDS_TEST_EDITOR_CAPTION, IDI_PROGRAM, true, menuBarId, true),
          scrollable_(scrollable) {}

    bool OnOK(UINT, HWND) override {
        ++okAsked;
        return allowOk;
    }
    bool OnCancel(UINT, HWND) override {
        ++cancelAsked;
        return allowCancel;
    }
    // Records the commands the frame passes on (they come without a control).
    void OnCommand(UINT id, HWND control, UINT code) override {
        if (!control)
            commands.push_back(id);
        FramedDialog::OnCommand(id, control, code);
    }
    void OnIconClicked(int x, int y) override {
        ++iconClicks;
        iconX = x;
        iconY = y;
    }
    bool IsScrollable() override { return scrollable_; }
    UINT GetLandscapeTemplateId() override { return landscapeId ? landscapeId : FramedDialog::GetLandscapeTemplateId(); }

    bool allowOk = true;
    bool allowCancel = true;
    int okAsked = 0;
    int cancelAsked = 0;
    int iconClicks = 0;
    int iconX = -1, iconY = -1;
    std::vector<UINT> commands;
    UINT landscapeId = 0;

private:
    bool scrollable_;
};

HWND FrameOf(TestEditor& editor) { return editor.Frame().GetHwnd(); }

int ScrollPos(HWND window) {
    SCROLLINFO info = {sizeof info, SIF_ALL};
    GetScrollInfo(window, SB_VERT, &info);
    return info.nPos;
}

}  // namespace

// Title, soft keys and control texts come from the language pack; the frame fills
// the screen between task bar and soft-key bar; the own dialog sits under the header.
TEST(FramedDialogTest, OpensTranslatedFullScreenAndEndsWithOk) {
    ASSERT_TRUE(LoadGermanPack());
    TestEditor editor;
    ModalScript script;
    script.Watch([&] { return FrameOf(editor); });
    script.Then([&] {
        HWND frame = FrameOf(editor);
        ASSERT_TRUE(IsWindow(frame));
        EXPECT_TRUE(editor.Frame().IsModal());
        EXPECT_EQ(L"Weckereditor", WindowText(GetDlgItem(frame, IDC_FRAME_TITLE)));
        EXPECT_EQ(L"Wiederholen", WindowText(GetDlgItem(editor.GetHwnd(), IDC_TEST_CHECK)));

        HWND bar = editor.Frame().MenuBar();
        ASSERT_TRUE(IsWindow(bar));
        EXPECT_EQ(2, SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
        EXPECT_EQ(L"Fertig", ButtonText(bar, 0));
        EXPECT_EQ(L"Menü", ButtonText(bar, 1));
        TBBUTTONINFOW info = {sizeof info, TBIF_LPARAM | TBIF_BYINDEX};
        SendMessageW(bar, TB_GETBUTTONINFOW, 1, reinterpret_cast<LPARAM>(&info));
        HMENU popup = reinterpret_cast<HMENU>(info.lParam);
        ASSERT_TRUE(IsMenu(popup));
        EXPECT_EQ(L"Hilfe", MenuText(popup, 0));
        EXPECT_EQ(L"Abbrechen", MenuText(popup, 2));

        // 240 x 320 at 96 DPI: task bar 26 above, soft keys 26 below.
        RECT frameRect;
        GetWindowRect(frame, &frameRect);
        EXPECT_EQ(0, frameRect.left);
        EXPECT_EQ(26, frameRect.top);
        EXPECT_EQ(240, frameRect.right);
        EXPECT_EQ(320 - 26, frameRect.bottom);
        EXPECT_EQ(static_cast<DWORD>(SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_DONEBUTTON), Shell_GetDialogFlags(frame));

        EXPECT_TRUE(GetWindowLongW(editor.GetHwnd(), GWL_STYLE) & WS_VISIBLE);
        const RECT own = ChildRect(frame, editor.GetHwnd());
        EXPECT_EQ(23, editor.Frame().HeaderHeight());
        EXPECT_EQ(23, own.top);
        EXPECT_EQ(240, own.right);
        EXPECT_EQ(320 - 26 - 26, own.bottom);
        // The header icon: 16 x 16, 10 pixels from the right edge, 3 from the top.
        const RECT icon = ChildRect(frame, GetDlgItem(frame, IDC_FRAME_ICON));
        EXPECT_TRUE(GetWindowLongW(GetDlgItem(frame, IDC_FRAME_ICON), GWL_STYLE) & WS_VISIBLE);
        EXPECT_EQ(240 - 10 - 16, icon.left);
        EXPECT_EQ(3, icon.top);
        EXPECT_EQ(16, icon.right - icon.left);
        EXPECT_EQ(static_cast<UINT>(IDB_TOOLBAR), editor.Frame().ToolbarBitmapId());
    });
    script.Then([&] { Shell_TapMenuBarButton(editor.Frame().MenuBar(), 0, 0); });
    EXPECT_EQ(IDOK, editor.Show(nullptr));
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(1, editor.okAsked);
    EXPECT_EQ(nullptr, editor.GetHwnd());
}

// Cancel from the soft-key menu ends with 2 once the dialog agrees; OK and Cancel
// that the dialog refuses keep it open; help opens topic 1 and keeps it open.
TEST(FramedDialogTest, SoftKeysCancelHelpAndRefusals) {
    ASSERT_TRUE(LoadGermanPack());
    TestEditor editor;
    editor.allowOk = false;
    editor.allowCancel = false;
    ModalScript script;
    script.Watch([&] { return FrameOf(editor); });
    script.Then([&] { Shell_TapMenuBarButton(editor.Frame().MenuBar(), 0, 0); })
        .Then([&] { Shell_TapMenuBarButton(editor.Frame().MenuBar(), 1, IDM_FRAME_CANCEL); })
        .Then([&] {
            EXPECT_TRUE(IsWindow(FrameOf(editor)));
            EXPECT_EQ(1, editor.okAsked);
            EXPECT_EQ(1, editor.cancelAsked);
            Shell_TapMenuBarButton(editor.Frame().MenuBar(), 1, IDM_FRAME_HELP);
        })
        .Then([&] {
            EXPECT_EQ(1, Help_LastTopic());
            EXPECT_TRUE(IsWindow(FrameOf(editor)));
            // The shell's command 9 opens help too; other commands reach the dialog.
            SendMessageW(FrameOf(editor), WM_COMMAND, MAKEWPARAM(4242, 0), 0);
            EXPECT_EQ(std::vector<UINT>{4242}, editor.commands);
            editor.allowCancel = true;
            Shell_TapMenuBarButton(editor.Frame().MenuBar(), 1, IDM_FRAME_CANCEL);
        });
    EXPECT_EQ(IDCANCEL, editor.Show(nullptr));
    EXPECT_EQ(2, editor.cancelAsked);
    EXPECT_FALSE(script.TimedOut());
}

// A dialog taller than the screen gets a range down to its lowest control plus 8;
// page down goes to the end, page up to the top, a line is 5 pixels.
TEST(FramedDialogTest, TallDialogScrolls) {
    ASSERT_TRUE(LoadGermanPack());
    TestEditor editor(IDD_TEST_TALL, FramedDialog::kDefaultMenuBar, true);
    ModalScript script;
    script.Watch([&] { return FrameOf(editor); });
    script.Then([&] {
        HWND own = editor.GetHwnd();
        SCROLLINFO info = {sizeof info, SIF_ALL};
        ASSERT_TRUE(GetScrollInfo(own, SB_VERT, &info));
        const RECT bottom = ChildRect(own, GetDlgItem(own, IDC_TEST_BOTTOM_EDIT));
        RECT client;
        GetClientRect(own, &client);
        EXPECT_EQ(0, info.nMin);
        EXPECT_EQ(bottom.bottom + 8, info.nMax);
        EXPECT_EQ(static_cast<UINT>(client.bottom + 1), info.nPage);
        EXPECT_EQ(0, info.nPos);

        SendMessageW(own, WM_VSCROLL, SB_LINEDOWN, 0);
        EXPECT_EQ(5, ScrollPos(own));
        EXPECT_EQ(bottom.top - 5, ChildRect(own, GetDlgItem(own, IDC_TEST_BOTTOM_EDIT)).top);
        // Page down goes straight to the end, even of a range longer than the screen.
        ASSERT_GT(info.nMax, 2 * 320);
        SendMessageW(own, WM_VSCROLL, SB_PAGEDOWN, 0);
        EXPECT_EQ(info.nMax - static_cast<int>(info.nPage) + 1, ScrollPos(own));
        SendMessageW(own, WM_VSCROLL, SB_PAGEUP, 0);
        EXPECT_EQ(0, ScrollPos(own));
        EXPECT_EQ(bottom.top, ChildRect(own, GetDlgItem(own, IDC_TEST_BOTTOM_EDIT)).top);
        SendMessageW(own, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 40), 0);
        EXPECT_EQ(40, ScrollPos(own));
        SendMessageW(own, WM_VSCROLL, 8, 0);  // SB_ENDSCROLL changes nothing
        EXPECT_EQ(40, ScrollPos(own));
    });
    script.Then([&] { SendMessageW(FrameOf(editor), WM_COMMAND, IDOK, 0); });
    EXPECT_EQ(IDOK, editor.Show(nullptr));
    EXPECT_FALSE(script.TimedOut());
}

// A dialog whose controls all fit shows no scroll bar, scrollable or not.
TEST(FramedDialogTest, FittingDialogHasNoScrollRange) {
    ASSERT_TRUE(LoadGermanPack());
    TestEditor editor(IDD_TEST_EDITOR, FramedDialog::kDefaultMenuBar, true);
    ModalScript script;
    script.Watch([&] { return FrameOf(editor); });
    script.Then([&] {
        SCROLLINFO info = {sizeof info, SIF_ALL};
        GetScrollInfo(editor.GetHwnd(), SB_VERT, &info);
        EXPECT_EQ(0, info.nMax);
        EXPECT_EQ(0u, info.nPage);
        SendMessageW(FrameOf(editor), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, editor.Show(nullptr));
}

// Without a menu bar a tap on the header icon reaches OnIconClicked with the
// screen position; with one it reaches the dialog as a plain command 10701.
TEST(FramedDialogTest, HeaderIconTap) {
    ASSERT_TRUE(LoadGermanPack());
    TestEditor bare(IDD_TEST_EDITOR, FramedDialog::kNoMenuBar);
    ModalScript script;
    script.Watch([&] { return FrameOf(bare); });
    script.Then([&] {
        HWND frame = FrameOf(bare);
        EXPECT_EQ(nullptr, bare.Frame().MenuBar());
        EXPECT_EQ(static_cast<DWORD>(SHIDIF_FULLSCREENNOMENUBAR | SHIDIF_DONEBUTTON), Shell_GetDialogFlags(frame));
        RECT rect;
        GetWindowRect(frame, &rect);
        EXPECT_EQ(320, rect.bottom);  // no soft-key bar to leave room for
        SetCursorPos(100, 50);
        SendMessageW(frame, WM_COMMAND, MAKEWPARAM(IDC_FRAME_ICON, STN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(frame, IDC_FRAME_ICON)));
        EXPECT_EQ(1, bare.iconClicks);
        POINT cursor;
        GetCursorPos(&cursor);
        EXPECT_EQ(cursor.x, bare.iconX);
        EXPECT_EQ(cursor.y, bare.iconY);
        EXPECT_TRUE(bare.commands.empty());
        SendMessageW(frame, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, bare.Show(nullptr));

    TestEditor withBar;
    ModalScript second;
    second.Watch([&] { return FrameOf(withBar); });
    second.Then([&] {
        HWND frame = FrameOf(withBar);
        SendMessageW(frame, WM_COMMAND, MAKEWPARAM(IDC_FRAME_ICON, STN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(frame, IDC_FRAME_ICON)));
        EXPECT_EQ(0, withBar.iconClicks);
        EXPECT_EQ(std::vector<UINT>{IDC_FRAME_ICON}, withBar.commands);
        SendMessageW(frame, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, withBar.Show(nullptr));
}

// At 192 DPI the header icon is 32 x 32, the toolbar bitmap 303, and every header
// length doubles.
TEST(FramedDialogTest, HighDensityScreen) {
    UseScreen(480, 640, 192);
    ASSERT_TRUE(LoadGermanPack());
    TestEditor editor;
    EXPECT_EQ(static_cast<UINT>(IDB_TOOLBAR_LARGE), editor.Frame().ToolbarBitmapId());
    ModalScript script;
    script.Watch([&] { return FrameOf(editor); });
    script.Then([&] {
        HWND frame = FrameOf(editor);
        RECT rect;
        GetWindowRect(frame, &rect);
        EXPECT_EQ(52, rect.top);
        EXPECT_EQ(640 - 52, rect.bottom);
        EXPECT_EQ(480, rect.right);
        EXPECT_EQ(46, editor.Frame().HeaderHeight());
        const RECT icon = ChildRect(frame, GetDlgItem(frame, IDC_FRAME_ICON));
        EXPECT_EQ(32, icon.right - icon.left);
        EXPECT_EQ(32, icon.bottom - icon.top);
        EXPECT_EQ(480 - 20 - 32, icon.left);
        EXPECT_EQ(6, icon.top);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(editor.Frame().Icon(), &info));
        BITMAP mask = {};
        GetObjectW(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(32, mask.bmWidth);
        DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        SendMessageW(frame, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, editor.Show(nullptr));
}

// The header can be hidden and shown again, normal or compact; the own dialog
// follows its height.
TEST(FramedDialogTest, HeaderShowAndHide) {
    ASSERT_TRUE(LoadGermanPack());
    TestEditor editor;
    ModalScript script;
    script.Watch([&] { return FrameOf(editor); });
    script.Then([&] {
        HWND frame = FrameOf(editor);
        DialogFrame& header = editor.Frame();
        header.ShowIcon(false, false);
        EXPECT_EQ(0, header.HeaderHeight());
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(frame, IDC_FRAME_TITLE)));
        EXPECT_EQ(0, ChildRect(frame, editor.GetHwnd()).top);
        header.ShowIcon(true, false);
        EXPECT_EQ(33, header.HeaderHeight());
        EXPECT_EQ(33, ChildRect(frame, editor.GetHwnd()).top);
        EXPECT_EQ(9, ChildRect(frame, GetDlgItem(frame, IDC_FRAME_TITLE)).top);
        EXPECT_EQ(8, ChildRect(frame, GetDlgItem(frame, IDC_FRAME_ICON)).top);
        header.SetImage(nullptr);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(frame, IDC_FRAME_ICON)));
        SendMessageW(frame, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, editor.Show(nullptr));
}

// Turning the screen while the dialog is up: the shell's announcement resizes the
// frame to the turned screen, the soft-key bar follows, and the dialog takes the
// places of its landscape template; turning back restores the portrait places.
TEST(FramedDialogTest, FollowsScreenRotation) {
    ASSERT_TRUE(LoadGermanPack());
    TestEditor editor;
    editor.landscapeId = IDD_TEST_EDITOR_LANDSCAPE;
    auto comboTop = [&] { return ChildRect(editor.GetHwnd(), GetDlgItem(editor.GetHwnd(), IDC_TEST_COMBO)).top; };
    auto designedTop = [&](int y) {
        RECT rect = {0, y, 10, y + 10};
        MapDialogRect(editor.GetHwnd(), &rect);
        return static_cast<int>(rect.top);
    };
    ModalScript script;
    script.Watch([&] { return FrameOf(editor); });
    script.Then([&] {
        EXPECT_EQ(designedTop(22), comboTop());
        ASSERT_TRUE(DeviceScreen_Rotate(DMDO_90));
        RECT frame;
        GetWindowRect(FrameOf(editor), &frame);
        EXPECT_EQ(320, frame.right);
        EXPECT_EQ(240 - 26, frame.bottom);
        EXPECT_EQ(designedTop(4), comboTop());
        RECT bar;
        GetWindowRect(editor.Frame().MenuBar(), &bar);
        EXPECT_EQ(320, bar.right);
        EXPECT_EQ(240, bar.bottom);
        ASSERT_TRUE(DeviceScreen_Rotate(DMDO_DEFAULT));
        EXPECT_EQ(designedTop(22), comboTop());
        SendMessageW(FrameOf(editor), WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, editor.Show(nullptr));
    EXPECT_FALSE(script.TimedOut());
}
