#pragma once
// The Today item's command menu: "Run the Orvalen", "Cancel Snooze", "New alarm", "New
// timer" and every alarm and timer with a submenu of its actions (three or more of a
// kind go into a submenu of their own). A choice becomes the command text the item
// sends. The Hash of every listed item is taken when the menu is built, so a reload
// of the store while the menu is open (which may reorder the lists) cannot turn a
// choice onto another item.
#include "ItemHash.h"
#include "TodayStore.h"
#include "TodayTextTable.h"

#include <windows.h>

#include <string>
#include <vector>

// What a menu choice asks for.
struct TodayChoice {
    enum Kind { kNothing, kSendText, kStartProgram };
    Kind kind = kNothing;
    std::wstring text;  // kSendText only
};

class TodayCommandMenu {
public:
    // Identifiers of the fixed entries.
    static constexpr UINT kCancelId = 2;
    static constexpr UINT kCancelSnoozeId = 108;
    static constexpr UINT kRunProgramId = 109;
    static constexpr UINT kNewAlarmId = 111;
    static constexpr UINT kNewTimerId = 112;
    // An item entry: a marker, the item's place in its sorted list (bits 16 up) and an action.
    static constexpr UINT kAlarmMarker = 0x80000000u;
    static constexpr UINT kTimerMarker = 0x40000000u;
    enum AlarmAction { kAlarmActive = 0, kAlarmSound = 1, kAlarmVibrate = 2, kAlarmDelete = 3, kAlarmEdit = 4,
                       kAlarmSkip = 5 };
    enum TimerAction { kTimerStart = 1, kTimerStop = 2, kTimerRestart = 3, kTimerSound = 4, kTimerVibrate = 5,
                       kTimerDelete = 6, kTimerEdit = 7 };
    // Fewer items of a kind than this go straight into the main menu.
    static constexpr size_t kDirectLimit = 3;
    // Item data of an entry with a submenu: an icon the owner-drawn menu shows.
    static constexpr ULONG_PTR kTemplateData = 1;
    static constexpr ULONG_PTR kAlarmOffData = 2;

    TodayCommandMenu(const TodayStore& store, const TodayTextTable& texts) : store_(store), texts_(texts) {}
    ~TodayCommandMenu();
    TodayCommandMenu(const TodayCommandMenu&) = delete;
    TodayCommandMenu& operator=(const TodayCommandMenu&) = delete;

    // Builds the menu from the store as it is now; withCancel puts "Cancel" on top.
    // False when a menu could not be made.
    bool Build(bool withCancel);
    HMENU Main() const { return main_; }
    // What identifier asks for; nothing for identifiers the menu did not carry.
    TodayChoice Choose(UINT identifier) const;

    static UINT AlarmId(size_t index, AlarmAction action) { return kAlarmMarker + static_cast<UINT>(index << 16) + action; }
    static UINT TimerId(size_t index, TimerAction action) { return kTimerMarker + static_cast<UINT>(index << 16) + action; }

private:
    HMENU AlarmActions(size_t index, const AlarmItem& alarm) const;
    HMENU TimerActions(size_t index, const TimerItem& timer) const;
    void AppendItem(HMENU menu, const std::wstring& text, HMENU actions, ULONG_PTR data) const;

    const TodayStore& store_;
    const TodayTextTable& texts_;
    HMENU main_ = nullptr;
    HMENU alarms_ = nullptr;  // destroyed with main_ once it joined it
    HMENU timers_ = nullptr;
    bool alarmsJoined_ = false;
    bool timersJoined_ = false;
    // The Hash of the item at each list place when the menu was built; 0 for an unlisted place.
    std::vector<ItemHash> alarmHashes_;
    std::vector<ItemHash> timerHashes_;
};
