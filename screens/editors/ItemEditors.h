#pragma once
// Opens the item editors modally over a window: true when the user confirmed and the
// item is still in the store.
#include <windows.h>

class AlarmItem;
class TimerItem;

bool ItemEditors_EditAlarm(HWND owner, AlarmItem& alarm);
bool ItemEditors_EditTimer(HWND owner, TimerItem& timer);
