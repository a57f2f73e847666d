#pragma once
// The words a command text may carry and how a text is matched against them.
// Switches and the system's event words match the whole text; the others match
// as a prefix, so text may follow them. Item words also carry the Hash of an
// alarm or timer as an unsigned decimal number after the first space.
#include <cstdint>
#include <string>

namespace CommandWord {
constexpr wchar_t kAppRunAtTime[] = L"AppRunAtTime";
constexpr wchar_t kAppRunDeviceChange[] = L"AppRunDeviceChange /ADD";
constexpr wchar_t kAppRunAfterTzChange[] = L"AppRunAfterTzChange";
constexpr wchar_t kAppRunAfterTimeChange[] = L"AppRunAfterTimeChange";
constexpr wchar_t kScreenSaver[] = L"-scrsvr";
constexpr wchar_t kInstall[] = L"-install";
constexpr wchar_t kUninstall[] = L"-uninstall";
constexpr wchar_t kStartFull[] = L"-startfull";
constexpr wchar_t kMainMenu[] = L"main_menu";
constexpr wchar_t kStartSlideShow[] = L"start_slideshow";
constexpr wchar_t kAlarms[] = L"alarms";
constexpr wchar_t kTimers[] = L"timers";
constexpr wchar_t kStartStopwatch[] = L"start_stopwatch";
constexpr wchar_t kNewTimer[] = L"new_timer";
constexpr wchar_t kNewAlarm[] = L"new_alarm";
constexpr wchar_t kCancelSnooze[] = L"cancel_snooze";
constexpr wchar_t kAlarmActive[] = L"alarm_active";
constexpr wchar_t kAlarmSound[] = L"alarm_sound";
constexpr wchar_t kAlarmSkip[] = L"alarm_skip";
constexpr wchar_t kAlarmVibrate[] = L"alarm_vibrate";
constexpr wchar_t kTimerDelete[] = L"timer_delete";
constexpr wchar_t kAlarmDelete[] = L"alarm_delete";
constexpr wchar_t kTimerEdit[] = L"timer_edit";
constexpr wchar_t kAlarmEdit[] = L"alarm_edit";
constexpr wchar_t kTimerStart[] = L"timer_start";
constexpr wchar_t kTimerStop[] = L"timer_stop";
constexpr wchar_t kTimerRestart[] = L"timer_restart";
constexpr wchar_t kTimerSound[] = L"timer_sound";
constexpr wchar_t kTimerVibrate[] = L"timer_vibrate";

// What a text asks for, in the order the words are tried.
enum class Command {
    RunAtTime,
    DeviceChange,
    TimeZoneChanged,
    TimeChanged,
    ScreenSaver,
    Install,
    Uninstall,
    StartFull,
    MainMenu,
    StartSlideShow,
    Alarms,
    Timers,
    StartStopwatch,
    NewTimer,
    NewAlarm,
    CancelSnooze,
    AlarmActive,
    AlarmSound,
    AlarmSkip,
    AlarmVibrate,
    TimerDelete,
    AlarmDelete,
    TimerEdit,
    AlarmEdit,
    TimerStart,
    TimerStop,
    TimerRestart,
    TimerSound,
    TimerVibrate,
    OpenMainWindow,  // any other text
};

struct Parsed {
    Command command = Command::OpenMainWindow;
    uint32_t id = 0;  // item words only; never 0
};

// The number after the first space: decimal digits right after it, as unsigned
// 32 bits. 0 when there is no space, no digit follows it, or the number does not
// fit 32 bits (a number that large names no item).
uint32_t IdOf(const std::wstring& text);
// The first word that matches; an item word without a valid id does not match.
Parsed Parse(const std::wstring& text);
}  // namespace CommandWord
