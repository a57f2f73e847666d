#pragma once
// The entry points of a stream driver, as the device manager calls them. A driver with
// the prefix "XYZ" exports XYZ_Init, XYZ_Deinit, XYZ_Open, XYZ_Close and XYZ_IOControl
// (Init is required). Contexts are the driver's own values; 0 means failure.
#include <windows.h>

typedef DWORD_PTR (*StreamInitFn)(LPCWSTR activeKey);
typedef BOOL (*StreamDeinitFn)(DWORD_PTR deviceContext);
typedef DWORD_PTR (*StreamOpenFn)(DWORD_PTR deviceContext, DWORD access, DWORD share);
typedef BOOL (*StreamCloseFn)(DWORD_PTR openContext);
typedef BOOL (*StreamIoControlFn)(DWORD_PTR openContext, DWORD code, PBYTE in, DWORD inSize, PBYTE out,
                                  DWORD outSize, PDWORD bytesReturned);
