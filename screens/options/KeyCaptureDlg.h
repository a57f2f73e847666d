#pragma once
// "Assign a key" (dialog 291): waits for one hardware key. The Windows key pressed first
// marks the captured key as a Win combination; the dialog ends with 1 when a key was
// released, 2 when it was closed.
#include "DialogBase.h"

class KeyCaptureDlg : public DialogBase {
public:
    static constexpr int kWinKey = 91;
    static constexpr INT_PTR kCaptured = 1;
    static constexpr INT_PTR kClosed = 2;

    KeyCaptureDlg() = default;
    ~KeyCaptureDlg() override;

    INT_PTR Run(HWND owner);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnOK(UINT id, HWND control) override;
    bool OnCancel(UINT id, HWND control) override;

    int Key() const { return key_; }
    bool WithWin() const { return winPressed_ != 0; }

private:
    void ReleaseKeys();

    int key_ = 0;
    int winPressed_ = 0;
    bool takingAllKeys_ = false;
};
