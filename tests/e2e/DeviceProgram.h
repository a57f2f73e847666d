#pragma once
// Orvalen installed on a test's device, started as the device starts programs, and the
// traces it leaves: its alarms, its rings and the launcher's notifications.
#include <windows.h>
#include <string>

#include "ScopedHandle.h"

#include "DateFunctions.h"
#include "ItemHash.h"

class AlarmItem;
class TimerItem;

namespace device_program {

// Where the program lives on the device; the launcher is in \Windows.
extern const wchar_t kProgramDevicePath[];
constexpr DWORD kTimeoutMs = 30000;

// Copies the launcher and Orvalen.exe into the device.
bool Install();
// Runs Orvalen with a word and waits until it has ended by itself; its exit code.
DWORD RunToEnd(const wchar_t* word);
bool EngineRuns();
// The process of the running Orvalen of this device (null when none runs), for waiting
// (SYNCHRONIZE) and ending (PROCESS_TERMINATE).
HANDLE OpenRunningProgram();
// How many Orvalen processes of this device run (those of other devices are not counted).
size_t RunningCopies();
// Ends the running Orvalen of this device, if any: one left running would keep the
// test's output streams open.
void EndProgram();
// A daily alarm at `at` that shows its ring screen, stored as the program keeps it;
// `adjust` may change it before.
void StoreAlarm(ItemHash hash, OleDate at, const wchar_t* title, void (*adjust)(AlarmItem&) = nullptr);
// A running timer that falls due at `due`, stored as the program keeps it when it saved
// the store two minutes before `due` (the timer then had two minutes to run); `adjust`
// may change it before.
void StoreRunningTimer(ItemHash hash, OleDate due, const wchar_t* title, void (*adjust)(TimerItem&) = nullptr);
// A timer that does not run, with that many seconds set and left.
void StoreStoppedTimer(ItemHash hash, int seconds, const wchar_t* title);
// The program's alarm or timer ring dialog on this device, null when none is shown.
HWND FindAlarmRing();
HWND FindTimerRing();
// Clears the launcher's clock-change notification: a jump of the device clock is a clock
// change too, and the program answering it (which recomputes every alarm from the new
// time) would race the due alarm that the jump is meant to reach.
void ClearTimeChangeNotification();

}  // namespace device_program
