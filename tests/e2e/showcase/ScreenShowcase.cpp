// Opens one of the program's own screens on a simulated screen and keeps it up until
// told to close, so a script can take a screenshot of it:
//   screen_showcase <countdown> <width> <height> <dpi> <language pack> <ready file> <done file>
// The ready file appears once the screen is up; it closes when the done file exists.
#include <windows.h>

#include <cwchar>
#include <string>

#include "DeviceScreen.h"
#include "DeviceSession.h"
#include "Dpi.h"
#include "ResetCountdownWnd.h"

namespace {

constexpr UINT kPollMs = 100;
constexpr int kSettleTicks = 15;

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Touch(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 8 || std::wstring(argv[1]) != L"countdown") {
        fwprintf(stderr, L"usage: screen_showcase countdown <width> <height> <dpi> <pack> <ready> <done>\n");
        return 2;
    }
    if (!DeviceSession_Attach() || !DeviceScreen_SetMode(_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]))) {
        fwprintf(stderr, L"screen_showcase: no device session or bad screen\n");
        return 2;
    }
    Dpi_ResetCache();
    const std::wstring ready = argv[6], done = argv[7];
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
