#pragma once
// Options page "Screen Saver" (dialog 1210): whether the screen saver starts after an
// idle time, how long that is, what it shows on battery and on AC power, and its
// exceptions and lock.
#include <memory>

#include "PageBase.h"

class CaptionCtl;
class ScreenSaverSettings;

class ScreenSaverPage : public PageBase {
public:
    static constexpr int kMinTimeout = 15;
    static constexpr int kMaxTimeout = 3540;

    explicit ScreenSaverPage(ScreenSaverSettings& settings);
    ~ScreenSaverPage() override;

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    // Writes the controls into the settings and tells the engine (1393).
    bool OnOK(UINT id, HWND control) override;

    // The time-out limited to what the page offers.
    static int ClampTimeout(int seconds);

private:
    ScreenSaverSettings& settings_;
    std::unique_ptr<CaptionCtl> batteryCaption_;
    std::unique_ptr<CaptionCtl> acCaption_;
};

// The screens the program builds beside the options (the slide show settings and the
// exceptions editor) are opened through these; each answers true after OK.
using ScreenSaverDialogRunner = bool (*)(HWND owner);
void ScreenSaverPage_SetDialogRunners(ScreenSaverDialogRunner slideShow, ScreenSaverDialogRunner exceptions);
