#pragma once
// Driving a running Orvalen's item editors from the test process: finding the sheet by
// its caption, its pages and controls, and setting values with the messages the
// controls answer (pickers through a block in the program's memory).
#include <windows.h>

#include <string>

namespace editor_probe {

constexpr DWORD kTimeoutMs = 30000;

// The frame of the editor whose header shows caption, in the process (0: any); null on timeout.
HWND WaitForEditor(DWORD processId, const std::wstring& caption, DWORD timeoutMs = kTimeoutMs);
// The page (a child dialog of the sheet) that holds a control with this id.
HWND PageWith(HWND frame, int controlId);
// The number of tabs once the sheet has added its pages.
int TabCount(HWND frame);
std::wstring Text(HWND window);
void SetText(HWND page, int id, const std::wstring& text);
// Checks or clears a box and tells the page as a click would.
void SetCheck(HWND page, int id, bool on);
// Selects the combo entry whose item data is data and tells the page; false when none has it.
bool SelectByData(HWND page, int id, LPARAM data);
// Selects the entry with exactly this text; false when there is none.
bool SelectByText(HWND page, int id, const std::wstring& text);
// Every entry's text, in the combo's order.
std::wstring ComboTexts(HWND page, int id, wchar_t separator);
// Today's date (local, or UTC for the snooze pickers, whose range is built on it) at that time.
bool SetPickerTime(HANDLE process, HWND page, int id, WORD hour, WORD minute, WORD second, bool utc = false);
// Selects and focuses a row of a list view, as a tap on it would; false when the row is not there.
bool SelectListRow(HANDLE process, HWND page, int id, int row);
// A snooze picker: minutes and seconds on the current UTC hour.
bool SetSnoozePicker(HANDLE process, HWND page, int id, WORD minute, WORD second);
// A tap on one of the weekday strip's seven cells.
void TapDay(HWND page, int id, int cell);
// OK or Cancel of the sheet, posted: a question it asks does not block the test.
void PressOk(HWND frame);
void PressCancel(HWND frame);
// Clicks a button of a message box whose text is exactly text; the text shown, empty
// when none came in time.
std::wstring AnswerBox(DWORD processId, const std::wstring& text, UINT button, DWORD timeoutMs = kTimeoutMs);
// The control that has the focus in the thread of window.
HWND FocusOf(HWND window);

}  // namespace editor_probe
