// The alarms page's commands: buttons, menu items and hot keys, and its menu.
#include "AlarmListPage.h"

#include <commctrl.h>

#include "AlarmItem.h"
#include "AppMessageBox.h"
#include "ButtonMap.h"
#include "EngineScreens.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "ListViewItems.h"
#include "MainWindow.h"
#include "PageServices.h"
#include "Translator.h"
#include "resource.h"

namespace {

// The page menu, shared by the soft key and the context menu.
KeptMenu gMenu;

using PageServices::Reschedule;
using PageServices::Save;

const UINT kCheckedItems[] = {IDS_ACTIVE,      IDS_NOTIFY_ONCE, IDS_PLAY_SOUND,        IDS_BLINK_LED,
                              IDS_FLASH_LIGHT, IDS_VIBRATE,     IDS_TODAY_SKIP_NEXT_ALARM};
const UINT kSelectionItems[] = {IDS_DELETE_ALARM_MENU, IDS_MAKE_A_COPY, IDS_EDIT, IDS_CANCEL_SNOOZE};

}  // namespace

AlarmItem* AlarmListPage::StillThere(int hash) {
    ItemStore* store = ItemStore::Current();
    return store ? store->FindAlarmByHash(hash) : nullptr;
}

HMENU AlarmListPage::Menu() {
    if (gMenu.menu) return gMenu.menu;
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    AppendMenuItem(menu, IDS_ACTIVE);
    if (!AppendOptionsSubmenu(menu, IDS_ALARM, {IDS_NOTIFY_ONCE, IDS_PLAY_SOUND, IDS_BLINK_LED, IDS_FLASH_LIGHT},
                              IDS_VIBRATE)) {
        DestroyMenu(menu);
        return nullptr;
    }
    AppendMenuItem(menu, IDS_ADD);
    AppendMenuItem(menu, IDS_DELETE_ALARM_MENU);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuItem(menu, IDS_CANCEL_SNOOZE);
    AppendMenuItem(menu, IDS_TODAY_SKIP_NEXT_ALARM);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuItem(menu, IDS_MAKE_A_COPY);
    AppendMenuItem(menu, IDS_EDIT);
    AppendMenuTail(menu);
    gMenu.menu = menu;
    return menu;
}

void AlarmListPage::PrepareMenu(HMENU menu) {
    const AlarmItem* alarm = SelectedAlarm();
    if (!alarm) {
        for (UINT id : kCheckedItems) {
            CheckMenuItem(menu, id, MF_BYCOMMAND | MF_UNCHECKED);
            EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
        }
        for (UINT id : kSelectionItems) EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
        return;
    }
    const bool checks[] = {IsActive(*alarm),     (alarm->flags & AlarmItem::kNotifyOnce) != 0,
                           alarm->IsOption1(),   alarm->IsOption3(),
                           alarm->IsOption4(),   alarm->IsOption5(),
                           (alarm->flags & AlarmItem::kSkipNext) != 0};
    for (size_t index = 0; index < sizeof kCheckedItems / sizeof kCheckedItems[0]; ++index) {
        EnableMenuItem(menu, kCheckedItems[index], MF_BYCOMMAND | MF_ENABLED);
        CheckMenuItem(menu, kCheckedItems[index], MF_BYCOMMAND | (checks[index] ? MF_CHECKED : MF_UNCHECKED));
    }
    for (UINT id : kSelectionItems) EnableMenuItem(menu, id, MF_BYCOMMAND | MF_ENABLED);
    const bool snoozeCancellable = IsActive(*alarm) && !alarm->IsDismissed();
    EnableMenuItem(menu, IDS_CANCEL_SNOOZE, MF_BYCOMMAND | (snoozeCancellable ? MF_ENABLED : MF_GRAYED));
}

void AlarmListPage::OnCommand(UINT id, HWND control, UINT code) {
    if (code != 0) {
        TabPage::OnCommand(id, control, code);
        return;
    }
    switch (id) {
    case IDC_ALARMS_ADD:
        AddAlarm();
        return;
    case IDC_ALARMS_EDIT:
        EditSelected();
        return;
    case IDC_ALARMS_CANCEL_SNOOZE:
        CancelAllSnoozes();
        return;
    case IDS_TIME:
        PageServices::RunMainMenu();
        return;
    }
    RunCommand(id);
    TabPage::OnCommand(id, control, code);
}

bool AlarmListPage::RunCommand(UINT id) {
    if (id == IDS_ADD) {
        AddAlarm();
        return true;
    }
    AlarmItem* alarm = SelectedAlarm();
    if (!alarm) return false;
    switch (id) {
    case IDS_EDIT:
        EditSelected();
        return true;
    case IDS_DELETE_ALARM_MENU:
        DeleteSelected();
        return true;
    case IDS_ACTIVE:
        ToggleActive(*alarm, true);
        return true;
    case IDS_NOTIFY_ONCE:
    case IDS_PLAY_SOUND:
    case IDS_BLINK_LED:
    case IDS_FLASH_LIGHT:
    case IDS_VIBRATE:
        ToggleOption(*alarm, id);
        return true;
    case IDS_TODAY_SKIP_NEXT_ALARM:
        alarm->flags ^= AlarmItem::kSkipNext;
        Reschedule();
        return true;
    case IDS_CANCEL_SNOOZE:
        alarm->CancelSnooze(true);
        return true;
    case IDS_MAKE_A_COPY:
        CopySelected();
        return true;
    default:
        return false;
    }
}

void AlarmListPage::OnHotKey(int id, UINT, UINT key) {
    switch (id) {
    case IDS_TODAY_ADD_ALARM:
        AddAlarm();
        return;
    case IDS_KEY_DELETE_ALARM:
        DeleteSelected();
        return;
    case IDS_KEY_ALARM_PROPERTIES:
        EditSelected();
        return;
    case IDS_TODAY_CANCEL_SNOOZE:
        if (AlarmItem* alarm = SelectedAlarm()) {
            alarm->CancelSnooze(true);
            UpdateRow(alarm);
        }
        return;
    case IDS_KEY_TOGGLE_ALARM:
        if (AlarmItem* alarm = SelectedAlarm()) ToggleActive(*alarm, false);
        return;
    default:
        TabPage::OnHotKey(id, 0, key);
    }
}

void AlarmListPage::AddAlarm() {
    ItemStore* store = ItemStore::Current();
    AlarmItem* alarm = store ? store->CreateAlarm(nullptr) : nullptr;
    if (!alarm) return;
    // The sheet's modal loop may see the alarm deleted (a command, a ring): only the
    // Hash is kept across it.
    const ItemHash hash = alarm->Hash;
    const bool confirmed = PageServices::EditAlarm(*alarm);
    alarm = StillThere(hash);
    if (alarm && confirmed) {
        alarm->flags |= AlarmItem::kFired;
        alarm->SetDismissed(true);
        alarm->flags &= ~AlarmItem::kNew;
        Reschedule();
        ShowNewAlarm(alarm);
    } else if (alarm) {
        store->RemoveAlarm(alarm);
    }
    SetFocus(List());
}

void AlarmListPage::EditSelected() {
    AlarmItem* alarm = SelectedAlarm();
    if (!alarm) return;
    const ItemHash hash = alarm->Hash;
    const bool confirmed = PageServices::EditAlarm(*alarm);
    alarm = StillThere(hash);
    if (alarm && confirmed) {
        UpdateRow(alarm);
        Select(FindRow(alarm));
        alarm->flags |= AlarmItem::kFired;
        alarm->SetDismissed(true);
        Reschedule();
    }
    if (alarm) Select(FindRow(alarm));
    SetFocus(List());
}

void AlarmListPage::DeleteSelected() {
    AlarmItem* alarm = SelectedAlarm();
    if (!alarm) return;
    const int row = FindRow(alarm);
    const ItemHash hash = alarm->Hash;
    const std::wstring text = Translator::Instance().GetString(IDS_DELETE_ALARM_QUESTION) + L" " +
                              alarm->GetTitle().CStr() + L", " + TimeText(*alarm);
    const int answer = AppMessageBox_Show(GetHwnd(), text.c_str(), MB_YESNO | MB_ICONQUESTION | MB_TOPMOST);
    // The question's modal loop may have seen the alarm deleted: it is looked up again.
    alarm = StillThere(hash);
    if (answer == IDYES && alarm) {
        RemoveRow(FindRow(alarm));
        ItemStore::Current()->RemoveAlarm(alarm);
        Reschedule();
    }
    if (!SelectedAlarm()) EnableEdit(false);
    const int count = static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
    const int next = row < count - 1 ? row : count - 1;
    if (next >= 0) Select(next);
    SetFocus(List());
}

void AlarmListPage::CopySelected() {
    ItemStore* store = ItemStore::Current();
    AlarmItem* copy = store ? store->CreateAlarm(SelectedAlarm()) : nullptr;
    if (!copy) return;
    copy->flags |= AlarmItem::kFired;
    copy->SetDismissed(true);
    copy->flags &= ~AlarmItem::kNew;
    Reschedule();
    ShowNewAlarm(copy);
}

void AlarmListPage::ToggleActive(AlarmItem& alarm, bool fromMenu) {
    if (fromMenu) {
        alarm.flags |= AlarmItem::kFired;
        alarm.SetDismissed(true);
    }
    if (IsActive(alarm)) {
        alarm.SwitchOff();
    } else {
        alarm.flags |= AlarmItem::kEnabled;
    }
    if (fromMenu) {
        Reschedule();
        Save();
        UpdateRow(&alarm);
    } else {
        UpdateRow(&alarm);
        Reschedule();
    }
}

void AlarmListPage::ToggleOption(AlarmItem& alarm, UINT id) {
    switch (id) {
    case IDS_NOTIFY_ONCE:
        alarm.flags ^= AlarmItem::kNotifyOnce;
        break;
    case IDS_PLAY_SOUND:
        alarm.SetOption1(!alarm.IsOption1());
        break;
    case IDS_BLINK_LED:
        alarm.SetOption3(!alarm.IsOption3());
        break;
    case IDS_FLASH_LIGHT:
        alarm.SetOption4(!alarm.IsOption4());
        break;
    case IDS_VIBRATE:
        alarm.SetOption5(!alarm.IsOption5());
        break;
    }
    Save();
    UpdateRow(&alarm);
}

void AlarmListPage::CancelAllSnoozes() {
    if (ItemStore* store = ItemStore::Current())
        for (AlarmItem* alarm : store->Alarms()) alarm->CancelSnooze(false);
    Reschedule();
}
