#pragma once
// Options page "Buttons" (dialog 229): which hardware key runs which command, per screen
// of the main window. The page changes the button map at once; the sheet saves it on OK.
// While the page lives the current screen's hot keys are released (the key capture hears
// every key, and a binding is never changed under its registration); when it goes they
// are registered again, as OK left them or, after Cancel, as they were.
#include <vector>

#include "ButtonMap.h"
#include "PageBase.h"

class ButtonsPage : public PageBase {
public:
    ~ButtonsPage() override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnOK(UINT id, HWND control) override;
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
    std::vector<ButtonBinding> found_;  // the map as the page found it
    bool confirmed_ = false;
};
