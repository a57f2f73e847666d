#pragma once
// The main-menu popup of a running Orvalen, found on the device's screen and driven by
// its keys as a user would.
#include <windows.h>

#include <string>
#include <vector>

namespace main_menu_probe {

// The popup (a bare full-screen dialog without caption or title), waiting up to the
// time-out; null when none came.
HWND WaitForPopup(DWORD timeoutMs);
// True once no popup is shown.
bool WaitForNoPopup(DWORD timeoutMs);
// Selects the first cell with a key, then chooses cell (0 Clock ... 5 Settings) by its digit.
void ChooseCell(HWND popup, int cell);
// The six cells' captions, read from the popup object in the program's memory (process:
// with VM read access): they are drawn, no window holds them.
std::vector<std::wstring> Captions(HWND popup, HANDLE process);

}  // namespace main_menu_probe
