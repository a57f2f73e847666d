// The main-menu popup and the options sheet in this process, over the program's own
// objects: the popup's grid and keys and the engine's count of open popups; every page
// of the sheet writes its values on OK and nothing on Cancel, the clock drawing the
// chosen skin; the snooze list editor.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>
#include <string>

#include "AboutPage.h"
#include "App.h"
#include "DeviceFiles.h"
#include "EditorProbe.h"
#include "ButtonMap.h"
#include "ButtonsPage.h"
#include "ChimeItem.h"
#include "ClockWnd.h"
#include "DateFunctions.h"
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "EngineScreens.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "MainFrameWnd.h"
#include "MainMenuLayout.h"
#include "MainMenuProbe.h"
#include "MainTabView.h"
#include "MainWindow.h"
#include "OptionsSheet.h"
#include "RegistryProbe.h"
#include "SheetSteps.h"
#include "Skin.h"
#include "SkinList.h"
#include "SnoozeTimeDlg.h"
#include "SystemSettings.h"
#include "TabPage.h"
#include "TestPack.h"
#include "TestSupport.h"
#include "Translator.h"
#include "ZipFileArchive.h"
#include "hotkeys.h"
#include "resource.h"

namespace {

using registryprobe::Differences;

using namespace sheet_steps;
const std::wstring kProduct = L"Software\\Ostrel\\Orvalen";
const std::wstring kClock = kProduct + L"\\Clock";

enum Tab { kChime, kScreenSaver, kLanguages, kSkins, kSystem, kInterface, kButtons, kAtomicClock };

void SetPickerTime(HWND page, int id, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME at = {};
    GetLocalTime(&at);
    at.wHour = hour;
    at.wMinute = minute;
    at.wSecond = second;
    at.wMilliseconds = 0;
    SendDlgItemMessageW(page, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&at));
}

void Check(HWND page, int id, bool on) { CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }

void Select(HWND page, int id, int index) { SendDlgItemMessageW(page, id, CB_SETCURSEL, index, 0); }

void SelectRow(HWND list, int row) {
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// The same edits on every page but the languages and skins.
void EditEveryPage(OptionsSheet& sheet) {
    HWND chime = sheet.PageAt(kChime)->GetHwnd();
    Check(chime, IDC_CHIME_ENABLE, true);
    Check(chime, IDC_CHIME_QUIET, false);
    Select(chime, IDC_CHIME_TYPE, ChimeItem::kEveryQuarter);
    Check(chime, IDC_CHIME_HOURS, true);
    HWND saver = sheet.PageAt(kScreenSaver)->GetHwnd();
    SetPickerTime(saver, IDC_SAVER_TIMEOUT, 0, 0, 10);  // below the least: 15 s
    Check(saver, IDC_SAVER_RUN_AT_SYSTEM, true);
    Check(saver, IDC_SAVER_USE_EXCEPTIONS, false);
    Select(saver, IDC_SAVER_BATTERY, 1);
    Select(saver, IDC_SAVER_AC, 0);
    HWND system = sheet.PageAt(kSystem)->GetHwnd();
    Check(system, IDC_GENERAL_CLOSE_ON_MINIMIZE, true);
    Check(system, IDC_GENERAL_STOPWATCH_KEEP_ON, false);
    Check(system, IDC_GENERAL_DELETE_ONCE, true);
    SetDlgItemTextW(system, IDC_GENERAL_AUTOSNOOZE, L"7");
    HWND interfacePage = sheet.PageAt(kInterface)->GetHwnd();
    Select(interfacePage, IDC_INTERFACE_STYLE, 1);
    SetDlgItemTextW(interfacePage, IDC_INTERFACE_HEIGHT, L"many");  // not a number: the default 2
    // The same key for two actions of the Alarms screen: the second keeps it.
    auto* buttons = dynamic_cast<ButtonsPage*>(sheet.PageAt(kButtons));
    ASSERT_TRUE(buttons);
    HWND list = GetDlgItem(buttons->GetHwnd(), IDC_BUTTONS_LIST);
    buttons->FillMode(1);
    SelectRow(list, 0);
    buttons->AssignKey(0xC1, false);
    SelectRow(list, 1);
    buttons->AssignKey(0xC1, true);
    HWND atomic = sheet.PageAt(kAtomicClock)->GetHwnd();
    Check(atomic, IDC_ATOMIC_ENABLE, true);
    Select(atomic, IDC_ATOMIC_SERVER, 3);
    SetPickerTime(atomic, IDC_ATOMIC_TIME, 4, 30, 0);
}

// Polls for up to 10 s while this thread handles its messages.
bool PumpUntil(const std::function<bool()>& ready) {
    return testsupport::PollUntil(10000, [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        return ready();
    });
}

// The test skin (beside this program in "Skins"), chosen on the Skins page once it has listed it.
bool ChooseTestSkin(OptionsSheet& sheet) {
    HWND list = GetDlgItem(sheet.PageAt(kSkins)->GetHwnd(), IDC_SKIN_LIST);
    const LRESULT row = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"test"));
    if (row < 0) return false;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    return true;
}

// Two pixels of the clock face at 10:08:30 on the screen: a corner of the background and
// the dial at three o'clock, away from every hand.
std::pair<WORD, WORD> ClockPixels() {
    const SYSTEMTIME at = {2026, 12, 3, 9, 10, 8, 30, 0};  // Wednesday, 9 December 2026, 10:08:30
    ImagePtr face = ClockWnd::Instance() ? ClockWnd::Instance()->ComposeFace(at, 240, 320) : nullptr;
    return face ? std::make_pair(face->Row(2)[2], face->Row(160)[160]) : std::make_pair(WORD(1), WORD(1));
}

// Every mode's keys with their Win flags, in list order.
std::vector<int> BoundKeys() {
    std::vector<int> keys;
    for (const ButtonBinding& binding : ButtonMap::Instance().Snapshot()) keys.push_back(binding.key * 2 + binding.win);
    return keys;
}

class OptionsInProcess : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L""));
        store_ = App::GetItemStore();
        ASSERT_TRUE(store_);
        engine_ = App::GetEngine();
        // Busy, as while the engine's own screens are open: the idle check never ends the program.
        engine_->ChangeBusyCount(1);
        store_->Save(false);
    }
    void TearDown() override { App::Shutdown(); }

    // Runs the sheet, makes the edits once its pages exist, then presses button.
    INT_PTR RunSheet(UINT button) {
        OptionsSheet sheet;
        Steps steps;
        steps.Then([&] { return sheet.PageCount() == 8; })
            .Do([&] { EditEveryPage(sheet); })
            .Do([&] { sheet.SelectPage(kSkins); })  // shown, the page lists its skins
            .Then([&] { return ChooseTestSkin(sheet); })
            .Do([&] { Press(sheet, button); });
        const INT_PTR result = steps.Run(sheet);
        EXPECT_TRUE(steps.Finished());
        return result;
    }

    ItemStore* store_ = nullptr;
    EngineWnd* engine_ = nullptr;
};

}  // namespace

TEST(MainMenuLayout, CellsTwoPerRowStandingThreePerRowLyingAndArrowsStayInside) {
    EXPECT_EQ(56, MainMenuLayout::CellSize(96));
    EXPECT_EQ(112, MainMenuLayout::CellSize(192));
    MainMenuLayout layout;
    layout.cellSize = 56;
    layout.Arrange(240, 294, true, 96);
    EXPECT_EQ(2, layout.columns);
    EXPECT_EQ(layout.cells[0].y, layout.cells[1].y);
    EXPECT_LT(layout.cells[1].y, layout.cells[2].y);
    EXPECT_EQ(2, layout.CellAt(layout.cells[2].x, layout.cells[2].y + 55));
    EXPECT_EQ(MainMenuLayout::kNoCell, layout.CellAt(layout.cells[2].x + 56, layout.cells[2].y));
    EXPECT_EQ(MainMenuLayout::kNoCell, layout.Move(4, VK_DOWN));  // cell 6 does not exist
    EXPECT_EQ(2, layout.Move(1, VK_RIGHT));                        // on to the next row
    EXPECT_EQ(MainMenuLayout::kNoCell, layout.Move(0, VK_LEFT));
    layout.Arrange(320, 214, false, 96);
    EXPECT_EQ(3, layout.columns);
    EXPECT_EQ(layout.cells[0].y, layout.cells[2].y);
    EXPECT_EQ(5, layout.Move(2, VK_DOWN));
    EXPECT_EQ(0, layout.Move(3, VK_UP));
}

// The engine counts the popup while it is open; a digit chooses its cell once one is
// selected, and the main window then shows that cell's tab.
TEST_F(OptionsInProcess, PopupIsCountedWhileOpenAndItsCellShowsTheTab) {
    HWND popup = nullptr;
    int countWhileOpen = -1;
    Steps steps;
    steps.Then([&] { return (popup = main_menu_probe::WaitForPopup(0)) != nullptr; })
        .Do([&] {
            countWhileOpen = engine_->PopupCount();
            PostMessageW(popup, WM_KEYDOWN, '3', 0);  // before a selection: selects the first cell only
        })
        .Do([&] { PostMessageW(popup, WM_KEYDOWN, '3', 0); });
    steps.RunModal(
        [&] {
            EngineScreens::Get().RunMainMenu(*engine_);
            return INT_PTR(0);
        },
        [] { PostMessageW(main_menu_probe::WaitForPopup(0), WM_COMMAND, IDCANCEL, 0); });
    EXPECT_TRUE(steps.Finished());
    EXPECT_EQ(1, countWhileOpen);
    EXPECT_EQ(0, engine_->PopupCount());
    EXPECT_TRUE(PumpUntil([] {
        MainTabView* view = MainWindow::Frame() ? MainWindow::Frame()->View() : nullptr;
        return view && view->CurrentIndex() == MainWindow::kTimersTab;
    }));
    MainWindow::Close();
}

TEST_F(OptionsInProcess, CancelWritesNothingAndOkWritesEveryPage) {
    // What the sheet may write: the chime, the settings and the items (the atomic-clock alarm).
    auto written = [] {
        auto tree = registryprobe::Tree(kProduct + L"\\ChimeItem", L"ChimeItem\\");
        for (auto& entry : registryprobe::Tree(kClock, L"Clock\\")) tree.insert(entry);
        for (auto& entry : registryprobe::Tree(kProduct + L"\\Alarms\\Items", L"Alarms\\")) tree.insert(entry);
        for (auto& entry : registryprobe::Tree(kProduct + L"\\Skins", L"Skins\\")) tree.insert(entry);
        return tree;
    };
    const auto before = written();
    // The start opened the main window: on its Alarms screen, whose keys the map holds.
    ASSERT_TRUE(PumpUntil([] {
        if (MainWindow::Frame()) MainWindow::SelectTab(MainWindow::kAlarmsTab);
        return ButtonMap::Instance().CurrentMode() == ButtonMap::kAlarms && ButtonMap::Instance().Window();
    }));
    const std::vector<int> keysBefore = BoundKeys();
    const std::pair<WORD, WORD> builtInFace = ClockPixels();
    EXPECT_EQ(IDCANCEL, RunSheet(IDCANCEL));
    EXPECT_EQ(std::vector<std::wstring>(), Differences(before, written())) << "Cancel changed the registry";
    EXPECT_EQ(keysBefore, BoundKeys()) << "Cancel kept the Buttons page's keys";
    EXPECT_FALSE(Device_FindHotKey(MOD_WIN, 0xC1, nullptr, nullptr));
    EXPECT_EQ(builtInFace, ClockPixels()) << "Cancel changed the skin";

    EXPECT_EQ(IDOK, RunSheet(IDOK));
    using registryprobe::Read;
    EXPECT_EQ(1u, Read(kProduct + L"\\ChimeItem", L"Active").Dword());
    EXPECT_EQ(0u, Read(kProduct + L"\\ChimeItem", L"DisableFromTo").Dword());
    EXPECT_EQ(DWORD(ChimeItem::kEveryQuarter), Read(kProduct + L"\\ChimeItem", L"ChimeType").Dword());
    EXPECT_EQ(1u, Read(kProduct + L"\\ChimeItem", L"ChimeHours").Dword());
    // The next chime was computed anew: a quarter hour within the next fifteen minutes.
    SYSTEMTIME now = {};
    DeviceClock_GetLocalTime(&now);
    const double next = Read(kProduct + L"\\ChimeItem", L"EventTime").Double();
    const double ahead = (next - Time_SystemTimeToDate(now)) * 24 * 60;
    EXPECT_GT(ahead, -1.0);
    EXPECT_LE(ahead, 15.5);
    SYSTEMTIME at = {};
    Time_DateToSystemTime(next, at);
    EXPECT_EQ(0, at.wMinute % 15);

    EXPECT_EQ(15u, Read(kClock + L"\\ScreenSaver", L"Timeout").Dword());
    EXPECT_EQ(1u, Read(kClock + L"\\ScreenSaver", L"RunAtSystem").Dword());
    EXPECT_EQ(0u, Read(kClock + L"\\ScreenSaver", L"UseExceptions").Dword());
    EXPECT_EQ(1u, Read(kClock + L"\\ScreenSaver", L"ShowTypeBT").Dword());
    EXPECT_EQ(0u, Read(kClock + L"\\ScreenSaver", L"ShowTypeDC").Dword());

    const SystemSettings& system = *store_->GetSettings().system;
    EXPECT_EQ(1, system.CloseOnMinimize);
    EXPECT_EQ(0, system.StopwatchKeepDevice);
    EXPECT_EQ(1, system.DeleteOnceAlarms);
    EXPECT_EQ(7, system.AutoSnoozeCount);
    EXPECT_EQ(1, system.NotificationStyle);
    EXPECT_EQ(2, system.PluginHeight);
    EXPECT_EQ(1u, Read(kClock + L"\\System", L"CloseOnMinimize").Dword());
    EXPECT_EQ(0u, Read(kClock + L"\\System", L"StopwatchKeepDevice").Dword());
    EXPECT_EQ(1u, Read(kClock + L"\\System", L"NotificationStyle").Dword());

    EXPECT_EQ(0x80000000u, Read(kClock + L"\\Buttons\\Alarms", L"0").Dword());  // lost the key to row 1
    EXPECT_EQ(0xC1u, Read(kClock + L"\\Buttons\\Alarms", L"1").Dword());        // with the Win key
    // and registered for the screen's window at once.
    HWND keyWindow = nullptr;
    int command = 0;
    EXPECT_TRUE(Device_FindHotKey(MOD_WIN, 0xC1, &keyWindow, &command));
    EXPECT_EQ(ButtonMap::Instance().Window(), keyWindow);
    EXPECT_EQ(IDS_KEY_DELETE_ALARM, command);

    // The clock draws the chosen skin: its black background and pure white dial where the
    // built-in one has a blue gradient and a cream dial.
    ASSERT_TRUE(ClockWnd::Instance() && ClockWnd::Instance()->CurrentSkin());
    EXPECT_EQ(L"test", ClockWnd::Instance()->CurrentSkin()->GetName());
    EXPECT_EQ(std::make_pair(WORD(0x0000), WORD(0xFFFF)), ClockPixels());
    EXPECT_NE(builtInFace.first, WORD(0x0000));
    EXPECT_NE(builtInFace.second, WORD(0xFFFF));
    std::wstring skin;
    EXPECT_TRUE(testsupport::ReadRegistryString(HKEY_CURRENT_USER, SkinList::kSkinsKey, SkinList::kCurrentValue, &skin));
    EXPECT_EQ(L"{5B0C8E21-7A4D-4F3B-9C1E-2D6F8A9B0C11}", skin);

    const std::wstring atomic =
        kProduct + L"\\Alarms\\Items\\" + std::to_wstring(store_->SetAtomicClockAlarm()->Hash);
    EXPECT_EQ(3u, Read(atomic + L"\\AtomicSyncActionSettings", L"Server").Dword());
    EXPECT_TRUE(Read(atomic, L"flags").Dword() & 0x800);
    SYSTEMTIME sync = {};
    Time_DateToSystemTime(store_->SetAtomicClockAlarm()->time, sync);
    EXPECT_EQ(4, sync.wHour);
    EXPECT_EQ(30, sync.wMinute);
}

// "Set" changes the selected line in place; OK stores the list sorted, Cancel keeps it.
TEST_F(OptionsInProcess, SnoozeListSetReplacesALineAndOkSorts) {
    SystemSettings& system = *store_->GetSettings().system;
    const std::vector<int32_t> original = system.SnoozeList;
    ASSERT_GE(original.size(), 2u);
    for (UINT button : {IDCANCEL, IDOK}) {
        SnoozeTimeDlg dialog(system);
        Steps steps;
        steps.Then([&] { return dialog.GetHwnd() != nullptr; })
            .Do([&] {
                HWND window = dialog.GetHwnd();
                Click(window, IDC_SNOOZE_SET);  // nothing selected: nothing changes
                SendDlgItemMessageW(window, IDC_SNOOZE_LIST, LB_SETCURSEL, 0, 0);
                SetPickerTime(window, IDC_SNOOZE_PICKER, 2, 5, 0);
                Click(window, IDC_SNOOZE_SET);
            })
            .Do([&] { PostMessageW(dialog.GetHwnd(), WM_COMMAND, button, 0); });
        steps.RunModal([&] { return dialog.Run(nullptr); },
                       [&] { PostMessageW(dialog.GetHwnd(), WM_COMMAND, IDCANCEL, 0); });
        EXPECT_TRUE(steps.Finished());
        if (button != IDCANCEL) continue;
        std::vector<int> edited(original.begin(), original.end());
        edited[0] = 2 * 3600 + 5 * 60;
        EXPECT_EQ(edited, dialog.Lengths());
        EXPECT_EQ(original, system.SnoozeList);
    }
    std::vector<int32_t> sorted(original.begin() + 1, original.end());
    sorted.push_back(2 * 3600 + 5 * 60);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, system.SnoozeList);
}

// Every offered language shows its flag; another language and Yes switch the texts, keep
// the choice and start the launcher with "-startfull" (here a probe in its place).
TEST_F(OptionsInProcess, LanguagesShowTheirFlagsAndAnotherOneRestartsThroughTheLauncher) {
    const std::wstring pack = testsupport::ExeDir() + L"\\..\\framework\\fixtures\\translation.zip";
    Translator& translator = Translator::Instance();
    ASSERT_TRUE(translator.Load(new ZipFileArchive(pack.c_str()), false));
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(PROBE_EXE), testsupport::kLauncherDevicePath));
    OptionsSheet sheet;
    Steps steps;
    int rows = 0, germanRow = -1;
    std::vector<int> images;
    steps.Then([&] { return sheet.PageCount() == 8; })
        .Do([&] {
            HWND list = GetDlgItem(sheet.PageAt(kLanguages)->GetHwnd(), IDC_LANGUAGES_LIST);
            rows = ListView_GetItemCount(list);
            for (int row = 0; row < rows; ++row) {
                LVITEMW item = {};
                item.mask = LVIF_IMAGE | LVIF_PARAM;
                item.iItem = row;
                ListView_GetItem(list, &item);
                images.push_back(item.iImage);
                if (item.lParam == 1031) germanRow = row;
            }
            SelectRow(list, germanRow);
            ListView_SetSelectionMark(list, germanRow);
            Press(sheet, IDOK);
        })
        .Then([] { return !testsupport::AnswerQuestion(IDYES, 0).empty(); });
    steps.Run(sheet);
    EXPECT_TRUE(steps.Finished());
    EXPECT_EQ(static_cast<int>(translator.Languages().size()), rows);
    EXPECT_GE(rows, 2);
    for (int image : images) EXPECT_NE(-1, image);
    ASSERT_GE(germanRow, 0);
    EXPECT_EQ(1031u, translator.Language());
    EXPECT_EQ(L"Wecker", translator.GetString(IDS_ALARMS));
    EXPECT_EQ(1031u, registryprobe::Read(kClock + L"\\Language", L"LangID").Dword());
    EXPECT_TRUE(testsupport::PollUntil(30000, [] {
        return DeviceControl_GetProgramStarts(testsupport::kLauncherDevicePath, L"-startfull") == 1;
    }));
}

// The screenshot's file: the plain name first, then " 0", " 1", ... after the ones taken.
TEST_F(OptionsInProcess, ScreenshotNamesCountOnPastTheTakenOnes) {
    wchar_t documents[MAX_PATH] = {};
    ASSERT_TRUE(Device_GetSpecialFolderPath(CSIDL_PERSONAL, documents, MAX_PATH, TRUE));
    const std::wstring base = std::wstring(documents) + L"\\Orvalen-ver4.3-screenshot";
    EXPECT_EQ(base + L".bmp", AboutPage::NextScreenshotPath());
    ASSERT_TRUE(testsupport::WriteBytes(base + L".bmp", "taken"));
    EXPECT_EQ(base + L" 0.bmp", AboutPage::NextScreenshotPath());
    ASSERT_TRUE(testsupport::WriteBytes(base + L" 0.bmp", "taken"));
    EXPECT_EQ(base + L" 1.bmp", AboutPage::NextScreenshotPath());
}

// A pack whose texts hold more conversions than the screens have values: each text shows
// its value at its first mark and the other marks as written; nothing past the values is read.
TEST_F(OptionsInProcess, PackTextsWithConversionsKeepTheirMarks) {
    const std::wstring pack = testsupport::DeviceRoot() + L"\\conversions.zip";
    const std::string marks = "%s %s %s %s";
    ASSERT_TRUE(test_pack::Make(pack, {{IDS_CHIME_INDICATION, marks}},
                                {{IDD_ABOUT_PAGE, IDC_ABOUT_VERSION, marks}}));
    ASSERT_TRUE(Translator::Instance().Load(new ZipFileArchive(pack.c_str()), false));
    auto keepsMarks = [](const std::wstring& text) {
        return text.size() > 9 && text[0] != L'%' && text.compare(text.size() - 9, 9, L" %s %s %s") == 0;
    };

    OptionsSheet sheet;
    std::wstring indication;
    Steps steps;
    steps.Then([&] { return sheet.PageCount() == 8; })
        .Then([&] {
            wchar_t text[128] = {};
            GetDlgItemTextW(sheet.PageAt(kChime)->GetHwnd(), IDC_CHIME_INDICATION, text, 128);
            indication = text;
            return !indication.empty();
        })
        .Do([&] { Press(sheet, IDCANCEL); });
    steps.Run(sheet);
    EXPECT_TRUE(steps.Finished());
    EXPECT_TRUE(keepsMarks(indication)) << testing::PrintToString(indication);

    // Pages are translated when they are made: the start's main window goes first (its
    // end asks the thread to quit, which the pumping below takes).
    MainWindow::Close();
    ASSERT_TRUE(MainWindow::Open(MainWindow::kAboutTab));
    HWND version = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
        MainTabView* view = MainWindow::Frame() ? MainWindow::Frame()->View() : nullptr;
        TabPage* page = view ? view->Page(MainWindow::kAboutTab) : nullptr;
        version = page ? GetDlgItem(page->GetHwnd(), IDC_ABOUT_VERSION) : nullptr;
        return version && keepsMarks(editor_probe::Text(version));
    })) << testing::PrintToString(version ? editor_probe::Text(version) : L"");
    MainWindow::Close();
}
