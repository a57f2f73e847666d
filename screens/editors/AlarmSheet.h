#pragma once
// "Alarm properties": the modal, tabbed editor of one alarm.
#include "ItemEditorSheet.h"
#include "resource.h"

class AlarmItem;
class ItemStore;

class AlarmSheet : public ItemEditorSheet {
public:
    static constexpr UINT kIcon = IDI_ALARM_ACTIVE;

    AlarmSheet(AlarmItem& alarm, ItemStore& store);

    bool ItemStillThere() const override;

protected:
    PageBase* CreateMainPage() override;
    // An alarm left inactive is offered to be switched on.
    void FinishCommit() override;

private:
    AlarmItem& alarm_;
    ItemStore& store_;
};
