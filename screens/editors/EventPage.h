#pragma once
// The "Actions" tab of the alarm sheet and the timer dialog: what the ring shows and
// does (event dialog, night colours, sound, vibration, LED, flash light) and the action
// run with it, whose own editor opens behind "...".
#include <boost/shared_ptr.hpp>

#include "PageBase.h"

class Action;
class EventItem;

class EventPage : public PageBase {
public:
    static constexpr int kAlarmHelpTopic = 20;
    static constexpr int kTimerHelpTopic = 21;

    EventPage(EventItem& item, int helpTopic);

    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnOK(UINT id, HWND control) override;

    int SelectedType() const { return selectedType_; }
    const boost::shared_ptr<Action>& WorkingAction() const { return working_; }

private:
    void FillActions();
    void OnActionChanged();
    void EnableSettingsButton();

    EventItem& item_;
    int helpTopic_;
    int selectedType_ = 0;
    // The item's own action as the page opened: choosing its type again brings it back
    // without reading the item, which may be deleted while the editor is open.
    int ownType_ = 0;
    boost::shared_ptr<Action> own_;
    boost::shared_ptr<Action> working_;
};
