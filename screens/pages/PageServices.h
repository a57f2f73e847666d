#pragma once
// What the main window's pages ask of the engine and the store: reschedule, save, the
// item editors and the main-menu popup. Each does nothing while its object is missing.
#include <windows.h>

class AlarmItem;
class TimerItem;

namespace PageServices {

void Reschedule();
// Saves the store (items and settings).
void Save();
// Saves only the timers and stopwatches.
void SaveTimers();
// Modal editors; false when cancelled or when they could not be shown.
bool EditAlarm(AlarmItem& alarm);
bool EditTimer(TimerItem& timer);
// The main-menu popup, modal over the active window.
void RunMainMenu();
// The engine window, null without an engine.
HWND EngineWindow();

}  // namespace PageServices
