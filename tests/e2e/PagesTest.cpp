// The real Orvalen's timers and stopwatch pages, driven from outside: page commands and
// words of second instances against the store, the registry and the device's next
// notification; the stopwatch's runs and laps; its CSV file read by Python's csv module.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "DateFunctions.h"
#include "DeviceControl.h"
#include "DeviceProgram.h"
#include "EditorProbe.h"
#include "HostTools.h"
#include "MainWindowProbe.h"
#include "RegKeyRef.h"
#include "RegKeyRefTyped.h"
#include "RegKeyTree.h"
#include "StopwatchItem.h"
#include "TestSupport.h"
#include "TimerItem.h"
#include "notify.h"

namespace {

using device_program::kProgramDevicePath;
namespace probe = main_window_probe;
using Rows = std::vector<std::vector<std::wstring>>;

const std::wstring kProductKey = L"Software\\Ostrel\\Orvalen";
const std::wstring kChooserKey = L"Software\\TGetFileStandIn";
constexpr DWORD kTimeoutMs = 30000;
constexpr ItemHash kTea = 401, kEggs = 402;
constexpr int kTimersList = 10400, kLapList = 10500, kPreviousLapList = 10501;
constexpr double kSecond = 1.0 / 86400.0;

std::wstring TimerKey(ItemHash hash) { return kProductKey + L"\\Timers\\Items\\" + std::to_wstring(hash); }

DWORD TimerFlags(ItemHash hash) {
    DWORD flags = 0;
    testsupport::ReadRegistryDword(HKEY_CURRENT_USER, TimerKey(hash), L"flags", &flags);
    return flags;
}

void StoreTimer(ItemHash hash, const wchar_t* title, int seconds) {
    TimerItem timer;
    timer.Hash = hash;
    timer.title.SetCStr(title);
    timer.origTime = timer.time = Ticks_FromSeconds(seconds);
    timer.flags &= ~(TimerItem::kNew | TimerItem::kRunning);
    timer.SetOption1(true);
    timer.Save(RegKeyRef::Open(TimerKey(hash).c_str(), HKEY_CURRENT_USER, false));
}

// The subkey names of a key of the device's registry.
std::vector<std::wstring> SubKeys(const std::wstring& path) {
    std::vector<std::wstring> names;
    RegKeyRef key = RegKeyRef::Open(path.c_str(), HKEY_CURRENT_USER, true);
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = 256;
        if (!key.IsOpen() || RegEnumKeyExW(key.Key(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != 0)
            return names;
        names.push_back(name);
    }
}

// The laps of each run of the store's one stopwatch, as the page shows them.
std::vector<std::vector<std::wstring>> StoredRuns() {
    std::vector<std::vector<std::wstring>> runs;
    const std::vector<std::wstring> stopwatches = SubKeys(kProductKey + L"\\Stopwatches\\Items");
    if (stopwatches.size() != 1) return runs;
    const std::wstring stages = kProductKey + L"\\Stopwatches\\Items\\" + stopwatches[0] + L"\\Stages";
    for (size_t run = 0; run < SubKeys(stages).size(); ++run) {
        RegKeyRef key = RegKeyRef::Open((stages + L"\\" + RegKeyTree_IndexName(run)).c_str(), HKEY_CURRENT_USER, true);
        runs.emplace_back();
        Ticks100ns lap = 0;
        for (size_t i = 0; RegKeyRef_QueryBinary(key, &lap, sizeof lap, RegKeyTree_IndexName(i).c_str()) == 0; ++i)
            runs.back().push_back(StopwatchItem::FormatTime(lap).CStr());
    }
    return runs;
}

// The launcher's time notifications' start times.
std::vector<OleDate> RunAtTimes() {
    const std::wstring launcher = testsupport::DevicePath(testsupport::kLauncherDevicePath);
    std::vector<OleDate> times;
    for (DWORD i = 0;; ++i) {
        HANDLE handle = nullptr;
        DWORD type = 0, event = 0;
        SYSTEMTIME start = {};
        wchar_t application[MAX_PATH] = {}, arguments[MAX_PATH] = {};
        if (!DeviceControl_GetNotification(i, &handle, &type, &event, nullptr, &start, application, MAX_PATH,
                                           arguments, MAX_PATH))
            return times;
        if (_wcsicmp(application, launcher.c_str()) == 0 && type == CNT_TIME)
            times.push_back(Time_SystemTimeToDate(start));
    }
}

bool HasRunAtNear(OleDate due) {
    for (OleDate at : RunAtTimes())
        if (at > due - 3 * kSecond && at < due + 3 * kSecond) return true;
    return false;
}

class Pages : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(device_program::Install()); }

    HWND Open(const std::wstring& text, const wchar_t* caption) {
        EXPECT_TRUE(program_.Start(testsupport::DevicePath(kProgramDevicePath), text));
        HWND window = probe::WaitForMainWindow(kTimeoutMs);
        return window && probe::WaitForPage(window, caption, kTimeoutMs) ? window : nullptr;
    }
    Rows Timers(HWND window) { return probe::ListTexts(window, program_.Handle(), kTimersList, 4); }
    bool WaitForNames(HWND window, const std::vector<std::wstring>& names) {
        return testsupport::PollUntil(kTimeoutMs, [&] {
            std::vector<std::wstring> shown;
            for (const auto& row : Timers(window)) shown.push_back(row[0]);
            return shown == names;
        });
    }
    int RowOf(HWND window, const std::wstring& name) {
        const Rows rows = Timers(window);
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i][0] == name) return static_cast<int>(i);
        return -1;
    }
    // The row of that name; empty when there is none.
    std::vector<std::wstring> RowNamed(HWND window, const std::wstring& name) {
        for (const auto& row : Timers(window))
            if (row[0] == name) return row;
        return std::vector<std::wstring>(4);
    }
    void Run(HWND window, const std::wstring& name, UINT command) {
        probe::SelectRow(window, RowOf(window, name), kTimersList);
        probe::Command(window, command);
    }
    static DWORD SecondInstance(const std::wstring& text) {
        return testsupport::RunProgram(testsupport::DevicePath(kProgramDevicePath), text);
    }
    void Exit(HWND window) {
        probe::Command(window, 30073);
        EXPECT_EQ(0u, program_.Wait(kTimeoutMs));
    }

    testsupport::ChildProcess program_;
};

}  // namespace

TEST_F(Pages, TimersPageCommandsAndWordsChangeStoreRegistryAndRows) {
    StoreTimer(kTea, L"Tea", 180);
    StoreTimer(kEggs, L"Eggs", 300);
    HWND window = Open(L"timers", L"Timers");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitForNames(window, {L"Eggs", L"Tea"}));
    EXPECT_EQ((std::vector<std::wstring>{L"Tea", L"00:03:00", L"Off", L"On"}), RowNamed(window, L"Tea"));
    // The columns fill the list without a horizontal scroll bar, and the page reaches down
    // to the soft keys.
    HWND list = nullptr;
    EnumChildWindows(
        window, [](HWND child, LPARAM found) -> BOOL {
            if (GetDlgCtrlID(child) != kTimersList) return TRUE;
            *reinterpret_cast<HWND*>(found) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&list));
    ASSERT_EQ(kTimersList, GetDlgCtrlID(list));
    RECT client = {}, page = {}, frame = {};
    GetClientRect(list, &client);
    int columns = 0;
    for (int column = 0; column < 4; ++column)
        columns += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    EXPECT_LE(columns, client.right);
    EXPECT_FALSE(GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL);
    GetWindowRect(GetParent(list), &page);
    GetClientRect(window, &frame);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&frame), 2);
    EXPECT_EQ(frame.bottom, page.bottom);

    // Start: running in the registry, its expiry the device's next wake-up, its row "On".
    const OleDate due = Time_LocalNowAsDate(true) + 180 * kSecond;
    Run(window, L"Tea", 30099);
    EXPECT_TRUE(TimerFlags(kTea) & TimerItem::kRunning);
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return HasRunAtNear(due - kSecond); }));
    EXPECT_EQ(L"On", RowNamed(window, L"Tea")[2]);
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return RowNamed(window, L"Tea")[1] < L"00:03:00"; }));

    // Stop, then Reset puts the whole time back.
    Run(window, L"Tea", 30101);
    EXPECT_FALSE(TimerFlags(kTea) & TimerItem::kRunning);
    EXPECT_FALSE(HasRunAtNear(due - kSecond));
    Run(window, L"Tea", 34005);
    EXPECT_EQ((std::vector<std::wstring>{L"Tea", L"00:03:00", L"Off", L"On"}), RowNamed(window, L"Tea"));

    // A copy is a timer of its own in the store.
    Run(window, L"Eggs", 35036);
    EXPECT_TRUE(WaitForNames(window, {L"Eggs", L"Eggs", L"Tea"}));
    EXPECT_EQ(3u, SubKeys(kProductKey + L"\\Timers\\Items").size());

    // Words of a second instance rewrite and remove rows.
    EXPECT_EQ(0u, SecondInstance(L"timer_sound " + std::to_wstring(kTea)));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return RowNamed(window, L"Tea")[3] == L"Off"; }));
    testsupport::ChildProcess second;
    ASSERT_TRUE(second.Start(testsupport::DevicePath(kProgramDevicePath), L"timer_delete " + std::to_wstring(kTea)));
    EXPECT_EQ(L"Are you sure you want to delete the timer?", testsupport::AnswerQuestion(IDYES, kTimeoutMs));
    EXPECT_EQ(0u, second.Wait(kTimeoutMs));
    EXPECT_TRUE(WaitForNames(window, {L"Eggs", L"Eggs"}));
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, TimerKey(kTea)));

    // Delete from the page asks with the timer's name and time.
    probe::SelectRow(window, 0, kTimersList);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(30102, 0), 0);
    EXPECT_EQ(L"Are you sure you want to delete the timer? Eggs, 00:05:00",
              testsupport::AnswerQuestion(IDYES, kTimeoutMs));
    EXPECT_TRUE(WaitForNames(window, {L"Eggs"}));
    EXPECT_EQ(1u, SubKeys(kProductKey + L"\\Timers\\Items").size());
    Exit(window);
}

// The timer goes while the page's own timer dialog is open on it: OK afterwards touches
// nothing that is gone, and the program goes on.
TEST_F(Pages, TimerDeletedWhileItsDialogIsOpenIsLeftAlone) {
    StoreTimer(kTea, L"Tea", 180);
    HWND window = Open(L"timers", L"Timers");
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(WaitForNames(window, {L"Tea"}));
    probe::SelectRow(window, 0, kTimersList);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(30103, 0), 0);
    HWND editor = editor_probe::WaitForEditor(program_.Id(), L"Timer properties");
    ASSERT_NE(nullptr, editor);
    testsupport::ChildProcess second;
    ASSERT_TRUE(second.Start(testsupport::DevicePath(kProgramDevicePath), L"timer_delete " + std::to_wstring(kTea)));
    EXPECT_EQ(L"Are you sure you want to delete the timer?", testsupport::AnswerQuestion(IDYES, kTimeoutMs));
    EXPECT_EQ(0u, second.Wait(kTimeoutMs));
    EXPECT_TRUE(WaitForNames(window, {}));
    editor_probe::PressOk(editor);
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return !IsWindow(editor); }));
    EXPECT_TRUE(WaitForNames(window, {}));
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, TimerKey(kTea)));
    EXPECT_EQ(DWORD(testsupport::ChildProcess::kStillRunning), program_.Wait(0));
    Exit(window);
}

TEST_F(Pages, StopwatchRunsLapsAndSavesThemAsCsv) {
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(TGETFILE_DLL), L"\\Program Files\\Orvalen\\tgetfile.dll"));
    CreateDirectoryW(testsupport::DevicePath(L"\\My Documents").c_str(), nullptr);
    const std::wstring csv = testsupport::DevicePath(L"\\My Documents\\laps.csv");
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, kChooserKey, L"SavePath", L"\\My Documents\\laps.csv"));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kProductKey, L"CurTabSel", 3));
    HWND window = Open(L"hello", L"Stopwatch");
    ASSERT_NE(nullptr, window);

    // No laps: nothing to save, and no file.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(10507, 0), 0);
    EXPECT_EQ(L"Nothing to save!", editor_probe::AnswerBox(program_.Id(), L"Nothing to save!", IDOK));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(csv.c_str()));

    // "start_stopwatch": a new run on the stopped stopwatch, a lap on the running one.
    EXPECT_EQ(0u, SecondInstance(L"start_stopwatch"));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] { return StoredRuns().size() == 1; }));
    EXPECT_EQ(0u, SecondInstance(L"start_stopwatch"));
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [] {
        const auto runs = StoredRuns();
        return runs.size() == 1 && runs[0].size() == 1;
    }));
    // Two more laps (Stop takes the last), then a second run of five.
    probe::Command(window, 10502);
    probe::Command(window, 10505);
    for (int lap = 0; lap < 5; ++lap) probe::Command(window, 10502);
    probe::Command(window, 10505);
    const auto runs = StoredRuns();
    ASSERT_EQ(2u, runs.size());
    ASSERT_EQ(3u, runs[0].size());
    ASSERT_EQ(5u, runs[1].size());
    EXPECT_EQ(3u, probe::ListTexts(window, program_.Handle(), kLapList, 1).size());
    EXPECT_EQ(L"5. " + runs[1][4], probe::ListTexts(window, program_.Handle(), kPreviousLapList, 1)[0][0]);

    // Save: Python's csv reads the header and the laps, newest first.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(10507, 0), 0);
    ASSERT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] { return GetFileAttributesW(csv.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    std::string read;
    const std::string script = "import csv,sys; print('|'.join(','.join(r) for r in csv.reader(open(sys.argv[1], newline=''), delimiter=';')))";
    ASSERT_TRUE(testsupport::RunHostTool("python3", "-c \"" + script + "\" '" + testsupport::UnixPath(csv) + "'", &read)) << read;
    std::wstring expected = L"lap 1,lap 2";
    for (int row = 0; row < 5; ++row)
        expected += L"|" + (row < 3 ? runs[0][2 - row] : L"") + L"," + runs[1][4 - row];
    EXPECT_EQ(std::string(expected.begin(), expected.end()) + "\n", read);
    std::wstring folder;
    EXPECT_TRUE(testsupport::ReadRegistryString(HKEY_CURRENT_USER, kProductKey, L"SaveCSVLastDir", &folder));
    EXPECT_EQ(L"\\My Documents", folder);
    // The chooser asks before it replaces a file.
    DWORD flags = 0;
    EXPECT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, kChooserKey, L"Flags", &flags));
    EXPECT_EQ(DWORD(OFN_OVERWRITEPROMPT), flags & OFN_OVERWRITEPROMPT);

    // The next save starts in that folder.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(10507, 0), 0);
    EXPECT_TRUE(testsupport::PollUntil(kTimeoutMs, [&] {
        std::wstring offered;
        return testsupport::ReadRegistryString(HKEY_CURRENT_USER, kChooserKey, L"InitialDir", &offered) &&
               offered == L"\\My Documents";
    }));
    Exit(window);
}
