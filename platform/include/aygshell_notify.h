#pragma once
// The shell's notification bubbles (Windows Mobile aygshell): a program adds a bubble
// under its class id and a number of its own; the shell shows it, or puts it straight
// into the tray, and tells the sink window when the user taps it.
#include <windows.h>

// How insistent a bubble is.
typedef enum SHNP_PRIORITY {
    SHNP_ICONIC = 0,
    SHNP_INFORM = 0x1B1,
} SHNP;

// Into the tray at once, without popping up first.
#define SHNF_STRAIGHTTOTRAY 0x00000001

// WM_NOTIFY code the sink gets when the user asks to see the bubble's owner
// (idFrom: the bubble's id).
#define SHNN_SHOW (-1002)

typedef struct SHNOTIFICATIONDATA {
    DWORD cbStruct;
    DWORD dwID;
    SHNP npPriority;
    DWORD csDuration;  // seconds
    HICON hicon;
    DWORD grfFlags;
    CLSID clsid;
    HWND hwndSink;
    LPCWSTR pszHTML;
    LPCWSTR pszTitle;
    LPARAM lParam;
} SHNOTIFICATIONDATA;

#ifdef __cplusplus
extern "C" {
#endif

// ERROR_SUCCESS, or an error (a record of another size, no room, a bubble of the same
// class and id already shown).
LRESULT SHNotificationAdd(SHNOTIFICATIONDATA* data);
// ERROR_SUCCESS, or ERROR_NOT_FOUND when no such bubble is shown.
LRESULT SHNotificationRemove(const CLSID* clsid, DWORD id);

#ifdef __cplusplus
}
#endif
