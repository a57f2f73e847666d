#pragma once
// Options page "Atomic clock sync" (dialog 2055): the hidden alarm that synchronises the
// device clock with a time server every day: whether it is on, at what time, with which
// server, and when it last succeeded. Without that alarm the page shows nothing.
#include "PageBase.h"

class AlarmItem;
class AtomicSyncActionSettings;

class AtomicClockPage : public PageBase {
public:
    explicit AtomicClockPage(AlarmItem* alarm);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    bool OnOK(UINT id, HWND control) override;

    // The status line: the last synchronisation's date and time, or "None".
    void ShowStatus();

private:
    AtomicSyncActionSettings* Sync() const;

    AlarmItem* alarm_;
};
