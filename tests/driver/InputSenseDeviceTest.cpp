// The driver as the device's programs meet it: activated from its registry entry by
// the device manager in the device's services process, and called from this process
// through "ISL0:".
#include <gtest/gtest.h>

#include "DeviceControl.h"
#include "DeviceInput.h"
#include "InputSenseTestSupport.h"
#include "ProbeHelpers.h"
#include "TestSupport.h"
// Last: it routes the device calls of this file.
#include "DeviceManager.h"

using namespace inputsense_test;

namespace {

const wchar_t kRegistration[] = L"SOFTWARE\\Ostrel\\InputSenseLib";
const wchar_t kSecondRegistration[] = L"SOFTWARE\\Ostrel\\InputSenseLib1";
const DWORD kWaitMs = 15000;

HANDLE OpenDevice() {
    return CreateFileW(InputSense::kDeviceName, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

Controls ControlsOf(HANDLE device) {
    return Controls([device](DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
        return DeviceIoControl(device, code, in, inSize, out, outSize, returned, nullptr);
    });
}

void Register(const wchar_t* key, DWORD index) {
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_LOCAL_MACHINE, key, L"Dll", L"inputsense.dll"));
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_LOCAL_MACHINE, key, L"Prefix", L"ISL"));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_LOCAL_MACHINE, key, L"Index", index));
}

class DeviceManagerDriver : public testsupport::FreshDeviceTest {
protected:
    void SetUp() override {
        FreshDeviceTest::SetUp();
        // The device starts: its services make the power manager's event and timer key.
        ASSERT_TRUE(DeviceControl_StartServices());
        SetActivityTimeout(1);
        ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(INPUTSENSE_DLL), L"\\Windows\\inputsense.dll"));
        Register(kRegistration, 0);
    }
};

}  // namespace

TEST_F(DeviceManagerDriver, NamesWithoutADriverFailAndFilesStillOpen) {
    SetLastError(0);
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenDevice());
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, ActivateDevice(L"SOFTWARE\\Ostrel\\Missing", 0));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_LOCAL_MACHINE, kRegistration, L"Dll", L"absent.dll"));
    EXPECT_EQ(nullptr, ActivateDevice(kRegistration, 0));
    EXPECT_EQ(DWORD(ERROR_MOD_NOT_FOUND), GetLastError());
    EXPECT_FALSE(DeactivateDevice(reinterpret_cast<HANDLE>(4711)));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    // Ordinary files go to Windows as before.
    const std::wstring file = testsupport::DevicePath(L"\\plain.txt");
    HANDLE plain = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, plain);
    EXPECT_TRUE(CloseHandle(plain));
}

TEST_F(DeviceManagerDriver, ServesOtherProcessesAndStaysWhileItIsUsed) {
    HANDLE activation = ActivateDevice(kRegistration, 0);
    ASSERT_TRUE(activation);
    EXPECT_EQ(0u, GetLastError());
    EXPECT_EQ(nullptr, ActivateDevice(kRegistration, 0));
    EXPECT_EQ(DWORD(ERROR_DEVICE_IN_USE), GetLastError());

    HANDLE device = OpenDevice();
    ASSERT_NE(INVALID_HANDLE_VALUE, device);
    Controls c = ControlsOf(device);
    EXPECT_EQ(1u, c.Get(InputSense::kIsActive).value);
    HANDLE second = OpenDevice();
    EXPECT_EQ(0u, c.Get(InputSense::kIsActive).value);
    EXPECT_TRUE(CloseHandle(second));
    ExpectRefusals(c);

    // The driver refuses to go while a handle is open or a program client is registered.
    EXPECT_FALSE(DeactivateDevice(activation));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());
    ASSERT_TRUE(c.AddClient(ClientRecord(L"\\Windows\\nothing.exe", L"", 3600, KeyNumber(3))).ok);
    EXPECT_TRUE(CloseHandle(device));
    EXPECT_FALSE(DeactivateDevice(activation));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), GetLastError());

    device = OpenDevice();
    ASSERT_NE(INVALID_HANDLE_VALUE, device);
    c = ControlsOf(device);
    EXPECT_TRUE(c.RemoveClient(KeyNumber(3)).ok);
    // A handle left open by a process that ends is closed for it.
    EXPECT_EQ(0u, testsupport::RunProgram(testsupport::HostPath(HOLDER_EXE), InputSense::kDeviceName));
    EXPECT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return c.Get(InputSense::kIsActive).value == 1; }));
    EXPECT_TRUE(CloseHandle(device));
    EXPECT_TRUE(DeactivateDevice(activation));
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenDevice());
}

TEST_F(DeviceManagerDriver, ASecondInstanceSharesTheCounterUntilItsDeinit) {
    HANDLE first = ActivateDevice(kRegistration, 0);
    ASSERT_TRUE(first);
    Register(kSecondRegistration, 1);
    HANDLE second = ActivateDevice(kSecondRegistration, 0);
    ASSERT_TRUE(second);
    EXPECT_EQ(DWORD(ERROR_SERVICE_EXISTS), GetLastError());
    // "ISL1:" is the same driver instance: its Deinit frees the counter "ISL0:" names.
    EXPECT_TRUE(DeactivateDevice(second));
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenDevice());
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(DeactivateDevice(first));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(DeviceManagerDriver, StartsAProgramWithItsPathAndArgumentsIntact) {
    const wchar_t kProbePath[] = L"\\Program Files\\Zeit Pr\u00FCfer\\pr\u00F6be \u00FC.exe";
    ASSERT_TRUE(probe::Install(kProbePath));
    const std::wstring program = testsupport::DevicePath(kProbePath);
    // The arguments' length stops before "XYZ": exactly that many characters are taken.
    const std::wstring arguments = L"-scrsvr \u00E4 \u20AC  bXYZ";
    ASSERT_TRUE(ActivateDevice(kRegistration, 0));
    HANDLE device = OpenDevice();
    ASSERT_NE(INVALID_HANDLE_VALUE, device);
    Controls c = ControlsOf(device);
    InputSense::ProgramClientRecord record = ClientRecord(program.c_str(), arguments.c_str(), 1, KeyNumber(5));
    record.argumentsLength -= 3;
    ASSERT_TRUE(c.AddClient(record).ok);

    ASSERT_TRUE(probe::WaitDone(kWaitMs));
    EXPECT_EQ(program, probe::Text(PROBE_MODULE_FILE));
    EXPECT_EQ(arguments.substr(0, arguments.size() - 3), probe::Text(PROBE_COMMAND_TEXT_FILE));
    EXPECT_TRUE(c.RemoveClient(KeyNumber(5)).ok);
    EXPECT_TRUE(CloseHandle(device));
}

TEST_F(DeviceManagerDriver, IdleTimeGrowsAndFallsAfterUserInput) {
    ASSERT_TRUE(ActivateDevice(kRegistration, 0));
    HANDLE device = OpenDevice();
    ASSERT_NE(INVALID_HANDLE_VALUE, device);
    Controls c = ControlsOf(device);
    ASSERT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return c.Get(InputSense::kGetIdleTime).value >= 1500; }));
    const DWORD inputs = DeviceInput_GetCount();
    ASSERT_TRUE(DeviceInput_Key(VK_RETURN));
    EXPECT_EQ(inputs + 1, DeviceInput_GetCount());
    EXPECT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return c.Get(InputSense::kGetIdleTime).value < 1000; }));
    // Once the activity timer (1 s) has run out, idleness counts again.
    EXPECT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return c.Get(InputSense::kGetIdleTime).value >= 1500; }));
    EXPECT_TRUE(CloseHandle(device));
}
