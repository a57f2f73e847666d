#pragma once
// The slide show's settings: the pictures folder, the time per picture, the transition,
// how pictures are fitted, shuffling and the 4096-colour optimisation. It edits the
// record it is given on OK only; saving is the caller's.
#include "FramedDialog.h"

class SlideShowSettings;

class SlideShowPage : public FramedDialog {
public:
    // "Folder" is kept to this many characters.
    static constexpr int kFolderLength = 260;

    explicit SlideShowPage(SlideShowSettings& settings);

    // Edits the program's slide-show settings modally over owner and saves them after OK.
    // The dialog's result: 1 after OK, 2 after Cancel, -1 when it could not open.
    static INT_PTR Edit(HWND owner);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    bool OnOK(UINT id, HWND control) override;

private:
    void Browse();

    SlideShowSettings& settings_;
};
