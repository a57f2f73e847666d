#pragma once
// Private messages of the engine window: what items, ring windows, screens, the
// signaller's threads and the activity driver send it.
#include <windows.h>

namespace EngineMessage {
constexpr UINT kSoundEnded = WM_USER + 12;      // 1036, from the signaller's sound thread
constexpr UINT kTimerExpired = 1374;            // wParam: the timer or stopwatch
constexpr UINT kAlarmDue = 1376;                // wParam: the alarm
constexpr UINT kSnoozeOver = 1377;              // wParam: the alarm
constexpr UINT kCloseMainWindow = 1387;        // wParam: kMainWindowGone when the user closed it
constexpr UINT kQuit = 1391;
constexpr UINT kSettingsChanged = 1393;
constexpr UINT kUserActivity = 1394;            // lParam 1: activity, 0: idle time reached
constexpr UINT kOpenMainWindow = 1395;
constexpr UINT kDetachRing = 1396;              // wParam: the item, lParam: its ring link
constexpr UINT kStartTimer = 1398;              // wParam: the timer
constexpr UINT kDeleteTimer = 1399;             // wParam: the timer
constexpr UINT kSleepAgain = 1401;
constexpr UINT kDeleteAlarm = 1403;             // wParam: the alarm
constexpr UINT kRaiseRingWindows = 1519;
constexpr UINT kRingClosed = 1522;              // wParam: the close flag
constexpr UINT kMainMenu = 1570;
constexpr UINT kShowStopwatches = 3481;
constexpr UINT kShowAlarms = 3482;
constexpr UINT kShowTimers = 3483;
constexpr UINT kNewTimer = 3484;
constexpr UINT kNewAlarm = 3485;
constexpr UINT kEditTimer = 3486;               // wParam: the timer's Hash
constexpr UINT kEditAlarm = 3487;               // wParam: the alarm's Hash

// The main window has gone already: one opened since stays.
constexpr WPARAM kMainWindowGone = 1;
constexpr UINT kShowClock = 3582;
constexpr UINT kShowAbout = 3583;
}  // namespace EngineMessage
