#include "CommandWord.h"

#include <iterator>

namespace CommandWord {
namespace {

enum class Match { WholeText, Prefix, PrefixWithId };

struct Row {
    const wchar_t* word;
    Match match;
    Command command;
};

const Row kRows[] = {
    {kAppRunAtTime, Match::WholeText, Command::RunAtTime},
    {kAppRunDeviceChange, Match::Prefix, Command::DeviceChange},
    {kAppRunAfterTzChange, Match::WholeText, Command::TimeZoneChanged},
    {kAppRunAfterTimeChange, Match::WholeText, Command::TimeChanged},
    {kScreenSaver, Match::WholeText, Command::ScreenSaver},
    {kInstall, Match::WholeText, Command::Install},
    {kUninstall, Match::WholeText, Command::Uninstall},
    {kStartFull, Match::Prefix, Command::StartFull},
    {kMainMenu, Match::Prefix, Command::MainMenu},
    {kStartSlideShow, Match::Prefix, Command::StartSlideShow},
    {kAlarms, Match::Prefix, Command::Alarms},
    {kTimers, Match::Prefix, Command::Timers},
    {kStartStopwatch, Match::Prefix, Command::StartStopwatch},
    {kNewTimer, Match::Prefix, Command::NewTimer},
    {kNewAlarm, Match::Prefix, Command::NewAlarm},
    {kCancelSnooze, Match::Prefix, Command::CancelSnooze},
    {kAlarmActive, Match::PrefixWithId, Command::AlarmActive},
    {kAlarmSound, Match::PrefixWithId, Command::AlarmSound},
    {kAlarmSkip, Match::PrefixWithId, Command::AlarmSkip},
    {kAlarmVibrate, Match::PrefixWithId, Command::AlarmVibrate},
    {kTimerDelete, Match::PrefixWithId, Command::TimerDelete},
    {kAlarmDelete, Match::PrefixWithId, Command::AlarmDelete},
    {kTimerEdit, Match::PrefixWithId, Command::TimerEdit},
    {kAlarmEdit, Match::PrefixWithId, Command::AlarmEdit},
    {kTimerStart, Match::PrefixWithId, Command::TimerStart},
    {kTimerStop, Match::PrefixWithId, Command::TimerStop},
    {kTimerRestart, Match::PrefixWithId, Command::TimerRestart},
    {kTimerSound, Match::PrefixWithId, Command::TimerSound},
    {kTimerVibrate, Match::PrefixWithId, Command::TimerVibrate},
};

bool StartsWith(const std::wstring& text, const wchar_t* word) {
    return text.compare(0, std::char_traits<wchar_t>::length(word), word) == 0;
}

}  // namespace

uint32_t IdOf(const std::wstring& text) {
    size_t at = text.find(L' ');
    if (at == std::wstring::npos) return 0;
    uint64_t id = 0;
    for (size_t i = at + 1; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        id = id * 10 + static_cast<uint64_t>(text[i] - L'0');
        if (id > UINT32_MAX) return 0;
    }
    return static_cast<uint32_t>(id);
}

Parsed Parse(const std::wstring& text) {
    const uint32_t id = IdOf(text);
    for (const Row& row : kRows) {
        bool matches = row.match == Match::WholeText ? text == row.word : StartsWith(text, row.word);
        if (row.match == Match::PrefixWithId && id == 0) matches = false;
        if (matches) return {row.command, row.match == Match::PrefixWithId ? id : 0};
    }
    return {};
}

}  // namespace CommandWord
