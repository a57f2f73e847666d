#pragma once
// The shell's notification bubbles on the simulated device, as tests see and tap them.
// The bubbles live in the device state, so every process of the device sees them.
#include <windows.h>

#include "aygshell_notify.h"

struct DEVICE_BUBBLE {
    CLSID clsid;
    DWORD id;
    DWORD cbStruct;      // what the program passed
    DWORD priority;
    DWORD duration;      // seconds
    DWORD flags;
    DWORD iconWidth;     // pixels; 0: no icon
    HWND sink;
    LPARAM lParam;
    wchar_t title[64];
    wchar_t html[128];
};

// Copies up to capacity bubbles, oldest first; the number shown.
DWORD DeviceControl_GetBubbles(DEVICE_BUBBLE* bubbles, DWORD capacity);
// The user taps the bubble: its sink gets WM_NOTIFY SHNN_SHOW (sent); FALSE when no
// such bubble is shown. result: the sink's answer.
BOOL DeviceControl_TapBubble(const CLSID* clsid, DWORD id, LRESULT* result);
