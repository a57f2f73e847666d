// Opens one of the program's own screens on a simulated screen and keeps it up until
// told to close, so a script can take a screenshot of it:
//   screen_showcase countdown|mainwnd* <width> <height> <dpi> <language pack> <ready file> <done file>
//   screen_showcase <ring kind> <width> <height> <dpi> <Orvalen.exe> <ready file> <done file>
//   screen_showcase clock|skin|slide|slide-<size> <width> <height> <dpi> <language pack> <ready file> <done file>
//                   [folder]
//   screen_showcase clockpage|clockpage-skin|clockpage-menu|slidesettings <width> <height> <dpi> <pack> <ready>
//                   <done> [folder]
//   screen_showcase chooser|chooser-timer <width> <height> <dpi> - <ready file> <done file>
//   screen_showcase recorder|recorder-recording|recorder-ended <width> <height> <dpi> <unused> <ready file> <done file>
// countdown is the reset countdown; mainwnd the main window on the Alarms tab with three
// alarms, mainwnd-empty with none, mainwnd-menu with three and the soft-key menu open,
// mainwnd-timers on the Timers tab with three timers, mainwnd-stopwatch on the Stopwatch
// tab with two runs of laps.
// clock is the full-screen clock with the built-in skin; skin uses the skin "test" of the
// folder's "Skins", with unread messages and a missed call; slide is the slide show of the
// folder's pictures, slide-stretch, slide-fit and slide-smartfill the same in that "Size"
// (the loader's fit modes 1, 2 and 3). clockpage is the main window on the Clock tab (clockpage-skin with the
// folder's skin "test", clockpage-menu with the clock's tap-and-hold menu open);
// slidesettings the slide show's settings page.
// chooser is the snooze chooser of an alarm, chooser-timer of a timer.
// recorder is the recorder dialog idle, recorder-recording three seconds into a recording,
// recorder-ended a recording that ran out of room after two seconds, with what it says.
// Any of them with "-os4" after it (mainwnd-os4, recorder-os4) shows on a device that
// reports OS 4, which has the older shells' tab strip and command bars.
// The ready file appears once the screen is up; it closes when the done file exists.
// A ring kind (ring-alarm, ring-notify, ring-timer, each also with "-night") stores an
// item that is due (a snooze that is over, a timer with two seconds left) on the device
// and starts the real program, which rings it. The snooze chooser opens for an alarm
// whose own length is 7 minutes, or for a timer of 30 minutes.
#include <windows.h>

#include <cwchar>
#include <string>

#include "ShowcaseDevice.h"
#include "ShowcaseFiles.h"
#include "AlarmItem.h"
#include "App.h"
#include "ClockWnd.h"
#include "DateFunctions.h"
#include "DeviceControl.h"
#include "DeviceFiles.h"
#include "DeviceInput.h"
#include "DeviceScreen.h"
#include "DeviceSession.h"
#include "DeviceVersion.h"
#include "DialogFrame.h"
#include "Dpi.h"
#include "FullScreenClockWnd.h"
#include "ItemStore.h"
#include "MainWindow.h"
#include "ProductKey.h"
#include "ProgramScreens.h"
#include "RecorderDialog.h"
#include "RegKeyRef.h"
#include "ResetCountdownWnd.h"
#include "Settings.h"
#include "SkinList.h"
#include "SlideShowPage.h"
#include "SnoozeChooserDlg.h"
#include "StopwatchItem.h"
#include "TimerItem.h"
#include "aygshell_ui.h"

namespace {

constexpr UINT kPollMs = 100;
constexpr int kSettleTicks = 15;
constexpr int kRingWaitTicks = 600;
constexpr double kDueInDays = 2.0 / 86400.0;
const wchar_t kRingPrefix[] = L"ring-";
const wchar_t kOlderDeviceSuffix[] = L"-os4";

using showcase::FileExists;
using showcase::Touch;

// Three alarms as the program keeps them: one each day at 06:30, a weekday one at 07:15
// without sound, and one switched off.
void StoreAlarms() {
    RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, false);
    struct Sample {
        ItemHash hash;
        const wchar_t* title;
        double hours;
        uint32_t days;
        bool enabled, sound;
    } samples[] = {{11, L"Wake up", 6.5, 0x7F, true, true},
                   {12, L"Train", 7.25, 0x3E, true, false},
                   {13, L"Gym", 18.0, 0x14, false, true}};
    for (const Sample& sample : samples) {
        AlarmItem alarm;
        alarm.Hash = sample.hash;
        alarm.title = RcString(sample.title);
        alarm.time = 45000.0 + sample.hours / 24.0;
        alarm.flags = (alarm.flags & ~(AlarmItem::kNew | AlarmItem::kDaysMask | AlarmItem::kEnabled)) | sample.days |
                      (sample.enabled ? AlarmItem::kEnabled : 0);
        alarm.SetOption1(sample.sound);
        alarm.Save(RegKeyRef::Open((std::wstring(ProductKey::kPath) + L"\\Alarms\\Items\\" +
                                    std::to_wstring(sample.hash)).c_str(),
                                   HKEY_CURRENT_USER, false));
    }
}

RegKeyRef ItemKey(const wchar_t* list, ItemHash hash);

// Timers for the Timers tab: a running one, a stopped one and a template.
void StoreTimers() {
    const struct {
        ItemHash hash;
        const wchar_t* title;
        int left, duration;
        uint32_t flags;
    } samples[] = {{21, L"Tea", 125, 240, TimerItem::kRunning},
                   {22, L"Eggs", 420, 420, 0},
                   {23, L"Pizza", 900, 900, TimerItem::kTemplate}};
    for (const auto& sample : samples) {
        TimerItem timer;
        timer.Hash = sample.hash;
        timer.title.SetCStr(sample.title);
        timer.time = Ticks_FromSeconds(sample.left);
        timer.origTime = Ticks_FromSeconds(sample.duration);
        timer.flags = (timer.flags & ~(TimerItem::kNew | TimerItem::kRunning)) | sample.flags;
        timer.Save(ItemKey(L"Timers", sample.hash));
    }
}

// A stopped stopwatch with a run of three laps and one of five.
void StoreStopwatch() {
    StopwatchItem stopwatch(1, StopwatchItem::kNoStopTime);
    stopwatch.Hash = 31;
    stopwatch.flags &= ~TimerItem::kRunning;
    stopwatch.laps = {{Ticks_FromMilliseconds(21350), Ticks_FromMilliseconds(44020), Ticks_FromMilliseconds(65870)},
                      {Ticks_FromMilliseconds(19870), Ticks_FromMilliseconds(40110), Ticks_FromMilliseconds(61460),
                       Ticks_FromMilliseconds(82930), Ticks_FromMilliseconds(104250)}};
    stopwatch.time = stopwatch.laps.back().back();
    stopwatch.Save(ItemKey(L"Stopwatches", stopwatch.Hash));
}

std::wstring gReady, gDone;
int gTicks = 0;
bool gTapMenu = false;
bool gClockMenu = false, gInClockMenu = false;
HWND gWindow = nullptr;
FramedDialog* gDialog = nullptr;

// A thread timer with its own procedure: it still ticks while a menu runs its loop.
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ++gTicks;
    if (gTapMenu && gTicks == kSettleTicks / 2) {
        gTapMenu = false;
        // A tap on the right soft key opens its menu; the tap's loop returns when it closes.
        DEVICE_SCREEN_MODE mode;
        DeviceScreen_GetMode(&mode);
        DeviceInput_Tap(mode.width * 3 / 4, mode.height - Shell_GetMenuBarHeight() / 2);
    }
    if (gClockMenu && gTicks == kSettleTicks / 2 && ClockWnd::Instance()) {
        // The tap-and-hold menu at the clock's centre; its loop returns when it closes.
        gClockMenu = false;
        gInClockMenu = true;
        RECT clock;
        GetClientRect(ClockWnd::Instance()->GetHwnd(), &clock);
        ClockWnd::Instance()->TrackMenu(clock.right / 2, clock.bottom / 2);
        gInClockMenu = false;
        return;
    }
    if (gTicks == kSettleTicks) Touch(gReady);
    if (gTicks > kSettleTicks && FileExists(gDone)) {
        if (gDialog) {
            PostMessageW(gDialog->Frame().GetHwnd(), WM_COMMAND, IDCANCEL, 0);
            return;
        }
        EndMenu();
        if (gInClockMenu) return;  // the window goes once its menu has
        if (IsWindow(gWindow)) DestroyWindow(gWindow);
        PostQuitMessage(0);
    }
}

int ShowMainWindow(const std::wstring& kind) {
    // The screenshots share one registry: the empty list starts from no alarms.
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(ProductKey::kPath) + L"\\Alarms").c_str());
    // Nor do the lists' column widths of one screen size carry over to the other.
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(ProductKey::kPath) + L"\\Timers").c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(ProductKey::kPath) + L"\\Stopwatches").c_str());
    if (kind != L"mainwnd-empty") StoreAlarms();
    int tab = MainWindow::kAlarmsTab;
    if (kind == L"mainwnd-timers") {
        StoreTimers();
        tab = MainWindow::kTimersTab;
    } else if (kind == L"mainwnd-stopwatch") {
        StoreStopwatch();
        tab = MainWindow::kStopwatchTab;
    }
    ProgramScreens::Install();
    ItemStore store(RcString(L"\\Sounds"), false);
    if (!MainWindow::Open(tab)) return 1;
    gWindow = MainWindow::Window();
    gTapMenu = kind == L"mainwnd-menu";
    SetTimer(nullptr, 0, kPollMs, Tick);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    MainWindow::Close();
    return 0;
}

// Makes the folder's skin "test" the clock's.
void UseTestSkin(ClockWnd& clock, const std::wstring& folder) {
    clock.UseSkins(std::unique_ptr<SkinList>(new SkinList(folder + L"\\")));
    SkinList& skins = clock.Skins();
    for (int i = 0; i < skins.Count(); ++i)
        if (skins.At(i)->GetName() == L"test") clock.OnClockCommand(ClockWnd::kFirstSkinCommand + i);
}

// The program's objects with the main window on the Clock tab, or the slide show's settings.
int ShowClockScreen(const std::wstring& kind, const std::wstring& folder) {
    ProgramScreens::Install();
    if (!App::InitInstance(GetModuleHandleW(nullptr), L"-startfull") || !ClockWnd::Instance()) return 1;
    SetTimer(nullptr, 0, kPollMs, Tick);
    if (kind == L"slidesettings") {
        SlideShowPage page(App::GetItemStore()->GetSettings().screenSaver->slideShow);
        gDialog = &page;
        page.Show(nullptr);
        gDialog = nullptr;
    } else {
        if (kind == L"clockpage-skin") UseTestSkin(*ClockWnd::Instance(), folder);
        gClockMenu = kind == L"clockpage-menu";
        MainWindow::SelectTab(MainWindow::kClockTab);
        gWindow = MainWindow::Window();
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    App::Shutdown();
    return 0;
}

RegKeyRef ItemKey(const wchar_t* list, ItemHash hash) {
    const std::wstring path = std::wstring(ProductKey::kPath) + L"\\" + list + L"\\Items\\" + std::to_wstring(hash);
    return RegKeyRef::Open(path.c_str(), HKEY_CURRENT_USER, false);
}

// The item the program will ring at once, and the settings it rings with.
void StoreRingItem(const std::wstring& kind) {
    const bool night = kind.find(L"-night") != std::wstring::npos;
    RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, false);
    Settings settings;
    settings.Load(product, false);
    settings.system->NotificationStyle = kind.find(L"notify") != std::wstring::npos ? 1 : 0;
    settings.Save(product);
    if (kind.find(L"timer") != std::wstring::npos) {
        TimerItem next;
        next.Hash = 2;
        next.title.SetCStr(L"Tea is ready");
        next.flags &= ~(TimerItem::kNew | TimerItem::kRunning);
        next.time = next.origTime;  // a timer without time left is not kept
        next.Save(ItemKey(L"Timers", next.Hash));
        TimerItem timer;
        timer.Hash = 1;
        timer.title.SetCStr(L"Steep the tea");
        timer.origTime = Ticks_FromSeconds(240);
        timer.time = Ticks_FromSeconds(2);
        timer.NextTimer = next.Hash;
        timer.flags = (timer.flags & ~TimerItem::kNew) | TimerItem::kRunning;
        timer.SetOption6(night);
        timer.Save(ItemKey(L"Timers", timer.Hash));
        return;
    }
    // A snooze that is over rings as soon as the program looks, however long it takes to start.
    AlarmItem alarm;
    alarm.Hash = 1;
    alarm.flags = (alarm.flags & ~AlarmItem::kNew) | AlarmItem::kFired;
    OleDate now = Time_LocalNowAsDate(true);
    alarm.time = now - kDueInDays;
    alarm.Snooze(&now, 0, 0, false);
    alarm.SetDismissed(false);
    alarm.title.SetCStr(L"Wake up: the train leaves at 7:40");
    alarm.SetOption6(night);
    alarm.Save(ItemKey(L"Alarms", alarm.Hash));
}

// The program's visible dialog: its caption is in the device's language.
struct ProgramDialog {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindProgramDialog(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<ProgramDialog*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (processId != search->processId || wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

// Starts the program and waits for its ring dialog; null when none came.
HWND StartRing(const std::wstring& program, PROCESS_INFORMATION& started) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {sizeof startup};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return nullptr;
    for (int tick = 0; tick < kRingWaitTicks; ++tick) {
        ProgramDialog search = {started.dwProcessId, nullptr};
        EnumWindows(FindProgramDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(kPollMs);
    }
    return nullptr;
}

int ShowRing(const std::wstring& kind, const std::wstring& program, const std::wstring& ready,
             const std::wstring& done) {
    StoreRingItem(kind);
    PROCESS_INFORMATION started = {};
    HWND ring = StartRing(program, started);
    int result = 1;
    if (ring) {
        for (int tick = 0; tick < kSettleTicks; ++tick) Sleep(kPollMs);
        Touch(ready);
        while (!FileExists(done) && IsWindow(ring)) Sleep(kPollMs);
        result = 0;
    }
    if (started.hProcess) {
        TerminateProcess(started.hProcess, 0);
        CloseHandle(started.hProcess);
        CloseHandle(started.hThread);
    }
    return result;
}

struct RecorderShow {
    bool record;
    bool runOutOfRoom;
    std::wstring ready, done;
    DWORD thread;
};

HWND FindRecorder(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            if (!GetDlgItem(window, RecorderDialog::kRecordButton)) return TRUE;
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// A visible dialog of the thread other than the recorder: the message box it shows.
HWND FindMessageBox(DWORD thread, HWND recorder) {
    struct Search {
        HWND recorder, found;
    } search = {recorder, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (window == s->recorder || !IsWindowVisible(window) || !GetDlgItem(window, IDOK)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Presses Record when asked, lets the time run to 0:03 (or runs out of room after two
// seconds and waits for the message), says ready, closes when done.
DWORD WINAPI DriveRecorder(void* data) {
    const RecorderShow& show = *static_cast<RecorderShow*>(data);
    // The dialog's thread sits on the device's desktop; only there are its windows found.
    SetThreadDesktop(GetThreadDesktop(show.thread));
    HWND dialog = nullptr;
    for (int i = 0; i < kRingWaitTicks && !(dialog = FindRecorder(show.thread)); ++i) Sleep(kPollMs);
    if (!dialog) return 1;
    Sleep(kPollMs * kSettleTicks);
    if (show.record) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(RecorderDialog::kRecordButton, BN_CLICKED), 0);
        Sleep(show.runOutOfRoom ? 2000 : 3500);
    }
    HWND box = nullptr;
    if (show.runOutOfRoom) {
        DeviceControl_SetDiskFreeBytes(50000);
        for (int i = 0; i < kRingWaitTicks && !(box = FindMessageBox(show.thread, dialog)); ++i) Sleep(kPollMs);
        Sleep(kPollMs * kSettleTicks);
    }
    Touch(show.ready);
    while (!FileExists(show.done)) Sleep(kPollMs);
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    DeviceControl_SetDiskFreeBytes(DEVICE_DISK_FREE_HOST);
    return 0;
}

int ShowRecorder(bool record, bool runOutOfRoom, const std::wstring& ready, const std::wstring& done) {
    wchar_t folder[MAX_PATH];
    if (Device_MapPath(L"\\My Documents", folder, MAX_PATH)) CreateDirectoryW(folder, nullptr);
    RecorderShow show = {record, runOutOfRoom, ready, done, GetCurrentThreadId()};
    HANDLE driver = CreateThread(nullptr, 0, DriveRecorder, &show, 0, nullptr);
    RecorderDialog dialog(L"\\My Documents\\MyRecord.mp3", nullptr);
    dialog.Run(nullptr, nullptr);
    WaitForSingleObject(driver, INFINITE);
    CloseHandle(driver);
    return 0;
}

// The chooser's countdown would end it after ten seconds: the shot comes first, and a
// chooser that ended before the done file is opened again.
int gChooserTicks = 0;
HWND gChooser = nullptr;

// The chooser is this thread's dialog: found by its class, its caption is in the device's language.
BOOL CALLBACK FindChooser(HWND window, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    gChooser = window;
    return FALSE;
}

void CALLBACK ChooserTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!gChooser) EnumThreadWindows(GetCurrentThreadId(), FindChooser, 0);
    if (!gChooser) return;
    if (++gChooserTicks == kSettleTicks) Touch(gReady);
    if (gChooserTicks > kSettleTicks && FileExists(gDone)) EndDialog(gChooser, SnoozeChooserDlg::kCancelled);
}

int ShowChooser(const std::wstring& kind) {
    SetTimer(nullptr, 0, kPollMs, ChooserTick);
    AlarmItem alarm;
    alarm.initsnooze = {7, 0};
    TimerItem timer;
    timer.origTime = 30 * 60 * kTicksPerSecond;
    timer.initsnooze = {15, 0};
    const EventItem& item = kind == L"chooser-timer" ? static_cast<const EventItem&>(timer) : alarm;
    while (!FileExists(gDone)) {
        gChooser = nullptr;
        gChooserTicks = 0;
        SnoozeChooserDlg chooser(item);
        if (chooser.Run() < 0) return 1;
    }
    return 0;
}

// The slide show's "Size" a slide kind asks for: 0 its default, -1 for no slide kind.
int SlideSize(const std::wstring& kind) {
    if (kind == L"slide") return 0;
    if (kind == L"slide-stretch") return 1;
    if (kind == L"slide-fit") return 2;
    if (kind == L"slide-smartfill") return 3;
    return -1;
}

// Starts the program's objects and shows the full-screen clock as kind asks; its window.
HWND ShowClock(const std::wstring& kind, const std::wstring& folder) {
    ProgramScreens::Install();
    if (!App::InitInstance(GetModuleHandleW(nullptr), L"")) return nullptr;
    // The start opened the main window, which would take the front (and the clock) back.
    MainWindow::Close();
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    FullScreenClockWnd* screen = FullScreenClockWnd::Instance();
    ClockWnd* clock = ClockWnd::Instance();
    if (!screen || !clock) return nullptr;
    if (kind == L"skin") {
        // Unread messages and a missed call, for the indicators.
        const DWORD count = 2;
        RegSetKeyValueW(HKEY_CURRENT_USER, L"System\\State\\Messages\\SMS\\Unread", L"Count", REG_DWORD, &count,
                        sizeof count);
        RegSetKeyValueW(HKEY_CURRENT_USER, L"System\\State\\Phone", L"Missed Call Count", REG_DWORD, &count,
                        sizeof count);
        UseTestSkin(*clock, folder);
    }
    const int size = SlideSize(kind);
    if (size >= 0) {
        SlideShowSettings& slides = App::GetItemStore()->GetSettings().screenSaver->slideShow;
        slides.Folder = RcString(folder.c_str());
        slides.Effect = 0;
        slides.DelaySec = 60;
        if (size > 0) slides.Size = size;
    }
    screen->Show(true, true, size >= 0, true);
    return screen->IsShowing() ? screen->GetHwnd() : nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // "-os4" after a kind shows it on a handheld that reports OS 4.
    std::wstring kind = argc >= 8 ? argv[1] : L"";
    const bool olderDevice = kind.size() > wcslen(kOlderDeviceSuffix) &&
                             kind.compare(kind.size() - wcslen(kOlderDeviceSuffix), std::wstring::npos,
                                          kOlderDeviceSuffix) == 0;
    if (olderDevice) kind.resize(kind.size() - wcslen(kOlderDeviceSuffix));
    const bool ring = kind.compare(0, wcslen(kRingPrefix), kRingPrefix) == 0;
    const bool chooser = kind.rfind(L"chooser", 0) == 0;
    const bool clockKind = kind == L"clock" || kind == L"skin" || SlideSize(kind) >= 0;
    const bool mainWindow = kind.rfind(L"mainwnd", 0) == 0;
    const bool clockScreen =
        kind == L"clockpage" || kind == L"clockpage-skin" || kind == L"clockpage-menu" || kind == L"slidesettings";
    const bool recorder = kind == L"recorder" || kind == L"recorder-recording" || kind == L"recorder-ended";
    if ((kind != L"countdown" && !ring && !clockKind && !mainWindow && !clockScreen && !chooser && !recorder) ||
        (!clockKind && !clockScreen && argc != 8) || argc < 8) {
        fwprintf(stderr, L"usage: screen_showcase countdown|mainwnd|mainwnd-empty|mainwnd-menu|chooser|chooser-timer|"
                         L"recorder|recorder-recording|recorder-ended|ring-<kind>|clock|skin|slide[-<size>]|clockpage|clockpage-skin|"
                         L"clockpage-menu|slidesettings[-os4] <width> <height> <dpi> <pack or program> <ready> <done> "
                         L"[folder]\n");
        return 2;
    }
    if (!DeviceSession_Attach() || !DeviceScreen_SetMode(_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]))) {
        fwprintf(stderr, L"screen_showcase: no device session or bad screen\n");
        return 2;
    }
    // The device lasts from shot to shot: every shot says which version it reports.
    DeviceControl_SetOsVersion(olderDevice ? 4 : 0, 0);
    Dpi_ResetCache();
    showcase::PrepareDevice();
    const std::wstring ready = argv[6], done = argv[7];
    if (ring) return ShowRing(kind, argv[5], ready, done);
    if (recorder) return ShowRecorder(kind != L"recorder", kind == L"recorder-ended", ready, done);
    gReady = ready;
    gDone = done;
    if (chooser) return ShowChooser(kind);
    if (mainWindow) return ShowMainWindow(kind);
    if (clockScreen) return ShowClockScreen(kind, argc > 8 ? argv[8] : L"");
    HWND window = nullptr;
    if (clockKind) {
        window = ShowClock(kind, argc > 8 ? argv[8] : L"");
    } else if (ResetCountdownWnd* countdown = ResetCountdownWnd::Open()) {
        window = countdown->GetHwnd();
    }
    if (!window) return 1;
    SetTimer(nullptr, 0, kPollMs, nullptr);
    int ticks = 0;
    MSG msg;
    while (IsWindow(window) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            if (++ticks == kSettleTicks) Touch(ready);
            if (ticks > kSettleTicks && FileExists(done)) {
                if (clockKind) {
                    App::Shutdown();
                    break;
                }
                DestroyWindow(window);
            }
            continue;
        }
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
