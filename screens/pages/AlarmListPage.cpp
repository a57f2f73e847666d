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

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// The width a button needs to show its caption whole in its own font: on one line under
// the icon, or (twoLines) broken at the first space into two lines beside it, when narrower.
int CaptionWidth(HWND button, const std::wstring& caption, bool twoLines) {
    HDC dc = GetDC(button);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
    int need = TextWidth(dc, caption) + 2 * Dpi_ScaleX(kCaptionPadding);
    const size_t space = caption.find(L' ');
    if (twoLines && space != std::wstring::npos) {
        const int lines = std::max(TextWidth(dc, caption.substr(0, space)), TextWidth(dc, caption.substr(space + 1)));
        need = std::min(need, lines + Gfx_IconSizeForDpi() + 4 * Dpi_ScaleX(kCaptionPadding));
    }
    SelectObject(dc, previous);
    ReleaseDC(button, dc);
    return need;
}

// Each of the three widths at least its design and its need; what passes the available
// room is given back by the buttons with the most beyond their needs.
void FitButtonWidths(int (&widths)[3], const int (&needs)[3], const int (&design)[3], int available) {
    for (int i = 0; i < 3; ++i) widths[i] = std::max(design[i], needs[i]);
    for (int excess = widths[0] + widths[1] + widths[2] - available; excess > 0;) {
        int widest = 0;
        for (int i = 1; i < 3; ++i)
            if (widths[i] - needs[i] > widths[widest] - needs[widest]) widest = i;
        const int cut = std::min(excess, widths[widest] - needs[widest]);
        if (cut <= 0) break;
        widths[widest] -= cut;
        excess -= cut;
    }
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
    // Each button at least as wide as its caption needs ("Cancel snooze" is long), the
    // others giving back what they have beyond theirs.
    const UINT ids[3] = {IDC_ALARMS_ADD, IDC_ALARMS_CANCEL_SNOOZE, IDC_ALARMS_EDIT};
    const UINT captions[3] = {IDS_ADD, IDS_CANCEL_SNOOZE, IDS_EDIT_BUTTON};
    const int design[3] = {a, a + g, a};
    const int available = width - 2 * m - g;
    int widths[3], needs[3];
    for (bool twoLines : {false, true}) {
        for (int i = 0; i < 3; ++i)
            needs[i] = CaptionWidth(GetDlgItem(GetHwnd(), ids[i]), Translator::Instance().GetString(captions[i]), twoLines);
        if (needs[0] + needs[1] + needs[2] <= available) break;
    }
    FitButtonWidths(widths, needs, design, available);
    MoveWindow(GetDlgItem(GetHwnd(), ids[0]), m, y, widths[0], h, TRUE);
    MoveWindow(GetDlgItem(GetHwnd(), ids[1]), m + widths[0] + extra, y, widths[1], h, TRUE);
    MoveWindow(GetDlgItem(GetHwnd(), ids[2]), m + widths[0] + widths[1] + g, y, widths[2], h, TRUE);
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
