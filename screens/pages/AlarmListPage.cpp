#include "AlarmListPage.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "AlarmItem.h"
#include "ButtonMap.h"
#include "ContextHelp.h"
#include "DeviceScreen.h"
#include "Dpi.h"
#include "Gfx.h"
#include "ItemStore.h"
#include "ListViewItems.h"
#include "MainWindow.h"
#include "PageListView.h"
#include "Translator.h"
#include "aygshell.h"
#include "resource.h"

namespace {

constexpr float kColumnShares[AlarmListPage::kMaxColumns] = {0.49f, 0.3f, 0.2f};
constexpr UINT kColumnCaptions[AlarmListPage::kMaxColumns] = {IDS_NAME, IDS_TIME, IDS_SOUND};
constexpr int kActiveImage = 0;
constexpr int kInactiveImage = 1;
constexpr double kWidestTimeOfDay = 45000.0 + (22.0 + 58.0 / 60.0) / 24.0;  // 10:58 PM, or 22:58
constexpr int kCancelSnoozeExtra = 10;  // at 192 DPI: the middle button sits a little right

constexpr int kCaptionPadding = 6;  // at 96 DPI, on each side of a button's caption

// The width a button needs to show caption on one line in its own font.
int CaptionWidth(HWND button, const std::wstring& caption) {
    HDC dc = GetDC(button);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(button, dc);
    return size.cx + 2 * Dpi_ScaleX(kCaptionPadding);
}

}  // namespace

std::wstring AlarmListPage::TimeText(const AlarmItem& alarm) {
    SYSTEMTIME time = {};
    Time_DateToSystemTime(alarm.time, time);
    wchar_t text[64] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, text, 64);
    return text;
}

AlarmListPage::AlarmListPage()
    : ItemListPage(IDD_ALARMS_PAGE, IDS_ALARMS, IDI_ALARM_ACTIVE, ContextHelp::kAlarms, ButtonMap::kAlarms,
                   IDC_ALARMS_LIST, L"Alarms", kMaxColumns) {
    SetNeighbourTabs(MainWindow::kClockTab, MainWindow::kTimersTab);
}

AlarmListPage::~AlarmListPage() = default;

bool AlarmListPage::IsActive(const AlarmItem& alarm) {
    return (alarm.flags & AlarmItem::kEnabled) && (alarm.flags & AlarmItem::kDaysMask);
}

LRESULT AlarmListPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = TabPage::OnInitDialog(wParam, lParam);
    if (AddIconButton(IDC_ALARMS_ADD, IDS_ADD, IDI_ADD, IDI_ADD_DISABLED) &&
        AddIconButton(IDC_ALARMS_CANCEL_SNOOZE, IDS_CANCEL_SNOOZE, IDI_CANCEL_SNOOZE, IDI_CANCEL_SNOOZE_DISABLED))
        AddIconButton(IDC_ALARMS_EDIT, IDS_EDIT_BUTTON, IDI_EDIT, IDI_EDIT_DISABLED);
    // The columns share the list's width as the page will lay it out.
    const int width = LaidOutListWidth();
    Column columns[kMaxColumns];
    for (int column = 0; column < kMaxColumns; ++column)
        columns[column] = {kColumnCaptions[column], static_cast<int>(kColumnShares[column] * static_cast<float>(width)),
                           {}};
    AlarmItem widest;
    widest.time = kWidestTimeOfDay;
    const Translator& texts = Translator::Instance();
    columns[1].samples = {TimeText(widest)};
    columns[2].samples = {texts.GetString(IDS_ON), texts.GetString(IDS_OFF)};
    SetUpList(columns, IDI_ALARM_ACTIVE, IDI_ALARM_INACTIVE, IDS_ALARMS_EMPTY_HINT);
    SetFocus(List());
    EnableEdit(false);
    return result;
}

void AlarmListPage::OnSize(UINT type, int width, int height) {
    TabPage::OnSize(type, width, height);
    const ButtonLayout layout = LayoutButtons();
    const int m = layout.margin, g = layout.gap, v = layout.verticalMargin, h = layout.height;
    const int a = (width - 2 * (m + g)) / 3;
    const int y = height - v - h;
    const int extra = (kCancelSnoozeExtra * Dpi_GetX() + 48) / 192;
    // "Cancel snooze" is the long caption: its button widens to show it whole, the other two
    // share what is left.
    HWND cancel = GetDlgItem(GetHwnd(), IDC_ALARMS_CANCEL_SNOOZE);
    const int middle = std::max(a + g, CaptionWidth(cancel, Translator::Instance().GetString(IDS_CANCEL_SNOOZE)));
    const int outer = std::min(a, (width - 2 * m - g - middle) / 2);
    MoveWindow(GetDlgItem(GetHwnd(), IDC_ALARMS_ADD), m, y, outer, h, TRUE);
    MoveWindow(cancel, m + outer + extra, y, middle, h, TRUE);
    MoveWindow(GetDlgItem(GetHwnd(), IDC_ALARMS_EDIT), m + outer + middle + g, y, outer, h, TRUE);
    MoveWindow(List(), m, v, width - 2 * m, y - 2 * v, TRUE);
}

int AlarmListPage::FindRow(const AlarmItem* alarm) const { return ItemListPage::FindRow(alarm); }

void AlarmListPage::InsertRow(AlarmItem* alarm) { InsertItemRow(alarm); }

void AlarmListPage::UpdateRow(AlarmItem* alarm) {
    if (!alarm) return;
    const int row = FindRow(alarm);
    if (row < 0) return;
    const std::wstring texts[kMaxColumns] = {
        alarm->GetTitle().CStr(), TimeText(*alarm),
        Translator::Instance().GetString(alarm->IsOption1() ? IDS_ON : IDS_OFF)};
    SetRowTexts(row, texts, IsActive(*alarm) ? kActiveImage : kInactiveImage);
    Sort();
}

void AlarmListPage::RemoveRow(int row) {
    if (row == -1) return;
    HWND list = List();
    if (ListView_GetItemData(list, row)) SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const int next = row < count - 1 ? row : count - 1;
    if (next != -1) ListView_SelectItem(list, next);
    SetFocus(list);
}

AlarmItem* AlarmListPage::SelectedAlarm() const { return static_cast<AlarmItem*>(SelectedItemData()); }

void AlarmListPage::Select(int row) {
    if (row < 0) return;
    ListView_SelectItem(List(), row);
    EnableEdit(true);
}

void AlarmListPage::ShowNewAlarm(AlarmItem* alarm) {
    InsertRow(alarm);
    UpdateRow(alarm);
    Select(FindRow(alarm));
}

void AlarmListPage::EnableEdit(bool enable) { EnableWindow(GetDlgItem(GetHwnd(), IDC_ALARMS_EDIT), enable); }

int AlarmListPage::CompareRows(LPARAM first, LPARAM second) const {
    return CompareAlarms(reinterpret_cast<const AlarmItem*>(first), reinterpret_cast<const AlarmItem*>(second),
                         SortColumn(), Ascending());
}

int AlarmListPage::CompareAlarms(const AlarmItem* first, const AlarmItem* second, int column, bool ascending) {
    if (!first || !second) return 1;
    const bool firstActive = IsActive(*first), secondActive = IsActive(*second);
    if (firstActive != secondActive) return (firstActive == ascending) ? -1 : 1;
    const int byTitle = wcscmp(first->GetTitle().CStr(), second->GetTitle().CStr());
    switch (column) {
    case 0:
        return ascending ? byTitle : -byTitle;
    case 1: {
        const double firstTime = first->time - std::floor(first->time);
        const double secondTime = second->time - std::floor(second->time);
        if (firstTime != secondTime) return ((firstTime < secondTime) == ascending) ? -1 : 1;
        // Equal times list by title the other way round.
        return ascending ? -byTitle : byTitle;
    }
    case 2: {
        const bool firstSound = first->IsOption1(), secondSound = second->IsOption1();
        if (firstSound != secondSound) return (firstSound == ascending) ? -1 : 1;
        return ascending ? byTitle : -byTitle;
    }
    default:
        return 0;
    }
}

LRESULT AlarmListPage::OnNotify(WPARAM wParam, NMHDR* header) {
    LRESULT result = 0;
    if (OnListNotify(header, &result)) return result;
    if (header && header->idFrom == IDC_ALARMS_LIST && header->code == static_cast<UINT>(LVN_ITEMCHANGED))
        EnableEdit(SelectedAlarm() != nullptr);
    if (header && (header->code == static_cast<UINT>(NM_RETURN) || header->code == static_cast<UINT>(NM_DBLCLK))) {
        EditSelected();
        return 0;
    }
    return TabPage::OnNotify(wParam, header);
}

void AlarmListPage::LoadViewState(const RegKeyRef& productKey) {
    if (!LoadSortAndWidths(productKey)) return;
    if (ItemStore* store = ItemStore::Current()) {
        for (AlarmItem* alarm : store->Alarms()) {
            if (alarm->flags & (AlarmItem::kHidden | AlarmItem::kNew)) continue;
            InsertRow(alarm);
            UpdateRow(alarm);
        }
    }
    Sort();
    if (RowCount() > 0) Select(0);
    SetFocus(List());
}
