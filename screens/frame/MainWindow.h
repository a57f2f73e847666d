#pragma once
// The one main window of the program, as the pages and the engine's screens reach it:
// null and no-ops while it does not exist. GUI thread only.
#include <windows.h>

class AlarmListPage;
class MainFrameWnd;
class MenuBarWnd;

namespace MainWindow {

constexpr int kClockTab = 0;
constexpr int kAlarmsTab = 1;
constexpr int kTimersTab = 2;
constexpr int kStopwatchTab = 3;
constexpr int kAboutTab = 4;
constexpr int kPageCount = 5;

// Opens the window, or raises the existing one; then selects tab when it is not
// negative. False when it could not be made.
bool Open(int tab);
// Saves the view state and the current tab, destroys the window and its object.
void Close();
MainFrameWnd* Frame();
// The window, null when there is none (or it is gone).
HWND Window();
MenuBarWnd* MenuBar();
AlarmListPage* AlarmPage();
void SelectTab(int tab);

}  // namespace MainWindow
