#pragma once
// "Timer properties": the modal, tabbed editor of one countdown timer.
#include "ItemEditorSheet.h"

class ItemStore;
class TimerItem;
class TimerPage;

class TimerDialog : public ItemEditorSheet {
public:
    static constexpr UINT kIcon = 102;
    static constexpr wchar_t kDefaultTitlePrefix[] = L"Timer";

    TimerDialog(TimerItem& timer, ItemStore& store);

    bool ItemStillThere() const override;

protected:
    PageBase* CreateMainPage() override;
    UINT MainTemplateId() const override;
    UINT MainCaptionId() const override;
    UINT ActionsCaptionId() const override;
    int ActionsHelpTopic() const override;
    bool ValidateMainPage() override;
    void FinishCommit() override;

private:
    TimerItem& timer_;
    ItemStore& store_;
    TimerPage* timerPage_ = nullptr;
};
