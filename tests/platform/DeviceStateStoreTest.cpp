#include <gtest/gtest.h>
#include <cstdint>
#include "DeviceClock.h"
#include "DeviceControl.h"
#include "DeviceStateStore.h"
#include "TestSupport.h"

namespace {
struct Sample {
    uint32_t a;
    uint32_t b;
};

std::wstring RecordFile(const DeviceStateStore& store, const wchar_t* name) {
    return store.Folder() + L"\\" + name + L".state";
}
}  // namespace

TEST(DeviceStateStore, RecordsRoundTripAndDamagedOnesReadAsMissing) {
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

    // One flipped payload byte fails the checksum.
    std::string bytes;
    ASSERT_TRUE(testsupport::ReadBytes(RecordFile(store, L"sample"), &bytes));
    bytes[bytes.size() - 1] ^= 0x40;
    ASSERT_TRUE(testsupport::WriteBytes(RecordFile(store, L"sample"), bytes));
    EXPECT_FALSE(store.Read(L"sample", &out, sizeof out));

    ASSERT_TRUE(testsupport::WriteBytes(RecordFile(store, L"sample"), bytes.substr(0, 10)));
    EXPECT_FALSE(store.Read(L"sample", &out, sizeof out));
}

TEST(DeviceStateStore, DamagedClockFallsBackToHostTimeInUtc) {
    ASSERT_TRUE(DeviceControl_JumpClock(86400000));
    TIME_ZONE_INFORMATION zone;
    DeviceControl_MakeFixedZone(-120, &zone);
    ASSERT_TRUE(DeviceClock_SetTimeZoneInformation(&zone));

    DeviceStateStore store;
    ASSERT_TRUE(testsupport::WriteBytes(RecordFile(store, L"clock"), "not a clock record"));
    EXPECT_EQ(0, DeviceControl_GetClockOffset());
    TIME_ZONE_INFORMATION read;
    DeviceClock_GetTimeZoneInformation(&read);
    EXPECT_EQ(0, read.Bias);

    // The next change writes a whole record again.
    ASSERT_TRUE(DeviceControl_JumpClock(5000));
    EXPECT_EQ(5000, DeviceControl_GetClockOffset());
}

TEST(DeviceStateStore, DevicesShareNoStateOrObjects) {
    DeviceStateStore outer;
    ASSERT_TRUE(DeviceControl_JumpClock(60000));
    {
        testsupport::TestDevice inner;
        ASSERT_TRUE(inner.Ready());
        DeviceStateStore store;
        EXPECT_NE(outer.Folder(), store.Folder());
        EXPECT_NE(outer.ObjectName(L"TimeChange"), store.ObjectName(L"TimeChange"));
        EXPECT_EQ(0, DeviceControl_GetClockOffset());
        ASSERT_TRUE(DeviceControl_JumpClock(-5000));
    }
    EXPECT_EQ(60000, DeviceControl_GetClockOffset());
    EXPECT_EQ(1u, DeviceControl_GetTimeChangeCount());
}
