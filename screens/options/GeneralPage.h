#pragma once
// Options page "System" (dialog 212): the program's general switches, the number of
// automatic snoozes, the snooze list and the repair of the device's notifications.
#include "PageBase.h"

class SystemSettings;

class GeneralPage : public PageBase {
public:
    static constexpr int kDefaultAutoSnoozeCount = 4;

    explicit GeneralPage(SystemSettings& settings);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    bool OnOK(UINT id, HWND control) override;

private:
    SystemSettings& settings_;
};
