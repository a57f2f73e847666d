// The engine window's private messages. An item named by a message is looked up in
// the store first: one that is gone by the time the message arrives is left alone.
#include "EngineWnd.h"

#include "App.h"
#include "EngineMessage.h"
#include "EngineScreens.h"
#include "InputSenseClient.h"
#include "ItemStore.h"
#include "RingLink.h"
#include "UnattendedScope.h"

#include <algorithm>

namespace {

// The main window's tabs, as the page messages select them.
constexpr int kClockTab = 0;
constexpr int kAlarmsTab = 1;
constexpr int kTimersTab = 2;
constexpr int kStopwatchTab = 3;
constexpr int kAboutTab = 4;

template <class Item>
Item* FindByAddress(const std::deque<Item*>& list, WPARAM address) {
    for (Item* item : list)
        if (reinterpret_cast<WPARAM>(item) == address) return item;
    return nullptr;
}

// The alarm (or the chime, which rings as one) at that address in the store.
AlarmItem* AlarmAt(ItemStore& store, WPARAM address) {
    if (reinterpret_cast<WPARAM>(static_cast<AlarmItem*>(&store.Chime())) == address) return &store.Chime();
    return FindByAddress(store.Alarms(), address);
}

// The timer or stopwatch at that address in the store.
TimerItem* TimerAt(ItemStore& store, WPARAM address) {
    if (TimerItem* timer = FindByAddress(store.Timers(), address)) return timer;
    return FindByAddress(store.Stopwatches(), address);
}

// Whether test holds for an alarm, a timer or a stopwatch of the store.
template <class Test>
bool AnyItem(const ItemStore& store, Test test) {
    return std::any_of(store.Alarms().begin(), store.Alarms().end(), test) ||
           std::any_of(store.Timers().begin(), store.Timers().end(), test) ||
           std::any_of(store.Stopwatches().begin(), store.Stopwatches().end(), test);
}

}  // namespace

// Counts a modal dialog of the engine for as long as it is open.
class BusyHold {
public:
    explicit BusyHold(EngineWnd& engine) : engine_(engine) { ++engine_.busyCount_; }
    ~BusyHold() { --engine_.busyCount_; }
    BusyHold(const BusyHold&) = delete;
    BusyHold& operator=(const BusyHold&) = delete;

private:
    EngineWnd& engine_;
};

// Marks a window a command word opens for as long as it is open (when holds is set).
class CommandWindowHold {
public:
    CommandWindowHold(bool& open, bool holds) : open_(open), holds_(holds) {
        if (holds_) open_ = true;
    }
    ~CommandWindowHold() {
        if (holds_) open_ = false;
    }
    CommandWindowHold(const CommandWindowHold&) = delete;
    CommandWindowHold& operator=(const CommandWindowHold&) = delete;

private:
    bool& open_;
    bool holds_;
};

bool EngineWnd::OpensCommandWindow(UINT message) {
    return message == EngineMessage::kNewTimer || message == EngineMessage::kNewAlarm ||
           message == EngineMessage::kEditTimer || message == EngineMessage::kEditAlarm ||
           message == EngineMessage::kMainMenu;
}

// The window of the thread that has the input (the modal one), else the engine's last popup.
void EngineWnd::RaiseCommandWindow() {
    HWND open = GetActiveWindow();
    if (!open || open == Hwnd()) open = GetLastActivePopup(Hwnd());
    if (open && open != Hwnd() && IsWindow(open)) SetForegroundWindow(open);
}

bool EngineWnd::OnPrivateMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    ItemStore* store = ItemStore::Current();
    // Each of these windows is modal: a word that arrives while one is open is handled in
    // its loop, so a flood of words would nest one loop per word until the stack or the
    // window handles ran out. A further word brings the open one forward instead.
    if (OpensCommandWindow(message) && commandWindowOpen_) {
        RaiseCommandWindow();
        return true;
    }
    CommandWindowHold hold(commandWindowOpen_, OpensCommandWindow(message));
    switch (message) {
    case EngineMessage::kSoundEnded:
        if (deviceWasAsleep_) SleepAgain();
        else IdleExit();
        return true;
    case EngineMessage::kTimerExpired:
    case EngineMessage::kAlarmDue:
    case EngineMessage::kSnoozeOver: {
        EventItem* item = nullptr;
        if (store) item = message == EngineMessage::kTimerExpired ? static_cast<EventItem*>(TimerAt(*store, wParam))
                                                                 : static_cast<EventItem*>(AlarmAt(*store, wParam));
        if (item) OnItemRing(message, item);
        return true;
    }
    case EngineMessage::kCloseMainWindow: {
        UnattendedScope unattended;
        if (wParam != EngineMessage::kMainWindowGone || !App::HasMainWindow()) EngineScreens::Get().CloseMainWindow(*this);
        // Closing the main window ends the program, once nothing else needs it.
        IdleExit();
        return true;
    }
    case EngineMessage::kQuit:
        Quit(kQuitKeepNotifications);
        return true;
    case EngineMessage::kSettingsChanged:
        OnSettingsChanged();
        return true;
    case EngineMessage::kUserActivity:
        OnUserActivity(lParam);
        return true;
    case EngineMessage::kOpenMainWindow: {
        UnattendedScope unattended;
        EngineScreens::Get().OpenMainWindow(*this, -1);
        return true;
    }
    case EngineMessage::kDetachRing: {
        UnattendedScope unattended;
        EventItem* item = nullptr;
        if (store) item = TimerAt(*store, wParam);
        if (store && !item) item = AlarmAt(*store, wParam);
        if (item) OnDetachRing(item);
        return true;
    }
    case EngineMessage::kStartTimer: {
        UnattendedScope unattended;
        if (TimerItem* timer = store ? TimerAt(*store, wParam) : nullptr) StartTimer(timer, lParam != 0);
        return true;
    }
    case EngineMessage::kDeleteTimer: {
        UnattendedScope unattended;
        if (TimerItem* timer = store ? FindByAddress(store->Timers(), wParam) : nullptr) OnDeleteTimer(timer);
        return true;
    }
    case EngineMessage::kSleepAgain:
        OnSleepAgain();
        return true;
    case EngineMessage::kDeleteAlarm: {
        UnattendedScope unattended;
        if (AlarmItem* alarm = store ? FindByAddress(store->Alarms(), wParam) : nullptr) OnDeleteAlarm(alarm);
        return true;
    }
    case EngineMessage::kRaiseRingWindows: {
        UnattendedScope unattended;
        RaiseRingWindows();
        return true;
    }
    case EngineMessage::kRingClosed:
        OnRingClosed();
        return true;
    case EngineMessage::kMainMenu:
        EngineScreens::Get().RunMainMenu(*this);
        return true;
    case EngineMessage::kShowStopwatches:
        EngineScreens::Get().OpenMainWindow(*this, kStopwatchTab);
        return true;
    case EngineMessage::kShowAlarms:
        EngineScreens::Get().OpenMainWindow(*this, kAlarmsTab);
        return true;
    case EngineMessage::kShowTimers:
        EngineScreens::Get().OpenMainWindow(*this, kTimersTab);
        return true;
    case EngineMessage::kShowClock:
        EngineScreens::Get().OpenMainWindow(*this, kClockTab);
        return true;
    case EngineMessage::kShowAbout:
        EngineScreens::Get().OpenMainWindow(*this, kAboutTab);
        return true;
    case EngineMessage::kNewTimer:
        NewTimer();
        return true;
    case EngineMessage::kNewAlarm:
        NewAlarm();
        return true;
    case EngineMessage::kEditTimer:
        EditTimer(static_cast<ItemHash>(wParam));
        return true;
    case EngineMessage::kEditAlarm:
        EditAlarm(static_cast<ItemHash>(wParam));
        return true;
    }
    return false;
}

void EngineWnd::OnItemRing(UINT message, EventItem* item) {
    UnattendedScope unattended;
    ItemStore* store = ItemStore::Current();
    if (message == EngineMessage::kTimerExpired) {
        userActivitySeen_ = false;
        DecidePower(*item);
        RingOnItsWay(*item);
        Reschedule();
        EngineScreens::Get().ShowTimerRing(*this, *static_cast<TimerItem*>(item));
        RingShown(*item);
        return;
    }
    AlarmItem* alarm = static_cast<AlarmItem*>(item);
    // "Skip next" is for the next occurrence, not for a snooze that comes before it; and
    // an alarm the user switched off, or whose snooze they cancelled, since it fired has
    // been answered.
    const bool skipped = message == EngineMessage::kAlarmDue && (alarm->flags & AlarmItem::kSkipNext);
    if (skipped || alarm->answeredSinceFired) {
        if (skipped) alarm->flags &= ~AlarmItem::kSkipNext;
        Reschedule();
        EngineScreens::Get().RefreshAlarmRow(*alarm);
        return;
    }
    userActivitySeen_ = false;
    DecidePower(*alarm);
    // The reschedule may not remove items, but the power switch runs the tick: look again.
    const bool kept = store && AlarmAt(*store, reinterpret_cast<WPARAM>(alarm));
    if (kept) RingOnItsWay(*alarm);
    Reschedule();
    if (!kept) return;
    EngineScreens::Get().RefreshAlarmRow(*alarm);
    EngineScreens::Get().ShowAlarmRing(*this, *alarm, message);
    RingShown(*alarm);
}

void EngineWnd::RingOnItsWay(EventItem& item) {
    // The saves from here on keep the ring until it is answered.
    item.ringBegan = Time_LocalNowAsDate(true);
    item.ringOnItsWay = true;
}

void EngineWnd::RingShown(EventItem& item) {
    // From here its window keeps the ring; one decided on at once, or never shown, is over.
    item.ringOnItsWay = false;
    SaveEndedRings();
}

void EngineWnd::RingUnansweredAgain() {
    // Alarms come back as the snoozes they were saved as; expired timers are told here.
    ItemStore* store = ItemStore::Current();
    if (!store) return;
    auto post = [this](TimerItem* timer) {
        if (timer->ringOnItsWay && !timer->ringUI)
            PostMessageW(Hwnd(), EngineMessage::kTimerExpired, reinterpret_cast<WPARAM>(timer), 0);
    };
    for (TimerItem* timer : store->Timers()) post(timer);
    for (StopwatchItem* stopwatch : store->Stopwatches()) post(stopwatch);
}

bool EngineWnd::RingAwaitsAnswer() const {
    ItemStore* store = ItemStore::Current();
    return store && AnyItem(*store, [](const EventItem* item) { return item->RingAwaitsAnswer(); });
}

void EngineWnd::SaveEndedRings() {
    ItemStore* store = ItemStore::Current();
    if (store && AnyItem(*store, [](const EventItem* item) { return item->savedRinging && !item->RingAwaitsAnswer(); }))
        store->Save(false);
}

void EngineWnd::OnDetachRing(EventItem* item) {
    if (!item->ringUI) return;
    item->DetachRingUI(false, true);
    item->ringUI = nullptr;
}

void EngineWnd::OnDeleteTimer(TimerItem* timer) {
    // The row goes first: it holds the timer.
    if (EngineScreens* screens = EngineScreens::Current()) screens->RemoveTimerRow(*timer);
    ItemStore::Current()->RemoveTimer(timer);
    Reschedule();
}

void EngineWnd::OnDeleteAlarm(AlarmItem* alarm) {
    // The row goes first: it holds the alarm.
    EngineScreens::Get().RemoveAlarmRow(*alarm);
    ItemStore::Current()->RemoveAlarm(alarm);
    Reschedule();
}

void EngineWnd::OnSettingsChanged() {
    UnattendedScope unattended;
    RenewScreenSaverClient();
    if (ItemStore* store = ItemStore::Current()) store->Save(true);
}

void EngineWnd::RenewScreenSaverClient() {
    ItemStore* store = ItemStore::Current();
    if (!App::ActivityDriverUsable() || !store) return;
    InputSense_CancelScreenSaver();
    const ScreenSaverSettings& saver = *store->GetSettings().screenSaver;
    if (saver.Active)
        InputSense_RegisterScreenSaver(App::LauncherPath(), static_cast<DWORD>(saver.Timeout), saver.RunAtSystem != 0);
}

void EngineWnd::OnRingClosed() {
    // A ring that closed without a decision (a silent one after its sound) is over too.
    SaveEndedRings();
    // A main window about to open keeps the device up anyway.
    MSG waiting;
    if (PeekMessageW(&waiting, Hwnd(), EngineMessage::kOpenMainWindow, EngineMessage::kOpenMainWindow, PM_NOREMOVE))
        return;
    if (deviceWasAsleep_) SleepAgain();
    else IdleExit();
}

void EngineWnd::NewTimer() {
    ItemStore* store = ItemStore::Current();
    TimerItem* timer = store ? store->CreateTimer(nullptr) : nullptr;
    if (!timer) return;
    BusyHold busy(*this);
    ItemHash hash = timer->Hash;
    bool confirmed = EngineScreens::Get().EditTimer(*this, *timer);
    // The editor's modal loop may have seen the timer deleted.
    timer = store->FindTimerByHash(hash);
    if (!timer) return;
    if (!confirmed) {
        store->RemoveTimer(timer);
        return;
    }
    timer->flags &= ~TimerItem::kNew;
    if (!timer->IsTemplate()) timer->flags |= TimerItem::kRunning;
    timer->origTime = timer->time;
    Reschedule();
    RefreshTimerRow(*timer);
}

void EngineWnd::NewAlarm() {
    ItemStore* store = ItemStore::Current();
    AlarmItem* alarm = store ? store->CreateAlarm(nullptr) : nullptr;
    if (!alarm) return;
    BusyHold busy(*this);
    ItemHash hash = alarm->Hash;
    bool confirmed = EngineScreens::Get().EditAlarm(*this, *alarm);
    alarm = store->FindAlarmByHash(hash);
    if (!alarm) return;
    if (!confirmed) {
        store->RemoveAlarm(alarm);
        return;
    }
    alarm->flags |= AlarmItem::kFired;
    alarm->SetDismissed(true);
    alarm->flags &= ~AlarmItem::kNew;
    Reschedule();
    EngineScreens::Get().AddAlarmRow(*alarm);
}

void EngineWnd::EditTimer(ItemHash hash) {
    BusyHold busy(*this);
    ItemStore* store = ItemStore::Current();
    TimerItem* timer = store ? store->FindTimerByHash(hash) : nullptr;
    if (!timer || !EngineScreens::Get().EditTimer(*this, *timer)) return;
    // Commands and rings during the editor's modal loop may have deleted it.
    if (!store->FindTimerByHash(hash)) return;
    Reschedule();
    RefreshTimerRow(*timer);
}

void EngineWnd::EditAlarm(ItemHash hash) {
    BusyHold busy(*this);
    ItemStore* store = ItemStore::Current();
    AlarmItem* alarm = store ? store->FindAlarmByHash(hash) : nullptr;
    if (!alarm || !EngineScreens::Get().EditAlarm(*this, *alarm)) return;
    alarm = store->FindAlarmByHash(hash);
    if (!alarm) return;
    alarm->flags |= AlarmItem::kFired;
    alarm->SetDismissed(true);
    Reschedule();
    EngineScreens::Get().RefreshAlarmRow(*alarm);
}

void EngineWnd::RefreshTimerRow(TimerItem& timer) {
    EngineScreens* screens = EngineScreens::Current();
    if (screens && !timer.IsStopwatch()) screens->RefreshTimerRow(timer);
}

TimerItem* EngineWnd::StartTimer(TimerItem* timer, bool restart) {
    UnattendedScope unattended;
    ItemStore* store = ItemStore::Current();
    TimerItem* started = store ? store->StartTimer(timer, restart) : nullptr;
    if (!started) return nullptr;
    Reschedule();
    RefreshTimerRow(*started);
    return started;
}

void EngineWnd::StopTimer(TimerItem* timer) {
    timer->flags &= ~TimerItem::kRunning;
    timer->SelfCounter = 0;
    Reschedule();
    RefreshTimerRow(*timer);
}

void EngineWnd::RaiseRingWindows() {
    ItemStore* store = ItemStore::Current();
    if (!store) return;
    auto raise = [](const EventItem* item) {
        HWND ring = item->ringUI ? item->ringUI->RingWindow() : nullptr;
        if (!ring || !IsWindow(ring)) return;
        ShowWindow(ring, SW_SHOW);
        SetForegroundWindow(ring);
    };
    for (const TimerItem* timer : store->Timers()) raise(timer);
    for (const AlarmItem* alarm : store->Alarms()) raise(alarm);
}

void EngineWnd::MarkAlarmsChanged(int64_t clockMoveMs) {
    ItemStore* store = ItemStore::Current();
    if (!store) return;
    for (AlarmItem* alarm : store->Alarms()) {
        // A snooze is a wait of its own length: it moves with the clock, so what is
        // left of it stays, and the reschedule registers its wake-up anew.
        if (alarm->IsSnoozed()) {
            alarm->snooze += static_cast<double>(clockMoveMs) * kDaysPerMillisecond;
            continue;
        }
        alarm->flags |= AlarmItem::kFired;
        alarm->SetDismissed(true);
    }
}
