#include "InputSenseTestSupport.h"

#include <gtest/gtest.h>

#include "DeviceObjects.h"
#include "TestSupport.h"
#include "pm.h"

namespace inputsense_test {
namespace {
const DWORD kUnknownCode = 0x221678;

void ExpectRefused(const Answer& answer, DWORD error, const char* what) {
    EXPECT_FALSE(answer.ok) << what;
    EXPECT_EQ(error, answer.error) << what;
    EXPECT_EQ(0u, answer.returned) << what;
}
}  // namespace

Answer Controls::Call(DWORD code, const void* in, DWORD inSize, DWORD outSize, bool withOutput) {
    BYTE out[8] = {0xEE, 0xEE, 0xEE, 0xEE};
    DWORD returned = 0xBAD;
    SetLastError(0xDEAD);
    BOOL ok = io_(code, const_cast<void*>(in), inSize, withOutput && outSize ? out : nullptr, outSize, &returned);
    Answer a = {ok != FALSE, GetLastError(), 0, returned};
    memcpy(&a.value, out, sizeof a.value);
    return a;
}

Answer Controls::AddWindow(HWND window, UINT message, DWORD idleSeconds) {
    InputSense::WindowClientRecord record = {};
    record.window = InputSense::WindowValue(window);
    record.message = message;
    record.idleSeconds = idleSeconds;
    return Call(InputSense::kAddWindow, &record, sizeof record);
}

InputSense::ProgramClientRecord ClientRecord(const wchar_t* program, const wchar_t* arguments, DWORD idleSeconds,
                                             const GUID& key, bool startOnPowerOn) {
    InputSense::ProgramClientRecord r = {};
    r.path = reinterpret_cast<ULONG_PTR>(program);
    r.arguments = reinterpret_cast<ULONG_PTR>(arguments);
    r.pathLength = DWORD(wcslen(program));
    r.argumentsLength = DWORD(wcslen(arguments));
    r.idleSeconds = idleSeconds;
    r.key = key;
    r.startOnPowerOn = startOnPowerOn ? 1 : 0;
    return r;
}

GUID KeyNumber(DWORD number) { return GUID{number, 0x4711, 0x0815, {1, 2, 3, 4, 5, 6, 7, 8}}; }

void ExpectRefusals(Controls& c) {
    const GUID key = KeyNumber(1);
    const InputSense::ProgramClientRecord record = ClientRecord(L"\\Windows\\nothing.exe", L"-x", 3600, key);
    DWORD value = 0;
    ExpectRefused(c.Call(kUnknownCode, &value, 4, 4), ERROR_INVALID_PARAMETER, "unknown code");
    ExpectRefused(c.Call(InputSense::kSetValue, nullptr, 4), ERROR_INVALID_PARAMETER, "no input");
    ExpectRefused(c.Call(InputSense::kSetValue, &value, 3), ERROR_INVALID_PARAMETER, "short input");
    ExpectRefused(c.Call(InputSense::kGetValue, nullptr, 0, 3), ERROR_INVALID_PARAMETER, "short output");
    ExpectRefused(c.Call(InputSense::kGetIdleTime, nullptr, 0, 4, false), ERROR_INVALID_PARAMETER, "no output");
    ExpectRefused(c.Call(InputSense::kAddClient, &record, sizeof record - 4), ERROR_INVALID_PARAMETER, "short record");
    ExpectRefused(c.Call(InputSense::kAddWindow, &record, 28), ERROR_INVALID_PARAMETER, "long window record");

    ASSERT_TRUE(c.AddClient(record).ok);
    ExpectRefused(c.AddClient(record), ERROR_ALREADY_EXISTS, "same key twice");
    ExpectRefused(c.RemoveClient(KeyNumber(2)), ERROR_FILE_NOT_FOUND, "unknown key");
    EXPECT_TRUE(c.RemoveClient(key).ok);
    ExpectRefused(c.RemoveClient(key), ERROR_FILE_NOT_FOUND, "removed key");

    // Lengths past their limits are refused before anything is read.
    InputSense::ProgramClientRecord oversized = record;
    oversized.pathLength = InputSense::kMaxClientPath + 1;
    ExpectRefused(c.AddClient(oversized), ERROR_INVALID_PARAMETER, "path too long");
    oversized = record;
    oversized.argumentsLength = InputSense::kMaxClientArguments + 1;
    ExpectRefused(c.AddClient(oversized), ERROR_INVALID_PARAMETER, "arguments too long");
    oversized.argumentsLength = 0xFFFFFFFF;
    ExpectRefused(c.AddClient(oversized), ERROR_INVALID_PARAMETER, "arguments length wraps");
    InputSense::ProgramClientRecord unreadable = record;
    unreadable.arguments = 16;
    ExpectRefused(c.AddClient(unreadable), ERROR_NOACCESS, "unreadable arguments");
    unreadable = record;
    unreadable.path = 0;
    ExpectRefused(c.AddClient(unreadable), ERROR_INVALID_PARAMETER, "no path");
    // A text whose terminator lies past its length is fine: exactly the length is taken.
    const wchar_t* longer = L"\\Windows\\nothing.exe and more";
    InputSense::ProgramClientRecord cut = record;
    cut.path = reinterpret_cast<ULONG_PTR>(longer);
    EXPECT_TRUE(c.AddClient(cut).ok);
    EXPECT_TRUE(c.RemoveClient(key).ok);

    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    ASSERT_TRUE(c.AddWindow(window, WM_USER + 1, 0).ok);
    ExpectRefused(c.AddWindow(window, WM_USER + 2, 5), ERROR_ALREADY_EXISTS, "same window twice");
    EXPECT_TRUE(c.RemoveWindow(window).ok);
    ExpectRefused(c.RemoveWindow(window), ERROR_FILE_NOT_FOUND, "removed window");
    DestroyWindow(window);
    ExpectRefused(c.AddWindow(window, WM_USER + 1, 0), ERROR_INVALID_WINDOW_HANDLE, "dead window");
}

std::wstring ActivityEventName() {
    wchar_t name[MAX_PATH] = {};
    Device_GetObjectName(USER_ACTIVITY_EVENT, name, MAX_PATH);
    return name;
}

HANDLE MakePowerManagerEvent() { return CreateEventW(nullptr, TRUE, FALSE, ActivityEventName().c_str()); }

void SetActivityTimeout(DWORD seconds) {
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_LOCAL_MACHINE, USER_ACTIVITY_TIMER_KEY, USER_ACTIVITY_TIMEOUT_VALUE, seconds));
}

}  // namespace inputsense_test
