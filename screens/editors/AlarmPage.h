#pragma once
// The "Main" tab of the alarm sheet: title, time, weekdays, active, snooze length and
// type, force snooze and notify once. Writes into the alarm only in OnOK.
#include <memory>

#include "PageBase.h"

class AlarmItem;
class DaysOfWeekCtl;

class AlarmPage : public PageBase {
public:
    static constexpr int kHelpTopic = 20;

    explicit AlarmPage(AlarmItem& alarm);
    ~AlarmPage() override;

    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnNotify(WPARAM wParam, NMHDR* header) override;
    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnOK(UINT id, HWND control) override;
    UINT GetLandscapeTemplateId() override;

    DaysOfWeekCtl* Days() const { return days_.get(); }

private:
    AlarmItem& alarm_;
    std::unique_ptr<DaysOfWeekCtl> days_;
};
