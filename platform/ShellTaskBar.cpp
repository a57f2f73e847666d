#include "ShellTaskBar.h"

namespace {

LRESULT CALLBACK TaskBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterTaskBarClass() {
    WNDCLASSW taskBarClass = {};
    taskBarClass.lpfnWndProc = TaskBarProc;
    taskBarClass.hInstance = GetModuleHandleW(nullptr);
    taskBarClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    taskBarClass.lpszClassName = SHELL_TASKBAR_CLASS;
    return RegisterClassW(&taskBarClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND ShellTaskBar_Find(void) {
    return FindWindowW(SHELL_TASKBAR_CLASS, nullptr);
}

HWND ShellTaskBar_Create(int height) {
    if (height <= 0 || !RegisterTaskBarClass()) return nullptr;
    return CreateWindowExW(WS_EX_TOOLWINDOW, SHELL_TASKBAR_CLASS, L"", WS_POPUP, 0, 0,
                           GetSystemMetrics(SM_CXSCREEN), height, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}
