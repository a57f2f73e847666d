#include "TimerListPage.h"

#include <commctrl.h>

#include <cstdio>
#include <cwchar>

#include "ButtonMap.h"
#include "ContextHelp.h"
#include "Dpi.h"
#include "Interval.h"
#include "ItemStore.h"
#include "ListViewItems.h"
#include "MainWindow.h"
#include "TimerItem.h"
#include "Translator.h"
#include "aygshell.h"
#include "resource.h"

namespace {

constexpr int kTemplateImage = 0;
constexpr int kTimerImage = 1;
const struct {
    UINT captionId;
    int width;  // at 96 DPI
} kColumns[TimerListPage::kMaxColumns] = {
    {IDS_TIMER_NAME, 74}, {IDS_TIMER_TIME, 70}, {IDS_TIMER_STATE, 40}, {IDS_TIMER_SOUND, 43}};

bool RunsForReal(const TimerItem& timer) { return timer.IsRunning() && !timer.IsTemplate(); }

}  // namespace

TimerListPage::TimerListPage()
    : ItemListPage(IDD_TIMERS_PAGE, IDS_TIMERS, IDI_TIMER, ContextHelp::kCountdownTimers, ButtonMap::kTimers,
                   IDC_TIMERS_LIST, L"Timers", kMaxColumns) {
    SetNeighbourTabs(MainWindow::kAlarmsTab, MainWindow::kStopwatchTab);
}

TimerListPage::~TimerListPage() = default;

std::wstring TimerListPage::FormatHMS(Ticks100ns interval) {
    const IntervalParts parts = Interval_Split(static_cast<uint64_t>(interval > 0 ? interval : 0));
    const unsigned hours = (static_cast<unsigned>(parts.days) * 24u + parts.hours) % 65536u;
    wchar_t text[32] = {};
    swprintf(text, 32, L"%02u:%02u:%02u", hours, static_cast<unsigned>(parts.minutes),
             static_cast<unsigned>(parts.seconds));
    return text;
}

LRESULT TimerListPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = TabPage::OnInitDialog(wParam, lParam);
    const struct {
        UINT control, caption, icon, disabledIcon;
    } buttons[] = {{IDC_TIMERS_ADD, IDS_TIMER_ADD, IDI_ADD, IDI_ADD_DISABLED},
                   {IDC_TIMERS_DELETE, IDS_TIMER_DELETE_BUTTON, IDI_CANCEL_SNOOZE, IDI_CANCEL_SNOOZE_DISABLED},
                   {IDC_TIMERS_EDIT, IDS_TIMER_EDIT_BUTTON, IDI_EDIT, IDI_EDIT_DISABLED},
                   {IDC_TIMERS_START, IDS_START, IDI_START, IDI_START_DISABLED},
                   {IDC_TIMERS_RESET, IDS_TIMER_RESET, IDI_RESET, IDI_RESET_DISABLED},
                   {IDC_TIMERS_STOP, IDS_STOP, IDI_STOP, IDI_STOP_DISABLED}};
    for (const auto& button : buttons)
        if (!AddIconButton(button.control, button.caption, button.icon, button.disabledIcon)) break;
    Column columns[kMaxColumns];
    for (int column = 0; column < kMaxColumns; ++column)
        columns[column] = {kColumns[column].captionId, Dpi_ScaleX(kColumns[column].width), {}};
    const Translator& texts = Translator::Instance();
    columns[1].samples = {FormatHMS(Ticks_FromSeconds(99 * 3600 + 59 * 60 + 59))};
    columns[2].samples = columns[3].samples = {texts.GetString(IDS_ON), texts.GetString(IDS_OFF)};
    SetUpList(columns, IDI_TIMER_TEMPLATE, IDI_TIMER, IDS_TIMERS_EMPTY_HINT);
    UpdateButtons();
    return result;
}

void TimerListPage::OnSize(UINT type, int width, int height) {
    TabPage::OnSize(type, width, height);
    const ButtonLayout layout = LayoutButtons();
    const int m = layout.margin, g = layout.gap, v = layout.verticalMargin, h = layout.height;
    const int a = (width - 2 * (m + g)) / 3;
    const int lower = height - v - h, upper = lower - v - h;
    const UINT rows[2][3] = {{IDC_TIMERS_ADD, IDC_TIMERS_DELETE, IDC_TIMERS_EDIT},
                             {IDC_TIMERS_START, IDC_TIMERS_STOP, IDC_TIMERS_RESET}};
    for (int column = 0; column < 3; ++column) {
        MoveWindow(GetDlgItem(GetHwnd(), rows[0][column]), m + column * (g + a), lower, a, h, TRUE);
        MoveWindow(GetDlgItem(GetHwnd(), rows[1][column]), m + column * (g + a), upper, a, h, TRUE);
    }
    MoveWindow(List(), m, v, width - 2 * m, upper - 2 * v, TRUE);
}

int TimerListPage::FindRow(const TimerItem* timer) const { return ItemListPage::FindRow(timer); }

void TimerListPage::InsertRow(TimerItem* timer) { InsertItemRow(timer); }

TimerItem* TimerListPage::SelectedTimer() const { return static_cast<TimerItem*>(SelectedItemData()); }

void TimerListPage::SelectTimer(const TimerItem* timer) {
    const int row = FindRow(timer);
    if (row >= 0) ListView_SelectItem(List(), row);
}

void TimerListPage::UpdateRow(TimerItem* timer) {
    if (!timer) return;
    const int row = FindRow(timer);
    if (row < 0) return;
    Translator& texts = Translator::Instance();
    const std::wstring columns[kMaxColumns] = {timer->GetTitle().CStr(), FormatHMS(timer->time),
                                               texts.GetString(RunsForReal(*timer) ? IDS_ON : IDS_OFF),
                                               texts.GetString(timer->IsOption1() ? IDS_ON : IDS_OFF)};
    SetRowTexts(row, columns, timer->IsTemplate() ? kTemplateImage : kTimerImage);
    Sort();
    SelectTimer(timer);
    if (!timer->IsTemplate() || !timer->IsRunning()) return;
    // A template never runs: what was started is a running copy of it.
    timer->ParentHash = 0;
    timer->flags &= ~TimerItem::kRunning;
    ItemStore* store = ItemStore::Current();
    TimerItem* copy = store ? store->CreateTimer(timer) : nullptr;
    if (!copy) return;
    copy->flags = (copy->flags & ~TimerItem::kTemplate) | TimerItem::kRunning;
    InsertRow(copy);
    UpdateRow(copy);
    copy->flags &= ~TimerItem::kNew;
}

bool TimerListPage::ShowTimeLeft(const TimerItem& timer) {
    const int row = FindRow(&timer);
    if (row < 0) return false;
    const std::wstring text = FormatHMS(timer.time);
    LVITEMW item = {};
    item.iSubItem = 1;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(List(), LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return true;
}

void TimerListPage::RemoveRow(const TimerItem* timer) {
    const int row = FindRow(timer);
    if (row < 0) return;
    SendMessageW(List(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    const int count = RowCount();
    const int next = row < count - 1 ? row : count - 1;
    if (next != -1) ListView_SelectItem(List(), next);
    SetFocus(List());
}

void TimerListPage::UpdateButtons() {
    const TimerItem* timer = SelectedTimer();
    const bool running = timer && RunsForReal(*timer);
    const struct {
        UINT control;
        bool enabled;
    } states[] = {{IDC_TIMERS_ADD, true},
                  {IDC_TIMERS_DELETE, timer != nullptr},
                  {IDC_TIMERS_EDIT, timer != nullptr},
                  {IDC_TIMERS_START, timer && !running},
                  {IDC_TIMERS_RESET, timer != nullptr},
                  {IDC_TIMERS_STOP, running}};
    for (const auto& state : states) EnableWindow(GetDlgItem(GetHwnd(), state.control), state.enabled);
    // A hidden page does not take the focus from the one shown.
    if (IsWindowVisible(GetHwnd())) SetFocus(List());
}

int TimerListPage::CompareRows(LPARAM first, LPARAM second) const {
    return CompareTimers(reinterpret_cast<const TimerItem*>(first), reinterpret_cast<const TimerItem*>(second),
                         SortColumn(), Ascending());
}

int TimerListPage::CompareTimers(const TimerItem* first, const TimerItem* second, int column, bool ascending) {
    if (!first || !second) return ascending ? 1 : -1;
    if (first->IsTemplate() != second->IsTemplate()) return (first->IsTemplate() == ascending) ? -1 : 1;
    const int byTitle = wcscmp(first->GetTitle().CStr(), second->GetTitle().CStr());
    const int inOrder = ascending ? byTitle : -byTitle;
    switch (column) {
    case 0:
        return inOrder;
    case 1:
        if (first->time != second->time) return ((first->time < second->time) == ascending) ? -1 : 1;
        // Equal times list by title the other way round.
        return -inOrder;
    case 2:
        if (first->IsRunning() != second->IsRunning()) return (first->IsRunning() == ascending) ? -1 : 1;
        return inOrder;
    case 3:
        if (first->IsOption1() != second->IsOption1()) return (first->IsOption1() == ascending) ? -1 : 1;
        return inOrder;
    default:
        return 0;
    }
}

LRESULT TimerListPage::OnNotify(WPARAM wParam, NMHDR* header) {
    // Tap-and-hold opens the menu only on a selected timer.
    if (header && header->idFrom == IDC_TIMERS_LIST && header->code == GN_CONTEXTMENU && !SelectedTimer()) return 0;
    LRESULT result = 0;
    if (OnListNotify(header, &result)) return result;
    const bool selectionChanged = header && header->code == static_cast<UINT>(LVN_ITEMCHANGED) &&
                                  (reinterpret_cast<NMLISTVIEW*>(header)->uChanged & LVIF_STATE);
    if (header && header->idFrom == IDC_TIMERS_LIST &&
        (header->code == static_cast<UINT>(LVN_KEYDOWN) || header->code == static_cast<UINT>(NM_CLICK) ||
         selectionChanged))
        UpdateButtons();
    if (header && (header->code == static_cast<UINT>(NM_RETURN) || header->code == static_cast<UINT>(NM_DBLCLK)))
        EditSelected();
    return TabPage::OnNotify(wParam, header);
}

void TimerListPage::LoadViewState(const RegKeyRef& productKey) {
    if (!LoadSortAndWidths(productKey)) return;
    if (ItemStore* store = ItemStore::Current()) {
        for (TimerItem* timer : store->Timers()) {
            InsertRow(timer);
            UpdateRow(timer);
        }
    }
    Sort();
    if (RowCount() > 0) ListView_SelectItem(List(), 0);
    UpdateButtons();
}
