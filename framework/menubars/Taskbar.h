#pragma once
// The height of the shell's task bar, which full-screen windows leave free.
#include <windows.h>

// Measured once and cached for the life of the process.
int Taskbar_Show();
// The bar's height; when there is no bar or it has no height, its designed 26 pixels
// scaled to the display density.
int Taskbar_MeasureHeight(HWND taskBar, int dpiY);
