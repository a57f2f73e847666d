#pragma once
// Whether the phone is in a call, as the screen saver asks it: from OS version 5 on
// through the shell's published "Status" and its change notification; before that
// through the "Cellular Line" of telephony.
#include <windows.h>

#include "CellularLine.h"
#include "regext.h"

// True when a call is incoming, active or outgoing, or the status cannot be read.
bool Phone_IsCallActive();

// The notification of "Status" changes to a window (message, wParam = the new status).
class PhoneStatusWatch {
public:
    ~PhoneStatusWatch() { Close(); }
    // True when the watch is (already) in place.
    bool Watch(HWND window, UINT message);
    void Close();

private:
    HREGNOTIFY notify_ = nullptr;
};

// The cellular line kept open while the screen saver shows, so a new call hides it.
class CellularLineWatch {
public:
    ~CellularLineWatch() { Close(); }
    // True when the line reports an active call; the line stays open to post
    // newCallMessage to window unless closeAfterwards. False without a cellular line.
    bool IsBusy(HWND window, UINT newCallMessage, UINT closeLineMessage, bool closeAfterwards);
    // Closes the line and shuts the line application down.
    void Close();

private:
    static void CALLBACK LineCallback(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                                      DWORD_PTR param2, DWORD_PTR param3);

    TapiLineApp app_;
    HLINE line_ = nullptr;
};
