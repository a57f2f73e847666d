#pragma once
// The buttons of a menu bar (a tool bar whose buttons carry their popup menus).
#include <windows.h>

// Sets the text of the bar's button at index.
void Toolbar_SetButtonInfo(HWND bar, const wchar_t* text, int index);
// The popup menu held by the bar's button at index, or null.
HMENU MenuBar_GetSubMenu(HWND bar, int index);
