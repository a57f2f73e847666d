#pragma once
// Calling the user-activity driver's control codes in tests, the same way whether the
// driver is loaded into the test or served by the device manager.
#include <windows.h>
#include <functional>
#include <string>

#include "InputSenseControl.h"

namespace inputsense_test {

// One control call as the caller makes it: the driver's ISL_IOControl, or DeviceIoControl.
using IoControl = std::function<BOOL(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned)>;

// What a call gave back: success, the last error, the 4-byte answer and the bytes returned.
struct Answer {
    bool ok;
    DWORD error;
    DWORD value;
    DWORD returned;
};

class Controls {
public:
    explicit Controls(IoControl io) : io_(std::move(io)) {}
    // The answer is read from an output buffer of outSize bytes (at most 4 are kept).
    Answer Call(DWORD code, const void* in, DWORD inSize, DWORD outSize = 0, bool withOutput = true);
    Answer Get(DWORD code) { return Call(code, nullptr, 0, 4); }
    Answer Set(DWORD code, DWORD value) { return Call(code, &value, sizeof value); }
    Answer AddClient(const InputSense::ProgramClientRecord& record) { return Call(InputSense::kAddClient, &record, sizeof record); }
    Answer RemoveClient(const GUID& key) { return Call(InputSense::kRemoveClient, &key, sizeof key); }
    Answer AddWindow(HWND window, UINT message, DWORD idleSeconds);
    Answer RemoveWindow(HWND window) { return Set(InputSense::kRemoveWindow, InputSense::WindowValue(window)); }

private:
    IoControl io_;
};

// A program client for `program` with `arguments` (their whole lengths).
InputSense::ProgramClientRecord ClientRecord(const wchar_t* program, const wchar_t* arguments, DWORD idleSeconds,
                                             const GUID& key, bool startOnPowerOn = false);
// A GUID of its own for each number.
GUID KeyNumber(DWORD number);

// Every refusal that a control code can give on an open handle: wrong codes, sizes and
// buffers (87), duplicates (183), a dead window (1400), unknown clients (2), oversized
// lengths (87) and an unreadable text (998). Leaves no client behind.
void ExpectRefusals(Controls& controls);

// The power manager's user-activity event and timer key, as the device's services make
// them; the event is manual-reset and not set. Timeout in seconds; the event handle is
// the caller's.
HANDLE MakePowerManagerEvent();
void SetActivityTimeout(DWORD seconds);
// The device's name of the event.
std::wstring ActivityEventName();

}  // namespace inputsense_test
