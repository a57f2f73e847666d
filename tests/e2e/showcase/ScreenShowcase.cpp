// Opens one of the program's own screens on a simulated screen and keeps it up until
// told to close, so a script can take a screenshot of it:
//   screen_showcase countdown <width> <height> <dpi> <language pack> <ready file> <done file>
//   screen_showcase <ring kind> <width> <height> <dpi> <Orvalen.exe> <ready file> <done file>
//   screen_showcase chooser|chooser-timer <width> <height> <dpi> - <ready file> <done file>
// The ready file appears once the screen is up; it closes when the done file exists.
// A ring kind (ring-alarm, ring-notify, ring-timer, each also with "-night") stores an
// item that is due (a snooze that is over, a timer with two seconds left) on the device
// and starts the real program, which rings it. The snooze chooser opens for an alarm
// whose own length is 7 minutes, or for a timer of 30 minutes.
#include <windows.h>

#include <cwchar>
#include <string>

#include "AlarmItem.h"
#include "DateFunctions.h"
#include "DeviceScreen.h"
#include "DeviceSession.h"
#include "Dpi.h"
#include "ProductKey.h"
#include "RegKeyRef.h"
#include "ResetCountdownWnd.h"
#include "Settings.h"
#include "SnoozeChooserDlg.h"
#include "TimerItem.h"

namespace {

constexpr UINT kPollMs = 100;
constexpr int kSettleTicks = 15;
constexpr int kRingWaitTicks = 600;
constexpr double kDueInDays = 2.0 / 86400.0;
const wchar_t kRingPrefix[] = L"ring-";

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Touch(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
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

// Starts the program and waits for its ring dialog; null when none came.
HWND StartRing(const std::wstring& program, PROCESS_INFORMATION& started) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {sizeof startup};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return nullptr;
    for (int tick = 0; tick < kRingWaitTicks; ++tick) {
        HWND ring = FindWindowW(L"#32770", L"Orvalen alarm elapsed");
        if (!ring) ring = FindWindowW(L"#32770", L"Orvalen timer elapsed");
        if (ring) return ring;
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

// The chooser's countdown would end it after ten seconds: the shot comes first, and a
// chooser that ended before the done file is opened again.
std::wstring g_ready, g_done;
int g_chooserTicks = 0;
HWND g_chooser = nullptr;

void CALLBACK ChooserTick(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_chooser) g_chooser = FindWindowW(L"#32770", L"Snooze Alarm");
    if (!g_chooser) return;
    if (++g_chooserTicks == kSettleTicks) Touch(g_ready);
    if (g_chooserTicks > kSettleTicks && FileExists(g_done)) EndDialog(g_chooser, SnoozeChooserDlg::kCancelled);
}

int ShowChooser(const std::wstring& kind) {
    SetTimer(nullptr, 0, kPollMs, ChooserTick);
    AlarmItem alarm;
    alarm.initsnooze = {7, 0};
    TimerItem timer;
    timer.origTime = 30 * 60 * kTicksPerSecond;
    timer.initsnooze = {15, 0};
    const EventItem& item = kind == L"chooser-timer" ? static_cast<const EventItem&>(timer) : alarm;
    while (!FileExists(g_done)) {
        g_chooser = nullptr;
        g_chooserTicks = 0;
        SnoozeChooserDlg chooser(item);
        if (chooser.Run() < 0) return 1;
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring kind = argc == 8 ? argv[1] : L"";
    const bool ring = kind.compare(0, wcslen(kRingPrefix), kRingPrefix) == 0;
    const bool chooser = kind.compare(0, 7, L"chooser") == 0;
    if (argc != 8 || (kind != L"countdown" && !ring && !chooser)) {
        fwprintf(stderr, L"usage: screen_showcase countdown|chooser[-timer]|ring-<kind> <width> <height> <dpi> <pack or program> "
                         L"<ready> <done>\n");
        return 2;
    }
    if (!DeviceSession_Attach() || !DeviceScreen_SetMode(_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]))) {
        fwprintf(stderr, L"screen_showcase: no device session or bad screen\n");
        return 2;
    }
    Dpi_ResetCache();
    const std::wstring ready = argv[6], done = argv[7];
    if (ring) return ShowRing(kind, argv[5], ready, done);
    g_ready = ready;
    g_done = done;
    if (chooser) return ShowChooser(kind);
    ResetCountdownWnd* countdown = ResetCountdownWnd::Open();
    if (!countdown) return 1;
    HWND window = countdown->GetHwnd();
    SetTimer(nullptr, 0, kPollMs, nullptr);
    int ticks = 0;
    MSG msg;
    while (IsWindow(window) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            if (++ticks == kSettleTicks) Touch(ready);
            if (ticks > kSettleTicks && FileExists(done)) DestroyWindow(window);
            continue;
        }
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
