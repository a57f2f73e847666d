// The ring windows in this process, with the program's objects around them: which
// decision each button, key, soft key and slide asks of the ring controller, a second
// firing, the windows that show nothing, and the timer dialog's texts.
#include "AlarmItem.h"
#include "AlarmRingController.h"
#include "AlarmRingNotifyDialog.h"
#include "App.h"
#include "DeviceAudio.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "RingDialog.h"
#include "RingScreens.h"
#include "RingSignals.h"
#include "Signaller.h"
#include "SlideKnob.h"
#include "SystemSettings.h"
#include "TestSupport.h"
#include "TimerItem.h"
#include "TimerRingController.h"
#include "RegKeyRef.h"
#include "RegKeyRefTyped.h"
#include "CopyDataCommand.h"
#include "DeviceBubbles.h"
#include "DeviceControl.h"
#include "DeviceSignals.h"
#include "DeviceClock.h"
#include "RingMeasure.h"
#include "aygshell.h"
#include "resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

// Notes every decision and then takes it as the program would.
template <class Controller, class Item>
class RecordingController : public Controller {
public:
    RecordingController(Item& item, Calls& calls) : Controller(item), calls_(calls) {}
    int Snooze(int seconds, bool autoFlag) override {
        calls_.push_back(autoFlag ? "Snooze auto" : "Snooze " + std::to_string(seconds));
        return Controller::Snooze(seconds, autoFlag);
    }
    int Dismiss(int seconds) override {
        calls_.push_back("Dismiss");
        return Controller::Dismiss(seconds);
    }
    void AutoAction() override {
        calls_.push_back("AutoAction");
        Controller::AutoAction();
    }
    void Close() override {
        calls_.push_back("Close");
        Controller::Close();
    }
    void Restart() override {
        calls_.push_back("Restart");
        Controller::Restart();
    }
    void GotoMain() override {
        calls_.push_back("GotoMain");
        Controller::GotoMain();
    }
    void Stop() override {
        calls_.push_back("Stop");
        Controller::Stop();
    }

private:
    Calls& calls_;
};

std::unique_ptr<RingController> MakeRecording(EventItem& item, Calls& calls) {
    if (auto* timer = dynamic_cast<TimerItem*>(&item))
        return std::unique_ptr<RingController>(
            new RecordingController<TimerRingController, TimerItem>(*timer, calls));
    return std::unique_ptr<RingController>(
        new RecordingController<AlarmRingController, AlarmItem>(dynamic_cast<AlarmItem&>(item), calls));
}

// What the test does with the snooze chooser once it shows; its modal loop runs this
// thread's timers.
std::function<void(HWND)>& ChooserAnswer() {
    static std::function<void(HWND)> answer;
    return answer;
}

// An alarm's chooser, or a timer's, titled as the Restart button that opens it.
HWND FindChooser() {
    HWND chooser = FindWindowW(L"#32770", L"Snooze Alarm");
    if (!chooser) chooser = FindWindowW(L"#32770", L"Restart the timer");
    return chooser && IsWindowVisible(chooser) ? chooser : nullptr;
}

// Each chooser that shows gets the answer once.
void CALLBACK AnswerTick(HWND, UINT, UINT_PTR, DWORD) {
    static HWND answered = nullptr;
    HWND chooser = FindChooser();
    if (!chooser) answered = nullptr;
    if (!chooser || chooser == answered || !ChooserAnswer()) return;
    answered = chooser;
    ChooserAnswer()(chooser);
}

// The chooser's Snooze soft key: the default length.
void TakeDefault(HWND chooser) { PostMessageW(chooser, WM_COMMAND, IDOK, 0); }

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
        RingScreens::SetControllerFactory([this](EventItem& item) { return MakeRecording(item, calls_); });
        ChooserAnswer() = TakeDefault;
        answerTimer_ = SetTimer(nullptr, 0, 50, AnswerTick);
        Drain();
    }
    void TearDown() override {
        KillTimer(nullptr, answerTimer_);
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
    // Without event dialog, run out and shown until closed: finished once its ring is over.
    TimerItem* AddFinishedSilentTimer(const wchar_t* title) {
        TimerItem* timer = AddTimer(title);
        timer->SetOption7(false);
        timer->SnoozeType = EventItem::kSnoozeTypeKeepShowing;
        timer->flags &= ~TimerItem::kRunning;
        timer->time = -1;
        return timer;
    }
    // A one-time alarm without event dialog that has fired and is shown until closed.
    AlarmItem* AddFiredSilentOnceAlarm(const wchar_t* title) {
        AlarmItem* alarm = AddAlarm(title);
        alarm->SetOption7(false);
        alarm->flags |= AlarmItem::kNotifyOnce | AlarmItem::kFired;
        alarm->SetDismissed(true);
        alarm->SnoozeType = EventItem::kSnoozeTypeKeepShowing;
        return alarm;
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
    // Two auto-closing alarms, each ringing the built-in sound twice.
    std::pair<AlarmItem*, AlarmItem*> FirstAndSecond();
    // The newer of two rings closes first, at the end of its own sound, and the older one
    // after it: both decided once, both heard whole.
    void ExpectNewerThenOlderClose(AlarmItem* older, AlarmItem* newer, const char* olderEarly);
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
    UINT_PTR answerTimer_ = 0;
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

// Off means off: an alarm switched off, or whose snoozes were cancelled, while it rings is
// not brought back by its ring's snooze, automatic or tapped (the ring ends instead); one
// switched off between the tick finding it due and its ring showing does not ring.
TEST_F(RingScreensTest, AnAlarmSwitchedOffOrCancelledWhileItRingsIsNotSnoozedBack) {
    auto send = [&](const std::wstring& word) { CopyDataCommand(word.c_str()).SendTo(engine_->Hwnd()); };
    auto switchOff = [&](const AlarmItem* alarm) {
        send(L"alarm_active " + std::to_wstring(static_cast<uint32_t>(alarm->Hash)));
        ASSERT_FALSE(alarm->flags & AlarmItem::kEnabled);
    };
    for (int way = 0; way < 3; ++way) {
        const char* label = way == 0 ? "switched off, snoozed by the sound's end"
                                     : way == 1 ? "switched off, Snooze tapped" : "snoozes cancelled";
        AlarmItem* alarm = AddAlarm(L"Answered elsewhere");
        RingDialog* ring = Ring(alarm);
        ASSERT_TRUE(ring) << label;
        if (way < 2) switchOff(alarm);
        else send(L"cancel_snooze");
        Drain();
        if (way == 1) Click(ring->SecondButton()->Hwnd());
        else SendMessageW(ring->GetHwnd(), RingScreen::kSoundEndedMessage, 0, 0);
        bool closed = false;
        Decisions(alarm, &closed);
        EXPECT_TRUE(closed) << label;
        EXPECT_EQ(way == 2, (alarm->flags & AlarmItem::kEnabled) != 0) << label;
        EXPECT_TRUE(alarm->IsDismissed()) << label << ": no snooze pending";
    }

    AlarmItem* late = AddAlarm(L"Off before it showed");
    late->flags &= ~AlarmItem::kFired;
    SendMessageW(engine_->Hwnd(), WM_TIMER, EngineWnd::kTickTimer, 0);
    switchOff(late);
    Drain();
    EXPECT_EQ(nullptr, RingWindowOf(late));
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
    EXPECT_EQ((Calls{"AutoAction", "Dismiss"}), Decisions(alarm, &closed));
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

namespace {

DWORD StoredDword(const EventItem& item, const wchar_t* value) {
    const std::wstring key = L"Software\\Ostrel\\Orvalen\\Alarms\\Items\\" + std::to_wstring(item.Hash);
    RegKeyRef stored = RegKeyRef::Open(key.c_str(), HKEY_CURRENT_USER, true);
    DWORD number = 0xFFFFFFFF;
    RegKeyRef_QueryTypedDword(stored, &number, value);
    return number;
}

constexpr OleDate kSecond = 1.0 / 86400.0;

}  // namespace

// What the end of the sound does with each snooze type, with and without Force snooze,
// up to "AutoSnoozeCount" automatic snoozes: flags, count, snooze time and the saved values.
TEST_F(RingScreensTest, TheSnoozeTypesDecideAtTheEndOfTheSoundAsTheTableSays) {
    store_->GetSettings().system->AutoSnoozeCount = 2;
    struct Row {
        int32_t type;
        bool force;
        int counts[3];     // SnoozeCount after each of three sound ends
        bool stays;        // the ring window stays up
        bool dismissed;
    } rows[] = {
        {EventItem::kSnoozeTypeKeepShowing, false, {0, 0, 0}, true, false},
        {EventItem::kSnoozeTypeAutoSnooze, false, {1, 2, 2}, true, false},
        {EventItem::kSnoozeTypeAutoSnooze, true, {1, 2, 2}, true, false},
        {EventItem::kSnoozeTypeAutoClose, false, {0, 0, 0}, false, true},
        {EventItem::kSnoozeTypeAutoClose, true, {1, 2, 3}, true, false},
    };
    for (const Row& row : rows) {
        const std::string label = "type " + std::to_string(row.type) + (row.force ? " forced" : "");
        AlarmItem* alarm = AddAlarm(L"Table");
        alarm->SnoozeType = row.type;
        alarm->initsnooze = {1, 30};
        alarm->SetDismissed(false);
        if (row.force) alarm->flags |= AlarmItem::kForceSnooze;
        for (int end = 0; end < 3; ++end) {
            RingDialog* ring = Ring(alarm);
            ASSERT_TRUE(ring) << label;
            const OleDate ended = Time_LocalNowAsDate(true);
            SendMessageW(ring->GetHwnd(), RingScreen::kSoundEndedMessage, 0, 0);
            bool closed = false;
            Decisions(alarm, &closed);
            EXPECT_EQ(row.counts[end], alarm->SnoozeCount) << label << ", end " << end;
            EXPECT_EQ(DWORD(row.counts[end]), StoredDword(*alarm, L"SnoozeCount")) << label << ", end " << end;
            EXPECT_EQ(!row.stays, closed) << label;
            const bool snoozedNow = end == 0 ? row.counts[0] == 1 : row.counts[end] > row.counts[end - 1];
            if (snoozedNow) {
                EXPECT_NEAR(ended + 90 * kSecond, alarm->snooze, 2 * kSecond) << label;
                EXPECT_TRUE(alarm->flags & AlarmItem::kFired);
                EXPECT_TRUE(alarm->flags & AlarmItem::kEnabled);
                EXPECT_FALSE(alarm->IsDismissed());
                EXPECT_EQ(row.force && row.type == EventItem::kSnoozeTypeAutoClose,
                          (StoredDword(*alarm, L"flags") & AlarmItem::kAutoSnoozed) != 0)
                    << label;
            }
            if (!row.stays) break;
        }
        EXPECT_EQ(row.dismissed, alarm->IsDismissed()) << label;
        if (RingWindowOf(alarm)) DestroyWindow(RingWindowOf(alarm));
        Drain();
    }
}

// Close of a timer that starts its next one by hand: a template starts as a copy, the
// chain links to the copy and the finished timer is deleted, each delete posted once;
// a timer that repeats itself runs again and stays.
TEST_F(RingScreensTest, ClosingATimerStartsItsChainAndDeletesFinishedTimersOnce) {
    TimerItem* tea = AddTimer(L"Tea");
    tea->flags |= TimerItem::kTemplate;
    tea->origTime = tea->time = Ticks_FromSeconds(120);
    TimerItem* eggs = AddTimer(L"Eggs");
    eggs->NextTimer = tea->Hash;
    eggs->flags |= TimerItem::kNoChain;
    eggs->time = 0;
    const size_t before = store_->Timers().size();

    // Close asked twice; the deletes posted to the engine, then handled. link: the
    // timer's NextTimer after the close.
    auto closeAndCountDeletes = [&](TimerItem* timer, ItemHash* link) {
        RingDialog* ring = Ring(timer);
        ring->Controller().Close();
        ring->Controller().Close();
        if (link) *link = timer->NextTimer;
        DestroyWindow(ring->GetHwnd());
        MSG waiting;
        int posted = 0;
        while (PeekMessageW(&waiting, engine_->Hwnd(), EngineMessage::kDeleteTimer, EngineMessage::kDeleteTimer,
                            PM_REMOVE)) {
            ++posted;
            DispatchMessageW(&waiting);
        }
        Drain();
        return posted;
    };
    ItemHash eggsLink = 0;
    EXPECT_EQ(1, closeAndCountDeletes(eggs, &eggsLink));
    EXPECT_FALSE(store_->ContainsItem(eggs));
    TimerItem* copy = store_->FindTimerByHash(eggsLink);
    ASSERT_TRUE(copy) << "the chain links to the started copy";
    EXPECT_NE(tea, copy);
    EXPECT_FALSE(copy->IsTemplate());
    EXPECT_TRUE(copy->flags & TimerItem::kRunning);
    EXPECT_EQ(before, store_->Timers().size());

    // The copy runs out: its Close, asked twice, deletes it once.
    copy->flags &= ~TimerItem::kRunning;
    copy->time = 0;
    EXPECT_EQ(1, closeAndCountDeletes(copy, nullptr));
    EXPECT_EQ(nullptr, store_->FindTimerByHash(eggsLink));

    TimerItem* again = AddTimer(L"Again");
    again->NextTimer = again->Hash;
    again->flags |= TimerItem::kNoChain;
    again->origTime = Ticks_FromSeconds(60);
    again->time = 0;
    EXPECT_EQ(0, closeAndCountDeletes(again, nullptr));
    ASSERT_TRUE(store_->ContainsItem(again));
    EXPECT_TRUE(again->flags & TimerItem::kRunning);
    EXPECT_NEAR(60.0, double(again->time) / kTicksPerSecond, 2.0) << "runs its set duration again";
}

// The chooser: a tap on a row takes that length, a tap elsewhere returns to the silent
// ring with its countdown, and with no input the default is taken after ten seconds.
TEST_F(RingScreensTest, TheSnoozeChooserTakesATappedRowItsDefaultOrGoesBack) {
    AlarmItem* alarm = AddAlarm(L"Choose");
    alarm->initsnooze = {7, 0};
    auto tapWhenOpen = [](POINT (*where)(HWND)) {
        return [where](HWND chooser) {
            HWND list = GetDlgItem(chooser, IDC_SNOOZE_LIST);
            testsupport::PollUntil(5000, [&] {
                Drain();
                return IsWindowEnabled(list) != FALSE;
            });
            POINT at = where(chooser);
            HWND target = ChildWindowFromPoint(chooser, at);
            MapWindowPoints(chooser, target, &at, 1);
            SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
            SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        };
    };
    // Rows: 420 (the default in place of 300), 600, 1200, 1800, 3600.
    ChooserAnswer() = tapWhenOpen([](HWND chooser) {
        HWND list = GetDlgItem(chooser, IDC_SNOOZE_LIST);
        RECT row = {LVIR_BOUNDS};
        SendMessageW(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
        POINT at = {(row.left + row.right) / 2, (row.top + row.bottom) / 2};
        MapWindowPoints(list, chooser, &at, 1);
        return at;
    });
    Click(Ring(alarm)->SecondButton()->Hwnd());
    EXPECT_EQ(Calls{"Snooze 1200"}, Decisions(alarm));

    ChooserAnswer() = tapWhenOpen([](HWND chooser) {
        RECT rect;
        GetWindowRect(GetDlgItem(chooser, IDC_SNOOZE_CANCEL), &rect);
        POINT at = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ScreenToClient(chooser, &at);
        return at;
    });
    RingDialog* ring = Ring(alarm);
    Click(ring->SecondButton()->Hwnd());
    bool closed = true;
    EXPECT_TRUE(Decisions(alarm, &closed).empty());
    EXPECT_FALSE(closed);
    EXPECT_TRUE(PumpUntil(5000, [&] { return ring->CountdownTicks() >= 2; })) << "the silent screen counts down";

    // A timer of 30 minutes is offered its halves, its own 15 minutes selected.
    TimerItem* tea = AddTimer(L"Tea");
    tea->origTime = Ticks_FromSeconds(1800);
    tea->initsnooze = {15, 0};
    std::vector<int> offered;
    int selected = -1;
    std::wstring title;
    ChooserAnswer() = [&](HWND chooser) {
        title = testsupport::WindowText(chooser);
        HWND list = GetDlgItem(chooser, IDC_SNOOZE_LIST);
        testsupport::PollUntil(5000, [&] {
            Drain();
            return IsWindowEnabled(list) != FALSE;
        });
        selected = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
        for (int row = 0; row < ListView_GetItemCount(list); ++row) {
            LVITEMW item = {};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            offered.push_back(static_cast<int>(item.lParam));
        }
        PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    };
    Click(Ring(tea)->SecondButton()->Hwnd());
    EXPECT_EQ(L"Restart the timer", title);
    EXPECT_EQ((std::vector<int>{112, 225, 450, 900, 1800}), offered);
    EXPECT_EQ(3, selected);
    EXPECT_EQ(Calls{"Snooze 900"}, Decisions(tea));

    ChooserAnswer() = [](HWND) {};
    DestroyWindow(ring->GetHwnd());
    Drain();
    ring = Ring(alarm);
    const DWORD opened = GetTickCount();
    Click(ring->SecondButton()->Hwnd());
    const DWORD took = GetTickCount() - opened;
    EXPECT_EQ(Calls{"Snooze 420"}, Decisions(alarm));
    EXPECT_GE(took, 10000u);
    EXPECT_LT(took, 30000u);
}

// With SnoozeType 2 the requested end of the sound while the chooser is open decides
// nothing: the window and the item are still there when it returns.
TEST_F(RingScreensTest, AnAutoClosingRingSurvivesItsChooser) {
    AlarmItem* alarm = AddAlarm(L"Survivor");
    alarm->SnoozeType = EventItem::kSnoozeTypeAutoClose;
    RingDialog* ring = Ring(alarm);
    HWND window = ring->GetHwnd();
    ChooserAnswer() = [window](HWND chooser) {
        SendMessageW(window, RingScreen::kSoundEndedMessage, 1, 0);
        PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
    };
    Click(ring->SecondButton()->Hwnd());
    bool closed = true;
    EXPECT_TRUE(Decisions(alarm, &closed).empty());
    EXPECT_FALSE(closed);
    EXPECT_TRUE(store_->ContainsItem(alarm));
    EXPECT_FALSE(ring->Controller().snoozeGuard);
}

// "BKL1:" is held from the ring's start until the backlight time-out after the sound
// (mains or battery as the AC line says), and given back at once when the ring stops.
TEST_F(RingScreensTest, TheBacklightStaysOnForItsTimeoutAfterTheSound) {
    RegKeyRef backlight = RegKeyRef::Open(L"ControlPanel\\Backlight", HKEY_CURRENT_USER, false);
    AlarmItem* alarm = AddAlarm(L"Light");
    alarm->SnoozeType = EventItem::kSnoozeTypeKeepShowing;
    for (BYTE mains : {BYTE(1), BYTE(0)}) {
        RegKey_WriteDword(backlight, mains ? 1 : 60, L"ACTimeout");
        RegKey_WriteDword(backlight, mains ? 60 : 1, L"Timeout");
        ASSERT_TRUE(DeviceControl_SetACLineStatus(mains));
        RingDialog* ring = Ring(alarm);
        EXPECT_EQ(1u, DeviceControl_GetPowerRequirements(L"BKL1:"));
        SendMessageW(ring->GetHwnd(), RingScreen::kSoundEndedMessage, 0, 0);
        const DWORD ended = GetTickCount();
        Drain();
        EXPECT_EQ(1u, DeviceControl_GetPowerRequirements(L"BKL1:")) << "mains " << int(mains);
        ASSERT_TRUE(PumpUntil(20000, [] { return DeviceControl_GetPowerRequirements(L"BKL1:") == 0; }));
        EXPECT_GE(GetTickCount() - ended, 900u);
        EXPECT_TRUE(IsWindow(ring->GetHwnd()));
        DestroyWindow(ring->GetHwnd());
        Drain();
    }
    Ring(alarm);
    EXPECT_EQ(1u, DeviceControl_GetPowerRequirements(L"BKL1:"));
    ASSERT_TRUE(Shell_TapMenuBarButton(dynamic_cast<RingDialog*>(alarm->ringUI)->MenuBar(), 0, 0));
    EXPECT_EQ(Calls{"Dismiss"}, Decisions(alarm));
    EXPECT_EQ(0u, DeviceControl_GetPowerRequirements(L"BKL1:"));
}

// The timer dialog's tray bubble: its record, a tap that brings the dialog back to the
// front, and its removal with the dialog; alarms show none. A device change removes
// the bubble it may have left.
TEST_F(RingScreensTest, ATimerRingHasATrayBubbleOfItsOwn) {
    const wchar_t optionsKey[] = L"ControlPanel\\Notifications\\{8A6FB40A-2BCD-4aa3-A4BD-A0427ABFC172}";
    RegDeleteKeyW(HKEY_CURRENT_USER, optionsKey);
    Ring(AddAlarm(L"No bubble"));
    EXPECT_EQ(0u, DeviceControl_GetBubbles(nullptr, 0));
    EXPECT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, optionsKey));

    RingDialog* first = Ring(AddTimer(L"First"));
    RingDialog* second = Ring(AddTimer(L"Second"));
    DEVICE_BUBBLE bubbles[4] = {};
    ASSERT_EQ(2u, DeviceControl_GetBubbles(bubbles, 4));
    const DEVICE_BUBBLE& shown = bubbles[0];
    EXPECT_TRUE(IsEqualGUID(RingBubble::kClassId, shown.clsid));
    EXPECT_EQ(first->Bubble().Id(), shown.id);
    EXPECT_NE(shown.id, bubbles[1].id);
    EXPECT_EQ(DWORD(sizeof(SHNOTIFICATIONDATA)), shown.cbStruct);
    EXPECT_EQ(DWORD(SHNP_INFORM), shown.priority);
    EXPECT_EQ(600u, shown.duration);
    EXPECT_EQ(DWORD(SHNF_STRAIGHTTOTRAY), shown.flags);
    EXPECT_EQ(16u, shown.iconWidth);
    EXPECT_EQ(first->GetHwnd(), shown.sink);
    EXPECT_EQ(std::wstring(L"Orvalen"), shown.title);
    EXPECT_EQ(std::wstring(L"<html><body></body></html>"), shown.html);
    BYTE options[4] = {1, 1, 1, 1};
    DWORD size = sizeof options, type = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, optionsKey, L"Options", RRF_RT_ANY, &type, options, &size));
    EXPECT_EQ(DWORD(REG_BINARY), type);
    EXPECT_EQ(0u, options[0] | options[1] | options[2] | options[3]);

    ASSERT_EQ(second->GetHwnd(), testsupport::FirstVisibleWindow());
    LRESULT answer = 0;
    ASSERT_TRUE(DeviceControl_TapBubble(&RingBubble::kClassId, shown.id, &answer));
    EXPECT_EQ(-1, answer);
    EXPECT_EQ(first->GetHwnd(), GetForegroundWindow());

    const DWORD secondId = bubbles[1].id;
    DestroyWindow(first->GetHwnd());
    Drain();
    ASSERT_EQ(1u, DeviceControl_GetBubbles(bubbles, 4));
    EXPECT_EQ(secondId, bubbles[0].id);
    DestroyWindow(second->GetHwnd());
    Drain();
    EXPECT_EQ(0u, DeviceControl_GetBubbles(nullptr, 0));

    const CLSID deviceChange = {0x94F45921, 0xB582, 0x41DB, {0xAC, 0x6E, 0x88, 0x7C, 0x2D, 0x7E, 0x66, 0x85}};
    SHNOTIFICATIONDATA left = {};
    left.cbStruct = sizeof left;
    left.clsid = deviceChange;
    ASSERT_EQ(ERROR_SUCCESS, SHNotificationAdd(&left));
    CopyDataCommand(L"AppRunDeviceChange /ADD").SendTo(engine_->Hwnd());
    Drain();
    EXPECT_EQ(0u, DeviceControl_GetBubbles(nullptr, 0));
}

// A silent ring hands its item to the engine for deletion only when the item is finished:
// a timer that repeats itself (restarted before its ring) or snoozed itself, and a
// one-time alarm that snoozed itself, stay; a finished timer and alarm go.
TEST_F(RingScreensTest, ASilentRingDeletesOnlyAFinishedItem) {
    store_->GetSettings().system->DeleteOnceAlarms = 1;
    auto ringSilently = [&](EventItem* item, bool soundEnds) {
        SendMessageW(engine_->Hwnd(), dynamic_cast<TimerItem*>(item) ? EngineMessage::kTimerExpired
                                                                      : EngineMessage::kAlarmDue,
                     reinterpret_cast<WPARAM>(item), 0);
        HWND silent = RingWindowOf(item);
        ASSERT_TRUE(silent);
        if (soundEnds) SendMessageW(silent, RingScreen::kSoundEndedMessage, 0, 0);
        // As the self-close poll does once the signaller is done.
        DestroyWindow(silent);
        Drain();
    };
    AlarmItem* once = AddAlarm(L"Once, snoozing");
    once->SetOption7(false);
    once->flags |= AlarmItem::kNotifyOnce | AlarmItem::kFired;
    once->SetDismissed(true);
    once->SnoozeType = EventItem::kSnoozeTypeAutoSnooze;
    once->initsnooze = {5, 0};
    ringSilently(once, true);
    ASSERT_TRUE(store_->ContainsItem(once));
    EXPECT_TRUE(once->IsSnoozed());

    TimerItem* repeating = AddTimer(L"Every minute");
    repeating->SetOption7(false);
    repeating->NextTimer = repeating->Hash;
    repeating->flags |= TimerItem::kRunning;
    repeating->time = Ticks_FromSeconds(60);
    ringSilently(repeating, false);
    EXPECT_TRUE(store_->ContainsItem(repeating));

    TimerItem* snoozing = AddTimer(L"Snoozing");
    snoozing->SetOption7(false);
    snoozing->SnoozeType = EventItem::kSnoozeTypeAutoSnooze;
    snoozing->initsnooze = {5, 0};
    snoozing->flags &= ~TimerItem::kRunning;  // as its expiry leaves it
    snoozing->time = -1;
    ringSilently(snoozing, true);
    ASSERT_TRUE(store_->ContainsItem(snoozing));
    EXPECT_TRUE(snoozing->IsRunning());

    TimerItem* finished = AddFinishedSilentTimer(L"Finished");
    AlarmItem* done = AddFiredSilentOnceAlarm(L"Once, done");
    const size_t timers = store_->Timers().size(), alarms = store_->Alarms().size();
    ringSilently(finished, true);
    ringSilently(done, true);
    EXPECT_EQ(timers - 1, store_->Timers().size());
    EXPECT_EQ(alarms - 1, store_->Alarms().size());
}

// A finished timer and a one-time alarm that leave the store while their silent rings
// are up (deleted from a list, or a reload of the store) close their rings on the way
// out, and those hand no delete of the departed address to the engine: an item made
// meanwhile at that address would go with it.
TEST_F(RingScreensTest, AnItemLeavingWithItsSilentRingHandsTheEngineNoDelete) {
    store_->GetSettings().system->DeleteOnceAlarms = 1;
    TimerItem* timer = AddFinishedSilentTimer(L"Finished");
    AlarmItem* alarm = AddFiredSilentOnceAlarm(L"Once");
    SendMessageW(engine_->Hwnd(), EngineMessage::kTimerExpired, reinterpret_cast<WPARAM>(timer), 0);
    SendMessageW(engine_->Hwnd(), EngineMessage::kAlarmDue, reinterpret_cast<WPARAM>(alarm), 0);
    HWND timerRing = RingWindowOf(timer), alarmRing = RingWindowOf(alarm);
    ASSERT_TRUE(timerRing && alarmRing);
    Drain();
    store_->RemoveTimer(timer);
    store_->RemoveAlarm(alarm);
    EXPECT_FALSE(IsWindow(timerRing));
    EXPECT_FALSE(IsWindow(alarmRing));
    MSG waiting;
    EXPECT_FALSE(PeekMessageW(&waiting, engine_->Hwnd(), EngineMessage::kDeleteTimer, EngineMessage::kDeleteTimer,
                              PM_NOREMOVE));
    EXPECT_FALSE(PeekMessageW(&waiting, engine_->Hwnd(), EngineMessage::kDeleteAlarm, EngineMessage::kDeleteAlarm,
                              PM_NOREMOVE));
}

// Vibrate before the sound with a lead of 0 (a version-3 import without the value) or one
// longer than the vibration page offers (damaged): the sound starts at once, with the
// vibration.
TEST_F(RingScreensTest, VibrateBeforeSoundWithoutALeadRingsAtOnce) {
    Signaller* signaller = App::GetSignaller();
    ASSERT_TRUE(signaller && signaller->HasVibrator());
    for (uint16_t lead : {0, 0xFFFF}) {
        AlarmItem* alarm = AddAlarm(L"No lead");
        alarm->flags &= ~AlarmItem::kVibrateOff;
        alarm->vibrationSettings.bStartVibrateBeforeSound = 1;
        alarm->vibrationSettings.VibrateBeforeSoundTime = lead;
        RingDialog* ring = Ring(alarm);
        ASSERT_TRUE(ring);
        EXPECT_TRUE(PumpUntil(5000, [&] { return signaller->IsPlaying(); })) << lead;
        EXPECT_TRUE(signaller->IsVibrating()) << lead;
        DestroyWindow(ring->GetHwnd());
        Drain();
    }
}

// A backlight time-out too large for milliseconds in 32 bits keeps the light on for the
// longest time a timer takes, not for the wrapped remainder.
TEST_F(RingScreensTest, AHugeBacklightTimeoutIsBounded) {
    RegKeyRef backlight = RegKeyRef::Open(L"ControlPanel\\Backlight", HKEY_CURRENT_USER, false);
    ASSERT_TRUE(DeviceControl_SetACLineStatus(0));
    RegKey_WriteDword(backlight, 4294968, L"Timeout");  // times 1000 wraps to 704 ms
    EXPECT_EQ(RingSignals::kMaxKeepOnMs, RingSignals::BacklightKeepOnMs());
    RegKey_WriteDword(backlight, 0xFFFFFFFF, L"Timeout");
    EXPECT_EQ(RingSignals::kMaxKeepOnMs, RingSignals::BacklightKeepOnMs());
    RegKey_WriteDword(backlight, 30, L"Timeout");
    EXPECT_EQ(30000u, RingSignals::BacklightKeepOnMs());
}

namespace {

// The built-in sound (0.8 s) `plays` times, `pause` seconds apart, at its volume from the
// start, without vibration: a ring of known length.
void RingBriefly(EventItem& item, uint16_t plays, uint16_t pause = 0) {
    item.soundSettings.builtIn = 1;
    item.soundSettings.customres = Signaller::kFallbackResource;
    item.soundSettings.repeat = plays;
    item.soundSettings.repsplit = pause;
    item.soundSettings.asctime = 0;
    item.SetOption5(false);
}

constexpr DWORD kPlayMs = 800;
// What the loudspeaker records of a play heard whole, less the sound's quiet edges.
constexpr double kWholePlayMs = kPlayMs - 50;

}  // namespace

// Two auto-close alarms ring one right after the other: the newer one's sound plays first
// while the older one waits (open, nothing decided), and each closes at the end of its own
// sound, both heard whole. A timer that repeats itself rings again over its own sound: its
// ring goes on with the new sound and closes once, at that sound's end.
std::pair<AlarmItem*, AlarmItem*> RingScreensTest::FirstAndSecond() {
    std::pair<AlarmItem*, AlarmItem*> alarms(AddAlarm(L"First"), AddAlarm(L"Second"));
    for (AlarmItem* alarm : {alarms.first, alarms.second}) {
        alarm->SnoozeType = EventItem::kSnoozeTypeAutoClose;
        RingBriefly(*alarm, 2);
    }
    return alarms;
}

void RingScreensTest::ExpectNewerThenOlderClose(AlarmItem* older, AlarmItem* newer, const char* olderEarly) {
    ASSERT_TRUE(PumpUntil(20000, [&] { return !RingWindowOf(newer) || !RingWindowOf(older); }));
    EXPECT_EQ(nullptr, RingWindowOf(newer)) << "the newer ring's sound plays first";
    EXPECT_NE(nullptr, RingWindowOf(older)) << olderEarly;
    EXPECT_GE(ring_measure::SoundingMs(), 2 * kWholePlayMs) << "the newer ring closed before its sound was heard";
    ASSERT_TRUE(PumpUntil(20000, [&] { return !RingWindowOf(older); }));
    EXPECT_EQ((Calls{"AutoAction", "Dismiss", "AutoAction", "Dismiss"}), Decisions(older));
    EXPECT_GE(ring_measure::SoundingMs(), 4 * kWholePlayMs) << "both rings heard whole";
}

TEST_F(RingScreensTest, ARingTakenOverWaitsAndRingsToItsOwnEnd) {
    ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
    const auto [first, second] = FirstAndSecond();
    Ring(first);
    Ring(second);
    bool closed = true;
    EXPECT_TRUE(Decisions(first, &closed).empty());
    EXPECT_FALSE(closed) << "the older ring ended when the newer one began";
    ExpectNewerThenOlderClose(first, second, "the older ring did not wait for its own sound");
    EXPECT_LT(ring_measure::SoundingMs(), 5 * kPlayMs);

    TimerItem* again = AddTimer(L"Again");
    again->SnoozeType = EventItem::kSnoozeTypeAutoClose;
    again->NextTimer = again->Hash;
    RingBriefly(*again, 2);
    Ring(again);
    PumpUntil(300, [] { return false; });
    Ring(again);
    EXPECT_TRUE(Decisions(again, &closed).empty());
    EXPECT_FALSE(closed) << "its second ring ended at once";
    ASSERT_TRUE(PumpUntil(20000, [&] { return !RingWindowOf(again); }));
    EXPECT_EQ((Calls{"AutoAction", "Close"}), Decisions(again));
}

// The older ring's sound is already heard when the newer ring shows (its window came a
// moment late on a busy device): the older ring still waits, and closes only at the end of
// its own sound, after the newer one.
TEST_F(RingScreensTest, ARingTakenOverWhileItsSoundIsHeardRingsToItsOwnEnd) {
    ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
    const auto [first, second] = FirstAndSecond();
    Signaller* signaller = App::GetSignaller();
    HWND older = Ring(first)->GetHwnd();
    ASSERT_TRUE(PumpUntil(10000, [&] { return signaller->IsPlayingFor(older) && ring_measure::FirstSoundTick(8); }));
    Ring(second);
    ExpectNewerThenOlderClose(first, second, "the older ring closed with the newer one");
}

// The self-close poll of a window that shows nothing lands after the signaller fell quiet
// but before the sound's end message is handled: the window stays, and the end then
// snoozes the alarm as its snooze type says.
TEST_F(RingScreensTest, ASilentRingClosesOnlyOnceItHasSeenItsSoundEnd) {
    AlarmItem* alarm = AddAlarm(L"Quiet snoozer");
    alarm->SetOption7(false);
    alarm->SnoozeType = EventItem::kSnoozeTypeAutoSnooze;
    alarm->initsnooze = {5, 0};
    RingBriefly(*alarm, 1);
    SendMessageW(engine_->Hwnd(), EngineMessage::kAlarmDue, reinterpret_cast<WPARAM>(alarm), 0);
    HWND silent = RingWindowOf(alarm);
    ASSERT_TRUE(silent);
    calls_.clear();
    Signaller* signaller = App::GetSignaller();
    // Not handling this thread's messages: the end message waits in the queue.
    ASSERT_TRUE(testsupport::PollUntil(10000, [&] { return signaller->IsPlaying(); }));
    ASSERT_TRUE(testsupport::PollUntil(10000, [&] { return !signaller->IsPlaying(); }));
    SendMessageW(silent, WM_TIMER, RingSignals::kSelfClosePollTimer, 0);
    ASSERT_TRUE(PumpUntil(10000, [&] { return !calls_.empty() || !IsWindow(silent); }));
    EXPECT_EQ((Calls{"AutoAction", "Snooze 300"}), Decisions(alarm));
    EXPECT_TRUE(alarm->IsSnoozed());
}

// The first ring's sound file is missing (a memory card still mounting): its window shows
// without waiting for the file, a second ring due meanwhile sounds at once, and the first
// one's own sound (the built-in one in place of the file) follows once the second's is over.
TEST_F(RingScreensTest, ARingWhoseSoundFileIsMissingHoldsUpNoOtherRing) {
    AlarmItem* missing = AddAlarm(L"Missing");
    RingBriefly(*missing, 1);
    missing->soundSettings.builtIn = 0;
    missing->soundSettings.custom.SetCStr(L"\\Storage Card\\gone.wav");
    AlarmItem* next = AddAlarm(L"Next");
    RingBriefly(*next, 1);
    Signaller* signaller = App::GetSignaller();
    const DWORD rung = DeviceClock_GetTickCount();
    HWND first = Ring(missing)->GetHwnd();
    EXPECT_FALSE(signaller->IsPlaying()) << "the ring waited for its sound";
    HWND second = Ring(next)->GetHwnd();
    bool firstPlayed = false;
    ASSERT_TRUE(PumpUntil(10000, [&] {
        firstPlayed = firstPlayed || signaller->IsPlayingFor(first);
        return signaller->IsPlayingFor(second);
    }));
    EXPECT_FALSE(firstPlayed) << "the second ring waited for the first ring's file";
    std::printf("second ring sounding %ld ms after the first rang\n", LONG(DeviceClock_GetTickCount() - rung));
    ASSERT_TRUE(PumpUntil(20000, [&] { return signaller->IsPlayingFor(first); })) << "the first ring's sound never came";
    EXPECT_EQ(1, signaller->CurrentSoundSettings().builtIn);
}

// "Play sound" and "Flash light" are turned off while the alarm rings (its editor is open
// beside the ring): Dismiss still ends the sound and the flashing this ring started.
TEST_F(RingScreensTest, ARingStopsWhatItStartedWhateverItsOptionsSayByThen) {
    AlarmItem* alarm = AddAlarm(L"Changed");
    alarm->SetOption4(true);
    RingBriefly(*alarm, 20);
    Signaller* signaller = App::GetSignaller();
    RingDialog* ring = Ring(alarm);
    ASSERT_TRUE(PumpUntil(10000, [&] { return signaller->IsPlaying(); }));
    EXPECT_TRUE(signaller->IsBacklightBlinking());
    alarm->SetOption1(false);
    alarm->SetOption4(false);
    ASSERT_TRUE(Shell_TapMenuBarButton(ring->MenuBar(), 0, 0));
    EXPECT_EQ(Calls{"Dismiss"}, Decisions(alarm));
    EXPECT_FALSE(signaller->IsPlaying()) << "the sound rang on after the dismissal";
    EXPECT_FALSE(signaller->IsBacklightBlinking()) << "the backlight flashed on after the dismissal";
}

// Two seconds into a ring the loudspeaker's output goes, and the shell's player refuses
// the sound: the ring, which neither blinks nor vibrates of its own, vibrates with the LED
// blinking for the rest of its time, and then ends as after any sound.
TEST_F(RingScreensTest, ARingWhoseLoudspeakerGoesVibratesWithTheLedToItsEnd) {
    Signaller* signaller = App::GetSignaller();
    ASSERT_TRUE(signaller && signaller->HasVibrator() && signaller->HasLed());
    ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
    ASSERT_TRUE(DeviceControl_SetSoundOpenRefused(TRUE));
    AlarmItem* alarm = AddAlarm(L"Speaker gone");
    alarm->SnoozeType = EventItem::kSnoozeTypeAutoClose;
    alarm->SetOption3(false);
    RingBriefly(*alarm, 4, 1);
    const DWORD rung = DeviceClock_GetTickCount();
    ASSERT_TRUE(DeviceControl_FailSpeakerWrites(TRUE, rung + 2000));
    HWND ring = Ring(alarm)->GetHwnd();
    ASSERT_TRUE(PumpUntil(10000, [&] { return signaller->IsVibrating(); })) << "silent, and not vibrating";
    EXPECT_EQ(ring, signaller->VibrationNotifyWindow());
    EXPECT_EQ(2, DeviceControl_GetLedState(signaller->LedIndex()));
    EXPECT_FALSE(signaller->IsPlaying());
    EXPECT_TRUE(Decisions(alarm).empty());
    ASSERT_TRUE(PumpUntil(30000, [&] { return !calls_.empty(); })) << "the ring never ended";
    EXPECT_GE(LONG(DeviceClock_GetTickCount() - rung), LONG(4 * kPlayMs + 3 * 1000)) << "ended before its time";
    EXPECT_EQ((Calls{"AutoAction", "Dismiss"}), Decisions(alarm));
    EXPECT_FALSE(signaller->IsVibrating());
    EXPECT_EQ(0, DeviceControl_GetLedState(signaller->LedIndex()));
}

// A ring that shows nothing vibrates 3 s before its sound when another alarm rings and
// takes the vibrator over, and is dismissed at once: the first ring still waits out its
// lead (its window stays, the program does not end meanwhile), then sounds and closes at
// its sound's end.
TEST_F(RingScreensTest, ARingWhoseLeadIsTakenOverSoundsWhenTheLeadIsOver) {
    Signaller* signaller = App::GetSignaller();
    ASSERT_TRUE(signaller && signaller->HasVibrator());
    constexpr uint16_t kLeadSeconds = 3;
    AlarmItem* leading = AddAlarm(L"Leading");
    leading->SetOption7(false);
    leading->SnoozeType = EventItem::kSnoozeTypeAutoClose;
    RingBriefly(*leading, 1);
    leading->SetOption5(true);
    leading->vibrationSettings.bFixedVibrationTime = 0;
    leading->vibrationSettings.bStartVibrateBeforeSound = 1;
    leading->vibrationSettings.VibrateBeforeSoundTime = kLeadSeconds;
    AlarmItem* other = AddAlarm(L"Other");
    RingBriefly(*other, 20);
    other->SetOption5(true);
    other->vibrationSettings.bStartVibrateBeforeSound = 0;

    const DWORD rung = DeviceClock_GetTickCount();
    SendMessageW(engine_->Hwnd(), EngineMessage::kAlarmDue, reinterpret_cast<WPARAM>(leading), 0);
    HWND silent = RingWindowOf(leading);
    ASSERT_TRUE(silent);
    ASSERT_EQ(silent, signaller->VibrationNotifyWindow());
    RingDialog* taking = Ring(other);
    ASSERT_TRUE(taking);
    EXPECT_EQ(taking->GetHwnd(), signaller->VibrationNotifyWindow());
    DestroyWindow(taking->GetHwnd());
    ASSERT_TRUE(PumpUntil(5000, [&] { return !signaller->IsBusy(); }));
    SendMessageW(silent, WM_TIMER, RingSignals::kSelfClosePollTimer, 0);
    Drain();
    ASSERT_TRUE(IsWindow(silent)) << "the ring closed in its lead";
    EXPECT_FALSE(engine_->IdleExit()) << "the program would end in the ring's lead";
    DWORD sounded = 0;
    ASSERT_TRUE(PumpUntil(20000, [&] {
        if (signaller->IsPlayingFor(silent)) sounded = DeviceClock_GetTickCount();
        return sounded != 0;
    })) << "the ring's sound never came";
    // Less a window timer's granularity.
    EXPECT_GE(LONG(sounded - rung), LONG(kLeadSeconds * 1000 - 50)) << "the lead was cut short";
    ASSERT_TRUE(PumpUntil(20000, [&] { return !IsWindow(silent); })) << "the ring never ended";
    EXPECT_EQ((Calls{"AutoAction", "Dismiss"}), Decisions(leading));
}
