#pragma once
// The small modal dialog that Snooze (alarms) and Restart (timers) open: one tap on a
// length takes it, after ten seconds without input the item's own length is taken, and
// a tap elsewhere goes back to the ring screen.
#include <memory>

#include "BitmapFontCtrl.h"
#include "DialogBase.h"
#include "GdiHandles.h"
#include "PpcDialog.h"
#include "SnoozeLengthList.h"

class EventItem;

class SnoozeChooserDlg : public DialogBase {
public:
    // Posted to itself at the end of WM_INITDIALOG: comes to the front once shown.
    static constexpr UINT kSnoozeChooserMessage = 6126;
    static constexpr UINT_PTR kUnlockTimer = 124;
    static constexpr UINT kUnlockMs = 800;
    static constexpr UINT_PTR kCountdownTimer = 125;
    static constexpr UINT kCountdownMs = 1000;
    static constexpr int kCountdownSeconds = 10;
    // Results of Run.
    static constexpr int kTaken = 1;
    static constexpr int kCancelled = 2;

    explicit SnoozeChooserDlg(const EventItem& item);

    // Runs the dialog modally: kTaken (then ChosenSeconds holds the length), kCancelled,
    // or -1 when it could not be made (the thread's error is then ERROR_OUTOFMEMORY).
    int Run();
    int ChosenSeconds() const { return chosenSeconds_; }
    int Countdown() const { return countdown_; }
    bool TapsLocked() const { return tapsLocked_; }
    SnoozeLengthList& List() { return list_; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnNotify(WPARAM wParam, NMHDR* header) override;
    void OnTimer(UINT_PTR id) override;
    void OnLButtonDown(int x, int y, UINT keys) override;
    void OnSize(UINT type, int width, int height) override;
    void OnPaint() override;
    // The window colour behind everything, as behind the countdown's digits.
    LRESULT OnEraseBkgnd(HDC dc) override;
    LRESULT OnCtlColorStatic(HDC dc, HWND control) override;
    void OnDestroy() override;

private:
    void TapToCancel();
    int ListTop() const;

    int chosenSeconds_;
    int durationSeconds_;
    bool timer_;  // Restart of a timer: the chooser is titled as its button
    int countdown_ = kCountdownSeconds;
    bool tapsLocked_ = false;
    SnoozeLengthList list_;
    BitmapFontCtrl countdownDisplay_;
    FontHandle cancelFont_;
    PpcDialogState header_;
};
