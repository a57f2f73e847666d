#include "ItemEditors.h"

#include "AlarmSheet.h"
#include "ItemStore.h"
#include "TimerDialog.h"

namespace {

template <class Sheet, class Item>
bool RunEditor(HWND owner, Item& item) {
    ItemStore* store = ItemStore::Current();
    if (!store) return false;
    Sheet sheet(item, *store);
    return sheet.Show(owner) == IDOK && !sheet.DiscardedEdit();
}

}  // namespace

bool ItemEditors_EditAlarm(HWND owner, AlarmItem& alarm) { return RunEditor<AlarmSheet>(owner, alarm); }

bool ItemEditors_EditTimer(HWND owner, TimerItem& timer) { return RunEditor<TimerDialog>(owner, timer); }
