#pragma once
// "Alarm properties": the modal, tabbed editor of one alarm.
#include "ItemEditorSheet.h"

class AlarmItem;
class ItemStore;

class AlarmSheet : public ItemEditorSheet {
public:
    static constexpr UINT kIcon = 101;
    // A title of this beginning was made by the store and yields to the action's name.
    static constexpr wchar_t kDefaultTitlePrefix[] = L"Alarm - ";

    AlarmSheet(AlarmItem& alarm, ItemStore& store);

    bool ItemStillThere() const override;

protected:
    PageBase* CreateMainPage() override;
    UINT MainTemplateId() const override;
    UINT MainCaptionId() const override;
    UINT ActionsCaptionId() const override;
    int ActionsHelpTopic() const override;
    void FinishCommit() override;

private:
    AlarmItem& alarm_;
    ItemStore& store_;
};
