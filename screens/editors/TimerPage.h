#pragma once
// The "Main" tab of the timer dialog: title, duration, template, keeping the device on,
// the timer started next and how, snooze length and type. Writes only in OnOK.
#include "PageBase.h"

class ItemStore;
class TimerItem;

class TimerPage : public PageBase {
public:
    static constexpr int kHelpTopic = 21;
    // Shorter timers that start themselves again would keep the device busy.
    static constexpr int kShortestSelfRepeat = 5;

    TimerPage(TimerItem& timer, ItemStore& store);

    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnNotify(WPARAM wParam, NMHDR* header) override;
    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnOK(UINT id, HWND control) override;
    // False (after message 306) for a timer under 5 seconds that starts itself again
    // without "Start next timer manually".
    bool Validate();

private:
    void FillNextTimers();
    // The picked duration in seconds.
    int PickedSeconds() const;
    void EnableManualStart();

    TimerItem& timer_;
    ItemStore& store_;
    // What the picker showed at first: a duration of a day or more is kept unless changed.
    int shownSeconds_ = 0;
};
