// The driver loaded into the test process, called through its exports as the device
// manager calls them: the refusals of every entry point, the watcher's messages to
// window clients, program clients started after idle time and on power-on.
#include <gtest/gtest.h>

#include <vector>

#include "ActivityMonitor.h"
#include "DeviceControl.h"
#include "InputSenseTestSupport.h"
#include "ProbeHelpers.h"
#include "StreamInterface.h"
#include "TestSupport.h"
#include "pm.h"

using namespace inputsense_test;

namespace {

const UINT kClientMessage = WM_USER + 77;
const DWORD kWaitMs = 10000;

class LoadedDriver : public testsupport::FreshDeviceTest {
protected:
    void SetUp() override {
        FreshDeviceTest::SetUp();
        module_ = LoadLibraryW(testsupport::HostPath(INPUTSENSE_DLL).c_str());
        ASSERT_TRUE(module_);
        init_ = Bind<StreamInitFn>("ISL_Init");
        deinit_ = Bind<StreamDeinitFn>("ISL_Deinit");
        open_ = Bind<StreamOpenFn>("ISL_Open");
        close_ = Bind<StreamCloseFn>("ISL_Close");
        ioControl_ = Bind<StreamIoControlFn>("ISL_IOControl");
        ASSERT_TRUE(init_ && deinit_ && open_ && close_ && ioControl_);
    }
    void TearDown() override {
        // The module stays loaded: a watcher left running must not lose its code.
        if (power_) CloseHandle(power_);
    }

    template <typename Fn>
    Fn Bind(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    // The power manager's event and timer as the device's services make them.
    void BootPowerManager(DWORD timeoutSeconds) {
        power_ = MakePowerManagerEvent();
        ASSERT_TRUE(power_);
        SetActivityTimeout(timeoutSeconds);
    }
    Controls ControlsOf(DWORD_PTR context) {
        return Controls([this, context](DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
            return ioControl_(context, code, static_cast<PBYTE>(in), inSize, static_cast<PBYTE>(out), outSize, returned);
        });
    }
    // A driver with one handle open.
    DWORD_PTR OpenDriver() {
        DWORD_PTR device = init_(L"Drivers\\Active\\01");
        EXPECT_NE(0u, device);
        EXPECT_EQ(device, open_(device, GENERIC_READ | GENERIC_WRITE, 0));
        return device;
    }

    HMODULE module_ = nullptr;
    HANDLE power_ = nullptr;
    StreamInitFn init_ = nullptr;
    StreamDeinitFn deinit_ = nullptr;
    StreamOpenFn open_ = nullptr;
    StreamCloseFn close_ = nullptr;
    StreamIoControlFn ioControl_ = nullptr;
};

// The client messages that reached `window` within `ms`, as their lParams.
std::vector<LPARAM> Collect(HWND window, DWORD ms) {
    std::vector<LPARAM> seen;
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        MSG msg;
        while (PeekMessageW(&msg, window, kClientMessage, kClientMessage, PM_REMOVE)) seen.push_back(msg.lParam);
        Sleep(20);
    }
    return seen;
}

HWND MakeWindow() {
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

TEST(ActivityMonitor, ElapsedTimeSurvivesTheTickCounterWrapping) {
    EXPECT_EQ(1500u, ActivityMonitor::ElapsedMs(2500, 1000));
    EXPECT_LT(ActivityMonitor::ElapsedMs(5, 0xFFFFFFF0), 100u);
}

TEST_F(LoadedDriver, ExportsItsEntryPointsInOrder) {
    const char* names[] = {"ISL_Init",      "ISL_Deinit", "ISL_Open",  "ISL_Close",   "ISL_IOControl",
                           "ISL_Read",      "ISL_Write",  "ISL_Seek",  "ISL_PowerUp", "ISL_PowerDown"};
    for (int ordinal = 1; ordinal <= 10; ++ordinal) {
        FARPROC byName = GetProcAddress(module_, names[ordinal - 1]);
        EXPECT_TRUE(byName) << names[ordinal - 1];
        EXPECT_EQ(byName, GetProcAddress(module_, MAKEINTRESOURCEA(ordinal))) << names[ordinal - 1];
    }
    using Transfer = DWORD (*)(DWORD_PTR, LPVOID, DWORD);
    Transfer read = Bind<Transfer>("ISL_Read");
    char buffer[4];
    EXPECT_EQ(0u, read(0, buffer, sizeof buffer));
    EXPECT_EQ(reinterpret_cast<void*>(read), reinterpret_cast<void*>(GetProcAddress(module_, "ISL_Seek")));
}

TEST_F(LoadedDriver, EntryPointsRefuseForeignContextsAndMissingHandles) {
    DWORD_PTR device = init_(L"Drivers\\Active\\01");
    ASSERT_NE(0u, device);
    SetLastError(0);
    EXPECT_EQ(device, init_(L"Drivers\\Active\\02"));
    EXPECT_EQ(DWORD(ERROR_SERVICE_EXISTS), GetLastError());

    DWORD value = 0, returned = 7;
    EXPECT_FALSE(ioControl_(device, InputSense::kGetValue, nullptr, 0, reinterpret_cast<PBYTE>(&value), 4, &returned));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(0u, returned);
    EXPECT_FALSE(close_(device));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(0u, open_(device + 4, 0, 0));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(deinit_(device + 4));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());

    // Without the power manager's event, then without its timer key, the open fails.
    EXPECT_EQ(0u, open_(device, 0, 0));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    power_ = MakePowerManagerEvent();
    EXPECT_EQ(0u, open_(device, 0, 0));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    SetActivityTimeout(30);
    EXPECT_EQ(device, open_(device, 0, 0));

    // One handle and only window clients: the sole user. A second handle or a program client: not.
    Controls c = ControlsOf(device);
    HWND window = MakeWindow();
    ASSERT_TRUE(c.AddWindow(window, kClientMessage, 60).ok);
    EXPECT_EQ(1u, c.Get(InputSense::kIsActive).value);
    EXPECT_EQ(device, open_(device, 0, 0));
    EXPECT_EQ(0u, c.Get(InputSense::kIsActive).value);
    EXPECT_TRUE(close_(device));
    ASSERT_TRUE(c.AddClient(ClientRecord(L"\\Windows\\nothing.exe", L"", 3600, KeyNumber(9))).ok);
    EXPECT_EQ(0u, c.Get(InputSense::kIsActive).value);
    EXPECT_FALSE(deinit_(device));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
    // The program client keeps the watcher with no handle open; Deinit still refuses.
    EXPECT_TRUE(close_(device));
    EXPECT_FALSE(deinit_(device));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(device, open_(device, 0, 0));
    EXPECT_TRUE(c.RemoveClient(KeyNumber(9)).ok);

    EXPECT_TRUE(c.Set(InputSense::kSetValue, 0x12345678).ok);
    Answer kept = c.Get(InputSense::kGetValue);
    EXPECT_TRUE(kept.ok);
    EXPECT_EQ(0u, kept.error);
    EXPECT_EQ(0x12345678u, kept.value);
    EXPECT_EQ(4u, kept.returned);
    ExpectRefusals(c);

    EXPECT_TRUE(close_(device));
    EXPECT_TRUE(deinit_(device));
    EXPECT_EQ(0u, open_(device, 0, 0));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    DestroyWindow(window);
}

TEST_F(LoadedDriver, WindowClientsHearActivityAndIdlenessInTurn) {
    BootPowerManager(0);  // a period of 0: the idle check every 100 ms
    DWORD_PTR device = OpenDriver();
    Controls c = ControlsOf(device);
    HWND gone = MakeWindow(), window = MakeWindow();
    ASSERT_TRUE(c.AddWindow(gone, kClientMessage, 0).ok);
    ASSERT_TRUE(c.AddWindow(window, kClientMessage, 0).ok);
    DestroyWindow(gone);

    EXPECT_EQ(std::vector<LPARAM>{0}, Collect(window, 600));
    // The event stays set while the user is active; the window hears of it once.
    SetEvent(power_);
    EXPECT_EQ(std::vector<LPARAM>{1}, Collect(window, 600));
    ResetEvent(power_);
    EXPECT_EQ(std::vector<LPARAM>{0}, Collect(window, 600));
    // The dead window was dropped on the way.
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), c.RemoveWindow(gone).error);

    // Idle time grows without activity and falls after it.
    DWORD before = c.Get(InputSense::kGetIdleTime).value;
    Sleep(300);
    DWORD later = c.Get(InputSense::kGetIdleTime).value;
    EXPECT_GE(later, before + 250);
    SetEvent(power_);
    Sleep(250);
    ResetEvent(power_);
    EXPECT_LT(c.Get(InputSense::kGetIdleTime).value, later);
    EXPECT_TRUE(close_(device));
    DestroyWindow(window);
}

TEST_F(LoadedDriver, ProgramClientsStartOncePerIdleSpellAndOnPowerOn) {
    BootPowerManager(0);
    ASSERT_TRUE(probe::Install(L"\\Windows\\probe.exe"));
    const std::wstring program = testsupport::DevicePath(L"\\Windows\\probe.exe");
    DWORD_PTR device = OpenDriver();
    Controls c = ControlsOf(device);
    auto starts = [&](const wchar_t* args) { return DeviceControl_GetProgramStarts(program.c_str(), args); };

    // While the system is not on, time-outs start nothing; coming back on starts both.
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
    ASSERT_TRUE(c.AddClient(ClientRecord(program.c_str(), L"idle", 0, KeyNumber(1))).ok);
    ASSERT_TRUE(c.AddClient(ClientRecord(program.c_str(), L"power on", 3600, KeyNumber(2), true)).ok);
    Sleep(600);
    EXPECT_EQ(0u, starts(L"idle"));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_ON, POWER_FORCE));
    EXPECT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return starts(L"idle") == 1 && starts(L"power on") == 1; }));

    // Once per spell; activity opens the next spell.
    Sleep(600);
    EXPECT_EQ(1u, starts(L"idle"));
    SetEvent(power_);
    Sleep(250);
    ResetEvent(power_);
    EXPECT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return starts(L"idle") == 2; }));
    EXPECT_EQ(1u, starts(L"power on"));

    EXPECT_TRUE(c.RemoveClient(KeyNumber(1)).ok);
    EXPECT_TRUE(c.RemoveClient(KeyNumber(2)).ok);
    EXPECT_TRUE(close_(device));
}
