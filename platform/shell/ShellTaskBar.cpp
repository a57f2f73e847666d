#include "ShellTaskBar.h"

#include "aygshell_ui.h"
#include "DeviceScreen.h"
#include "sipapi.h"

namespace {

constexpr wchar_t kStartText[] = L"Start";
constexpr COLORREF kTaskBarColour = RGB(16, 48, 112);

LRESULT CALLBACK TaskBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(kTaskBarColour);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        client.left += DeviceScreen_Scale(6);
        DrawTextW(dc, kStartText, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_SETTINGCHANGE:
        if (wParam == SETTINGCHANGE_RESET)
            SetWindowPos(window, nullptr, 0, 0, DeviceScreen_GetSystemMetrics(SM_CXSCREEN), Shell_GetTaskBarHeight(),
                         SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterTaskBarClass() {
    WNDCLASSW windowClass = {};
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoW(instance, SHELL_TASKBAR_CLASS, &windowClass))
        return true;
    windowClass.lpfnWndProc = TaskBarProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = SHELL_TASKBAR_CLASS;
    return RegisterClassW(&windowClass) != 0;
}

}  // namespace

HWND ShellTaskBar_Find(void) {
    return FindWindowW(SHELL_TASKBAR_CLASS, nullptr);
}

HWND ShellTaskBar_Create(int height) {
    if (height <= 0 || !RegisterTaskBarClass()) return nullptr;
    return CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, SHELL_TASKBAR_CLASS, L"", WS_POPUP, 0, 0,
                           DeviceScreen_GetSystemMetrics(SM_CXSCREEN), height, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}
