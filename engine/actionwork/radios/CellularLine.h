#pragma once
// The phone's own telephony line, "Cellular Line", among the device's line devices,
// and a line application the screens keep open to ask about it.
#include "DeviceCellular.h"

// The API version asked of every line: exactly 2.0.
constexpr DWORD kCellularApiVersion = TAPI_API_VERSION_2_0;

// The index of the last line device named exactly "Cellular Line" among the first
// deviceCount devices of the application, or -1. Devices that refuse the API version
// or their capabilities are passed over.
int CellularLine_Find(HLINEAPP lineApp, DWORD deviceCount);

// A line application of the screens: handle, a mark while it closes, its line devices.
struct TapiLineApp {
    HLINEAPP lineApp = nullptr;
    bool closing = false;
    DWORD deviceCount = 0;
};

// Opens the application (its callback does nothing); lineInitialize's result.
LONG TapiLine_Open(TapiLineApp& app);
// CellularLine_Find over the application's devices; -1 while it is not open.
int TapiLine_FindCellular(const TapiLineApp& app);
// Shuts an open application down unless a close is under way: lineShutdown's result;
// otherwise the handle's value.
LONG TapiLine_Close(TapiLineApp& app);

// The telephony callback: nothing of the program listens to line events.
void CALLBACK CellularLine_IgnoreEvent(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                                       DWORD_PTR param2, DWORD_PTR param3);
