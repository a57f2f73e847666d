#pragma once
// Reading and driving a running Orvalen's main window from the test process: the page
// its header names, the rows of the alarms list (read in the program's own memory),
// and menu commands.
#include <windows.h>

#include <string>
#include <vector>

namespace main_window_probe {

struct Row {
    std::wstring name, time, sound;
    int image = -1;
};

// The main window, waiting up to the time-out; null when none came.
HWND WaitForMainWindow(DWORD timeoutMs);
// The caption the header shows: the current page's.
std::wstring PageCaption(HWND mainWindow);
// True once the header shows caption.
bool WaitForPage(HWND mainWindow, const std::wstring& caption, DWORD timeoutMs);
// The rows of list 10300, top to bottom; process: the program's, with VM access.
std::vector<Row> AlarmRows(HWND mainWindow, HANDLE process);
// The texts of a list's rows, top to bottom, columns 0 .. columns-1.
std::vector<std::vector<std::wstring>> ListTexts(HWND mainWindow, HANDLE process, int listId, int columns);
// Selects a row of the alarms list (or of another list).
void SelectRow(HWND mainWindow, int row, int listId = 10300);
// The selected row of the alarms list; -1 when none.
int SelectedRow(HWND mainWindow);
// A row's bounds in screen coordinates.
RECT RowRect(HWND mainWindow, HANDLE process, int row);
// A popup menu the process shows; null when none.
HWND OpenPopupMenu(DWORD processId);
// The texts of the soft keys on the bar of owner (the main window or a popup of the program).
std::vector<std::wstring> SoftKeys(HWND owner, HANDLE process);
// A menu command as the soft-key menu sends it to the frame.
void Command(HWND mainWindow, UINT id);

}  // namespace main_window_probe
