#include <gtest/gtest.h>
#include <cstring>
#include "DeviceControl.h"
#include "DeviceStateStore.h"
#include "NotificationHelpers.h"
#include "NotificationStore.h"
#include "TestSupport.h"

using notifytest::Handles;
using notifytest::LocalIn;
using notifytest::Read;
using notifytest::Set;
using notifytest::Trigger;

namespace {
const wchar_t kApp[] = L"\\Windows\\app.exe";
const wchar_t kOther[] = L"\\Windows\\other.exe";
}  // namespace

class UserNotification : public testsupport::FreshDeviceTest {};

TEST_F(UserNotification, ListsInOrderAndUpdatesInPlace) {
    HANDLE time = Set(Trigger::Time(kApp, L"AppRunAtTime", LocalIn(3600)));
    HANDLE change = Set(Trigger::Event(NOTIFICATION_EVENT_TIME_CHANGE, kApp, L"AppRunAfterTimeChange"));
    HANDLE zone = Set(Trigger::Event(NOTIFICATION_EVENT_TZ_CHANGE, kOther, L"AppRunAfterTzChange"));
    ASSERT_NE(nullptr, time);
    ASSERT_NE(nullptr, change);
    ASSERT_NE(nullptr, zone);
    EXPECT_EQ((std::vector<HANDLE>{time, change, zone}), Handles());

    // An update in place keeps the handle and the place, and takes the new trigger.
    const SYSTEMTIME later = LocalIn(7200);
    EXPECT_EQ(change, Set(Trigger::Time(kOther, L"AppRunAtTime", later), change));
    EXPECT_EQ((std::vector<HANDLE>{time, change, zone}), Handles());
    notifytest::Info info = Read(change);
    ASSERT_TRUE(info.found);
    EXPECT_EQ(DWORD(CNT_TIME), info.type);
    EXPECT_EQ(0u, info.status);
    EXPECT_EQ(kOther, info.application);
    EXPECT_EQ(L"AppRunAtTime", info.arguments);
    EXPECT_EQ(0, memcmp(&later, &info.start, sizeof later));
    // The test-facing view reads the same list.
    HANDLE second = nullptr;
    DWORD type = 0, status = 9;
    wchar_t application[MAX_PATH], arguments[4];
    EXPECT_FALSE(DeviceControl_GetNotification(1, &second, &type, nullptr, &status, nullptr, application, MAX_PATH,
                                               arguments, 4));  // "AppRunAtTime" does not fit
    ASSERT_TRUE(DeviceControl_GetNotification(1, &second, &type, nullptr, &status, nullptr, application, MAX_PATH,
                                              nullptr, 0));
    EXPECT_EQ(change, second);
    EXPECT_EQ(DWORD(CNT_TIME), type);
    EXPECT_EQ(0u, status);
    EXPECT_STREQ(kOther, application);
    EXPECT_FALSE(DeviceControl_GetNotification(3, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, 0));

    // A new one goes to the end; handles are never reused. The record's stated size
    // (52 on the device, larger here) makes no difference.
    ASSERT_TRUE(CeClearUserNotification(time));
    Trigger sized = Trigger::Time(kApp, L"AppRunAtTime", LocalIn(60));
    sized.Get()->dwSize = 52;
    HANDLE fresh = CeSetUserNotificationEx(nullptr, sized.Get(), nullptr);
    EXPECT_NE(time, fresh);
    EXPECT_EQ((std::vector<HANDLE>{change, zone, fresh}), Handles());

    // Unknown handles fail without touching the list.
    SetLastError(0);
    EXPECT_EQ(nullptr, Set(Trigger::Time(kApp, L"x", LocalIn(60)), time));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_FALSE(CeClearUserNotification(time));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    HANDLE two[2];
    DWORD needed = 0;
    EXPECT_FALSE(CeGetUserNotificationHandles(two, 2, &needed));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(3u, needed);
}

TEST_F(UserNotification, InfoBufferHoldsHeaderTriggerAndStrings) {
    wchar_t title[] = L"Title", text[] = L"Dialog text";
    CE_USER_NOTIFICATION user = {};
    user.ActionFlags = 4;
    user.pwszDialogTitle = title;
    user.pwszDialogText = text;
    Trigger trigger = Trigger::Time(kApp, L"AppRunAtTime", LocalIn(600));
    HANDLE h = CeSetUserNotificationEx(nullptr, trigger.Get(), &user);
    ASSERT_NE(nullptr, h);

    DWORD needed = 0;
    EXPECT_FALSE(CeGetUserNotification(h, 0, &needed, nullptr));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    ASSERT_GT(needed, DWORD(sizeof(CE_NOTIFICATION_INFO_HEADER) + sizeof(CE_NOTIFICATION_TRIGGER)));
    std::vector<BYTE> buffer(needed + 16, 0xCC);
    EXPECT_FALSE(CeGetUserNotification(h, needed - 1, &needed, buffer.data()));
    ASSERT_TRUE(CeGetUserNotification(h, needed, &needed, buffer.data()));
    EXPECT_EQ(0xCC, buffer[needed]);  // nothing written past the size it asked for

    auto* header = reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(buffer.data());
    auto inside = [&](const void* p) {
        const BYTE* b = static_cast<const BYTE*>(p);
        return b >= buffer.data() && b < buffer.data() + needed;
    };
    EXPECT_EQ(h, header->hNotification);
    EXPECT_EQ(0u, header->dwStatus);
    ASSERT_TRUE(inside(header->pcent));
    ASSERT_TRUE(inside(header->pceun));
    ASSERT_TRUE(inside(header->pcent->lpszApplication));
    ASSERT_TRUE(inside(header->pcent->lpszArguments));
    EXPECT_STREQ(kApp, header->pcent->lpszApplication);
    EXPECT_STREQ(L"AppRunAtTime", header->pcent->lpszArguments);
    EXPECT_EQ(4u, header->pceun->ActionFlags);
    ASSERT_TRUE(inside(header->pceun->pwszDialogTitle));
    EXPECT_STREQ(title, header->pceun->pwszDialogTitle);
    EXPECT_STREQ(text, header->pceun->pwszDialogText);
    EXPECT_EQ(nullptr, header->pceun->pwszSound);

    // Without a user notification there is none in the buffer either.
    HANDLE plain = Set(Trigger::Event(NOTIFICATION_EVENT_TZ_CHANGE, kApp, L"AppRunAfterTzChange"));
    std::vector<BYTE> second(1024);
    ASSERT_TRUE(CeGetUserNotification(plain, DWORD(second.size()), &needed, second.data()));
    EXPECT_EQ(nullptr, reinterpret_cast<CE_NOTIFICATION_INFO_HEADER*>(second.data())->pceun);

    // A handle that names nothing reads as size 0.
    EXPECT_FALSE(CeGetUserNotification(reinterpret_cast<HANDLE>(0x7777), 0, &needed, nullptr));
    EXPECT_EQ(0u, needed);
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
}

TEST_F(UserNotification, RefusesTriggersItCannotKeep) {
    SYSTEMTIME badTime = LocalIn(60);
    badTime.wMonth = 13;
    Trigger wrongType = Trigger::Event(0, kApp, L"x");
    wrongType.Get()->dwType = 9;
    const std::wstring tooLong(MAX_PATH + 5, L'a');
    struct Case {
        const char* what;
        Trigger trigger;
    } cases[] = {
        {"invalid start time", Trigger::Time(kApp, L"x", badTime)},
        {"unknown trigger type", wrongType},
        {"nothing to run", Trigger::Time(L"", L"x", LocalIn(60))},
        {"application too long", Trigger::Time(L"\\" + tooLong, L"x", LocalIn(60))},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        EXPECT_EQ(nullptr, CeSetUserNotificationEx(nullptr, c.trigger.Get(), nullptr));
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    }
    EXPECT_EQ(nullptr, CeSetUserNotificationEx(nullptr, nullptr, nullptr));
    EXPECT_TRUE(Handles().empty());
    EXPECT_FALSE(DeviceControl_ServicesRunning());  // nothing set, nothing started
}

TEST_F(UserNotification, DamagedListReadsAsEmpty) {
    DeviceStateStore store;
    ASSERT_TRUE(testsupport::WriteBytes(store.Folder() + L"\\notifications.state", std::string(5000, '\x7F')));
    EXPECT_TRUE(Handles().empty());
    EXPECT_EQ(0u, DeviceControl_GetNotificationCount());
    HANDLE h = Set(Trigger::Time(kApp, L"AppRunAtTime", LocalIn(600)));
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(std::vector<HANDLE>{h}, Handles());
}

// A stored entry whose text runs to the end of its field is damaged: nothing reads past it.
TEST_F(UserNotification, ATextWithoutItsEndInTheRecordReadsAsEmpty) {
    HANDLE h = Set(Trigger::Time(kApp, L"AppRunAtTime", LocalIn(600)));
    ASSERT_NE(nullptr, h);
    std::unique_ptr<NotificationStore::Record> stored = NotificationStore::Load();
    ASSERT_EQ(1u, stored->count);
    wmemset(stored->entries[0].title, L'x', NotificationStore::kTitleChars);
    ASSERT_TRUE(DeviceStateStore::Current()->Write(L"notifications", stored.get(), sizeof *stored));
    EXPECT_EQ(0u, NotificationStore::Load()->count);
    EXPECT_TRUE(Handles().empty());
}

TEST_F(UserNotification, AFullListRefusesNewOnesButStillUpdates) {
    std::vector<HANDLE> all;
    for (uint32_t i = 0; i < NotificationStore::kCapacity; ++i) {
        HANDLE h = Set(Trigger::Event(NOTIFICATION_EVENT_TZ_CHANGE, kApp, std::to_wstring(i)));
        ASSERT_NE(nullptr, h) << i;
        all.push_back(h);
    }
    SetLastError(0);
    EXPECT_EQ(nullptr, Set(Trigger::Event(NOTIFICATION_EVENT_TZ_CHANGE, kApp, L"one more")));
    EXPECT_EQ(DWORD(ERROR_OUTOFMEMORY), GetLastError());
    EXPECT_EQ(all[10], Set(Trigger::Time(kOther, L"moved", LocalIn(60)), all[10]));
    EXPECT_EQ(all, Handles());
    EXPECT_EQ(L"moved", Read(all[10]).arguments);
}

TEST_F(UserNotification, IsKeptWhenTheServicesCannotStart) {
    wchar_t built[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(DEVICE_SERVICES_VARIABLE, built, MAX_PATH);
    ASSERT_TRUE(n > 0 && n < MAX_PATH);
    SetEnvironmentVariableW(DEVICE_SERVICES_VARIABLE, L"Z:\\nowhere\\OrvalenDeviceServices.exe");
    HANDLE h = Set(Trigger::Time(kApp, L"AppRunAtTime", LocalIn(600)));
    BOOL started = DeviceControl_StartServices();
    SetEnvironmentVariableW(DEVICE_SERVICES_VARIABLE, built);
    EXPECT_NE(nullptr, h);
    EXPECT_FALSE(started);
    EXPECT_FALSE(DeviceControl_ServicesRunning());
    EXPECT_EQ(std::vector<HANDLE>{h}, Handles());
    // Once the program is there, the next start brings the services up.
    EXPECT_TRUE(DeviceControl_StartServices());
}
