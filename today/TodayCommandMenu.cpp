#include "TodayCommandMenu.h"

#include "CommandWord.h"
#include "TodayRowPainter.h"

namespace {

// The list place, once shifted down: bits 16-30 of an alarm's identifier, 16-29 of a timer's.
constexpr UINT kAlarmIndexMask = 0x7FFF;
constexpr UINT kTimerIndexMask = 0x3FFF;

std::wstring Title(const EventItem& item) { return item.GetTitle().CStr(); }

std::wstring AlarmTime(const AlarmItem& alarm) {
    return TodayRowPainter::AlarmTimeText(TodayAlarmEntry{&alarm, alarm.time, true});
}

// A text entry at the menu's end; fMask names what else of item counts.
void AppendEntry(HMENU menu, const std::wstring& text, MENUITEMINFOW item) {
    item.cbSize = sizeof item;
    item.fMask |= MIIM_STRING | MIIM_FTYPE;
    item.fType = MFT_STRING;
    item.dwTypeData = const_cast<wchar_t*>(text.c_str());
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
}

void AppendText(HMENU menu, UINT id, const std::wstring& text, UINT state = MFS_ENABLED) {
    MENUITEMINFOW item = {};
    item.fMask = MIIM_ID | MIIM_STATE;
    item.fState = state;
    item.wID = id;
    AppendEntry(menu, text, item);
}

void AppendSeparator(HMENU menu) { AppendMenuW(menu, MF_SEPARATOR, 0, nullptr); }

UINT Checked(bool on) { return on ? MFS_CHECKED : MFS_UNCHECKED; }

bool AlarmRings(const AlarmItem& alarm) {
    return (alarm.flags & AlarmItem::kEnabled) && (alarm.flags & AlarmItem::kDaysMask);
}

const wchar_t* AlarmWord(UINT action) {
    switch (action) {
    case TodayCommandMenu::kAlarmActive: return CommandWord::kAlarmActive;
    case TodayCommandMenu::kAlarmSound: return CommandWord::kAlarmSound;
    case TodayCommandMenu::kAlarmVibrate: return CommandWord::kAlarmVibrate;
    case TodayCommandMenu::kAlarmDelete: return CommandWord::kAlarmDelete;
    case TodayCommandMenu::kAlarmEdit: return CommandWord::kAlarmEdit;
    case TodayCommandMenu::kAlarmSkip: return CommandWord::kAlarmSkip;
    default: return nullptr;
    }
}

const wchar_t* TimerWord(UINT action) {
    switch (action) {
    case TodayCommandMenu::kTimerStart: return CommandWord::kTimerStart;
    case TodayCommandMenu::kTimerStop: return CommandWord::kTimerStop;
    case TodayCommandMenu::kTimerRestart: return CommandWord::kTimerRestart;
    case TodayCommandMenu::kTimerSound: return CommandWord::kTimerSound;
    case TodayCommandMenu::kTimerVibrate: return CommandWord::kTimerVibrate;
    case TodayCommandMenu::kTimerDelete: return CommandWord::kTimerDelete;
    case TodayCommandMenu::kTimerEdit: return CommandWord::kTimerEdit;
    default: return nullptr;
    }
}

TodayChoice SendText(const std::wstring& text) { return {TodayChoice::kSendText, text}; }

}  // namespace

TodayCommandMenu::~TodayCommandMenu() {
    if (alarms_ && !alarmsJoined_) DestroyMenu(alarms_);
    if (timers_ && !timersJoined_) DestroyMenu(timers_);
    if (main_) DestroyMenu(main_);
}

void TodayCommandMenu::AppendItem(HMENU menu, const std::wstring& text, HMENU actions, ULONG_PTR data) const {
    MENUITEMINFOW item = {};
    item.fMask = MIIM_SUBMENU | MIIM_DATA;
    item.hSubMenu = actions;
    item.dwItemData = data;
    AppendEntry(menu, text, item);
}

HMENU TodayCommandMenu::AlarmActions(size_t index, const AlarmItem& alarm) const {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    AppendText(menu, AlarmId(index, kAlarmActive), texts_.Text(TodayTextTable::kActive), Checked(AlarmRings(alarm)));
    AppendText(menu, AlarmId(index, kAlarmDelete), texts_.Text(TodayTextTable::kDelete));
    AppendText(menu, AlarmId(index, kAlarmEdit), texts_.Text(TodayTextTable::kEdit));
    AppendSeparator(menu);
    AppendText(menu, AlarmId(index, kAlarmSound), texts_.Text(TodayTextTable::kSound), Checked(alarm.IsOption1()));
    AppendText(menu, AlarmId(index, kAlarmVibrate), texts_.Text(TodayTextTable::kVibrate), Checked(alarm.IsOption5()));
    AppendText(menu, AlarmId(index, kAlarmSkip), texts_.Text(TodayTextTable::kSkipNextAlarm),
               Checked(alarm.flags & AlarmItem::kSkipNext));
    return menu;
}

HMENU TodayCommandMenu::TimerActions(size_t index, const TimerItem& timer) const {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    if (timer.IsRunning())
        AppendText(menu, TimerId(index, kTimerStop), texts_.Text(TodayTextTable::kStop));
    else
        AppendText(menu, TimerId(index, kTimerStart), texts_.Text(TodayTextTable::kStart));
    if (timer.time != timer.origTime)
        AppendText(menu, TimerId(index, kTimerRestart), texts_.Text(TodayTextTable::kRestart));
    AppendText(menu, TimerId(index, kTimerDelete), texts_.Text(TodayTextTable::kDelete));
    AppendText(menu, TimerId(index, kTimerEdit), texts_.Text(TodayTextTable::kEdit));
    AppendSeparator(menu);
    AppendText(menu, TimerId(index, kTimerSound), texts_.Text(TodayTextTable::kSound), Checked(timer.IsOption1()));
    AppendText(menu, TimerId(index, kTimerVibrate), texts_.Text(TodayTextTable::kVibrate), Checked(timer.IsOption5()));
    return menu;
}

bool TodayCommandMenu::Build(bool withCancel) {
    main_ = CreatePopupMenu();
    alarms_ = CreatePopupMenu();
    timers_ = CreatePopupMenu();
    if (!main_ || !alarms_ || !timers_) return false;

    const auto& alarms = store_.Alarms();
    const auto& timers = store_.Timers();
    size_t shownAlarms = 0;
    bool snoozing = false;
    for (const auto& alarm : alarms) {
        if (!(alarm->flags & AlarmItem::kHidden)) ++shownAlarms;
        if ((alarm->flags & AlarmItem::kFired) && !alarm->IsDismissed()) snoozing = true;
    }

    if (withCancel) AppendText(main_, kCancelId, texts_.Text(TodayTextTable::kCancel));
    AppendText(main_, kRunProgramId, texts_.Text(TodayTextTable::kRunProgram));
    AppendText(main_, kCancelSnoozeId, texts_.Text(TodayTextTable::kCancelSnooze), snoozing ? MFS_ENABLED : MFS_GRAYED);
    AppendSeparator(main_);
    AppendText(main_, kNewAlarmId, texts_.Text(TodayTextTable::kNewAlarm));
    AppendText(main_, kNewTimerId, texts_.Text(TodayTextTable::kNewTimer));
    if (shownAlarms > 0 || !timers.empty()) AppendSeparator(main_);

    // A hidden alarm keeps its place in the list, so the next one's identifier names its own.
    alarmHashes_.assign(alarms.size(), 0);
    HMENU alarmTarget = shownAlarms < kDirectLimit ? main_ : alarms_;
    for (size_t i = 0; i < alarms.size(); ++i) {
        const AlarmItem& alarm = *alarms[i];
        if (alarm.flags & AlarmItem::kHidden) continue;
        alarmHashes_[i] = alarm.Hash;
        AppendItem(alarmTarget, Title(alarm) + L", " + AlarmTime(alarm), AlarmActions(i, alarm),
                   AlarmRings(alarm) ? 0 : kAlarmOffData);
    }
    if (alarmTarget == alarms_) {
        AppendItem(main_, texts_.Text(TodayTextTable::kAlarms), alarms_, 0);
        alarmsJoined_ = true;
    }

    timerHashes_.assign(timers.size(), 0);
    HMENU timerTarget = timers.size() < kDirectLimit ? main_ : timers_;
    for (size_t i = 0; i < timers.size(); ++i) {
        const TimerItem& timer = *timers[i];
        timerHashes_[i] = timer.Hash;
        AppendItem(timerTarget, Title(timer) + L", " + TodayRowPainter::FormatRemaining(timer.time),
                   TimerActions(i, timer), timer.IsTemplate() ? kTemplateData : 0);
    }
    if (timerTarget == timers_) {
        AppendItem(main_, texts_.Text(TodayTextTable::kTimers), timers_, 0);
        timersJoined_ = true;
    }
    return true;
}

TodayChoice TodayCommandMenu::Choose(UINT identifier) const {
    switch (identifier) {
    case 0:
    case kCancelId:
        return {};
    case kCancelSnoozeId:
        return SendText(CommandWord::kCancelSnooze);
    case kNewAlarmId:
        return SendText(CommandWord::kNewAlarm);
    case kNewTimerId:
        return SendText(CommandWord::kNewTimer);
    case kRunProgramId:
        return {TodayChoice::kStartProgram, std::wstring()};
    }
    const bool alarm = (identifier & kAlarmMarker) != 0;
    if (!alarm && !(identifier & kTimerMarker)) return {};
    const size_t index = (identifier >> 16) & (alarm ? kAlarmIndexMask : kTimerIndexMask);
    const UINT action = identifier & 0xFFFF;
    const std::vector<ItemHash>& hashes = alarm ? alarmHashes_ : timerHashes_;
    const wchar_t* word = alarm ? AlarmWord(action) : TimerWord(action);
    // A place the menu did not list (0) names no item: the engine would take it for none.
    if (index >= hashes.size() || hashes[index] == 0 || !word) return {};
    return SendText(std::wstring(word) + L" " + std::to_wstring(static_cast<uint32_t>(hashes[index])));
}
