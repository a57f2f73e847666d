#pragma once
// Private messages that items post to the engine window.
#include <windows.h>

namespace EngineMessage {
constexpr UINT kTimerExpired = 1374;     // wParam: the timer or stopwatch
constexpr UINT kAlarmDue = 1376;         // wParam: the alarm
constexpr UINT kSnoozeOver = 1377;       // wParam: the alarm
constexpr UINT kDetachRing = 1396;       // wParam: the item, lParam: its ring link
constexpr UINT kDeleteTimer = 1399;      // wParam: the timer
constexpr UINT kDeleteAlarm = 1403;      // wParam: the alarm
constexpr UINT kRingClosed = 1522;       // wParam: the close flag
}  // namespace EngineMessage
