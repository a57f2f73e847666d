#pragma once
// The user-activity driver's stream interface (prefix ISL), exported by inputsense.dll
// in this order as ordinals 1 to 10. Every entry point compares its context with the
// driver's open counter, whose address is both the device and the open context, and
// reports a failure as FALSE (or 0) with the thread's last error.
#include <windows.h>

extern "C" {
DWORD_PTR ISL_Init(LPCWSTR activeKey);
BOOL ISL_Deinit(DWORD_PTR deviceContext);
DWORD_PTR ISL_Open(DWORD_PTR deviceContext, DWORD access, DWORD share);
BOOL ISL_Close(DWORD_PTR openContext);
BOOL ISL_IOControl(DWORD_PTR openContext, DWORD code, PBYTE in, DWORD inSize, PBYTE out, DWORD outSize,
                   PDWORD bytesReturned);
// Exported as ISL_Read, ISL_Write and ISL_Seek: nothing to read, write or seek.
DWORD ISL_NoTransfer(DWORD_PTR openContext, LPVOID buffer, DWORD count);
// Exported as ISL_PowerUp and ISL_PowerDown.
void ISL_NoPowerChange(DWORD_PTR deviceContext);
}

// The module's load and unload (DllMain).
void InputSense_Load(HINSTANCE module);
void InputSense_Unload();
