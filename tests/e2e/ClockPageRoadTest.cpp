// The clock page of the real Orvalen, driven from outside: "-startfull" opens the main
// window on the clock with the face; the "Maximize clock" key hands the clock to the
// screen saver, whose key press hides it and gives the keys back; the clock menu's
// "Settings..." edits the slide show, OK writing every value and Cancel none.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "ClockWnd.h"
#include "DeviceInput.h"
#include "DeviceProgram.h"
#include "EditorProbe.h"
#include "FullScreenClockWnd.h"
#include "MainWindowProbe.h"
#include "TestSupport.h"
#include "hotkeys.h"
#include "resource.h"

namespace {

using device_program::kProgramDevicePath;
namespace probe = main_window_probe;

const std::wstring kClockKey = L"Software\\Ostrel\\Orvalen\\Clock";
const std::wstring kSlideShowKey = kClockKey + L"\\ScreenSaver\\SlideShow";
constexpr DWORD kTimeoutMs = 30000;
constexpr int kMaximizeKey = 0xC1;  // bound to "Maximize clock" below
constexpr DWORD kPlainKey = 0x80000000;

HWND ClockIn(HWND top) {
    struct Search {
        HWND found;
    } search = {nullptr};
    EnumChildWindows(
        top,
        [](HWND window, LPARAM data) -> BOOL {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) != ClockWnd::kClassName) return TRUE;
            reinterpret_cast<Search*>(data)->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Screen() { return FindWindowW(FullScreenClockWnd::kClassName, nullptr); }
bool ScreenShows() { return Screen() && IsWindowVisible(Screen()); }

struct SlideShowValues {
    std::wstring folder;
    DWORD delayMin = 0, delaySec = 0, effect = 0, size = 0, shuffle = 0, optimize = 0;
    bool operator==(const SlideShowValues& o) const {
        return folder == o.folder && delayMin == o.delayMin && delaySec == o.delaySec && effect == o.effect &&
               size == o.size && shuffle == o.shuffle && optimize == o.optimize;
    }
};

// The record keeps its numbers in 2 or 4 bytes, some as binary data.
DWORD StoredNumber(const wchar_t* name) {
    DWORD number = 0, size = sizeof number;
    RegGetValueW(HKEY_CURRENT_USER, kSlideShowKey.c_str(), name, RRF_RT_ANY, nullptr, &number, &size);
    return number;
}

SlideShowValues StoredSlideShow() {
    SlideShowValues values;
    testsupport::ReadRegistryString(HKEY_CURRENT_USER, kSlideShowKey, L"Folder", &values.folder);
    values.delayMin = StoredNumber(L"DelayMin");
    values.delaySec = StoredNumber(L"DelaySec");
    values.effect = StoredNumber(L"Effect");
    values.size = StoredNumber(L"Size");
    values.shuffle = StoredNumber(L"Shuffle");
    values.optimize = StoredNumber(L"Optimize");
    return values;
}

std::wstring Describe(const SlideShowValues& v) {
    return v.folder + L", " + std::to_wstring(v.delayMin) + L":" + std::to_wstring(v.delaySec) + L", effect " +
           std::to_wstring(v.effect) + L", size " + std::to_wstring(v.size) + L", shuffle " +
           std::to_wstring(v.shuffle) + L", optimize " + std::to_wstring(v.optimize);
}

LRESULT SelectedData(HWND page, int id) {
    HWND combo = GetDlgItem(page, id);
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return index < 0 ? -1 : SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
}

class ClockPageRoad : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device_program::Install());
        // "Maximize clock", the first command of the clock's list, on a plain key.
        ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kClockKey + L"\\Buttons\\Clock", L"0",
                                                    kMaximizeKey | kPlainKey));
        ASSERT_TRUE(program_.Start(testsupport::DevicePath(kProgramDevicePath), L"-startfull"));
        window_ = probe::WaitForMainWindow(kTimeoutMs);
        ASSERT_NE(nullptr, window_);
    }
    void TearDown() override { device_program::EndProgram(); }

    // Opens the slide-show settings through the clock menu's "Settings..."; its page.
    // The clock's "Settings..." opens the options sheet; its Screen Saver page's button the
    // slide show's settings.
    HWND OpenSettings() {
        if (!sheet_ || !IsWindow(sheet_)) {
            // Posted: the sheet runs modally inside the command.
            PostMessageW(window_, WM_COMMAND, MAKEWPARAM(ClockWnd::kSettingsCommand, 0), 0);
            sheet_ = editor_probe::WaitForEditor(program_.Id(), L"Clock Properties");
        }
        HWND saver = nullptr;
        if (!sheet_ || !testsupport::PollUntil(kTimeoutMs, [&] {
                return (saver = editor_probe::PageWith(sheet_, IDC_SAVER_SLIDE_SHOW)) != nullptr;
            }))
            return nullptr;
        HWND button = GetDlgItem(saver, IDC_SAVER_SLIDE_SHOW);
        PostMessageW(saver, WM_COMMAND, MAKEWPARAM(IDC_SAVER_SLIDE_SHOW, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        frame_ = editor_probe::WaitForEditor(program_.Id(), L"Slide show options");
        return frame_ ? editor_probe::PageWith(frame_, IDC_SLIDESHOW_FOLDER) : nullptr;
    }
    bool WaitClosed() {
        return testsupport::PollUntil(kTimeoutMs, [&] { return !IsWindow(frame_); });
    }

    testsupport::ChildProcess program_;
    HWND window_ = nullptr;
    HWND sheet_ = nullptr;
    HWND frame_ = nullptr;
};

}  // namespace

TEST_F(ClockPageRoad, StartFullShowsTheClockTabAndTheMaximizeKeyLendsItToTheScreenSaver) {
    ASSERT_TRUE(probe::WaitForPage(window_, L"Clock", kTimeoutMs));
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return GetForegroundWindow() == window_; }));
    HWND clock = nullptr;
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return (clock = ClockIn(window_)) != nullptr; }));
    EXPECT_TRUE(IsWindowVisible(clock));
    // The face fills the page but for a border of two pixels.
    RECT face = {}, page = {};
    GetWindowRect(clock, &face);
    GetClientRect(GetParent(clock), &page);
    MapWindowPoints(GetParent(clock), nullptr, reinterpret_cast<POINT*>(&page), 2);
    EXPECT_EQ(page.left + 2, face.left);
    EXPECT_EQ(page.right - 2, face.right);
    EXPECT_GT(face.bottom - face.top, 200);
    EXPECT_TRUE(GetWindowLongW(clock, GWL_STYLE) & WS_BORDER);

    // The key is the page's hot key: the screen saver borrows the clock.
    ASSERT_TRUE(DeviceInput_Key(kMaximizeKey));
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, ScreenShows));
    EXPECT_EQ(Screen(), GetParent(clock));
    // While it shows the key is no hot key: it reaches the screen saver, which goes.
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return GetForegroundWindow() == Screen(); }));
    ASSERT_TRUE(DeviceInput_Key(kMaximizeKey));
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return !ScreenShows(); }));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return GetAncestor(clock, GA_ROOT) == window_; }));
    // The page has its keys back.
    HWND holder = nullptr;
    int id = 0;
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return Device_FindHotKey(0, kMaximizeKey, &holder, &id); }));
    EXPECT_EQ(GetParent(clock), holder);
    EXPECT_EQ(IDS_KEY_MAXIMIZE_CLOCK, id);
    ASSERT_TRUE(DeviceInput_Key(kMaximizeKey));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, ScreenShows));
    ASSERT_TRUE(DeviceInput_Tap(120, 160));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return !ScreenShows(); }));

    // Closing the main window ends the program quietly.
    PostMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program_.Wait(kTimeoutMs));
}

TEST_F(ClockPageRoad, SettingsEditsTheSlideShowOkWritesCancelDoesNot) {
    ASSERT_TRUE(probe::WaitForPage(window_, L"Clock", kTimeoutMs));
    HWND page = OpenSettings();
    ASSERT_NE(nullptr, page);
    // The defaults: 00:07, Random, Smart Fill.
    EXPECT_EQ(4, SelectedData(page, IDC_SLIDESHOW_EFFECT));
    EXPECT_EQ(3, SelectedData(page, IDC_SLIDESHOW_SIZE));
    EXPECT_EQ(L"None|Smooth|Vertical lines|Horizontal lines|Random",
              editor_probe::ComboTexts(page, IDC_SLIDESHOW_EFFECT, L'|'));
    EXPECT_EQ(L"Original|Stretch|Fit|Smart Fill", editor_probe::ComboTexts(page, IDC_SLIDESHOW_SIZE, L'|'));

    editor_probe::SetText(page, IDC_SLIDESHOW_FOLDER, L"\\Slides");
    ASSERT_TRUE(editor_probe::SetPickerTime(program_.Handle(), page, IDC_SLIDESHOW_DELAY, 10, 1, 30));
    ASSERT_TRUE(editor_probe::SelectByText(page, IDC_SLIDESHOW_EFFECT, L"Vertical lines"));
    ASSERT_TRUE(editor_probe::SelectByText(page, IDC_SLIDESHOW_SIZE, L"Fit"));
    editor_probe::SetCheck(page, IDC_SLIDESHOW_SHUFFLE, true);
    editor_probe::SetCheck(page, IDC_SLIDESHOW_OPTIMIZE, true);
    editor_probe::PressOk(frame_);
    ASSERT_TRUE(WaitClosed());
    SlideShowValues expected;
    expected.folder = L"\\Slides";
    expected.delayMin = 1;
    expected.delaySec = 30;
    expected.effect = 3;  // Vertical lines stores 3, though listed third
    expected.size = 2;
    expected.shuffle = expected.optimize = 1;
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return StoredSlideShow() == expected; }))
        << Describe(StoredSlideShow());

    // Opened again it shows what was stored; Cancel after changes keeps it, OK unchanged writes it back alike.
    page = OpenSettings();
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(L"\\Slides", editor_probe::Text(GetDlgItem(page, IDC_SLIDESHOW_FOLDER)));
    EXPECT_EQ(3, SelectedData(page, IDC_SLIDESHOW_EFFECT));
    EXPECT_EQ(2, SelectedData(page, IDC_SLIDESHOW_SIZE));
    EXPECT_EQ(BST_CHECKED, SendMessageW(GetDlgItem(page, IDC_SLIDESHOW_SHUFFLE), BM_GETCHECK, 0, 0));
    editor_probe::SetText(page, IDC_SLIDESHOW_FOLDER, L"\\Elsewhere");
    ASSERT_TRUE(editor_probe::SelectByText(page, IDC_SLIDESHOW_EFFECT, L"None"));
    editor_probe::SetCheck(page, IDC_SLIDESHOW_OPTIMIZE, false);
    editor_probe::PressCancel(frame_);
    ASSERT_TRUE(WaitClosed());
    page = OpenSettings();
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(L"\\Slides", editor_probe::Text(GetDlgItem(page, IDC_SLIDESHOW_FOLDER))) << "Cancel kept nothing";
    editor_probe::PressOk(frame_);
    ASSERT_TRUE(WaitClosed());
    Sleep(500);
    EXPECT_TRUE(StoredSlideShow() == expected) << Describe(StoredSlideShow());
}
