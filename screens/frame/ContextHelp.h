#pragma once
// The program's HTML help, opened at the topic of a help context: one file per language
// in "Lng" beside the program, copied beside the system's coredll.dll and shown by the
// platform's viewer "peghelp.exe" at the topic's anchor. Nothing is reported on failure.
#include <string>

namespace ContextHelp {

// The help contexts of the pages and editors.
constexpr int kClock = 10;
constexpr int kAlarms = 11;
constexpr int kCountdownTimers = 12;
constexpr int kLapTimers = 13;
constexpr int kAbout = 14;
constexpr int kAlarmProperties = 20;
constexpr int kCountdownTimerProperties = 21;
constexpr int kSoundSettings = 22;
constexpr int kVibroSettings = 23;

// The anchor of a context ("Main_Contents" for any other).
const wchar_t* TopicOf(int context);
// Copies the language's help file and starts the viewer at the context's topic.
void Show(int context);
// Makes Show the framework's answer to every help request.
void Install();

}  // namespace ContextHelp
