#pragma once
// Message handling shared by the program's full-screen Pocket PC dialogs that are not
// framework dialogs: full-screen set-up, a drawn title strip, OK and Cancel, and
// resizing when the input panel opens or closes.
#include <windows.h>

#include "MenuBarHolder.h"

struct PpcDialogState {
    HWND dialog = nullptr;
    int titleStripHeight = 0;  // 0: no strip; else children sit below it
    MenuBarHolder menuBar;
};

// True when the message was handled (result holds the answer). Any map id but 0 is
// not handled. The SIP variant makes its bars with the input-panel button shown.
bool PpcDialog_ProcessMessage(PpcDialogState& state, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId);
bool SipDialog_ProcessMessage(PpcDialogState& state, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId);
// Moves the children below the title strip and sizes the dialog to the full screen
// with the input panel down (SHInitDialog with the Done button).
void Dlg_InitFullScreen(PpcDialogState& state);
// Moves every child of the dialog down by the title-strip height, without repaint.
void Dlg_OffsetChildren(const PpcDialogState& state);
// Re-runs the set-up after a work-area change (any of the bits 0x3002) and follows
// the input panel (SPI_SETSIPINFO).
void Dlg_ResizeForSip(PpcDialogState& state, WPARAM flag);
