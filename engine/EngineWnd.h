#pragma once
// The hidden engine window that drives the program: it receives every command,
// runs the tick that fires chimes, alarms, timers and stopwatches, reschedules,
// switches the device on for a ring and back to sleep after it, and decides when
// the process ends. Other instances and the Today item find it by its class name.
// GUI thread only; other threads reach it by posted messages.
#include "CopyDataCommand.h"
#include "CriticalSection.h"
#include "ItemHash.h"
#include "TickClock.h"
#include "WindowBase.h"

#include <windows.h>
#include <string>

class AlarmItem;
class EventItem;
class ItemStore;
class TimerItem;

class EngineWnd : public WindowBase {
public:
    static constexpr const wchar_t* kClassName = CopyDataCommand::kEngineWindowClass;
    static constexpr UINT_PTR kTickTimer = 234;
    static constexpr UINT_PTR kIdleTimer = 237;
    static constexpr UINT_PTR kLeaveUnattendedTimer = 238;
    // One shot: the tick's work at the instant something falls due before the next tick.
    static constexpr UINT_PTR kDueTimer = 239;
    static constexpr UINT kTickIntervalMs = 1000;
    static constexpr UINT kIdleIntervalMs = 10000;
    static constexpr UINT kLeaveUnattendedDelayMs = 1000;
    // Quit modes: keep the system notifications, or remove them (uninstall).
    static constexpr int kQuitKeepNotifications = 1;
    static constexpr int kQuitRemoveNotifications = 0;

    // Registers the class and creates the never-shown pop-up window; null on failure.
    static EngineWnd* Create();
    ~EngineWnd() override;

    HWND Hwnd() const { return GetHwnd(); }
    int QuitMode() const { return quitMode_; }
    int BusyCount() const { return busyCount_; }
    // Raised by every modal dialog and message box of the engine while it is open.
    void ChangeBusyCount(int delta) { busyCount_ = busyCount_ + delta > 0 ? busyCount_ + delta : 0; }

    // Keeps the mode for the destroy handler and ends the loop; commands that arrive
    // while the quit waits are refused (the single-instance mutex goes once all is down).
    void Quit(int mode);
    // Holds or releases the engine's one long-lived unattended-mode request.
    void SetUnattended(bool on);
    bool HoldsUnattended() const { return unattendedHeld_; }
    // The device is neither on nor idle (a failed query counts as on).
    static bool DeviceNotOn();
    // Quits when nothing needs the process any more; true when it quit.
    bool IdleExit();
    // An item's ring is on its way or up and unanswered.
    bool RingAwaitsAnswer() const;
    // Something falls due sooner than the system could start the program for it (a
    // wake-up is never set nearer than 20 s ahead): the engine must stay for it.
    bool DueBeforeWakeUp() const;
    // Flushes the product key and the notification database's volume.
    static void FlushRegistry();
    // Open ring windows that show an event dialog; kept by the items, never below 0.
    void ChangeRingWindowCount(int delta) {
        ringWindowCount_ = ringWindowCount_ + delta > 0 ? ringWindowCount_ + delta : 0;
    }
    int RingWindowCount() const { return ringWindowCount_; }
    // Open main-menu popups; kept by the popups, never below 0.
    void ChangePopupCount(int delta) { popupCount_ = popupCount_ + delta > 0 ? popupCount_ + delta : 0; }
    int PopupCount() const { return popupCount_; }

    // Computes every due moment, publishes the nearest alarm, saves every item and
    // registers the next due moments with the system, under the engine lock.
    void Reschedule();
    // Clears the program's notifications, the system's duplicates and the database
    // records, then registers everything anew ("-install").
    void RebuildNotifications();
    // After a clock or zone change: marks every alarm for a fresh next time at the next
    // reschedule, and moves pending snoozes by how far the clock moved.
    void MarkAlarmsChanged(int64_t clockMoveMs);
    // Starts a timer or stopwatch (a template: a fresh copy) and reschedules; the
    // started item, or null.
    TimerItem* StartTimer(TimerItem* timer, bool restart);
    void StopTimer(TimerItem* timer);
    // The timer's row on the timers page, while the main window exists.
    void RefreshTimerRow(TimerItem& timer);
    // Forgets that a ring woke the device, so it is not put back to sleep, and gives
    // back the engine's long-lived unattended request.
    void ForgetDeviceWake();
    // Brings every ring window to the front.
    void RaiseRingWindows();
    // With the activity driver usable: the screen saver's program client again, as the
    // settings now say (none when the screen saver is off).
    void RenewScreenSaverClient();

    // Handlers of the framework.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCreate(CREATESTRUCTW* create) override;
    void OnDestroy() override;
    void OnTimer(UINT_PTR id) override;
    LRESULT OnCopyData(HWND sender, COPYDATASTRUCT* data) override;

private:
    EngineWnd();

    // The private messages; false for any other message.
    bool OnPrivateMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnItemRing(UINT message, EventItem* item);
    // Marks the ring about to show, so every save until its answer keeps it.
    static void RingOnItsWay(EventItem& item);
    void RingShown(EventItem& item);
    // Rings again what was up and unanswered when the program last ended.
    void RingUnansweredAgain();
    // Saves when a ring the registry holds as unanswered has ended.
    void SaveEndedRings();
    void OnDetachRing(EventItem* item);
    void OnDeleteTimer(TimerItem* timer);
    void OnDeleteAlarm(AlarmItem* alarm);
    void OnSettingsChanged();
    void OnUserActivity(LPARAM activity);
    void OnRingClosed();
    // The editors and the main menu that command words open: one at a time (below).
    static bool OpensCommandWindow(UINT message);
    void RaiseCommandWindow();
    void NewTimer();
    void NewAlarm();
    void EditTimer(ItemHash hash);
    void EditAlarm(ItemHash hash);

    // Commands (WM_COPYDATA) that need the engine's own state; the rest is CommandHandler's.
    void OnRunAtTime();
    void OnClockOrZoneChanged();

    // The tick and its countdown.
    void RunTick();
    void CountDown(int64_t elapsedMs);
    // Arms kDueTimer for the next instant something falls due, when it comes before the
    // next tick; what passed since the last tick comes off timers started meanwhile.
    void ArmDueTimer();
    int64_t MsSinceTick() const;
    void ShowCountdowns(ItemStore& store);

    // Power around a ring.
    static bool RingNeedsScreen(const EventItem& item);
    void DecidePower(const EventItem& item);
    void ForceDeviceOn();
    void SleepAgain();
    void OnSleepAgain();
    void RestartTimers();

    TickClock tickClock_;
    int ringWindowCount_ = 0;
    int popupCount_ = 0;
    int quitMode_ = kQuitKeepNotifications;
    CriticalSection lock_;
    bool deviceWasAsleep_ = false;
    bool rangScreenOff_ = false;
    bool userActivitySeen_ = false;
    bool passwordState_ = false;
    int busyCount_ = 0;
    bool commandWindowOpen_ = false;
    bool unattendedHeld_ = false;

    friend class BusyHold;
    friend class CommandHandler;
};
