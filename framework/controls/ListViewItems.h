#pragma once
// Row access for list views.
#include <windows.h>

// The row's item data, or null when the list does not answer.
LPARAM ListView_GetItemData(HWND listView, int row);
// Selects and focuses the row, makes it the selection mark and scrolls it into view.
void ListView_SelectItem(HWND listView, int row);
