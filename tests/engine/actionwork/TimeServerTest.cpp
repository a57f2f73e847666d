// The clock synchronisation: NTP timestamps and the SNTP exchange, then the whole
// action against Debian's chronyd and a peer with malformed answers, all on loopback,
// with the six server names mapped there by the device's name map.
#include "TimeServerPeers.h"  // winsock2.h first

#include "AtomicSyncActionSettings.h"
#include "DeviceConnections.h"
#include "DeviceControl.h"
#include "DeviceNetwork.h"
#include "ItemStore.h"
#include "NotificationHelpers.h"
#include "NtpTime.h"
#include "RegistryProbe.h"
#include "SntpClient.h"
#include "StoreTestHost.h"
#include "TestSupport.h"
#include "TimeServers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using timeserverpeers::Reply;

namespace {

const RcString kSounds(L"\\Sounds");
constexpr LONGLONG kClockMovedMs = 300000;
constexpr LONGLONG kSyncToleranceMs = 50;
constexpr DWORD kStartTimeoutMs = 30000;

SYSTEMTIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
    return SYSTEMTIME{year, month, 0, day, hour, minute, second, ms};
}

ULONGLONG FileTicks(const SYSTEMTIME& st) {
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return ULONGLONG(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
}

bool MapServersTo(const std::string& address) {
    for (int i = 0; i < kTimeServerCount; ++i) {
        std::string name;
        for (const wchar_t* c = TimeServer_Host(i); *c; ++c) name += static_cast<char>(*c);
        if (!DeviceControl_MapHostName(name.c_str(), address.c_str())) return false;
    }
    return true;
}

// The clock-synchronisation alarm of a real store, as the engine keeps it.
class SyncFixture : public testing::Test {
protected:
    void SetUp() override {
        alarm_ = store_.SetAtomicClockAlarm();
        ASSERT_NE(nullptr, alarm_);
        action_ = dynamic_cast<AtomicSyncActionSettings*>(alarm_->action.get());
        ASSERT_NE(nullptr, action_);
        address_ = timeserverpeers::LoopbackAddress();
        ASSERT_TRUE(MapServersTo(address_));
        ASSERT_TRUE(DeviceControl_JumpClock(kClockMovedMs));
    }

    registryprobe::RawValue LastSync() const {
        return registryprobe::Read(L"Software\\Ostrel\\Orvalen\\Alarms\\Items\\" +
                                       std::to_wstring(static_cast<int32_t>(alarm_->Hash)) +
                                       L"\\AtomicSyncActionSettings",
                                   L"LastSync");
    }

    // Runs the action, which must fail: the clock (still off) and LastSync stay as they
    // were, and nothing stays held.
    void ExpectFailureLeavesEverything(const char* why) {
        const DWORD timeChanges = DeviceControl_GetTimeChangeCount();
        const LONGLONG offset = DeviceControl_GetClockOffset();
        const registryprobe::RawValue stored = LastSync();
        const FILETIME field = action_->LastSync;
        EXPECT_FALSE(action_->Execute()) << why;
        EXPECT_EQ(timeChanges, DeviceControl_GetTimeChangeCount()) << why;
        EXPECT_LT(std::llabs(offset - kClockMovedMs), 1000) << why;
        EXPECT_EQ(offset, DeviceControl_GetClockOffset()) << why;
        EXPECT_TRUE(stored == LastSync()) << why;
        EXPECT_EQ(0, CompareFileTime(&field, &action_->LastSync)) << why;
        EXPECT_EQ(0u, DeviceControl_GetOpenConnections()) << why;
        EXPECT_EQ(0u, DeviceControl_GetUnattendedCount()) << why;
    }

    StoreTestHost host_;
    ItemStore store_{kSounds, false};
    AlarmItem* alarm_ = nullptr;
    AtomicSyncActionSettings* action_ = nullptr;
    std::string address_;
};

}  // namespace

TEST(NtpTime, TimestampsOfTheCalendarAndBack) {
    NtpTime t = Ntp_FromSystemTime(Utc(1900, 1, 1, 0, 0, 0, 500));
    EXPECT_EQ(0u, t.seconds);
    EXPECT_EQ(0x80000000u, t.fraction);
    EXPECT_EQ(0x00418937u, Ntp_FromSystemTime(Utc(1900, 1, 1, 0, 0, 0, 1)).fraction);
    t = Ntp_FromSystemTime(Utc(2000, 3, 1, 0, 0, 0, 0));
    EXPECT_EQ(3160857600u, t.seconds);
    SYSTEMTIME back = Ntp_ToSystemTime(NtpTime{0, 3160857600u});
    EXPECT_EQ(2000, back.wYear);
    EXPECT_EQ(3, back.wMonth);
    EXPECT_EQ(1, back.wDay);
    EXPECT_EQ(3, back.wDayOfWeek) << "a Wednesday";
    EXPECT_EQ(0, back.wMilliseconds);

    // Every day from 1900 to the end of the NTP era against the platform's calendar.
    const ULONGLONG epoch = FileTicks(Utc(1900, 1, 1, 0, 0, 0, 0));
    for (ULONGLONG seconds = 0; seconds < 0x100000000ull; seconds += 86400 * 7 + 3661) {
        const SYSTEMTIME st = Ntp_ToSystemTime(NtpTime{0, uint32_t(seconds)});
        ASSERT_EQ(epoch + seconds * 10000000, FileTicks(st)) << seconds;
        ASSERT_EQ(uint32_t(seconds), Ntp_FromSystemTime(st).seconds);
    }

    // The largest fraction is a whole second: it carries instead of giving 1000 ms.
    back = Ntp_ToSystemTime(NtpTime{0xFFFFFFFFu, 3160857599u});
    EXPECT_EQ(1, back.wDay);
    EXPECT_EQ(0, back.wSecond);
    EXPECT_EQ(0, back.wMilliseconds);
    EXPECT_EQ(999, Ntp_ToSystemTime(NtpTime{0xFFBE76C8u, 0}).wMilliseconds);
}

TEST(NtpTime, DifferencesAndOffsetsBorrowAndCarry) {
    const NtpTime a{0, 5}, b{0x80000000u, 4};
    EXPECT_NEAR(0.5, Ntp_Diff(a, b), 1e-9);
    EXPECT_NEAR(-0.5, Ntp_Diff(b, a), 1e-9);
    EXPECT_EQ(0.0, Ntp_Diff(a, a));
    const NtpTime t{0x40000000u, 1000};
    const NtpTime back = Ntp_AddSeconds(t, -1.25);
    EXPECT_EQ(999u, back.seconds);
    EXPECT_NEAR(-1.25, Ntp_Diff(back, t), 1e-9);
    const NtpTime ahead = Ntp_AddSeconds(t, 2.875);
    EXPECT_EQ(1003u, ahead.seconds) << "the fraction carried";
    EXPECT_NEAR(2.875, Ntp_Diff(ahead, t), 1e-9);
}

TEST(SntpReply, OffsetAndDelayOfAValidAnswerAndEveryRefusal) {
    const NtpTime sent{0, 1000}, receive{0, 1010}, transmit{0, 1012}, arrived{0, 1004};
    uint8_t reply[kSntpPacketBytes] = {};
    auto put = [&](int offset, NtpTime t) {
        const uint32_t words[2] = {htonl(t.seconds), htonl(t.fraction)};
        memcpy(reply + offset, words, sizeof words);
    };
    reply[0] = 0x24;
    reply[1] = 1;
    put(24, sent);
    put(32, receive);
    put(40, transmit);
    SntpResult result = {};
    ASSERT_TRUE(Sntp_ReadReply(reply, sizeof reply, sent, arrived, result));
    EXPECT_NEAR(9.0, result.clockOffset, 1e-9);
    EXPECT_NEAR(2.0, result.roundTripDelay, 1e-9) << "the server's two seconds of holding do not count";
    EXPECT_EQ(1, result.stratum);

    struct Damage {
        int byte;
        uint8_t value;
        const char* what;
    } damages[] = {{0, 0xE4, "leap 3"}, {0, 0x23, "client mode"}, {0, 0x26, "mode 6"}, {1, 0, "stratum 0"},
                   {1, 16, "stratum 16"}, {31, 1, "another originate"}};
    for (const Damage& d : damages) {
        uint8_t damaged[kSntpPacketBytes];
        memcpy(damaged, reply, sizeof damaged);
        damaged[d.byte] = d.value;
        EXPECT_FALSE(Sntp_ReadReply(damaged, sizeof damaged, sent, arrived, result)) << d.what;
    }
    EXPECT_FALSE(Sntp_ReadReply(reply, kSntpPacketBytes - 1, sent, arrived, result)) << "short";
    put(40, NtpTime{});
    EXPECT_FALSE(Sntp_ReadReply(reply, sizeof reply, sent, arrived, result)) << "no transmit time";
    EXPECT_STREQ(TimeServer_Host(0), TimeServer_Host(7)) << "an unknown server index asks the first";
}

TEST_F(SyncFixture, ChronydBringsAClockFiveMinutesOffBackToHostTime) {
    timeserverpeers::Chronyd chronyd(address_, true);
    ASSERT_TRUE(chronyd.Answering()) << chronyd.Log();
    ASSERT_TRUE(testsupport::InstallLauncher());
    ASSERT_NE(nullptr, notifytest::Set(notifytest::Trigger::Event(
                           NOTIFICATION_EVENT_TIME_CHANGE, testsupport::kLauncherDevicePath, L"AppRunAfterTimeChange")));
    // The jump that put the clock off was a time change too; let it be answered first.
    ASSERT_TRUE(DeviceControl_JumpClock(1));
    auto starts = [] {
        return DeviceControl_GetProgramStarts(testsupport::kLauncherDevicePath, L"AppRunAfterTimeChange");
    };
    ASSERT_TRUE(testsupport::PollUntil(kStartTimeoutMs, [&] { return starts() == 1; }));

    action_->Server = 3;
    const DWORD timeChanges = DeviceControl_GetTimeChangeCount();
    ASSERT_TRUE(action_->Execute()) << chronyd.Log();
    EXPECT_LE(std::llabs(DeviceControl_GetClockOffset()), kSyncToleranceMs);
    EXPECT_EQ(timeChanges + 1, DeviceControl_GetTimeChangeCount()) << "the clock is set once";
    EXPECT_EQ(0u, DeviceControl_GetOpenConnections()) << "the connection was not released";
    EXPECT_EQ(1u, DeviceControl_GetEstablishedConnections());
    EXPECT_EQ(0u, DeviceControl_GetUnattendedCount());

    // LastSync is the local time of the success, stored with the alarm.
    const registryprobe::RawValue stored = LastSync();
    ASSERT_TRUE(stored.exists);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), stored.type);
    ASSERT_EQ(8u, stored.bytes.size());
    ULONGLONG lastSync = 0;
    memcpy(&lastSync, stored.bytes.data(), 8);
    SYSTEMTIME local;
    DeviceClock_GetLocalTime(&local);
    EXPECT_LT(FileTicks(local) - lastSync, 50000000ull) << "not the moment of the sync";
    EXPECT_TRUE(testsupport::PollUntil(kStartTimeoutMs, [&] { return starts() == 2; }));
}

TEST_F(SyncFixture, AnUnsynchronisedChronydOrNoNetworkLeaveTheClock) {
    timeserverpeers::Chronyd chronyd(address_, false);
    ASSERT_TRUE(chronyd.Answering()) << chronyd.Log();
    ExpectFailureLeavesEverything("unsynchronised server");
    DeviceControl_SetNetworkAvailable(FALSE);
    const DWORD established = DeviceControl_GetEstablishedConnections();
    ExpectFailureLeavesEverything("no network");
    EXPECT_EQ(established, DeviceControl_GetEstablishedConnections());
}

TEST_F(SyncFixture, MalformedAnswersCountAsFailedAttempts) {
    {
        // The peer's own valid answer does set the clock, so its refusals below mean something.
        timeserverpeers::FakeServer peer(address_, Reply::Valid);
        ASSERT_TRUE(peer.Listening());
        ASSERT_TRUE(action_->Execute());
        EXPECT_LE(std::llabs(DeviceControl_GetClockOffset()), kSyncToleranceMs);
        EXPECT_EQ(1, peer.Requests());
    }
    ASSERT_TRUE(LastSync().exists);
    ASSERT_TRUE(DeviceControl_JumpClock(kClockMovedMs));
    for (Reply reply : {Reply::Short, Reply::ClientMode, Reply::ZeroTransmit, Reply::WrongOriginate}) {
        timeserverpeers::FakeServer peer(address_, reply);
        ASSERT_TRUE(peer.Listening());
        ExpectFailureLeavesEverything("malformed answer");
        EXPECT_EQ(kSntpAttempts, peer.Requests());
    }
}

TEST_F(SyncFixture, AServerThatNeverAnswersCostsThreeTenSecondWaits) {
    timeserverpeers::FakeServer peer(address_, Reply::Silent);
    ASSERT_TRUE(peer.Listening());
    const ULONGLONG start = GetTickCount64();
    ExpectFailureLeavesEverything("no answer");
    EXPECT_GE(GetTickCount64() - start, 3 * 10000ull - 500);
    EXPECT_EQ(kSntpAttempts, peer.Requests());
}
