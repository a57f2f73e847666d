// The ring windows in this process, with the program's objects around them: which
// decision each button, key, soft key and slide asks of the ring controller, a second
// firing, the windows that show nothing, and the timer dialog's texts.
#include "AlarmItem.h"
#include "AlarmRingNotifyDialog.h"
#include "App.h"
#include "DeviceAudio.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "RingDialog.h"
#include "RingScreens.h"
#include "Signaller.h"
#include "SlideKnob.h"
#include "SystemSettings.h"
#include "TestSupport.h"
#include "TimerItem.h"
#include "aygshell.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// Notes every decision and then takes it as the program would.
class RecordingController : public RingController {
public:
    RecordingController(EventItem& item, Calls& calls) : RingController(item), calls_(calls) {}
    int Snooze(int seconds, bool autoFlag) override {
        calls_.push_back(autoFlag ? "Snooze auto" : "Snooze " + std::to_string(seconds));
        return RingController::Snooze(seconds, autoFlag);
    }
    int Dismiss(int seconds) override {
        calls_.push_back("Dismiss");
        return RingController::Dismiss(seconds);
    }
    void AutoAction() override {
        calls_.push_back("AutoAction");
        RingController::AutoAction();
    }
    void Close() override {
        calls_.push_back("Close");
        RingController::Close();
    }
    void Restart() override {
        calls_.push_back("Restart");
        RingController::Restart();
    }
    void GotoMain() override {
        calls_.push_back("GotoMain");
        RingController::GotoMain();
    }
    void Stop() override {
        calls_.push_back("Stop");
        RingController::Stop();
    }

private:
    Calls& calls_;
};

void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT) DispatchMessageW(&msg);
}

// Handles this thread's messages until done says so or the time is up.
bool PumpUntil(DWORD timeoutMs, const std::function<bool()>& done) {
    return testsupport::PollUntil(timeoutMs, [&] {
        Drain();
        return done();
    });
}

void Click(HWND button, POINT down, POINT up) {
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    SendMessageW(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(up.x, up.y));
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
    Drain();
}

void Click(HWND button) { Click(button, POINT{4, 4}, POINT{4, 4}); }

RECT RectInParent(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class RingScreensTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L""));
        engine_ = App::GetEngine();
        store_ = App::GetItemStore();
        RingScreens::SetControllerFactory([this](EventItem& item) {
            return std::unique_ptr<RingController>(new RecordingController(item, calls_));
        });
        Drain();
    }
    void TearDown() override {
        App::Shutdown();
        RingScreens::SetControllerFactory(nullptr);
        Drain();
    }

    AlarmItem* AddAlarm(const wchar_t* title) {
        AlarmItem* alarm = store_->CreateAlarm(nullptr);
        alarm->flags &= ~AlarmItem::kNew;
        alarm->time = Time_LocalNowAsDate(true);
        alarm->title.SetCStr(title);
        return alarm;
    }
    TimerItem* AddTimer(const wchar_t* title) {
        TimerItem* timer = store_->CreateTimer(nullptr);
        timer->flags &= ~TimerItem::kNew;
        timer->title.SetCStr(title);
        return timer;
    }
    // Rings the item as the engine does and gives its ring dialog.
    RingDialog* Ring(EventItem* item) {
        const bool timer = dynamic_cast<TimerItem*>(item) != nullptr;
        SendMessageW(engine_->Hwnd(), timer ? EngineMessage::kTimerExpired : EngineMessage::kAlarmDue,
                     reinterpret_cast<WPARAM>(item), 0);
        calls_.clear();
        return dynamic_cast<RingDialog*>(item->ringUI);
    }
    static HWND RingWindowOf(const EventItem* item) {
        HWND ring = item->ringUI ? item->ringUI->RingWindow() : nullptr;
        return ring && IsWindow(ring) ? ring : nullptr;
    }
    // The calls since the last look, and whether the ring window has closed by then.
    Calls Decisions(const EventItem* item, bool* closed = nullptr) {
        Drain();
        if (closed) *closed = RingWindowOf(item) == nullptr;
        Calls taken;
        taken.swap(calls_);
        return taken;
    }

    EngineWnd* engine_ = nullptr;
    ItemStore* store_ = nullptr;
    Calls calls_;
};

int CountTopLevel(const wchar_t* caption) {
    struct Search {
        const wchar_t* caption;
        int count;
    } search = {caption, 0};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (IsWindowVisible(window) && testsupport::WindowText(window) == s->caption) ++s->count;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.count;
}

}  // namespace

TEST_F(RingScreensTest, AlarmDialogButtonsKeysAndSoftKeysEachTakeTheirDecision) {
    AlarmItem* alarm = AddAlarm(L"Wake up");
    alarm->initsnooze = {7, 30};
    const Calls dismiss = {"Dismiss"}, snooze = {"Snooze 450"};
    bool closed = false;

    RingDialog* ring = Ring(alarm);
    ASSERT_TRUE(ring);
    EXPECT_EQ(L"Orvalen alarm elapsed", testsupport::WindowText(ring->GetHwnd()));
    Drain();
    EXPECT_EQ(ring->GetHwnd(), testsupport::FirstVisibleWindow());
    EXPECT_EQ(L"~~Dismiss", testsupport::WindowText(ring->FirstButton()->Hwnd()));
    EXPECT_EQ(ring->SecondButton()->Hwnd(), GetFocus());
    Click(ring->FirstButton()->Hwnd());
    EXPECT_EQ(dismiss, Decisions(alarm, &closed));
    EXPECT_TRUE(closed);
    EXPECT_EQ(0, engine_->RingWindowCount());

    Click(Ring(alarm)->SecondButton()->Hwnd());
    EXPECT_EQ(snooze, Decisions(alarm, &closed));
    EXPECT_TRUE(closed);

    // Enter on the focused button (Snooze) acts when the key comes up.
    ring = Ring(alarm);
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(ring->SecondButton()->IsPressed());
    EXPECT_TRUE(Decisions(alarm).empty());
    SendMessageW(GetFocus(), WM_KEYUP, VK_RETURN, 0);
    EXPECT_EQ(snooze, Decisions(alarm));

    ASSERT_TRUE(Shell_TapMenuBarButton(Ring(alarm)->MenuBar(), 0, 0));
    EXPECT_EQ(dismiss, Decisions(alarm));
    ASSERT_TRUE(Shell_TapMenuBarButton(Ring(alarm)->MenuBar(), 1, 0));
    EXPECT_EQ(snooze, Decisions(alarm));

    // Let go outside the button: nothing; back inside before letting go: the command.
    ring = Ring(alarm);
    Click(ring->FirstButton()->Hwnd(), POINT{4, 4}, POINT{-30, 4});
    EXPECT_TRUE(Decisions(alarm, &closed).empty());
    EXPECT_FALSE(closed);
    HWND first = ring->FirstButton()->Hwnd();
    SendMessageW(first, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageW(first, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-30, 4));
    EXPECT_FALSE(ring->FirstButton()->IsPressed());
    SendMessageW(first, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 6));
    SendMessageW(first, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
    EXPECT_EQ(dismiss, Decisions(alarm));

    // A pending force-snooze turns Dismiss into a snooze of the item's own length.
    alarm->flags |= AlarmItem::kForceSnooze;
    ring = Ring(alarm);
    EXPECT_EQ(L"~~Snooze", testsupport::WindowText(ring->FirstButton()->Hwnd()));
    Drain();
    EXPECT_EQ(L"Snooze", testsupport::ButtonText(ring->MenuBar(), 0));
    Click(ring->FirstButton()->Hwnd());
    EXPECT_EQ(Calls{"Snooze auto"}, Decisions(alarm));

    // Cancel closes the dialog without a decision.
    alarm->flags &= ~AlarmItem::kForceSnooze;
    PostMessageW(Ring(alarm)->GetHwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Decisions(alarm, &closed).empty());
    EXPECT_TRUE(closed);
    EXPECT_EQ(0, engine_->RingWindowCount());
}

TEST_F(RingScreensTest, TimerDialogShowsItsChainAndEachControlTakesItsDecision) {
    TimerItem* eggs = AddTimer(L"Eggs");
    TimerItem* tea = AddTimer(L"Tea");
    tea->origTime = Ticks_FromSeconds(300);
    tea->NextTimer = eggs->Hash;
    RingDialog* ring = Ring(tea);
    ASSERT_TRUE(ring);
    HWND dialog = ring->GetHwnd();
    RcString duration;
    TimerItem::FormatDuration(tea->origTime, duration);
    EXPECT_EQ(L"Orvalen timer elapsed", testsupport::WindowText(dialog));
    EXPECT_EQ(L"Tea, " + std::wstring(duration.CStr()), testsupport::DialogItemText(dialog, IDC_RING_TITLE));
    EXPECT_EQ(L"Next timer is: Eggs", testsupport::DialogItemText(dialog, IDC_RING_NEXT_TIMER));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_RING_CLOCK)));
    EXPECT_EQ(ring->FirstButton()->Hwnd(), GetFocus());
    Click(ring->FirstButton()->Hwnd());
    EXPECT_EQ(Calls{"Close"}, Decisions(tea));

    // A timer that repeats itself counts its rounds; without a chain the clock shows.
    tea->NextTimer = tea->Hash;
    tea->SelfCounter = 3;
    dialog = Ring(tea)->GetHwnd();
    EXPECT_EQ(L"Next timer is: Tea, \x2116 3", testsupport::DialogItemText(dialog, IDC_RING_NEXT_TIMER));
    Click(dynamic_cast<RingDialog*>(tea->ringUI)->SecondButton()->Hwnd());
    EXPECT_EQ(Calls{"Snooze 300"}, Decisions(tea));
    tea->NextTimer = 0;
    dialog = Ring(tea)->GetHwnd();
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_RING_CLOCK)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_RING_NEXT_TIMER)));

    HWND bar = dynamic_cast<RingDialog*>(tea->ringUI)->MenuBar();
    ASSERT_TRUE(Shell_TapMenuBarButton(bar, 1, IDM_RING_RESTART));
    EXPECT_EQ(Calls{"Snooze 300"}, Decisions(tea));
    SendMessageW(Ring(tea)->GetHwnd(), WM_COMMAND, MAKEWPARAM(IDM_RING_RESTART, 1), 0);
    EXPECT_EQ(Calls{"Restart"}, Decisions(tea));
    ASSERT_TRUE(Shell_TapMenuBarButton(Ring(tea)->MenuBar(), 1, IDM_RING_GOTO));
    EXPECT_EQ((Calls{"GotoMain", "Close"}), Decisions(tea));
    ASSERT_TRUE(Shell_TapMenuBarButton(Ring(tea)->MenuBar(), 1, IDM_RING_STOP));
    EXPECT_EQ(Calls{"Stop"}, Decisions(tea));
    ASSERT_TRUE(Shell_TapMenuBarButton(Ring(tea)->MenuBar(), 0, 0));
    EXPECT_EQ(Calls{"Close"}, Decisions(tea));
}

TEST_F(RingScreensTest, AFullSlideDismissesAndAShortOneSpringsBackAndSnoozes) {
    store_->GetSettings().system->NotificationStyle = 1;
    AlarmItem* alarm = AddAlarm(L"Slide");
    auto* ring = dynamic_cast<AlarmRingNotifyDialog*>(Ring(alarm));
    ASSERT_TRUE(ring);
    HWND knob = ring->Knob()->Hwnd();
    const RECT home = RectInParent(knob);
    const RECT target = RectInParent(ring->FirstButton()->Hwnd());
    ASSERT_LT(target.right, home.left) << "the target lies left of the knob";
    const int distance = target.left - home.left;

    // Halfway: back home, and the chooser opens.
    SendMessageW(knob, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(knob, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + distance / 2, 10));
    EXPECT_FALSE(ring->Knob()->IsOverTarget());
    SendMessageW(knob, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    RECT now = RectInParent(knob);
    EXPECT_TRUE(EqualRect(&home, &now));
    EXPECT_EQ(Calls{"Snooze 300"}, Decisions(alarm));

    ring = dynamic_cast<AlarmRingNotifyDialog*>(Ring(alarm));
    knob = ring->Knob()->Hwnd();
    SendMessageW(knob, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(knob, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + distance, 10));
    EXPECT_TRUE(ring->Knob()->IsOverTarget());
    SendMessageW(knob, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    now = RectInParent(knob);
    EXPECT_TRUE(EqualRect(&target, &now));
    EXPECT_EQ(Calls{"Dismiss"}, Decisions(alarm));

    // A tap anywhere on the dialog snoozes.
    SendMessageW(Ring(alarm)->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(Calls{"Snooze 300"}, Decisions(alarm));

    // Strictly more than four fifths must cover the target.
    const RECT spot = {0, 0, 100, 50};
    RECT knobRect = {20, 0, 120, 50};
    EXPECT_FALSE(SlideKnob::Covers(knobRect, spot));
    OffsetRect(&knobRect, -1, 0);
    EXPECT_TRUE(SlideKnob::Covers(knobRect, spot));
    knobRect = {0, 10, 100, 60};
    EXPECT_FALSE(SlideKnob::Covers(knobRect, spot));
}

TEST_F(RingScreensTest, ASecondFiringRingsTheSameWindowAgain) {
    AlarmItem* alarm = AddAlarm(L"Twice");
    HWND first = Ring(alarm)->GetHwnd();
    HWND second = Ring(alarm)->GetHwnd();
    EXPECT_EQ(first, second);
    EXPECT_EQ(1, CountTopLevel(L"Orvalen alarm elapsed"));
    EXPECT_EQ(1, engine_->RingWindowCount());
    AlarmItem* other = AddAlarm(L"Other");
    EXPECT_NE(first, Ring(other)->GetHwnd());
    EXPECT_EQ(2, CountTopLevel(L"Orvalen alarm elapsed"));
    EXPECT_EQ(2, engine_->RingWindowCount());
}

// A ring's end the user asked for (stopping the sound for the snooze chooser) decides
// nothing; a natural end closes an auto-close item.
TEST_F(RingScreensTest, ARequestedSoundEndDuringTheChooserDecidesNothing) {
    AlarmItem* alarm = AddAlarm(L"Auto close");
    alarm->SnoozeType = EventItem::kSnoozeTypeAutoClose;
    RingDialog* ring = Ring(alarm);
    ring->Controller().snoozeGuard = true;
    SendMessageW(ring->GetHwnd(), RingScreen::kSoundEndedMessage, 1, 0);
    bool closed = true;
    EXPECT_TRUE(Decisions(alarm, &closed).empty());
    EXPECT_FALSE(closed);
    ring->Controller().snoozeGuard = false;
    SendMessageW(ring->GetHwnd(), RingScreen::kSoundEndedMessage, 0, 0);
    EXPECT_EQ(Calls{"AutoAction"}, Decisions(alarm, &closed));
    EXPECT_TRUE(closed);
}

TEST_F(RingScreensTest, ASilentRingShowsNothingAndClosesItselfOnceTheSignallerIsDone) {
    AlarmItem* alarm = AddAlarm(L"Quiet");
    alarm->SetOption7(false);
    alarm->SetOption1(false);
    alarm->SetOption5(false);
    SendMessageW(engine_->Hwnd(), EngineMessage::kAlarmDue, reinterpret_cast<WPARAM>(alarm), 0);
    HWND silent = RingWindowOf(alarm);
    ASSERT_TRUE(silent);
    EXPECT_EQ(engine_->Hwnd(), GetParent(silent));
    EXPECT_EQ(0, CountTopLevel(L"Orvalen alarm elapsed"));
    EXPECT_EQ(0, engine_->RingWindowCount());

    // Nothing plays: the poll closes it within its three seconds, and the engine's idle
    // check then comes ten seconds after the close.
    ASSERT_TRUE(PumpUntil(10000, [&] { return !IsWindow(silent); }));
    const DWORD closedAt = GetTickCount();
    EXPECT_EQ(nullptr, alarm->ringUI);
    DWORD idleAt = 0;
    testsupport::PollUntil(20000, [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && msg.hwnd == engine_->Hwnd() && msg.wParam == EngineWnd::kIdleTimer) {
                idleAt = GetTickCount();
                return true;
            }
            if (msg.message != WM_QUIT) DispatchMessageW(&msg);
        }
        return false;
    });
    ASSERT_NE(0u, idleAt);
    EXPECT_GE(idleAt - closedAt, 9500u);
}

TEST_F(RingScreensTest, ASilentOneTimeAlarmIsHandedToTheEngineForDeletionOnce) {
    store_->GetSettings().system->DeleteOnceAlarms = 1;
    AlarmItem* alarm = AddAlarm(L"Once");
    alarm->SetOption7(false);
    alarm->flags |= AlarmItem::kNotifyOnce;
    SendMessageW(engine_->Hwnd(), EngineMessage::kAlarmDue, reinterpret_cast<WPARAM>(alarm), 0);
    auto* screen = dynamic_cast<RingScreen*>(alarm->ringUI);
    ASSERT_TRUE(screen);
    HWND silent = screen->RingWindow();
    screen->PostItemDelete(EngineMessage::kDeleteAlarm);
    screen->PostItemDelete(EngineMessage::kDeleteAlarm);
    MSG waiting;
    int posted = 0;
    while (PeekMessageW(&waiting, engine_->Hwnd(), EngineMessage::kDeleteAlarm, EngineMessage::kDeleteAlarm, PM_REMOVE))
        ++posted;
    EXPECT_EQ(1, posted);
    PostMessageW(engine_->Hwnd(), EngineMessage::kDeleteAlarm, waiting.wParam, 0);
    // The one delete deletes the alarm, which closes its ring; the window's own
    // delete on its way out is not posted again.
    const size_t alarms = store_->Alarms().size();
    Drain();
    EXPECT_EQ(alarms - 1, store_->Alarms().size());
    EXPECT_FALSE(IsWindow(silent));
    EXPECT_FALSE(PeekMessageW(&waiting, engine_->Hwnd(), EngineMessage::kDeleteAlarm, EngineMessage::kDeleteAlarm,
                              PM_NOREMOVE));
}

TEST_F(RingScreensTest, AtDeviceVolumeZeroASoundRingVibratesInsteadUnlessThePhoneIsSilent) {
    Signaller* signaller = App::GetSignaller();
    ASSERT_TRUE(signaller && signaller->HasVibrator());
    ASSERT_EQ(MMSYSERR_NOERROR, waveOutSetVolume(nullptr, 0));
    // The platform's sound types: on (0) and vibrate (1) let the ring vibrate; none (2)
    // and disable (3) are a phone set to silent.
    for (DWORD soundType : {0u, 2u, 3u}) {
        SNDFILEINFO profile = {};
        profile.sstType = soundType;
        ASSERT_EQ(S_OK, Device_SndSetSound(SND_EVENT_ALL, &profile, TRUE));
        AlarmItem* alarm = AddAlarm(L"Quiet room");
        alarm->flags |= AlarmItem::kVibrateOff;
        alarm->soundSettings.respectsys = 1;
        RingDialog* ring = Ring(alarm);
        ASSERT_TRUE(ring);
        EXPECT_EQ(soundType == 0, signaller->IsVibrating()) << "sound type " << soundType;
        EXPECT_FALSE(signaller->IsPlaying()) << "sound type " << soundType;
        DestroyWindow(ring->GetHwnd());
        Drain();
        EXPECT_FALSE(signaller->IsVibrating());
    }
}
