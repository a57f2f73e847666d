#include "RcString.h"
#include "RegKeyRef.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Each test gets a fresh HKEY_CURRENT_USER of its own, deleted afterwards.
class RegKeyRefTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = L"Software\\OrvalenTests\\" + std::to_wstring(GetCurrentProcessId());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, root_.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &user_, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, user_));
    }
    void TearDown() override {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(user_);
        RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    }

    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Ostrel\\Orvalen", 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }

    std::wstring root_;
    HKEY user_ = nullptr;
};

const wchar_t kProductKey[] = L"Software\\Ostrel\\Orvalen";

}  // namespace

TEST_F(RegKeyRefTest, ValuesRoundTrip) {
    DWORD disposition = 0;
    RegKeyRef key = RegKeyRef::Open(kProductKey, HKEY_CURRENT_USER, false, &disposition);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);

    EXPECT_EQ(ERROR_SUCCESS, RegKeyRef_SetString(key, L"\\Program Files\\Orvalen\\Orvalen.exe", L"Location"));
    EXPECT_EQ(ERROR_SUCCESS, RegKey_WriteDword(key, 0xDEADBEEF, L"SnoozeCount"));
    EXPECT_EQ(ERROR_SUCCESS, RegKeyRef_SetBinary4(key, 1234, L"asctime"));

    RegKeyRef reopened = RegKeyRef::Open(kProductKey, HKEY_CURRENT_USER, true);
    RcString location(L"old");
    EXPECT_EQ(ERROR_SUCCESS, RegKeyRef_QueryString(reopened, location, L"Location"));
    EXPECT_STREQ(L"\\Program Files\\Orvalen\\Orvalen.exe", location.CStr());
    DWORD value = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegKeyRef_QueryDword(reopened, &value, L"SnoozeCount", 5));
    EXPECT_EQ(0xDEADBEEFu, value);
    EXPECT_EQ(ERROR_SUCCESS, RegKeyRef_QueryDword(reopened, &value, L"asctime", 5));  // type is not checked
    EXPECT_EQ(1234u, value);

    DWORD type = 0, size = sizeof value;
    EXPECT_EQ(ERROR_SUCCESS, RegKeyRef_QueryValue(reopened, L"SnoozeCount", &type, &value, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);

    // A sub key created by value; a string read keeps the old text when the value is unusable.
    HKEY sub = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegKeyRef_Create(key, L"Clock", &sub, nullptr));
    RegCloseKey(sub);
    RegKeyRef clock = RegKeyRef::OpenSubKey(L"Clock", key, true);
    EXPECT_TRUE(clock.IsOpen());
    RegKeyRef_SetString(clock, L"", L"Empty");
    RegKey_WriteDword(clock, 1, L"Number");
    RcString kept(L"kept");
    RegKeyRef_QueryString(clock, kept, L"Empty");
    RegKeyRef_QueryString(clock, kept, L"Number");
    RegKeyRef_QueryString(clock, kept, L"Missing");
    EXPECT_STREQ(L"kept", kept.CStr());
}

TEST_F(RegKeyRefTest, MissingOrWrongSizedValuesGiveTheDefault) {
    const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const BYTE three[3] = {0xAA, 0xBB, 0xCC};
    SetRaw(L"Eight", REG_BINARY, eight, sizeof eight);
    SetRaw(L"Three", REG_BINARY, three, sizeof three);
    SetRaw(L"One", REG_DWORD, three, 1);

    RegKeyRef key = RegKeyRef::Open(kProductKey, HKEY_CURRENT_USER, true);
    DWORD value = 0;
    EXPECT_NE(ERROR_SUCCESS, RegKeyRef_QueryDword(key, &value, L"Eight", 77));
    EXPECT_EQ(77u, value);
    EXPECT_NE(ERROR_SUCCESS, RegKeyRef_QueryDword(key, &value, L"Three", 78));
    EXPECT_EQ(78u, value);
    EXPECT_NE(ERROR_SUCCESS, RegKeyRef_QueryDword(key, &value, L"One", 79));
    EXPECT_EQ(79u, value);
    EXPECT_NE(ERROR_SUCCESS, RegKeyRef_QueryDword(key, &value, L"Missing", 80));
    EXPECT_EQ(80u, value);

    // A key that did not open: reads fail to their default, writes fail.
    RegKeyRef absent = RegKeyRef::Open(L"Software\\Nowhere", HKEY_CURRENT_USER, true);
    ASSERT_FALSE(absent.IsNull());
    EXPECT_FALSE(absent.IsOpen());
    EXPECT_NE(ERROR_SUCCESS, RegKeyRef_QueryDwordDefault(absent, &value, L"Eight", 81));
    EXPECT_EQ(81u, value);
    EXPECT_NE(ERROR_SUCCESS, RegKey_WriteDword(absent, 1, L"x"));
    HKEY check;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Nowhere", 0, KEY_READ, &check));
}

TEST_F(RegKeyRefTest, KeyClosesOnTheLastRelease) {
    RegKeyRef key = RegKeyRef::Open(kProductKey, HKEY_CURRENT_USER, false);
    HKEY raw = key.Key();
    ASSERT_NE(nullptr, raw);

    // Value functions called with a copy leave the caller's handle as it was.
    RegKey_WriteDword(key, 1, L"a");
    RegKeyRef_QueryValue(key, L"a", nullptr, nullptr, nullptr);
    RegKeyRef_Create(key, L"Sub", &raw, nullptr);
    RegCloseKey(raw);
    raw = key.Key();
    EXPECT_EQ(1, key.RefCount());

    RegKeyRef second(key);
    RegKeyRef third;
    RegKeyRef_Assign(third, key);
    EXPECT_EQ(3, key.RefCount());
    second.Release();
    EXPECT_TRUE(second.IsNull());
    key.Release();
    EXPECT_EQ(1, third.RefCount());
    DWORD value = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegKeyRef_QueryDword(third, &value, L"a", 0));  // still open

    third.Release();
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExW(raw, L"a", nullptr, nullptr, nullptr, nullptr));

    // A block whose key never opened is freed without closing anything.
    RegKeyRef made = RegKeyRef::Make();
    EXPECT_FALSE(made.IsNull());
    EXPECT_FALSE(made.IsOpen());
    made.Release();
    EXPECT_TRUE(made.IsNull());
}
