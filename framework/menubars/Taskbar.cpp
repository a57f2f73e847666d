#include "Taskbar.h"

#include "Dpi.h"
#include "ShellTaskBar.h"

namespace {
constexpr int kDesignedTaskbarHeight = 26;
}

int Taskbar_MeasureHeight(HWND taskBar, int dpiY) {
    RECT bounds = {};
    if (taskBar && GetWindowRect(taskBar, &bounds) && bounds.bottom - bounds.top != 0) return bounds.bottom - bounds.top;
    return (dpiY * kDesignedTaskbarHeight + 48) / 96;
}

int Taskbar_Show() {
    static const int height = Taskbar_MeasureHeight(ShellTaskBar_Find(), Dpi_GetY());
    return height;
}
