#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>

#include "DeviceScreen.h"
#include "DialogBase.h"
#include "DialogTestResources.h"
#include "DialogTestSupport.h"
#include "HandlerFaultReporter.h"
#include "Translator.h"
#include "resource.h"

using namespace dialogtests;

namespace {

// The test editor as a modeless top-level dialog, with a landscape template.
class EditorDialog : public DialogBase {
public:
    explicit EditorDialog(bool withLandscape = true) : withLandscape_(withLandscape) {}
    UINT GetLandscapeTemplateId() override {
        return withLandscape_ ? IDD_TEST_EDITOR_LANDSCAPE : DialogBase::GetLandscapeTemplateId();
    }
    const int* GetUntranslatedControls(WPARAM, LPARAM) override {
        static const int kept[] = {IDC_TEST_KEEP, 0};
        return kept;
    }
    LRESULT OnCtlColorStatic(HDC, HWND) override { return reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)); }
    LRESULT OnNotify(WPARAM, NMHDR*) override { return 42; }
    void OnTimer(UINT_PTR) override { throw std::runtime_error("tick"); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == Translator::kDialogTranslatedMessage)
            ++translatedMessages;
        return DialogBase::WindowProc(message, wParam, lParam);
    }
    int translatedMessages = 0;

private:
    bool withLandscape_;
};

RECT DialogUnits(HWND dialog, int x, int y, int cx, int cy) {
    RECT rect = {x, y, x + cx, y + cy};
    MapDialogRect(dialog, &rect);
    return rect;
}

HICON IconOf(HWND dialog) {
    return reinterpret_cast<HICON>(SendDlgItemMessageW(dialog, IDC_TEST_ICON, STM_GETICON, 0, 0));
}

std::wstring g_reported;

void RecordReport(const wchar_t* text, const wchar_t*) { g_reported = text; }

}  // namespace

// Opening on a landscape screen places the controls of the landscape template before
// the dialog shows; turning back to portrait restores the portrait places, with the
// template's icon loaded afresh and the previous one destroyed.
TEST(DialogBaseTest, LandscapeAndPortraitLayouts) {
    UseScreen(240, 320, 96);
    ASSERT_TRUE(DeviceScreen_Rotate(DMDO_90));
    ASSERT_EQ(320, DeviceScreen_GetSystemMetrics(SM_CXSCREEN));
    TestWindow host(L"host", 0, 0, 320, 320);
    EditorDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(IDD_TEST_EDITOR, host.Get(), nullptr));
    HWND window = dialog.GetHwnd();
    const RECT landscapeCombo = DialogUnits(window, 4, 4, 100, 60);
    EXPECT_EQ(landscapeCombo.top, ChildRect(window, GetDlgItem(window, IDC_TEST_COMBO)).top);
    const RECT landscapeEdit = DialogUnits(window, 150, 4, 56, 12);
    EXPECT_EQ(landscapeEdit.left, ChildRect(window, GetDlgItem(window, IDC_TEST_EDIT)).left);
    EXPECT_EQ(landscapeEdit.right, ChildRect(window, GetDlgItem(window, IDC_TEST_EDIT)).right);

    // A private icon in the template's icon control: the relayout loads the template's
    // icon again and destroys this one.
    const int size = GetSystemMetrics(SM_CXICON);
    const HICON before = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM), IMAGE_ICON, size, size, 0));
    ASSERT_TRUE(before);
    SendDlgItemMessageW(window, IDC_TEST_ICON, STM_SETICON, reinterpret_cast<WPARAM>(before), 0);
    ASSERT_EQ(before, IconOf(window));
    DeviceScreen_Rotate(DMDO_DEFAULT);  // back to 240 x 320
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(240, 300));
    const RECT portraitCombo = DialogUnits(window, 4, 22, 100, 60);
    EXPECT_EQ(portraitCombo.top, ChildRect(window, GetDlgItem(window, IDC_TEST_COMBO)).top);
    EXPECT_EQ(DialogUnits(window, 48, 4, 100, 12).left, ChildRect(window, GetDlgItem(window, IDC_TEST_EDIT)).left);
    const HICON after = IconOf(window);
    EXPECT_EQ(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM)), after);
    EXPECT_NE(before, after);
    ICONINFO info = {};
    EXPECT_FALSE(GetIconInfo(before, &info));

    // Same shape again: nothing moves.
    MoveWindow(GetDlgItem(window, IDC_TEST_COMBO), 1, 1, 10, 10, FALSE);
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(240, 300));
    EXPECT_EQ(1, ChildRect(window, GetDlgItem(window, IDC_TEST_COMBO)).top);
}

// A landscape id equal to the portrait id never re-lays out.
TEST(DialogBaseTest, NoLandscapeTemplateNeverMovesControls) {
    UseScreen(240, 320, 96);
    TestWindow host(L"host", 0, 0, 320, 320);
    EditorDialog dialog(false);
    ASSERT_TRUE(dialog.CreateModeless(IDD_TEST_EDITOR, host.Get(), nullptr));
    HWND window = dialog.GetHwnd();
    const RECT combo = DialogUnits(window, 4, 22, 100, 60);
    EXPECT_EQ(combo.top, ChildRect(window, GetDlgItem(window, IDC_TEST_COMBO)).top);
    DeviceScreen_Rotate(DMDO_90);
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(240, 300));
    EXPECT_EQ(combo.top, ChildRect(window, GetDlgItem(window, IDC_TEST_COMBO)).top);
}

// An up-down control beside its number is as wide as the screen's density asks, at the
// number's cost: the two still end where the number did.
TEST(DialogBaseTest, SpinButtonsScaleWithTheScreen) {
    for (int dpi : {96, 192}) {
        UseScreen(dpi * 240 / 96, dpi * 320 / 96, dpi);
        TestWindow host(L"host", 0, 0, 320, 320);
        EditorDialog dialog(false);
        ASSERT_TRUE(dialog.CreateModeless(IDD_TEST_SPIN, host.Get(), nullptr));
        const RECT spin = ChildRect(dialog.GetHwnd(), GetDlgItem(dialog.GetHwnd(), IDC_TEST_SPIN));
        const RECT edit = ChildRect(dialog.GetHwnd(), GetDlgItem(dialog.GetHwnd(), IDC_TEST_EDIT));
        EXPECT_EQ(16 * dpi / 96, spin.right - spin.left) << dpi << " DPI";
        // The common controls lay the two side by side, at most a border's width over each other.
        EXPECT_NEAR(edit.right, spin.left, 2) << dpi << " DPI";
        EXPECT_NEAR(DialogUnits(dialog.GetHwnd(), 60, 4, 40, 12).right, spin.right, 2) << dpi << " DPI";
    }
    UseScreen(240, 320, 96);
}

// Texts are translated except the controls the dialog keeps; the dialog hears of it
// through the translated message; combo boxes of any letter case get the Tahoma font.
TEST(DialogBaseTest, TranslationAndComboFont) {
    ASSERT_TRUE(LoadGermanPack());
    TestWindow host(L"host", 0, 0, 320, 320);
    EditorDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(IDD_TEST_EDITOR, host.Get(), nullptr));
    HWND window = dialog.GetHwnd();
    EXPECT_EQ(L"Wiederholen", WindowText(GetDlgItem(window, IDC_TEST_CHECK)));
    EXPECT_EQ(L"Keep me", WindowText(GetDlgItem(window, IDC_TEST_KEEP)));
    EXPECT_EQ(1, dialog.translatedMessages);

    const auto comboFont = SendDlgItemMessageW(window, IDC_TEST_COMBO, WM_GETFONT, 0, 0);
    EXPECT_NE(comboFont, SendMessageW(window, WM_GETFONT, 0, 0));
    LOGFONTW font = {};
    ASSERT_EQ(static_cast<int>(sizeof font), GetObjectW(reinterpret_cast<HFONT>(comboFont), sizeof font, &font));
    EXPECT_STREQ(L"Tahoma", font.lfFaceName);
    EXPECT_EQ((96 * 12 + 48) / -96, font.lfHeight);

    // The page template names its combo box "COMBOBOX".
    DialogBase page;
    ASSERT_TRUE(page.CreateModeless(IDD_TEST_PAGE_SOUND, host.Get(), nullptr));
    EXPECT_EQ(comboFont, SendDlgItemMessageW(page.GetHwnd(), IDC_TEST_COMBO, WM_GETFONT, 0, 0));
}

// Colour messages return the handler's brush directly, others through the
// message result; a throwing handler is reported and the dialog stays.
TEST(DialogBaseTest, ResultsAndFaults) {
    TestWindow host(L"host", 0, 0, 320, 320);
    EditorDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(IDD_TEST_EDITOR, host.Get(), nullptr));
    HWND window = dialog.GetHwnd();
    HWND label = GetDlgItem(window, IDC_TEST_LABEL);
    HDC dc = GetDC(label);
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)),
              SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    ReleaseDC(label, dc);
    NMHDR header = {label, IDC_TEST_LABEL, 0};
    EXPECT_EQ(42, SendMessageW(window, WM_NOTIFY, IDC_TEST_LABEL, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(42, GetWindowLongPtrW(window, DWLP_MSGRESULT));

    auto previous = HandlerFaultReporter::SetShowFunction(&RecordReport);
    SetWindowTextW(window, L"Editor");
    SendMessageW(window, WM_TIMER, 1, 0);
    HandlerFaultReporter::SetShowFunction(previous);
    EXPECT_NE(std::wstring::npos, g_reported.find(L"\"Editor\""));
    EXPECT_NE(std::wstring::npos, g_reported.find(L"0113h"));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(window, dialog.GetHwnd());
}

// OK and Cancel end a modeless dialog only when their handlers agree; a missing
// template makes creation fail.
TEST(DialogBaseTest, CreationFailsWithoutTemplate) {
    TestWindow host(L"host", 0, 0, 320, 320);
    DialogBase dialog;
    EXPECT_FALSE(dialog.CreateModeless(4711, host.Get(), nullptr));
    EXPECT_EQ(nullptr, dialog.GetHwnd());
    EXPECT_FALSE(Dialog_ApplyTemplateLayout(nullptr, host.Get(), 4711));
}
