#pragma once
// Options page "Buttons" (dialog 229): which hardware key runs which command, per screen
// of the main window. The page changes the button map at once; the sheet saves it on OK.
#include "PageBase.h"

class ButtonsPage : public PageBase {
public:
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnNotify(WPARAM wParam, NMHDR* header) override;

    // Gives the selected row's binding the key (and Win flag); the first other binding
    // of the same screen with that key loses it.
    void AssignKey(int key, bool withWin);
    void ResetKey();
    void FillMode(int mode);

private:
    int SelectedRow() const;
    void ShowKey(int row, int key);

    int mode_ = 0;
};
