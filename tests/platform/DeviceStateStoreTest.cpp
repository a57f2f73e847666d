#include <gtest/gtest.h>
#include <cstdint>
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "DeviceObjects.h"
#include "DeviceStateStore.h"
#include "ImportHook.h"
#include "ProbeHelpers.h"

namespace {
struct Sample {
    uint32_t a;
    uint32_t b;
};

LONGLONG HostUtcMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return ((LONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000;
}

int flushes = 0;
BOOL WINAPI CountedFlush(HANDLE) {
    ++flushes;
    return TRUE;
}

std::wstring RecordFile(const DeviceStateStore& store, const wchar_t* name) {
    return store.Folder() + L"\\" + name + L".state";
}
}  // namespace

class StateStore : public testsupport::FreshDeviceTest {};

TEST_F(StateStore, RecordsRoundTripAndDamagedOnesReadAsMissing) {
    DeviceStateStore store;
    ASSERT_TRUE(store.Ready());
    Sample out = {};
    EXPECT_FALSE(store.Read(L"sample", &out, sizeof out));

    const Sample in = {7, 0xCAFEF00D};
    ASSERT_TRUE(store.Write(L"sample", &in, sizeof in));
    ASSERT_TRUE(store.Read(L"sample", &out, sizeof out));
    EXPECT_EQ(7u, out.a);
    EXPECT_EQ(0xCAFEF00Du, out.b);

    // Another size than stored: not this record.
    uint32_t wider[3] = {};
    EXPECT_FALSE(store.Read(L"sample", wider, sizeof wider));

    // Damage made behind the store's back shows in stores made afterwards.
    std::string bytes;
    ASSERT_TRUE(testsupport::ReadBytes(RecordFile(store, L"sample"), &bytes));
    bytes[bytes.size() - 1] ^= 0x40;  // fails the checksum
    ASSERT_TRUE(testsupport::WriteBytes(RecordFile(store, L"sample"), bytes));
    EXPECT_FALSE(DeviceStateStore().Read(L"sample", &out, sizeof out));
    ASSERT_TRUE(testsupport::WriteBytes(RecordFile(store, L"sample"), bytes.substr(0, 10)));
    EXPECT_FALSE(DeviceStateStore().Read(L"sample", &out, sizeof out));
}

TEST_F(StateStore, AWriteThroughOneStoreIsSeenByTheOthers) {
    DeviceStateStore reader, writer;
    Sample value = {1, 1};
    ASSERT_TRUE(writer.Write(L"sample", &value, sizeof value));
    Sample out = {};
    ASSERT_TRUE(reader.Read(L"sample", &out, sizeof out));  // now cached
    EXPECT_EQ(1u, out.a);
    value.a = 2;
    ASSERT_TRUE(writer.Write(L"sample", &value, sizeof value));
    ASSERT_TRUE(reader.Read(L"sample", &out, sizeof out));
    EXPECT_EQ(2u, out.a);
}

TEST_F(StateStore, DamagedClockReadsAsHostTimeInUtc) {
    ASSERT_TRUE(DeviceControl_JumpClock(86400000));
    TIME_ZONE_INFORMATION zone;
    DeviceControl_MakeFixedZone(-120, &zone);
    ASSERT_TRUE(DeviceClock_SetTimeZoneInformation(&zone));

    DeviceStateStore store;
    ASSERT_TRUE(testsupport::WriteBytes(RecordFile(store, L"clock"), "not a clock record"));
    // A process that starts now finds no usable clock and runs on the defaults.
    ASSERT_EQ(0u, testsupport::RunProgram(probe::ProbeExe(), L"clock"));
    EXPECT_NEAR(double(HostUtcMs()), double(probe::DeviceUtcMs()), 3000);
}

TEST_F(StateStore, DevicesShareNoStateOrObjects) {
    DeviceStateStore outer;
    ASSERT_TRUE(DeviceControl_JumpClock(60000));
    {
        testsupport::TestDevice inner;
        ASSERT_TRUE(inner.Ready());
        DeviceStateStore store;
        EXPECT_NE(outer.Folder(), store.Folder());
        EXPECT_EQ(store.Folder(), DeviceStateStore::Current()->Folder());  // the kept store follows the root
        EXPECT_NE(outer.ObjectName(L"TimeChange"), store.ObjectName(L"TimeChange"));
        wchar_t name[MAX_PATH];
        ASSERT_TRUE(Device_GetObjectName(L"OrvalenMainWnd", name, MAX_PATH));
        EXPECT_EQ(store.ObjectName(L"OrvalenMainWnd"), name);
        EXPECT_EQ(0, DeviceControl_GetClockOffset());
        ASSERT_TRUE(DeviceControl_JumpClock(-5000));
    }
    EXPECT_EQ(outer.Folder(), DeviceStateStore::Current()->Folder());
    EXPECT_EQ(60000, DeviceControl_GetClockOffset());
    EXPECT_EQ(1u, DeviceControl_GetTimeChangeCount());
    wchar_t name[MAX_PATH];
    ASSERT_TRUE(Device_GetObjectName(L"OrvalenMainWnd", name, MAX_PATH));
    EXPECT_EQ(outer.ObjectName(L"OrvalenMainWnd"), name);
    EXPECT_FALSE(Device_GetObjectName(L"Global\\x", name, MAX_PATH));
    EXPECT_FALSE(Device_GetObjectName(L"OrvalenMainWnd", name, 8));
}

// What the device keeps is on the disk before it replaces the old record; its running
// state, and a record rewritten with what it holds, wait for nobody's disk.
TEST_F(StateStore, OnlyKeptRecordsThatChangeAreFlushed) {
    const testsupport::ScopedImport flush("FlushFileBuffers", reinterpret_cast<void*>(CountedFlush));
    ASSERT_NE(nullptr, flush.Original());
    DeviceStateStore store;
    flushes = 0;
    Sample value = {1, 1};
    ASSERT_TRUE(store.Write(L"sample", &value, sizeof value));
    EXPECT_EQ(1, flushes);
    ASSERT_TRUE(store.Write(L"sample", &value, sizeof value));
    EXPECT_EQ(1, flushes) << "an unchanged record was written again";

    value.a = 2;
    ASSERT_TRUE(store.Write(L"sample", &value, sizeof value, DeviceStateStore::Lifetime::Running));
    EXPECT_EQ(1, flushes);
    Sample out = {};
    ASSERT_TRUE(DeviceStateStore().Read(L"sample", &out, sizeof out));
    EXPECT_EQ(2u, out.a);

    // A record damaged behind the store's back is written whole again.
    ASSERT_TRUE(testsupport::WriteBytes(RecordFile(store, L"sample"), "damaged"));
    ASSERT_TRUE(store.Write(L"sample", &value, sizeof value));
    EXPECT_EQ(2, flushes);
    ASSERT_TRUE(DeviceStateStore().Read(L"sample", &out, sizeof out));
    EXPECT_EQ(2u, out.a);
}
