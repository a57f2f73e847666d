// The Start-menu shortcuts of a real Orvalen on the device: "-install" writes them as the
// handheld's shell reads them, in the pack's language; tapped, each one brings its word
// to the running engine through the launcher; their icons load from the icon library;
// "-uninstall" takes the program's folder away and leaves the program's own shortcut.
#include "AlarmItem.h"
#include "DeviceControl.h"
#include "DeviceProgram.h"
#include "EditorProbe.h"
#include "DeviceShortcuts.h"
#include "EngineMessage.h"
#include "ClockTestSupport.h"
#include "FullScreenClockWnd.h"
#include "MainMenuProbe.h"
#include "MainWindowProbe.h"
#include "SlideShowSettings.h"
#include "TestPack.h"
#include "RegistryProbe.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace device_program;

const wchar_t kPrograms[] = L"\\Windows\\Start Menu\\Programs";
const wchar_t kStartMenu[] = L"\\Windows\\Start Menu";
const wchar_t kIconLibrary[] = L"\\Program Files\\Orvalen\\Glyphpack.dll";
const std::wstring kProduct = L"Software\\Ostrel\\Orvalen";

const struct PageShortcut {
    const wchar_t* english;
    const wchar_t* german;  // the test pack has no German "Add timer"
    const wchar_t* word;
    int icon;
    bool popup;   // the word shows the main-menu popup
    const wchar_t* editor = nullptr;  // the caption of the editor the word opens
    const wchar_t* page = nullptr;    // the main window's page the word shows
} kPages[] = {
    {L"Alarms", L"Wecker", L"alarms", -101, false, nullptr, L"Alarms"},
    {L"Timers", L"Kurzzeitwecker", L"timers", -102, false, nullptr, L"Timers"},
    {L"Start stopwatch", L"Stoppuhr starten", L"start_stopwatch", -103, false, nullptr, L"Stopwatch"},
    {L"Add timer", L"Add timer", L"new_timer", -412, false, L"Timer properties"},
    {L"Add alarm", L"Wecker hinzuf\u00FCgen", L"new_alarm", -411, false, L"Alarm properties"},
    {L"Cancel snooze", L"Schlummern abbrechen", L"cancel_snooze", -415, false},
    {L"Start slideshow", L"Diaschau starten", L"start_slideshow", -416, false},
    {L"Orvalen menu", L"Orvalen-Men\u00FC", L"main_menu", -183, true},
};

std::string Narrow(const std::wstring& text) {
    std::string out(text.size() * 4 + 1, '\0');
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &out[0],
                                static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? n : 0);
    return out;
}

// What the shell reads, built here from the format: the quoted target counted.
std::string Expected(const std::wstring& target, const wchar_t* word, int icon) {
    return std::to_string(target.size() + 2) + "#\"" + Narrow(target) + "\" " + Narrow(word) + "?" +
           Narrow(testsupport::DevicePath(kIconLibrary)) + "," + std::to_string(icon);
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Bytes(const std::wstring& path) {
    std::string bytes;
    return testsupport::ReadBytes(path, &bytes) ? bytes : "<missing>";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Every shortcut of the folder, byte for byte, named in the language given.
void ExpectShortcuts(const std::wstring& menu, bool german) {
    const std::wstring folder = menu + L"\\Orvalen";
    const std::wstring launcher = testsupport::DevicePath(testsupport::kLauncherDevicePath);
    std::vector<std::wstring> names = {L"icon.lnk"};
    for (const PageShortcut& page : kPages) {
        const std::wstring name = std::wstring(german ? page.german : page.english) + L".lnk";
        names.push_back(name);
        EXPECT_EQ(Expected(launcher, page.word, page.icon), Bytes(folder + L"\\" + name)) << page.word;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, FilesIn(folder));
    EXPECT_EQ("1#" + Narrow(testsupport::DevicePath(kIconLibrary)) + ",-417", Bytes(folder + L"\\icon.lnk"));
    EXPECT_EQ(Expected(testsupport::DevicePath(kProgramDevicePath), L"", -100), Bytes(menu + L"\\Orvalen.lnk"));
}

bool FullScreenClockShows() {
    HWND clock = FindWindowW(FullScreenClockWnd::kClassName, nullptr);
    return clock && IsWindowVisible(clock);
}

class StartMenuShortcuts : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Install());
        ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(GLYPHPACK_DLL), kIconLibrary));
        // The handheld's shell keeps its Start menu here.
        ASSERT_EQ(ERROR_SUCCESS, SHCreateDirectoryExW(nullptr, testsupport::DevicePath(kPrograms).c_str(), nullptr));
    }
    void TearDown() override { EndProgram(); }
};

}  // namespace

TEST_F(StartMenuShortcuts, InstallWritesThemAsTheShellReadsThemAndUninstallTakesTheFolder) {
    ASSERT_EQ(0u, RunToEnd(L"-install"));
    const std::wstring programs = testsupport::DevicePath(kPrograms);
    ExpectShortcuts(programs, false);

    // Each icon index names an icon of the library.
    std::vector<std::wstring> shortcuts = {programs + L"\\Orvalen.lnk"};
    for (const std::wstring& name : FilesIn(programs + L"\\Orvalen")) shortcuts.push_back(programs + L"\\Orvalen\\" + name);
    for (const std::wstring& shortcut : shortcuts) {
        DeviceShortcut read = {};
        ASSERT_TRUE(Device_ReadShortcut(shortcut.c_str(), &read)) << testing::PrintToString(shortcut);
        ASSERT_TRUE(read.hasIcon);
        HMODULE library = LoadLibraryExW(read.iconFile, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, library);
        for (int size : {16, 32}) {
            HICON icon = static_cast<HICON>(
                LoadImageW(library, MAKEINTRESOURCEW(-read.iconIndex), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
            ASSERT_NE(nullptr, icon) << read.iconIndex;
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP colour = {};
            EXPECT_TRUE(GetObjectW(info.hbmColor, sizeof colour, &colour));
            EXPECT_EQ(size, colour.bmWidth) << read.iconIndex;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
        FreeLibrary(library);
    }

    // Nothing reached Wine's own menus or the host's.
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS, CSIDL_STARTMENU}) {
        wchar_t folder[MAX_PATH];
        if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) continue;
        EXPECT_FALSE(Exists(std::wstring(folder) + L"\\Orvalen")) << csidl;
        EXPECT_FALSE(Exists(std::wstring(folder) + L"\\Orvalen.lnk")) << csidl;
    }
    wchar_t home[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"HOME", home, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        std::wstring hostMenu = std::wstring(L"Z:") + home + L"/.local/share/applications/wine/Programs/Orvalen";
        std::replace(hostMenu.begin(), hostMenu.end(), L'/', L'\\');
        EXPECT_FALSE(Exists(hostMenu));
    }

    ASSERT_EQ(0u, RunToEnd(L"-uninstall"));
    EXPECT_FALSE(Exists(programs + L"\\Orvalen"));
    EXPECT_TRUE(Exists(programs + L"\\Orvalen.lnk"));
}

TEST_F(StartMenuShortcuts, NamesComeFromThePackAndWithoutProgramsTheyGoToTheStartMenu) {
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::ExeDir() + L"\\..\\framework\\fixtures\\translation.zip",
                                            L"\\Program Files\\Orvalen\\translation.zip"));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kProduct + L"\\Clock\\Language", L"LangID", 1031));
    ASSERT_TRUE(RemoveDirectoryW(testsupport::DevicePath(kPrograms).c_str()));
    ASSERT_EQ(0u, RunToEnd(L"-install"));
    ExpectShortcuts(testsupport::DevicePath(kStartMenu), true);
    EXPECT_FALSE(Exists(testsupport::DevicePath(kPrograms)));
}

TEST_F(StartMenuShortcuts, EachOneTappedBringsItsWordToTheRunningEngine) {
    ASSERT_EQ(0u, RunToEnd(L"-install"));
    const std::wstring folder = testsupport::DevicePath(kPrograms) + L"\\Orvalen\\";
    // A snoozed alarm, for "cancel_snooze" to dismiss.
    const ItemHash snoozed = 4711;
    const OleDate later = Time_LocalNowAsDate(true) + 3.0 / 24.0;
    StoreAlarm(snoozed, later, L"Snoozed");
    const std::wstring alarmKey = kProduct + L"\\Alarms\\Items\\" + std::to_wstring(snoozed);
    const DWORD flags = registryprobe::Read(alarmKey, L"flags").Dword();
    const DWORD snoozing = AlarmItem::kFired | AlarmItem::kEnabled | AlarmItem::kDaysMask;
    ASSERT_TRUE(registryprobe::WriteDword(alarmKey, L"flags", (flags | snoozing) & ~AlarmItem::kDismissed));
    ASSERT_TRUE(registryprobe::Write(alarmKey, L"snooze", REG_BINARY, &later, sizeof later));

    // The slide show starts the engine and keeps it running, over the pictures folder.
    const std::wstring pictures = SlideShowSettings::DefaultFolder().CStr();
    ASSERT_TRUE(testsupport::CopyIntoDevice(clocktest::PictureFolder() + L"\\first.jpg", pictures + L"\\first.jpg"));
    ASSERT_TRUE(Device_OpenShortcut((folder + L"Start slideshow.lnk").c_str()));
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, FullScreenClockShows));
    const std::wstring launcher = testsupport::DevicePath(testsupport::kLauncherDevicePath);
    const std::wstring program = testsupport::DevicePath(kProgramDevicePath);
    for (const PageShortcut& page : kPages) {
        if (wcscmp(page.word, L"start_slideshow") == 0) continue;
        ASSERT_TRUE(Device_OpenShortcut((folder + page.english + L".lnk").c_str())) << page.word;
        ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
            return DeviceControl_GetProgramStarts(program.c_str(), page.word) == 1 && RunningCopies() == 1;
        })) << page.word;
        if (page.popup) {
            HWND popup = main_menu_probe::WaitForPopup(kTimeoutMs);
            EXPECT_TRUE(popup) << page.word;
            if (popup) PostMessageW(popup, WM_COMMAND, IDCANCEL, 0);
            EXPECT_TRUE(main_menu_probe::WaitForNoPopup(kTimeoutMs)) << page.word;
        } else if (page.page) {
            // The real main window, on the word's own page.
            HWND window = main_window_probe::WaitForMainWindow(kTimeoutMs);
            EXPECT_TRUE(window && main_window_probe::WaitForPage(window, page.page, kTimeoutMs)) << page.word;
        } else if (page.editor) {
            HWND editor = editor_probe::WaitForEditor(0, page.editor);
            EXPECT_TRUE(editor) << page.word;
            editor_probe::PressCancel(editor);
            EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [editor] { return !IsWindow(editor); })) << page.word;
        } else if (wcscmp(page.word, L"cancel_snooze") == 0) {
            EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
                return (registryprobe::Read(alarmKey, L"flags").Dword() & AlarmItem::kDismissed) != 0;
            })) << "the snoozed alarm was not dismissed";
        }
        EXPECT_EQ(1u, DeviceControl_GetProgramStarts(launcher.c_str(), page.word)) << page.word;
    }
    // The main window took the screen from the slide show, in the one engine.
    EXPECT_FALSE(FullScreenClockShows());
    EXPECT_EQ(1u, RunningCopies());
}

// A pack whose names would leave the program's folder (up to the StartUp folder, above the
// device's root), name a drive or hold a character no file name may: each of those falls
// back to the built-in name, the others are the pack's, and nothing lands outside the folder.
TEST_F(StartMenuShortcuts, PackNamesThatLeaveTheFolderFallBackToTheBuiltInOnes) {
    ASSERT_TRUE(test_pack::Make(testsupport::DevicePath(L"\\Program Files\\Orvalen\\translation.zip"),
                                {{30048, "..\\..\\..\\StartUp\\Wecker"},
                                 {30080, "..\\..\\..\\..\\..\\Kurzzeitwecker"},
                                 {410, "C:Stoppuhr"},
                                 {240, "Add/timer"},
                                 {235, "Wecker*"},
                                 {30079, "Schlummern abbrechen"},
                                 {305, ".."},
                                 {432, "Orvalen-Men\xC3\xBC"}}));
    SHCreateDirectoryExW(nullptr, testsupport::DevicePath(L"\\Windows\\StartUp").c_str(), nullptr);
    ASSERT_EQ(0u, RunToEnd(L"-install"));
    const std::wstring folder = testsupport::DevicePath(kPrograms) + L"\\Orvalen";
    std::vector<std::wstring> expected = {L"Add alarm.lnk",       L"Add timer.lnk",    L"Alarms.lnk",
                                          L"Orvalen-Men\u00FC.lnk", L"Schlummern abbrechen.lnk", L"Start slideshow.lnk",
                                          L"Start stopwatch.lnk", L"Timers.lnk",       L"icon.lnk"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, FilesIn(folder));
    EXPECT_FALSE(Exists(testsupport::DevicePath(L"\\Windows\\StartUp\\Wecker.lnk")));
    const std::wstring above = testsupport::DeviceRoot() + L"\\..\\Kurzzeitwecker.lnk";
    EXPECT_FALSE(Exists(above));
    DeleteFileW(above.c_str());
}
