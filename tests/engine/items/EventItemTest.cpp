// What every item shares: the fixed hash of named items, the link to its ring
// window and the engine's ring-window count, copying ringing settings between
// items, the copies handed to other threads, and the base registry values.
#include "AlarmItem.h"
#include "EngineMessage.h"
#include "ItemTestHost.h"
#include "RegistryProbe.h"
#include "RingLink.h"
#include "TimerItem.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kItemKey[] = L"Software\\Ostrel\\Orvalen\\Alarms\\Items\\7";

// A ring window: a message-only window whose destruction the link reports.
class TestRing : public RingLink {
public:
    TestRing() {
        window_ = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~TestRing() override {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
    }
    HWND RingWindow() const override { return window_; }
    void OnRingWindowDestroyed() override {
        ++finished;
        if (!IsWindow(window_)) window_ = nullptr;
    }
    bool AwaitsAnswer() const override { return awaiting; }
    int finished = 0;
    bool awaiting = false;

private:
    HWND window_ = nullptr;
};

bool HasMessage(const std::vector<MSG>& messages, UINT number, WPARAM wParam, LPARAM lParam) {
    for (const MSG& m : messages)
        if (m.message == number && m.wParam == wParam && m.lParam == lParam) return true;
    return false;
}

}  // namespace

TEST(EventItem, FixedItemsTakeTheDjb2HashOfTheirName) {
    EXPECT_EQ(1571083067, ItemHash_OfName(L"AtomicClockAlarm"));
    EXPECT_EQ(5381, ItemHash_OfName(L""));
    // UTF-16 units count as themselves, not as bytes.
    EXPECT_EQ(static_cast<ItemHash>(5381u * 33u + 0x4E2Du), ItemHash_OfName(L"\u4e2d"));
}

TEST(EventItem, AttachCountsOnceAndCloseUncountsWhatAttachCounted) {
    ItemTestHost host;
    // Rings outlive the items that show them.
    TestRing ringA, ringB, ringC, ringD;
    AlarmItem shown, quiet;

    shown.AttachRingUI(&ringA);
    shown.AttachRingUI(&ringA);
    EXPECT_EQ(1, host.ringWindows);
    EXPECT_EQ(&ringA, shown.ringUI);
    EXPECT_EQ(&shown, ringA.Item());

    // Attached without the event dialog: not counted, and switching the option on
    // before the close must not uncount the other item's window.
    quiet.SetOption7(false);
    quiet.AttachRingUI(&ringB);
    EXPECT_EQ(1, host.ringWindows);
    quiet.SetOption7(true);
    quiet.DetachRingUI(false, true);
    EXPECT_EQ(1, host.ringWindows);
    EXPECT_EQ(nullptr, quiet.ringUI);
    EXPECT_EQ(1, ringB.finished);
    EXPECT_EQ(nullptr, ringB.RingWindow());

    // Counted at attach, option switched off before the close: still uncounted.
    shown.SetOption7(false);
    shown.DetachRingUI(false, false);
    EXPECT_EQ(0, host.ringWindows);

    // Attaching another window replaces (and closes) the first one.
    shown.SetOption7(true);
    shown.AttachRingUI(&ringC);
    shown.AttachRingUI(&ringD);
    EXPECT_EQ(1, host.ringWindows);
    EXPECT_EQ(1, ringC.finished);
    EXPECT_EQ(&ringD, shown.ringUI);
    std::vector<MSG> posted = host.TakeMessages();
    EXPECT_TRUE(HasMessage(posted, EngineMessage::kRingClosed, 0, 0));
}

TEST(EventItem, DetachThroughTheEngineUnlessADeleteOfThisItemWaits) {
    ItemTestHost host;
    TestRing ring;
    AlarmItem alarm, other;
    alarm.AttachRingUI(&ring);

    alarm.DetachRingUI(true, true);
    std::vector<MSG> posted = host.TakeMessages();
    ASSERT_EQ(1u, posted.size());
    EXPECT_TRUE(HasMessage(posted, EngineMessage::kDetachRing, reinterpret_cast<WPARAM>(&alarm),
                           reinterpret_cast<LPARAM>(static_cast<RingLink*>(&ring))));
    EXPECT_EQ(&ring, alarm.ringUI);  // the engine closes it later

    // A delete of this alarm is waiting: it takes the window with it.
    host.Post(EngineMessage::kDeleteAlarm, reinterpret_cast<WPARAM>(&alarm), 0);
    alarm.DetachRingUI(true, true);
    posted = host.TakeMessages();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(EngineMessage::kDeleteAlarm, posted[0].message);

    // A delete of another item is waiting: this window must still be detached.
    host.Post(EngineMessage::kDeleteAlarm, reinterpret_cast<WPARAM>(&other), 0);
    host.Post(EngineMessage::kDeleteTimer, reinterpret_cast<WPARAM>(&other), 0);
    alarm.DetachRingUI(true, true);
    posted = host.TakeMessages();
    EXPECT_EQ(3u, posted.size());
    EXPECT_TRUE(HasMessage(posted, EngineMessage::kDetachRing, reinterpret_cast<WPARAM>(&alarm),
                           reinterpret_cast<LPARAM>(static_cast<RingLink*>(&ring))));
    EXPECT_EQ(1, host.ringWindows);
}

TEST(EventItem, WithoutAnEngineWindowTheRingClosesAtOnce) {
    ItemTestHost host;
    TestRing ring;
    AlarmItem alarm;
    alarm.AttachRingUI(&ring);
    host.engineGone = true;
    alarm.DetachRingUI(true, true);
    EXPECT_EQ(1, ring.finished);
    EXPECT_EQ(nullptr, alarm.ringUI);
    EXPECT_EQ(0, host.ringWindows);
    host.engineGone = false;
    EXPECT_TRUE(host.TakeMessages().empty());
}

TEST(EventItem, DestroyingTheItemClosesItsRingWindow) {
    ItemTestHost host;
    TestRing ring;
    HWND window = ring.RingWindow();
    {
        AlarmItem alarm;
        alarm.AttachRingUI(&ring);
        EXPECT_EQ(1, host.ringWindows);
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(1, ring.finished);
    EXPECT_EQ(0, host.ringWindows);
    std::vector<MSG> posted = host.TakeMessages();
    EXPECT_TRUE(HasMessage(posted, EngineMessage::kRingClosed, 1, 0));
}

TEST(EventItem, CopyActionsTakesRingingSettingsButNotIdentity) {
    ItemTestHost host;
    AlarmItem from, to;
    from.soundSettings.builtIn = 0;
    from.soundSettings.custom.SetCStr(L"\\ring.wav");
    from.vibrationSettings.CycleOffTime = 99;
    from.actionType = 5;
    from.initsnooze.minutes = 2;
    from.initsnooze.seconds = 30;
    from.SnoozeType = 0;
    from.SetTitle(RcString(L"from"));
    from.flags = 0x7F | AlarmItem::kEnabled;
    from.Hash = 1;
    to.Hash = 2;

    to.CopyActions(from);
    EXPECT_TRUE(to.soundSettings == from.soundSettings);
    EXPECT_TRUE(to.vibrationSettings == from.vibrationSettings);
    EXPECT_EQ(5, to.actionType);
    ASSERT_TRUE(to.action);
    EXPECT_NE(from.action.get(), to.action.get());
    EXPECT_EQ(2, to.initsnooze.minutes);
    EXPECT_EQ(30, to.initsnooze.seconds);
    EXPECT_EQ(0, to.SnoozeType);
    EXPECT_EQ(2, to.Hash);
    EXPECT_EQ(0, to.GetTitle().Length());
    EXPECT_NE(from.flags, to.flags);
}

TEST(EventItem, SettingsHandedToAnotherThreadShareNothing) {
    AlarmItem alarm;
    alarm.soundSettings.builtIn = 0;
    alarm.soundSettings.custom.SetCStr(L"\\Storage Card\\Sounds");
    alarm.vibrationSettings.CycleOnTime = 123;
    int before = alarm.soundSettings.custom.RefCount();

    boost::shared_ptr<ItemSoundSettings> sound = alarm.GetSoundSettings();
    boost::shared_ptr<ItemVibrationSettings> vibration = alarm.GetVibrationSettings();
    ASSERT_TRUE(sound && vibration);
    EXPECT_TRUE(*sound == alarm.soundSettings);
    EXPECT_FALSE(sound->custom.SharesBlockWith(alarm.soundSettings.custom));
    EXPECT_EQ(before, alarm.soundSettings.custom.RefCount());
    EXPECT_EQ(123, vibration->CycleOnTime);
    EXPECT_NE(&alarm.vibrationSettings, vibration.get());

    // The copy lives on while the item changes its own.
    alarm.soundSettings.custom.SetCStr(L"\\other");
    EXPECT_STREQ(L"\\Storage Card\\Sounds", sound->custom.CStr());
}

TEST(EventItem, ActionTypeIsTakenOnlyAsADword) {
    using namespace registryprobe;
    AlarmItem alarm;
    alarm.actionType = 4;
    alarm.Save(RegKeyRef::Open(kItemKey, HKEY_CURRENT_USER, false));

    // Without "actionType" the item keeps the "none" action, whatever else the key holds.
    Delete(kItemKey, L"actionType");
    WriteDword(kItemKey, L"Discoverable", 1);
    AlarmItem missing;
    ASSERT_TRUE(missing.Load(RegKeyRef::Open(kItemKey, HKEY_CURRENT_USER, true)));
    EXPECT_EQ(0, missing.actionType);
    EXPECT_EQ(Action::kNoneNameStringId, missing.action->NameStringId());

    WriteText(kItemKey, L"actionType", L"4");
    ASSERT_TRUE(missing.Load(RegKeyRef::Open(kItemKey, HKEY_CURRENT_USER, true)));
    EXPECT_EQ(0, missing.actionType);

    // A type with no action class yet is kept as stored, so a later save keeps it.
    WriteDword(kItemKey, L"actionType", 4);
    AlarmItem stored;
    ASSERT_TRUE(stored.Load(RegKeyRef::Open(kItemKey, HKEY_CURRENT_USER, true)));
    EXPECT_EQ(4, stored.actionType);
    ASSERT_TRUE(stored.action);
}

// A ring not answered yet is saved so that the next start rings it again: an alarm as
// the snooze due when its ring began (a one-time alarm on again), an expired timer kept
// with its mark. Answered, the save is the item's own again, as older versions wrote it.
TEST(EventItem, AnUnansweredRingIsSavedForTheNextStart) {
    ItemTestHost host;
    const wchar_t kTimerKey[] = L"Software\\Ostrel\\Orvalen\\Timers\\Items\\8";
    TestRing alarmRing, timerRing;
    alarmRing.awaiting = timerRing.awaiting = true;
    RegKeyRef alarmKey = RegKeyRef::Open(kItemKey, HKEY_CURRENT_USER, false);
    RegKeyRef timerKey = RegKeyRef::Open(kTimerKey, HKEY_CURRENT_USER, false);

    AlarmItem alarm;  // a one-time alarm as its ring found it: switched off, nothing pending
    alarm.flags = (alarm.flags & ~(AlarmItem::kEnabled | AlarmItem::kNew)) | AlarmItem::kNotifyOnce;
    alarm.ringBegan = 46000.25;
    alarm.AttachRingUI(&alarmRing);
    alarm.Save(alarmKey);
    AlarmItem saved;
    ASSERT_TRUE(saved.Load(alarmKey));
    EXPECT_TRUE(saved.IsSnoozed());
    EXPECT_TRUE(saved.flags & AlarmItem::kEnabled);
    EXPECT_EQ(46000.25, saved.snooze);
    alarmRing.awaiting = false;
    alarm.Save(alarmKey);
    ASSERT_TRUE(saved.Load(alarmKey));
    EXPECT_EQ(alarm.flags, saved.flags);

    TimerItem timer;  // expired
    timer.flags &= ~TimerItem::kNew;
    timer.time = -1;
    timer.AttachRingUI(&timerRing);
    timer.Save(timerKey);
    TimerItem kept;
    ASSERT_TRUE(kept.Load(timerKey, 0));
    EXPECT_TRUE(kept.ringOnItsWay);
    timerRing.awaiting = false;
    timer.Save(timerKey);
    EXPECT_FALSE(TimerItem().Load(timerKey, 0));
}
