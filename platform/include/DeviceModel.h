#pragma once
// The simulated device's model as programs read it: the OEM text that
// SystemParametersInfoW(SPI_GETOEMINFO) gives. Tests set it to act as a given handheld.
#include <windows.h>

// The action that reads the OEM text (the handheld's own number).
#define SPI_GETOEMINFO 258
// Longest OEM text, terminator included.
#define DEVICE_OEM_INFO_CHARS 260

#ifdef __cplusplus
extern "C" {
#endif

// SPI_GETOEMINFO copies the OEM text, cut to uiParam bytes and terminated, into pvParam;
// FALSE with ERROR_INSUFFICIENT_BUFFER when not even the terminator fits. Every other
// action is the host's.
BOOL Device_SystemParametersInfoW(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni);
#define SystemParametersInfoW Device_SystemParametersInfoW

// For tests: sets the OEM text (null: the default); cut to DEVICE_OEM_INFO_CHARS - 1 characters.
BOOL DeviceControl_SetOemInfo(const wchar_t* text);

#ifdef __cplusplus
}
#endif
