#pragma once
// "Timer properties": the modal, tabbed editor of one countdown timer.
#include "ItemEditorSheet.h"

class ItemStore;
class TimerItem;
class TimerPage;

class TimerDialog : public ItemEditorSheet {
public:
    static constexpr UINT kIcon = 102;

    TimerDialog(TimerItem& timer, ItemStore& store);

    bool ItemStillThere() const override;

protected:
    PageBase* CreateMainPage() override;
    // A short timer that starts itself again is refused.
    bool ValidateMainPage() override;

private:
    TimerItem& timer_;
    ItemStore& store_;
    TimerPage* timerPage_ = nullptr;
};
