#include <gtest/gtest.h>
#include "DeviceRegistry.h"
#include "DeviceSession.h"
#include "ProbeHelpers.h"
#include "ScopedHandle.h"

namespace {
const wchar_t kKey[] = L"Software\\Ostrel\\Orvalen";
const wchar_t kMachineKey[] = L"SOFTWARE\\Ostrel\\InputSenseLib";

std::wstring RegistryRoot() {
    wchar_t root[256];
    DWORD n = GetEnvironmentVariableW(DEVICE_REGISTRY_VARIABLE, root, 256);
    return std::wstring(root, n < 256 ? n : 0);
}
}  // namespace

class RegistryIsolation : public testsupport::FreshDeviceTest {};

TEST_F(RegistryIsolation, DeviceHivesLiveUnderThePrivateRoot) {
    const std::wstring value = testsupport::UniqueName(L"Value");
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kKey, value, 1));
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_LOCAL_MACHINE, kMachineKey, value, 2));

    const std::wstring root = RegistryRoot();
    ASSERT_FALSE(root.empty());
    DeviceSession_Detach();
    DWORD number = 0;
    EXPECT_FALSE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, kKey, value, &number));
    EXPECT_FALSE(testsupport::ReadRegistryDword(HKEY_LOCAL_MACHINE, kMachineKey, value, &number));
    EXPECT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, root + L"\\HKCU\\" + kKey, value, &number));
    EXPECT_EQ(1u, number);
    EXPECT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, root + L"\\HKLM\\" + kMachineKey, value, &number));
    EXPECT_EQ(2u, number);
    ASSERT_TRUE(DeviceSession_Attach());
    EXPECT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, kKey, value, &number));
}

TEST_F(RegistryIsolation, TwoDevicesDoNotSeeEachOthersKeys) {
    ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, kKey, L"Location", L"outer"));
    {
        testsupport::TestDevice inner;
        ASSERT_TRUE(inner.Ready());
        EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, kKey));
        ASSERT_TRUE(testsupport::WriteRegistryString(HKEY_CURRENT_USER, kKey, L"Location", L"inner"));
    }
    std::wstring text;
    ASSERT_TRUE(testsupport::ReadRegistryString(HKEY_CURRENT_USER, kKey, L"Location", &text));
    EXPECT_EQ(L"outer", text);
}

TEST_F(RegistryIsolation, ChildProcessSharesTheTestsRegistry) {
    ASSERT_EQ(0u, testsupport::RunProgram(probe::ProbeExe(), L"from the child"));
    std::wstring text;
    ASSERT_TRUE(testsupport::ReadRegistryString(HKEY_CURRENT_USER, PROBE_REGISTRY_KEY, PROBE_REGISTRY_VALUE, &text));
    EXPECT_EQ(L"from the child", text);
}

TEST_F(RegistryIsolation, KeysOpenedWithAccessZeroCanBeReadAndWritten) {
    EXPECT_EQ(REGSAM(KEY_READ | KEY_WRITE), DeviceRegistry_Access(0));
    EXPECT_EQ(REGSAM(KEY_QUERY_VALUE), DeviceRegistry_Access(KEY_QUERY_VALUE));

    ScopedKey created;
    ASSERT_EQ(ERROR_SUCCESS, DeviceRegistry_CreateKey(HKEY_CURRENT_USER, kKey, 0, 0, created.Receive(), nullptr));
    DWORD in = 5;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(created.Get(), L"SnoozeCount", 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&in), sizeof in));
    ScopedKey opened;
    ASSERT_EQ(ERROR_SUCCESS, DeviceRegistry_OpenKey(HKEY_CURRENT_USER, kKey, 0, 0, opened.Receive()));
    DWORD out = 0, size = sizeof out;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(opened.Get(), L"SnoozeCount", nullptr, nullptr,
                                              reinterpret_cast<BYTE*>(&out), &size));
    EXPECT_EQ(5u, out);
}
