#include "CommandWord.h"

#include <gtest/gtest.h>

#include <string>

using CommandWord::Command;

namespace {

struct WordCase {
    std::wstring text;
    Command command;
    uint32_t id;
};

}  // namespace

TEST(CommandWord, EveryWordMatchesAsItsRuleSays) {
    const WordCase cases[] = {
        // Whole-text words: exactly, and nothing may follow.
        {L"AppRunAtTime", Command::RunAtTime, 0},
        {L"AppRunAtTime ", Command::OpenMainWindow, 0},
        {L"AppRunAfterTzChange", Command::TimeZoneChanged, 0},
        {L"AppRunAfterTimeChange", Command::TimeChanged, 0},
        {L"-scrsvr", Command::ScreenSaver, 0},
        {L"-scrsvr now", Command::OpenMainWindow, 0},
        {L"-install", Command::Install, 0},
        {L"-uninstall", Command::Uninstall, 0},
        // Prefix words: text may follow.
        {L"AppRunDeviceChange /ADD", Command::DeviceChange, 0},
        {L"AppRunDeviceChange /ADD COM3:", Command::DeviceChange, 0},
        {L"AppRunDeviceChange /REMOVE", Command::OpenMainWindow, 0},
        {L"-startfull", Command::StartFull, 0},
        {L"main_menu", Command::MainMenu, 0},
        {L"start_slideshow", Command::StartSlideShow, 0},
        {L"alarms", Command::Alarms, 0},
        {L"alarms and more", Command::Alarms, 0},
        {L"timers", Command::Timers, 0},
        {L"start_stopwatch", Command::StartStopwatch, 0},
        {L"new_timer", Command::NewTimer, 0},
        {L"new_alarm 5", Command::NewAlarm, 0},
        {L"cancel_snooze", Command::CancelSnooze, 0},
        // Item words need an id after the first space.
        {L"alarm_active 1", Command::AlarmActive, 1},
        {L"alarm_sound 22", Command::AlarmSound, 22},
        {L"alarm_skip 333", Command::AlarmSkip, 333},
        {L"alarm_vibrate 4444", Command::AlarmVibrate, 4444},
        {L"timer_delete 5", Command::TimerDelete, 5},
        {L"alarm_delete 6", Command::AlarmDelete, 6},
        {L"timer_edit 12", Command::TimerEdit, 12},
        {L"alarm_edit 7", Command::AlarmEdit, 7},
        {L"timer_start 8", Command::TimerStart, 8},
        {L"timer_stop 9", Command::TimerStop, 9},
        {L"timer_restart 10", Command::TimerRestart, 10},
        {L"timer_sound 11", Command::TimerSound, 11},
        {L"timer_vibrate 12", Command::TimerVibrate, 12},
        {L"timer_stopped 9", Command::TimerStop, 9},
        {L"alarm_skip 42abc", Command::AlarmSkip, 42},
        // The full unsigned range addresses every Hash.
        {L"timer_start 4294967295", Command::TimerStart, 4294967295u},
        // No id, id 0, no digit after the space, or a number past 32 bits: the main window.
        {L"alarm_active", Command::OpenMainWindow, 0},
        {L"timer_edit 0", Command::OpenMainWindow, 0},
        {L"timer_edit  12", Command::OpenMainWindow, 0},
        {L"timer_edit -12", Command::OpenMainWindow, 0},
        {L"alarm_delete 4294967296", Command::OpenMainWindow, 0},
        // Case counts; anything else opens the main window.
        {L"Alarms", Command::OpenMainWindow, 0},
        {L"", Command::OpenMainWindow, 0},
        {L"hello world", Command::OpenMainWindow, 0},
    };
    for (const WordCase& c : cases) {
        CommandWord::Parsed parsed = CommandWord::Parse(c.text);
        EXPECT_EQ(static_cast<int>(c.command), static_cast<int>(parsed.command)) << testing::PrintToString(c.text);
        EXPECT_EQ(c.id, parsed.id) << testing::PrintToString(c.text);
    }
}
