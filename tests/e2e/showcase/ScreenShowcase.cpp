// Opens one of the program's own screens on a simulated screen and keeps it up until
// told to close, so a script can take a screenshot of it:
//   screen_showcase <kind> <width> <height> <dpi> <language pack> <ready file> <done file>
// kind: countdown (the reset countdown), mainwnd (the main window on the Alarms tab with
// three alarms), mainwnd-empty (no alarms), mainwnd-menu (three alarms, soft-key menu open).
// The ready file appears once the screen is up; it closes when the done file exists.
#include <windows.h>

#include <cwchar>
#include <string>

#include "AlarmItem.h"
#include "DeviceInput.h"
#include "DeviceScreen.h"
#include "DeviceSession.h"
#include "Dpi.h"
#include "ItemStore.h"
#include "MainWindow.h"
#include "ProductKey.h"
#include "ProgramScreens.h"
#include "RegKeyRef.h"
#include "ResetCountdownWnd.h"
#include "aygshell_ui.h"

namespace {

constexpr UINT kPollMs = 100;
constexpr int kSettleTicks = 15;

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Touch(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

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

std::wstring gReady, gDone;
int gTicks = 0;
bool gTapMenu = false;
HWND gWindow = nullptr;

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
    if (gTicks == kSettleTicks) Touch(gReady);
    if (gTicks > kSettleTicks && FileExists(gDone)) {
        EndMenu();
        if (IsWindow(gWindow)) DestroyWindow(gWindow);
        PostQuitMessage(0);
    }
}

int ShowMainWindow(const std::wstring& kind) {
    // The screenshots share one registry: the empty list starts from no alarms.
    RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(ProductKey::kPath) + L"\\Alarms").c_str());
    if (kind != L"mainwnd-empty") StoreAlarms();
    ProgramScreens::Install();
    ItemStore store(RcString(L"\\Sounds"), false);
    if (!MainWindow::Open(MainWindow::kAlarmsTab)) return 1;
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring kind = argc == 8 ? argv[1] : L"";
    if (kind != L"countdown" && kind.rfind(L"mainwnd", 0) != 0) {
        fwprintf(stderr, L"usage: screen_showcase countdown|mainwnd|mainwnd-empty|mainwnd-menu <width> <height> "
                         L"<dpi> <pack> <ready> <done>\n");
        return 2;
    }
    if (!DeviceSession_Attach() || !DeviceScreen_SetMode(_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]))) {
        fwprintf(stderr, L"screen_showcase: no device session or bad screen\n");
        return 2;
    }
    Dpi_ResetCache();
    const std::wstring ready = argv[6], done = argv[7];
    if (kind != L"countdown") {
        gReady = ready;
        gDone = done;
        return ShowMainWindow(kind);
    }
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
