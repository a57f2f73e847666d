#pragma once
// Tap-and-hold on the simulated device. A touch held on the screen (DeviceInput_TapAndHold)
// is recognised once by SHRecognizeGesture for the window it landed in (within a few
// pixels); any other touch is a plain tap. It waits until then or the next held touch.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tagSHRGI {
    DWORD cbSize;
    HWND hwndClient;
    POINT ptDown;  // client coordinates of hwndClient
    DWORD dwFlags;
} SHRGINFO, *PSHRGINFO;

#define SHRG_RETURNCMD   0x0001
#define SHRG_NOTIFYPARENT 0x0002

// The gesture's notification to the parent (WM_NOTIFY), the point in screen coordinates.
typedef struct tagNMRGINFO {
    NMHDR hdr;
    POINT ptAction;
    DWORD dwItemSpec;
} NMRGINFO, *PNMRGINFO;

#define GN_CONTEXTMENU 1000

// GN_CONTEXTMENU when the touch at ptDown is held, else 0. With SHRG_NOTIFYPARENT the
// parent of hwndClient also hears WM_NOTIFY GN_CONTEXTMENU with an NMRGINFO first.
DWORD SHRecognizeGesture(SHRGINFO* info);

#ifdef __cplusplus
}
#endif
