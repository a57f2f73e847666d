// Puts the device's Today screen up with the Today item on a simulated screen and keeps
// it there until told, so a script can take a screenshot of it:
//   today_showcase <scene> <width> <height> <dpi> <en|de> <language pack> <ready file> <done file>
// Scenes: none, one, several (items in the store), popup (the item's popup open), menu
// (the command menu open, from the selected item), submenu (an alarm's actions open).
// The texts are those the real Orvalen.exe writes beside itself, in English or, from the
// pack, in German. The device's locale (dates, day names) is the one the program starts in. The ready file appears once the screen is up; it closes when the
// done file exists.
#include <windows.h>

#include <cmath>
#include <cwchar>
#include <string>

#include "DeviceClock.h"
#include "DeviceFiles.h"
#include "DeviceProcess.h"
#include "DeviceScreen.h"
#include "DeviceSession.h"
#include "ItemStore.h"
#include "RegKeyTree.h"
#include "TodayTestStore.h"
#include "todaycmn.h"

using namespace todaytest;

namespace {

constexpr DWORD kPollMs = 100;
constexpr DWORD kProgramWaitMs = 60000;
constexpr DWORD kSettleMs = 2000;
constexpr Ticks100ns kSecond = kTicksPerSecond;

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Touch(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

std::wstring HostOf(const std::wstring& cePath) {
    wchar_t mapped[MAX_PATH] = {};
    Device_MapPath(cePath.c_str(), mapped, MAX_PATH);
    return mapped;
}

bool CopyInto(const std::wstring& hostFile, const std::wstring& cePath) {
    const std::wstring target = HostOf(cePath);
    for (size_t slash = target.find(L'\\', 3); slash != std::wstring::npos; slash = target.find(L'\\', slash + 1))
        CreateDirectoryW(target.substr(0, slash).c_str(), nullptr);
    return CopyFileW(hostFile.c_str(), target.c_str(), FALSE) != 0;
}

std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }

// Linux paths of the build ("/work/...") as the host sees them under Wine.
std::wstring BuildPath(const char* path) { return L"Z:" + Widen(path); }

// Runs the program once in its folder, so it writes its texts beside itself.
bool RunProgramOnce(const std::wstring& program) {
    PROCESS_INFORMATION started = {};
    if (!Device_CreateProcess(program.c_str(), L"AppRunAfterTimeChange", &started)) return false;
    CloseHandle(started.hThread);
    const bool ended = WaitForSingleObject(started.hProcess, kProgramWaitMs) == WAIT_OBJECT_0;
    CloseHandle(started.hProcess);
    return ended;
}

void StoreScene(const std::wstring& scene, OleDate now) {
    RegKeyRef product = RegKeyRef::Open(kProduct.c_str(), HKEY_CURRENT_USER, false);
    for (const wchar_t* list : {L"Alarms", L"Timers", L"Stopwatches"}) RegKeyTree_Delete(product, list);
    SetPluginHeight(scene == L"one" ? 2 : 5);
    if (scene == L"none") return;
    const OleDate today = std::floor(now);
    Save(StoredAlarm{101, today + (8 * 60 + 30) * kMinute, 0x3E, L"Wake up"});
    if (scene == L"one") return;
    Save(StoredAlarm{102, today + 18 * 60 * kMinute, 1u << 5, L"Gym"});
    StoredAlarm tablets{103, today + (7 * 60 + 35) * kMinute, AlarmItem::kDaysMask, L"Tablets"};
    tablets.snoozing = true;
    tablets.snooze = today + (7 * 60 + 50) * kMinute;
    Save(tablets);
    Save(StoredAlarm{104, today + 22 * 60 * kMinute, 0x41, L"Weekend lie-in", 0, AlarmItem::kEnabled});
    Save(StoredTimer{201, (3 * 60 + 58) * kSecond, L"Tea", true, false, 4 * 60 * kSecond});
    Save(StoredTimer{202, (72 * 60 + 30) * kSecond, L"Parking"});
    Save(StoredTimer{203, (2 * 3600 + 45 * 60) * kSecond, L"Roast in the oven, then the vegetables"});
    Save(StoredTimer{204, 25 * 60 * kSecond, L"Pizza", false});
    Save(StoredTimer{205, 6 * 60 * kSecond, L"Eggs", false, true});
}

void PostKey(HWND window, UINT key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    Sleep(150);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 9) {
        fwprintf(stderr, L"usage: today_showcase <scene> <width> <height> <dpi> <en|de> <pack> <ready> <done>\n");
        return 2;
    }
    const std::wstring scene = argv[1], language = argv[5], pack = argv[6], ready = argv[7], done = argv[8];
    const int dpi = _wtoi(argv[4]);
    if (!DeviceSession_Attach() || !DeviceScreen_SetMode(_wtoi(argv[2]), _wtoi(argv[3]), dpi)) {
        fwprintf(stderr, L"today_showcase: no device session or bad screen\n");
        return 2;
    }
    // One program folder per language, each with the texts its program wrote.
    const std::wstring folder = L"\\Program Files\\Orvalen-" + language + L"\\";
    const std::wstring program = folder + L"Orvalen.exe";
    if (!FileExists(HostOf(folder + L"today_translation.txt"))) {
        CopyInto(BuildPath(ORVALEN_PROGRAM_PATH), program);
        if (language == L"de") CopyInto(pack, folder + L"translation.zip");
        registryprobe::WriteDword(kProduct + L"\\Clock\\Language", L"LangID", language == L"de" ? 1031 : 1033);
        if (!RunProgramOnce(program)) fwprintf(stderr, L"today_showcase: the program did not end\n");
    }
    const OleDate now = SetClock(2026, 3, 4, 7, 42);
    StoreScene(scene, now);
    const std::wstring location = HostOf(program);
    registryprobe::Write(kProduct, L"Location", REG_SZ, location.c_str(),
                         static_cast<DWORD>((location.size() + 1) * sizeof(wchar_t)));
    registryprobe::Write(kProduct, ItemStore::kTodayWindowValue, REG_BINARY, "\0\0\0\0", 4);
    CopyInto(BuildPath(QUINDLE_DLL), folder + L"Quindle.dll");
    CopyInto(BuildPath(TODAY_HOST_EXE), L"\\Windows\\TodayHost.exe");
    // The device's shell library: the shell's text size, which follows the screen's density.
    CopyInto(BuildPath(AYGSHELL_LIBRARY_PATH), L"\\Windows\\aygshell.dll");

    PROCESS_INFORMATION host = {};
    if (!Device_CreateProcess(L"\\Windows\\TodayHost.exe", (L"\"" + folder + L"Quindle.dll\"").c_str(), &host)) {
        fwprintf(stderr, L"today_showcase: the Today screen did not start\n");
        return 1;
    }
    CloseHandle(host.hThread);
    HWND item = nullptr;
    for (int i = 0; i < 300 && !item; ++i) {
        Sleep(kPollMs);
        item = reinterpret_cast<HWND>(static_cast<UINT_PTR>(registryprobe::Read(kProduct, ItemStore::kTodayWindowValue).Dword()));
        if (!IsWindow(item)) item = nullptr;
    }
    HWND screen = item ? GetParent(item) : nullptr;
    Sleep(kSettleMs);
    if (item && scene == L"popup") {
        // The expand button's middle.
        const int s = dpi < 192 ? 16 : 32;
        const LPARAM at = MAKELPARAM((dpi * 28 + 48) / 96 + s / 2, ((dpi + 24) * 2) / 96 + s / 2);
        PostMessageW(item, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(item, WM_LBUTTONUP, 0, at);
    } else if (item && (scene == L"menu" || scene == L"submenu")) {
        PostKey(screen, VK_DOWN);    // selects the item
        PostKey(screen, VK_RETURN);  // the menu, "Cancel" on top
        Sleep(kSettleMs);
        // Cancel, Run, Cancel Snooze, New alarm, New timer, Alarms.
        for (int i = 0; i < 6; ++i) PostKey(item, VK_DOWN);
        if (scene == L"submenu") {
            PostKey(item, VK_RIGHT);  // the alarms
            PostKey(item, VK_RIGHT);  // the first one's actions
        }
    }
    Sleep(kSettleMs);
    Touch(ready);
    while (!FileExists(done)) Sleep(kPollMs);
    for (int i = 0; i < 3; ++i) PostKey(item, VK_ESCAPE);
    if (screen) PostMessageW(screen, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(host.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(host.hProcess, 1);
    CloseHandle(host.hProcess);
    return item ? 0 : 1;
}
