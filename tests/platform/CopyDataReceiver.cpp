// Test program: a hidden window of the class named by its command text that waits for
// one WM_COPYDATA command and writes what it got into the device root.
#include <windows.h>
#include <string>
#include "DeviceFiles.h"
#include "DeviceProcess.h"
#include "DeviceSession.h"
#include "ProbeReport.h"
#include "ScopedHandle.h"

namespace {
const UINT_PTR kGiveUpTimer = 1;
const UINT kGiveUpMs = 30000;
enum ExitCode { kReceived = 0, kNoDevice = 1, kNoWindow = 2, kTimedOut = 3, kWriteFailed = 4 };

bool SaveCommand(const COPYDATASTRUCT& data) {
    wchar_t path[MAX_PATH];
    if (!Device_MapPath(RECEIVER_FILE, path, MAX_PATH)) return false;
    std::string bytes(sizeof(DWORD), '\0');
    DWORD id = DWORD(data.dwData);
    memcpy(&bytes[0], &id, sizeof id);
    if (data.lpData && data.cbData) bytes.append(static_cast<const char*>(data.lpData), data.cbData);
    ScopedFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPYDATA: {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data || data->dwData != RECEIVER_COMMAND_ID) return FALSE;
        PostQuitMessage(SaveCommand(*data) ? kReceived : kWriteFailed);
        return TRUE;
    }
    case WM_TIMER:
        if (wParam == kGiveUpTimer) PostQuitMessage(kTimedOut);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int Receive(HINSTANCE instance) {
    if (!DeviceSession_Attach()) return kNoDevice;
    const wchar_t* className = Device_GetCommandText();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    if (!RegisterClassW(&wc)) return kNoWindow;
    HWND window = CreateWindowExW(0, className, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!window) return kNoWindow;
    SetTimer(window, kGiveUpTimer, kGiveUpMs, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(window);
    return int(msg.wParam);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    try {
        return Receive(instance);
    } catch (...) {
        return kNoWindow;
    }
}
