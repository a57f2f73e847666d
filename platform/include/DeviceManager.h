#pragma once
// The device manager: it loads stream drivers by their registry entry and serves their
// devices ("ISL0:") to every process of the device. It runs in the device's services
// process, so a driver stays loaded after the program that activated it has ended.
//
// A source that includes this header opens, controls and closes devices the device's
// way: CreateFileW, DeviceIoControl and CloseHandle go to the device manager for device
// names (three letters, a digit and a colon) and the handles they return, and to
// Windows for everything else. A driver's failure comes back as FALSE (or
// INVALID_HANDLE_VALUE) with the driver's error as the last error; a success leaves
// the last error 0. Include it after every other header, so the routing reaches only
// the source's own calls and never another header's inline code.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Loads the driver that the key HKEY_LOCAL_MACHINE\lpszDevKey names ("Dll", in the
// device's \Windows unless it is a path; "Prefix", three letters; "Index", 0 to 9,
// default 1), calls its <Prefix>_Init and registers its device name. Starts the device's
// services when they do not run. The activation handle (not a kernel handle, it fits in
// 32 bits), or null with the error: ERROR_FILE_NOT_FOUND (key), ERROR_BAD_CONFIGURATION
// (values), ERROR_DEVICE_IN_USE (name taken), the loader's, ERROR_PROC_NOT_FOUND (no
// Init), or the driver's own when Init gives 0. The last error after a success is what
// the driver's Init left.
HANDLE ActivateDevice(LPCWSTR lpszDevKey, DWORD dwClientInfo);
// Calls the driver's <Prefix>_Deinit; when it agrees, removes the device and unloads the
// driver. FALSE with the driver's error when it refuses (the device stays), or
// ERROR_INVALID_HANDLE for an unknown handle.
BOOL DeactivateDevice(HANDLE hDevice);

// The routed calls. Buffers of a device control are limited to DEVICE_MAX_IO_BYTES
// each (larger: ERROR_INVALID_PARAMETER) and must be readable (and the output
// writable) for their whole size (else ERROR_NOACCESS); overlapped calls are not
// supported on devices.
#define DEVICE_MAX_IO_BYTES 65536
HANDLE Device_CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL Device_DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                            LPDWORD bytesReturned, LPOVERLAPPED overlapped);
BOOL Device_CloseHandle(HANDLE handle);

#ifdef __cplusplus
}
#endif

#ifndef DEVICE_MANAGER_KEEP_WINDOWS_CALLS
#undef CreateFile
#define CreateFile Device_CreateFileW
#define CreateFileW Device_CreateFileW
#define DeviceIoControl Device_DeviceIoControl
#define CloseHandle Device_CloseHandle
#endif
