#pragma once
// Small control helpers the editor pages share: check boxes, number edits and their
// range message, the input panel, and the snooze picker with its snooze-type combo.
#include <windows.h>

class EventItem;

bool Editor_IsChecked(HWND dialog, int id);
void Editor_Check(HWND dialog, int id, bool on);
void Editor_Enable(HWND dialog, int id, bool on);
void Editor_SetNumber(HWND dialog, int id, int value);
// The edit's text as a decimal number; empty: `empty`; anything else that is not a
// number (or does not fit an int): `invalid`.
int Editor_ReadNumber(HWND dialog, int id, int empty, int invalid);
// "Enter value from %d to %d." (the translated string) in the program's message box.
void Editor_ShowRange(HWND owner, UINT stringId, int low, int high, UINT flags);
// Selects the whole text of an edit once the focus has settled.
void Editor_PostSelectAll(HWND edit);
// True when the user's locale shows a 12-hour clock (its LOCALE_ITIME is "0").
bool Editor_TwelveHourLocale();
// Raises or lowers the input panel.
void Editor_ShowInputPanel(HWND window, bool up);
// Adds a translated entry with its item data to a combo box; its index.
int Editor_AddComboEntry(HWND combo, UINT stringId, LPARAM data);
// The selected entry's data, `none` without a selection.
LPARAM Editor_SelectedData(HWND combo, LPARAM none);
// Selects the entry whose data is `data`; false when none has it.
bool Editor_SelectByData(HWND combo, LPARAM data);

// The snooze length picker ("mm 'min'", at least one minute) and the snooze-type combo
// of the alarm and timer main pages.
struct SnoozeControls {
    int pickerId;
    int comboId;

    void Fill(HWND page, const EventItem& item) const;
    // The picker follows the combo: disabled for Autoclose.
    void OnTypeChanged(HWND page) const;
    // Minutes and seconds of the picker; 5:00 when it has no value.
    void ReadLength(HWND page, int& minutes, int& seconds) const;
    // The selected type, or `current` when nothing is selected.
    int ReadType(HWND page, int current) const;
};
