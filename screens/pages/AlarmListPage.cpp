#include "AlarmListPage.h"

#include <commctrl.h>

#include <cmath>

#include "AlarmItem.h"
#include "ButtonMap.h"
#include "ContextHelp.h"
#include "DeviceScreen.h"
#include "Dpi.h"
#include "Gfx.h"
#include "ItemStore.h"
#include "ListViewItems.h"
#include "PageListView.h"
#include "Translator.h"
#include "aygshell.h"
#include "resource.h"

namespace {

constexpr float kColumnShares[AlarmListPage::kMaxColumns] = {0.49f, 0.3f, 0.2f};
constexpr UINT kColumnCaptions[AlarmListPage::kMaxColumns] = {IDS_NAME, IDS_TIME, IDS_SOUND};
constexpr int kActiveImage = 0;
constexpr int kInactiveImage = 1;
constexpr COLORREF kRowText = 0x323232;
constexpr COLORREF kOddRowBackground = 0x97FFAB;
constexpr int kCancelSnoozeExtra = 10;  // at 192 DPI: the middle button sits a little right
const wchar_t kAlarmsKey[] = L"Alarms";
const wchar_t kListSortKey[] = L"Alarms\\ListSort";
const wchar_t kColumnsWidthKey[] = L"Alarms\\ColumnsWidth";
const wchar_t kColumnValue[] = L"Column";
const wchar_t kAscendingValue[] = L"Ascending";

}  // namespace

std::wstring AlarmListPage::TimeText(const AlarmItem& alarm) {
    SYSTEMTIME time = {};
    Time_DateToSystemTime(alarm.time, time);
    wchar_t text[64] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, text, 64);
    return text;
}

AlarmListPage::AlarmListPage()
    : TabPage(IDD_ALARMS_PAGE, IDS_ALARMS, IDI_ALARM_ACTIVE, ContextHelp::kAlarms, ButtonMap::kAlarms) {}

AlarmListPage::~AlarmListPage() {
    list_.reset();
    if (images_) ImageList_Destroy(images_);
}

HWND AlarmListPage::List() const { return GetDlgItem(GetHwnd(), IDC_ALARMS_LIST); }

bool AlarmListPage::IsActive(const AlarmItem& alarm) {
    return (alarm.flags & AlarmItem::kEnabled) && (alarm.flags & AlarmItem::kDaysMask);
}

LRESULT AlarmListPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = TabPage::OnInitDialog(wParam, lParam);
    if (AddIconButton(IDC_ALARMS_ADD, IDS_ADD, IDI_ADD, IDI_ADD_DISABLED) &&
        AddIconButton(IDC_ALARMS_CANCEL_SNOOZE, IDS_CANCEL_SNOOZE, IDI_CANCEL_SNOOZE, IDI_CANCEL_SNOOZE_DISABLED))
        AddIconButton(IDC_ALARMS_EDIT, IDS_EDIT_BUTTON, IDI_EDIT, IDI_EDIT_DISABLED);
    HWND list = List();
    list_ = std::make_unique<PageListView>(*this);
    list_->Subclass(list);
    // The columns share the list's width as the page will lay it out: the screen's
    // width less the margins (the page is not sized yet).
    RECT client = {};
    GetWindowRect(list, &client);
    const int layoutWidth = DeviceScreen_GetSystemMetrics(SM_CXSCREEN) - 2 * LayoutButtons().margin;
    SetWindowPos(list, nullptr, 0, 0, layoutWidth, client.bottom - client.top, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(list, &client);
    for (int column = 0; column < kMaxColumns; ++column) {
        const std::wstring caption = Translator::Instance().GetString(kColumnCaptions[column]);
        LVCOLUMNW item = {};
        item.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        item.fmt = LVCFMT_CENTER;
        item.cx = static_cast<int>(kColumnShares[column] * static_cast<float>(client.right));
        item.pszText = const_cast<wchar_t*>(caption.c_str());
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
    const int size = Gfx_IconSizeForDpi();
    images_ = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 2, 0);
    for (UINT iconId : {IDI_ALARM_ACTIVE, IDI_ALARM_INACTIVE}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, 0));
        ImageList_AddIcon(images_, icon);
        if (icon) DestroyIcon(icon);
    }
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    firstShow_ = true;
    SetFocus(list);
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
    MoveWindow(GetDlgItem(GetHwnd(), IDC_ALARMS_ADD), m, y, a, h, TRUE);
    MoveWindow(GetDlgItem(GetHwnd(), IDC_ALARMS_CANCEL_SNOOZE), m + a + extra, y, a + g, h, TRUE);
    MoveWindow(GetDlgItem(GetHwnd(), IDC_ALARMS_EDIT), m + 2 * (a + g), y, a, h, TRUE);
    MoveWindow(List(), m, v, width - 2 * m, y - 2 * v, TRUE);
}

void AlarmListPage::OnDestroy() {
    if (list_ && list_->GetHwnd()) list_->Detach();
    if (images_) {
        SendMessageW(List(), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        ImageList_Destroy(images_);
        images_ = nullptr;
    }
    TabPage::OnDestroy();
}

void AlarmListPage::OnPageShow() {
    if (firstShow_) {
        firstShow_ = false;
        SetFocus(List());
    }
    TabPage::OnPageShow();
}

void AlarmListPage::FocusDefault() { SetFocus(List()); }

int AlarmListPage::FindRow(const AlarmItem* alarm) const {
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(alarm);
    return static_cast<int>(SendMessageW(List(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void AlarmListPage::InsertRow(AlarmItem* alarm) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = 0;
    item.lParam = reinterpret_cast<LPARAM>(alarm);
    SendMessageW(List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void AlarmListPage::UpdateRow(AlarmItem* alarm) {
    if (!alarm) return;
    const int row = FindRow(alarm);
    if (row < 0) return;
    const std::wstring texts[kMaxColumns] = {
        alarm->GetTitle().CStr(), TimeText(*alarm),
        Translator::Instance().GetString(alarm->IsOption1() ? IDS_ON : IDS_OFF)};
    for (int column = 0; column < kMaxColumns; ++column) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | (column == 0 ? LVIF_IMAGE : 0);
        item.iItem = row;
        item.iSubItem = column;
        item.iImage = IsActive(*alarm) ? kActiveImage : kInactiveImage;
        item.pszText = const_cast<wchar_t*>(texts[column].c_str());
        SendMessageW(List(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
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

AlarmItem* AlarmListPage::SelectedAlarm() const {
    const int row = static_cast<int>(SendMessageW(List(), LVM_GETSELECTIONMARK, 0, 0));
    if (row < 0) return nullptr;
    return reinterpret_cast<AlarmItem*>(ListView_GetItemData(List(), row));
}

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

void AlarmListPage::Sort() {
    SendMessageW(List(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&Compare));
}

int CALLBACK AlarmListPage::Compare(LPARAM first, LPARAM second, LPARAM pageParam) {
    const auto* page = reinterpret_cast<const AlarmListPage*>(pageParam);
    return CompareAlarms(reinterpret_cast<const AlarmItem*>(first), reinterpret_cast<const AlarmItem*>(second),
                         page->sortColumn_, page->ascending_);
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

void AlarmListPage::OnColumnClick(int column) {
    if (column >= 0 && column < kMaxColumns) sortColumn_ = column;
    ascending_ = !ascending_;
    Sort();
}

LRESULT AlarmListPage::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw->clrText = kRowText;
        if (draw->nmcd.dwItemSpec & 1) draw->clrTextBk = kOddRowBackground;
        SelectObject(draw->nmcd.hdc, list_->Font());
        return CDRF_NEWFONT;
    default:
        return 0;
    }
}

LRESULT AlarmListPage::OnNotify(WPARAM wParam, NMHDR* header) {
    if (header && header->idFrom == IDC_ALARMS_LIST) {
        if (header->code == GN_CONTEXTMENU) {
            const POINT& at = reinterpret_cast<const NMRGINFO*>(header)->ptAction;
            ShowContextMenuAt(at.x, at.y);
            return 1;
        }
        if (header->code == static_cast<UINT>(LVN_COLUMNCLICK)) {
            OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
            return 0;
        }
        if (header->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
            return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
        }
        if (header->code == static_cast<UINT>(LVN_ITEMCHANGED)) EnableEdit(SelectedAlarm() != nullptr);
    }
    if (header && (header->code == static_cast<UINT>(NM_RETURN) || header->code == static_cast<UINT>(NM_DBLCLK))) {
        EditSelected();
        return 0;
    }
    return TabPage::OnNotify(wParam, header);
}

void AlarmListPage::LoadViewState(const RegKeyRef& productKey) {
    RegKeyRef alarms = RegKeyRef::OpenSubKey(kAlarmsKey, productKey, true);
    if (!alarms.IsOpen()) return;
    RegKeyRef sort = RegKeyRef::OpenSubKey(L"ListSort", alarms, true);
    DWORD value = 0, type = 0, size = sizeof value;
    sortColumn_ = RegKeyRef_QueryValue(sort, kColumnValue, &type, &value, &size) == ERROR_SUCCESS &&
                          type == REG_DWORD && size == sizeof value
                      ? static_cast<int>(value)
                      : 0;
    size = sizeof value;
    ascending_ = !(RegKeyRef_QueryValue(sort, kAscendingValue, &type, &value, &size) == ERROR_SUCCESS &&
                   type == REG_DWORD && size == sizeof value) ||
                 value != 0;
    RegKeyRef widths = RegKeyRef::OpenSubKey(L"ColumnsWidth", alarms, true);
    for (int column = 0; column < kMaxColumns; ++column) {
        size = sizeof value;
        if (RegKeyRef_QueryValue(widths, std::to_wstring(column).c_str(), &type, &value, &size) == ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof value)
            SendMessageW(List(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(LOWORD(value), 0));
    }
    if (ItemStore* store = ItemStore::Current()) {
        for (AlarmItem* alarm : store->Alarms()) {
            if (alarm->flags & (AlarmItem::kHidden | AlarmItem::kNew)) continue;
            InsertRow(alarm);
            UpdateRow(alarm);
        }
    }
    Sort();
    if (SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0) > 0) Select(0);
    SetFocus(List());
}

void AlarmListPage::SaveViewState(const RegKeyRef& productKey) {
    RegKeyRef sort = RegKeyRef::OpenSubKey(kListSortKey, productKey, false);
    RegKey_WriteDword(sort, static_cast<DWORD>(sortColumn_), kColumnValue);
    RegKey_WriteDword(sort, ascending_ ? 1 : 0, kAscendingValue);
    RegKeyRef widths = RegKeyRef::OpenSubKey(kColumnsWidthKey, productKey, false);
    for (int column = 0; column < kMaxColumns; ++column) {
        const int width = static_cast<int>(SendMessageW(List(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        // A width of 0 is not kept: the list's default applies next time.
        if (width != 0) RegKey_WriteDword(widths, static_cast<DWORD>(width), std::to_wstring(column).c_str());
    }
}
