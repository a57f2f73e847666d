#pragma once
// Options page "Interface" (dialog 1223): how a ring shows, whether new items vibrate,
// and how many lines the Today item may take.
#include "PageBase.h"

class SystemSettings;

class NotificationsPage : public PageBase {
public:
    static constexpr int kDefaultPluginHeight = 2;

    explicit NotificationsPage(SystemSettings& settings);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnOK(UINT id, HWND control) override;

private:
    SystemSettings& settings_;
};
