#pragma once
// Reading and driving a running Orvalen's main window from the test process: the page
// its header names, the rows of the alarms list (read in the program's own memory),
// menu commands, and the yes/no questions it asks.
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
// Selects a row of the alarms list.
void SelectRow(HWND mainWindow, int row);
// A menu command as the soft-key menu sends it to the frame.
void Command(HWND mainWindow, UINT id);
// Answers a yes/no question of the device (a top-level dialog with a Yes button) whose
// text is exactly `text` (any, when empty) by clicking a button; its text, or empty
// when none came in time.
std::wstring Answer(UINT button, DWORD timeoutMs, const std::wstring& text = std::wstring());

}  // namespace main_window_probe
