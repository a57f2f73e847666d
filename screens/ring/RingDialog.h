#pragma once
// What the three ring dialogs share: a full-screen, top-most modeless dialog with the
// item's title, a large clock, two image buttons and a picture, soft keys, the day or
// night colours, the countdown after a cancelled snooze chooser and the snooze itself.
// The kinds choose their template, pictures, commands and texts.
#include "DialogBase.h"
#include "GdiHandles.h"
#include "ImageButton.h"
#include "PpcDialog.h"
#include "RingBubble.h"
#include "RingScreen.h"

#include <array>
#include <memory>

class RingDialog : public DialogBase, public RingScreen, public ButtonBackground {
public:
    // Posted to itself at the end of WM_INITDIALOG: set the soft keys' labels.
    static constexpr UINT kMenuBarLabelsMessage = 1125;
    static constexpr UINT kSleepAgainMessage = 1401;
    static constexpr UINT_PTR kClockTimer = 100;
    static constexpr UINT kClockMs = 60000;
    static constexpr UINT_PTR kCountdownTimer = 101;
    static constexpr UINT_PTR kCountdownBarTimer = RingController::kCountdownBarTimer;
    static constexpr UINT kCountdownTickMs = 1000;
    // After a cancelled chooser the silent screen asks again on the 16th tick.
    static constexpr int kCountdownSeconds = 16;
    static constexpr COLORREF kCountdownColour = 0xFF0000;
    static constexpr COLORREF kNightBackground = RGB(18, 61, 0);
    static constexpr COLORREF kNightText = RGB(205, 255, 186);
    // At night the soft keys sit on a darker band and the pictures let the dark through.
    static constexpr COLORREF kNightMenuBar = RGB(9, 31, 0);
    static constexpr BYTE kNightOpacity = 120;
    // Tahoma sizes in tenths of a point.
    static constexpr int kClockSizePortrait = 310;
    static constexpr int kClockSizeLandscape = 260;
    static constexpr int kClockSizeSquare = 220;
    static constexpr int kTitleSize = 120;
    static constexpr int kTimerLineSize = 100;
    // Windows of screen lockers whose own start the dialog lets pass first.
    static constexpr UINT kLockerWaitMs = 3000;

    // The picture ids: first and second button normal, then pressed, then the picture
    // beside the title; 0 means none.
    struct ImageSet {
        std::array<UINT, 5> ids;
        UINT firstCommand;
        UINT secondCommand;
    };

    // Creates the dialog modeless from its template, without owner; false on failure
    // (the thread's error is then ERROR_OUTOFMEMORY).
    bool Open();

    HBRUSH BackgroundBrush() const override { return brush_.Get(); }
    void PaintBehind(HDC dc, HWND button, const RECT& client) const override;
    ImageButton* FirstButton() const { return first_.get(); }
    ImageButton* SecondButton() const { return second_.get(); }
    ImageButton* Picture() const { return picture_.get(); }
    HWND MenuBar() const { return header_.menuBar.bar; }
    bool IsNight() const { return night_; }
    int CountdownTicks() const { return countdownTicks_; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    void OnTimer(UINT_PTR id) override;
    void OnPaint() override;
    LRESULT OnEraseBkgnd(HDC dc) override;
    LRESULT OnCtlColorStatic(HDC dc, HWND control) override;
    void OnSettingChange(UINT flag, LPARAM lParam) override;
    LRESULT OnNotify(WPARAM wParam, NMHDR* header) override;
    void OnDestroy() override;
    // The tray bubble (only the timer dialog shows one).
    const RingBubble& Bubble() const { return bubble_; }

    // Snooze of the alarm dialogs, Restart of the timer dialog: stops the sound, lets
    // the user choose a length, and snoozes; a cancelled choice leaves a silent screen
    // that asks again after a countdown.
    void AskSnooze();

protected:
    RingDialog(std::unique_ptr<RingController> controller, UINT templateId, UINT captionId, UINT menuBarId);
    HWND ScreenWindow() const override { return GetHwnd(); }
    void OnRingAgain() override;

    virtual ImageSet Images() const = 0;
    // The title line's text.
    virtual std::wstring TitleText() const;
    // Texts after the fonts and before the ring starts (the timer's chain line).
    virtual void SetKindTexts() {}
    // The commands of the kind; false when it is not one.
    virtual bool OnRingCommand(UINT id, HWND control, UINT code) = 0;
    // The buttons' captions and the soft keys' labels.
    virtual void SetButtonCaptions() = 0;
    virtual void SetMenuBarLabels() = 0;
    // Creates the two buttons and the picture; the slide-to-dismiss dialog makes a knob.
    virtual void CreateButtons();
    virtual ImageButton* FocusButton() const { return second_.get(); }
    // Places the kind's own controls after the shared layout.
    virtual void LayoutKind() {}
    // The snooze length chooser: 1 with the seconds taken, anything else cancelled.
    virtual int ChooseSnoozeLength(int& seconds);
    // Dismiss of the alarm dialogs: a pending force-snooze snoozes instead.
    void DismissAlarm();

    // Pictures and layout (RingDialogLayout.cpp).
    SharedImage LoadImage(UINT id, int index) const;
    void LoadButtonImages(ImageButton& first, ImageButton& second);
    void CreateFonts();
    void Layout();
    void UpdateClock();
    RECT ControlRect(int id) const;

    std::unique_ptr<ImageButton> first_, second_, picture_;
    RingBubble bubble_;
    // A groove behind controls that belong together (the slider's target and knob), in
    // dialog coordinates; empty: none.
    RECT track_ = {};

private:
    void ApplyColours();
    void PaintTrack(HDC dc, POINT origin) const;
    void StartCountdown();
    void PaintCountdown(HDC dc);

    UINT templateId_;
    UINT captionId_;
    UINT menuBarId_;
    PpcDialogState header_;  // the header band's height is 0: the caption is the task bar's
    FontHandle clockFont_, titleFont_, lineFont_;
    BrushHandle brush_;
    COLORREF textColour_ = 0;
    bool night_ = false;
    int countdownTicks_ = 0;
    DWORD countdownStart_ = 0;
    bool countdownShown_ = false;
};

// An alarm whose "Force snooze" has not snoozed it yet: its Dismiss snoozes.
bool Ring_ForceSnoozePending(const EventItem& item);
