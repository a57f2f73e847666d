#include "InputSenseDriver.h"

#include <cstring>
#include <type_traits>

#include "ActivityMonitor.h"
#include "HeapBlock.h"
#include "InputSenseControl.h"
#include "LockHold.h"
#include "StreamInterface.h"

// The device manager calls them through its own types.
static_assert(std::is_same<decltype(&ISL_Init), StreamInitFn>::value, "stream entry point");
static_assert(std::is_same<decltype(&ISL_Deinit), StreamDeinitFn>::value, "stream entry point");
static_assert(std::is_same<decltype(&ISL_Open), StreamOpenFn>::value, "stream entry point");
static_assert(std::is_same<decltype(&ISL_Close), StreamCloseFn>::value, "stream entry point");
static_assert(std::is_same<decltype(&ISL_IOControl), StreamIoControlFn>::value, "stream entry point");

namespace {

// Everything the loaded driver holds.
struct Driver {
    HINSTANCE module = nullptr;
    // Lives as long as the module, so Init and Deinit are guarded like the rest.
    CRITICAL_SECTION lock;
    DWORD* openCounter = nullptr;  // its address is the device and open context
    DWORD keptValue = 0;
    ProgramClients programs;
    WindowClients windows;
    ActivityMonitor monitor{programs, windows};
};
Driver theDriver;

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

bool Done() {
    SetLastError(0);
    return true;
}

bool IsOurs(DWORD_PTR context) {
    return theDriver.openCounter && context == reinterpret_cast<DWORD_PTR>(theDriver.openCounter);
}

// 32-bit values travel little endian and unaligned.
DWORD ReadValue(const BYTE* bytes) {
    return DWORD(bytes[0]) | DWORD(bytes[1]) << 8 | DWORD(bytes[2]) << 16 | DWORD(bytes[3]) << 24;
}
void WriteValue(BYTE* bytes, DWORD value) {
    for (int i = 0; i < 4; ++i) bytes[i] = BYTE(value >> (8 * i));
}

bool Result(DWORD error) { return error ? Fail(error) : Done(); }

bool AddProgramClient(const BYTE* in) {
    InputSense::ProgramClientRecord record;
    memcpy(&record, in, sizeof record);
    return Result(theDriver.programs.Add(record));
}

bool RemoveProgramClient(const BYTE* in) {
    GUID key;
    memcpy(&key, in, sizeof key);
    return Result(theDriver.programs.Remove(key));
}

bool AddWindowClient(const BYTE* in) {
    InputSense::WindowClientRecord record;
    memcpy(&record, in, sizeof record);
    return Result(theDriver.windows.Add(InputSense::WindowOf(record.window), record.message, record.idleSeconds));
}

// A control code with its one input or output size.
struct Control {
    DWORD code;
    DWORD inSize;
    DWORD outSize;
};
const Control kControls[] = {
    {InputSense::kSetValue, 4, 0},
    {InputSense::kGetValue, 0, 4},
    {InputSense::kIsActive, 0, 4},
    {InputSense::kGetIdleTime, 0, 4},
    {InputSense::kAddClient, sizeof(InputSense::ProgramClientRecord), 0},
    {InputSense::kRemoveClient, sizeof(GUID), 0},
    {InputSense::kAddWindow, sizeof(InputSense::WindowClientRecord), 0},
    {InputSense::kRemoveWindow, 4, 0},
};

bool SizesFit(DWORD code, const BYTE* in, DWORD inSize, const BYTE* out, DWORD outSize) {
    for (const Control& c : kControls) {
        if (c.code != code) continue;
        return (c.inSize == 0 || (in && inSize == c.inSize)) && (c.outSize == 0 || (out && outSize == c.outSize));
    }
    return false;
}

bool Control(DWORD code, const BYTE* in, BYTE* out, PDWORD bytesReturned) {
    DWORD answer = 0;
    switch (code) {
    case InputSense::kSetValue:
        theDriver.keptValue = ReadValue(in);
        return Done();
    case InputSense::kGetValue:
        answer = theDriver.keptValue;
        break;
    case InputSense::kIsActive:
        // Window clients do not count: they do not keep the watcher running.
        answer = *theDriver.openCounter == 1 && theDriver.programs.Empty() ? 1 : 0;
        break;
    case InputSense::kGetIdleTime:
        answer = theDriver.monitor.IdleMs();
        break;
    case InputSense::kAddClient:
        return AddProgramClient(in);
    case InputSense::kRemoveClient:
        return RemoveProgramClient(in);
    case InputSense::kAddWindow:
        return AddWindowClient(in);
    case InputSense::kRemoveWindow:
        return Result(theDriver.windows.Remove(InputSense::WindowOf(ReadValue(in))));
    }
    WriteValue(out, answer);
    if (bytesReturned) *bytesReturned = 4;
    return Done();
}

}  // namespace

void InputSense_Load(HINSTANCE module) {
    theDriver.module = module;
    InitializeCriticalSection(&theDriver.lock);
    theDriver.programs.Setup();
    theDriver.windows.Setup();
}

void InputSense_Unload() {
    theDriver.monitor.Stop();
    theDriver.programs.Teardown();
    theDriver.windows.Teardown();
    HeapBlock::Free(theDriver.openCounter);
    theDriver.openCounter = nullptr;
    DeleteCriticalSection(&theDriver.lock);
}

DWORD_PTR ISL_Init(LPCWSTR) {
    LockHold hold(theDriver.lock);
    if (theDriver.openCounter) {
        SetLastError(ERROR_SERVICE_EXISTS);
        return reinterpret_cast<DWORD_PTR>(theDriver.openCounter);
    }
    theDriver.openCounter = static_cast<DWORD*>(HeapBlock::Allocate(sizeof(DWORD)));
    if (!theDriver.openCounter) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return reinterpret_cast<DWORD_PTR>(theDriver.openCounter);
}

BOOL ISL_Deinit(DWORD_PTR deviceContext) {
    LockHold hold(theDriver.lock);
    if (!IsOurs(deviceContext)) return Fail(ERROR_INVALID_HANDLE);
    if (*theDriver.openCounter != 0 || !theDriver.programs.Empty()) return Fail(ERROR_ACCESS_DENIED);
    HeapBlock::Free(theDriver.openCounter);
    theDriver.openCounter = nullptr;
    return TRUE;
}

DWORD_PTR ISL_Open(DWORD_PTR deviceContext, DWORD, DWORD) {
    LockHold hold(theDriver.lock);
    if (!IsOurs(deviceContext)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    // Program clients may have kept the watcher running with no handle open.
    if (*theDriver.openCounter == 0 && !theDriver.monitor.Running()) {
        if (DWORD error = theDriver.monitor.Start()) {
            SetLastError(error);
            return 0;
        }
    }
    ++*theDriver.openCounter;
    return deviceContext;
}

BOOL ISL_Close(DWORD_PTR openContext) {
    LockHold hold(theDriver.lock);
    if (!IsOurs(openContext)) return Fail(ERROR_INVALID_HANDLE);
    if (*theDriver.openCounter == 0) return Fail(ERROR_ACCESS_DENIED);
    // Program clients keep the watcher running, so they are still started after idle time.
    if (--*theDriver.openCounter == 0 && theDriver.programs.Empty()) theDriver.monitor.Stop();
    return TRUE;
}

BOOL ISL_IOControl(DWORD_PTR openContext, DWORD code, PBYTE in, DWORD inSize, PBYTE out, DWORD outSize,
                   PDWORD bytesReturned) {
    LockHold hold(theDriver.lock);
    if (bytesReturned) *bytesReturned = 0;
    if (!IsOurs(openContext) || *theDriver.openCounter == 0) return Fail(ERROR_INVALID_HANDLE);
    if (!SizesFit(code, in, inSize, out, outSize)) return Fail(ERROR_INVALID_PARAMETER);
    return Control(code, in, out, bytesReturned);
}

DWORD ISL_NoTransfer(DWORD_PTR, LPVOID, DWORD) { return 0; }

void ISL_NoPowerChange(DWORD_PTR) {}
