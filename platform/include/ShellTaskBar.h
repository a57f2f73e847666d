#pragma once
// The shell's task bar: a top-level window of class "HHTaskBar" along the top of the
// screen. Programs measure it to lay out full-screen windows.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SHELL_TASKBAR_CLASS L"HHTaskBar"

// The device's task bar window, or null when the shell shows none.
HWND ShellTaskBar_Find(void);
// Makes a task bar of the given height across the top of the screen (the device
// shell's, or a test's); null on failure. The caller destroys it.
HWND ShellTaskBar_Create(int height);

#ifdef __cplusplus
}
#endif
