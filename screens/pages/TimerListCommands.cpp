// The timers page's commands: buttons, menu items and hot keys, and its menu.
#include "TimerListPage.h"

#include "AppMessageBox.h"
#include "ItemStore.h"
#include "ListViewItems.h"
#include "MainWindow.h"
#include "PageServices.h"
#include "TimerItem.h"
#include "Translator.h"
#include "resource.h"

namespace {

// The page menu, shared by the soft key and the context menu.
KeptMenu gMenu;

const UINT kOptionItems[] = {IDS_TIMER_PLAY_SOUND, IDS_TIMER_BLINK_LED, IDS_TIMER_FLASH_LIGHT, IDS_TIMER_VIBRATE};
const UINT kSelectionItems[] = {IDS_TIMER_START, IDS_TIMER_RESET, IDS_TIMER_STOP,
                                IDS_DELETE,      IDS_TIMER_EDIT,  IDS_MAKE_A_COPY};

void Enable(HMENU menu, UINT id, bool enabled) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

TimerItem* TimerListPage::StillThere(ItemHash hash) {
    ItemStore* store = ItemStore::Current();
    return store ? store->FindTimerByHash(hash) : nullptr;
}

HMENU TimerListPage::Menu() {
    if (gMenu.menu) return gMenu.menu;
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    if (!AppendOptionsSubmenu(menu, IDS_TIMER, {IDS_TIMER_PLAY_SOUND, IDS_TIMER_BLINK_LED, IDS_TIMER_FLASH_LIGHT},
                              IDS_TIMER_VIBRATE)) {
        DestroyMenu(menu);
        return nullptr;
    }
    for (UINT id : {IDS_TIMER_START, IDS_TIMER_RESET, IDS_TIMER_STOP}) AppendMenuItem(menu, id);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuItem(menu, IDS_TIMER_ADD);
    AppendMenuItem(menu, IDS_DELETE);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuItem(menu, IDS_MAKE_A_COPY);
    AppendMenuItem(menu, IDS_TIMER_EDIT);
    AppendMenuTail(menu);
    gMenu.menu = menu;
    return menu;
}

void TimerListPage::PrepareMenu(HMENU menu) {
    const TimerItem* timer = SelectedTimer();
    if (!timer) {
        for (UINT id : kOptionItems) CheckMenuItem(menu, id, MF_BYCOMMAND | MF_UNCHECKED);
        for (UINT id : kSelectionItems) CheckMenuItem(menu, id, MF_BYCOMMAND | MF_UNCHECKED);
        for (UINT id : kOptionItems) Enable(menu, id, false);
        for (UINT id : kSelectionItems) Enable(menu, id, false);
        return;
    }
    const bool checks[] = {timer->IsOption1(), timer->IsOption3(), timer->IsOption4(), timer->IsOption5()};
    for (size_t index = 0; index < sizeof kOptionItems / sizeof kOptionItems[0]; ++index) {
        Enable(menu, kOptionItems[index], true);
        CheckMenuItem(menu, kOptionItems[index], MF_BYCOMMAND | (checks[index] ? MF_CHECKED : MF_UNCHECKED));
    }
    for (UINT id : {IDS_DELETE, IDS_TIMER_EDIT, IDS_MAKE_A_COPY}) Enable(menu, id, true);
    Enable(menu, IDS_TIMER_START, !timer->IsRunning());
    Enable(menu, IDS_TIMER_STOP, timer->IsRunning() && !timer->IsTemplate());
    Enable(menu, IDS_TIMER_RESET, !timer->IsTemplate());
}

void TimerListPage::OnCommand(UINT id, HWND control, UINT code) {
    if (code != 0 || !RunCommand(id)) TabPage::OnCommand(id, control, code);
}

bool TimerListPage::RunCommand(UINT id) {
    switch (id) {
    case IDC_TIMERS_ADD:
    case IDS_TIMER_ADD:
        AddTimer();
        return true;
    case IDS_TIME:
        PageServices::RunMainMenu();
        return true;
    }
    TimerItem* timer = SelectedTimer();
    if (!timer) return false;
    switch (id) {
    case IDC_TIMERS_EDIT:
    case IDS_TIMER_EDIT:
        EditSelected();
        return true;
    case IDC_TIMERS_DELETE:
    case IDS_DELETE:
        DeleteSelected();
        return true;
    case IDC_TIMERS_RESET:
    case IDS_TIMER_RESET:
        ResetSelected();
        return true;
    case IDC_TIMERS_START:
    case IDS_TIMER_START:
        SetRunning(timer, true);
        return true;
    case IDC_TIMERS_STOP:
    case IDS_TIMER_STOP:
    case IDS_TIMER_STOP_ALT:
        SetRunning(timer, false);
        return true;
    case IDS_TIMER_PLAY_SOUND:
    case IDS_TIMER_BLINK_LED:
    case IDS_TIMER_FLASH_LIGHT:
    case IDS_TIMER_VIBRATE:
        ToggleOption(*timer, id);
        return true;
    case IDS_MAKE_A_COPY:
        CopySelected();
        return true;
    default:
        return false;
    }
}

void TimerListPage::OnHotKey(int id, UINT, UINT key) {
    TimerItem* timer = SelectedTimer();
    switch (id) {
    case IDS_TODAY_ADD_TIMER:
        AddTimer();
        return;
    case IDS_KEY_DELETE_TIMER:
        DeleteSelected();
        return;
    case IDS_KEY_TIMER_PROPERTIES:
        EditSelected();
        return;
    case IDS_KEY_RESET_TIMER:
        if (timer) ResetSelected();
        return;
    case IDS_KEY_STOP_TIMER:
        if (timer) SetRunning(timer, false);
        return;
    case IDS_KEY_START_PAUSE_TIMER:
        if (timer) SetRunning(timer, !timer->IsRunning() || timer->IsTemplate());
        return;
    case IDS_TODAY_CANCEL_SNOOZE:
        if (timer) {
            timer->Dismiss(true);
            UpdateRow(timer);
        }
        return;
    default:
        TabPage::OnHotKey(id, 0, key);
    }
}

void TimerListPage::AddTimer() {
    ItemStore* store = ItemStore::Current();
    TimerItem* timer = store ? store->CreateTimer(nullptr) : nullptr;
    if (!timer) return;
    // The dialog's modal loop may see the timer deleted (a command, a ring): only its
    // Hash is kept across it.
    const ItemHash hash = timer->Hash;
    const bool confirmed = PageServices::EditTimer(*timer);
    timer = StillThere(hash);
    if (timer && confirmed) {
        timer->time = timer->origTime;
        timer->flags &= ~(TimerItem::kNew | TimerItem::kRunning);
        // A new ordinary timer starts at once.
        if (!timer->IsTemplate()) timer->flags |= TimerItem::kRunning;
        InsertRow(timer);
        UpdateRow(timer);
        PageServices::Reschedule();
    } else if (timer) {
        store->RemoveTimer(timer);
    }
    UpdateButtons();
}

void TimerListPage::EditSelected() {
    TimerItem* timer = SelectedTimer();
    if (!timer) return;
    const ItemHash hash = timer->Hash;
    timer->flags |= TimerItem::kNew;
    const bool confirmed = PageServices::EditTimer(*timer);
    timer = StillThere(hash);
    if (timer && confirmed) {
        timer->time = timer->origTime;
        PageServices::Reschedule();
        UpdateRow(timer);
    }
    if (timer) {
        timer->flags &= ~TimerItem::kNew;
        SelectTimer(timer);
    }
    UpdateButtons();
}

void TimerListPage::DeleteSelected() {
    TimerItem* timer = SelectedTimer();
    if (!timer) return;
    const ItemHash hash = timer->Hash;
    const std::wstring text = Translator::Instance().GetString(IDS_DELETE_TIMER_QUESTION) + L" " +
                              timer->GetTitle().CStr() + L", " + FormatHMS(timer->time);
    const int answer = AppMessageBox_Show(GetHwnd(), text.c_str(), MB_YESNO | MB_ICONQUESTION | MB_TOPMOST);
    // The question's modal loop may have seen the timer deleted or the selection moved.
    timer = StillThere(hash);
    if (answer != IDYES || !timer || SelectedTimer() != timer) return;
    RemoveRow(timer);
    ItemStore::Current()->RemoveTimer(timer);
    PageServices::Reschedule();
    UpdateButtons();
}

void TimerListPage::ResetSelected() {
    TimerItem* timer = SelectedTimer();
    if (!timer) return;
    timer->time = timer->origTime;
    UpdateRow(timer);
    PageServices::Reschedule();
    SelectTimer(timer);
    SetFocus(List());
}

void TimerListPage::CopySelected() {
    TimerItem* timer = SelectedTimer();
    ItemStore* store = ItemStore::Current();
    TimerItem* copy = timer && store ? store->CreateTimer(timer) : nullptr;
    if (!copy) return;
    copy->flags &= ~TimerItem::kNew;
    if (timer->IsTemplate()) {
        // A template's copy is another template, not its child.
        copy->ParentHash = 0;
        copy->flags |= TimerItem::kTemplate;
    }
    InsertRow(copy);
    UpdateRow(copy);
    PageServices::Save();
}

void TimerListPage::SetRunning(TimerItem* timer, bool on) {
    if (timer->IsTemplate()) {
        // A template never runs itself: a copy of it does.
        ItemStore* store = ItemStore::Current();
        TimerItem* copy = store ? store->CreateTimer(timer) : nullptr;
        if (!copy) return;
        InsertRow(copy);
        copy->flags &= ~TimerItem::kNew;
        timer = copy;
    }
    if (on) {
        timer->flags |= TimerItem::kRunning;
    } else {
        timer->flags &= ~TimerItem::kRunning;
        timer->SelfCounter = 0;
    }
    UpdateRow(timer);
    PageServices::Reschedule();
    UpdateButtons();
}

void TimerListPage::ToggleOption(TimerItem& timer, UINT id) {
    switch (id) {
    case IDS_TIMER_PLAY_SOUND:
        timer.SetOption1(!timer.IsOption1());
        break;
    case IDS_TIMER_BLINK_LED:
        timer.SetOption3(!timer.IsOption3());
        break;
    case IDS_TIMER_FLASH_LIGHT:
        timer.SetOption4(!timer.IsOption4());
        break;
    case IDS_TIMER_VIBRATE:
        timer.SetOption5(!timer.IsOption5());
        break;
    }
    UpdateRow(&timer);
}
