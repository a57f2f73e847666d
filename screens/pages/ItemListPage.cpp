#include "ItemListPage.h"

#include <algorithm>
#include <string>

#include "ColumnFit.h"
#include "DeviceScreen.h"
#include "Dpi.h"
#include "Gfx.h"
#include "ListViewItems.h"
#include "PageListView.h"
#include "Translator.h"
#include "aygshell.h"

namespace {

constexpr COLORREF kRowText = 0x323232;
constexpr COLORREF kOddRowBackground = 0x97FFAB;
constexpr int kTextPadding = 8;  // at 96 DPI, on each side of a heading or a cell's text
const wchar_t kColumnValue[] = L"Column";
const wchar_t kAscendingValue[] = L"Ascending";

int TextWidth(HDC dc, HFONT font, const std::wstring& text) {
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    return size.cx;
}

bool QueryDword(const RegKeyRef& key, const wchar_t* name, DWORD* value) {
    DWORD type = 0, size = sizeof *value;
    return RegKeyRef_QueryValue(key, name, &type, value, &size) == ERROR_SUCCESS && type == REG_DWORD &&
           size == sizeof *value;
}

}  // namespace

ItemListPage::ItemListPage(UINT templateId, UINT captionId, UINT iconId, int helpContext, int buttonMode,
                           UINT listId, const wchar_t* stateKey, int columnCount)
    : TabPage(templateId, captionId, iconId, helpContext, buttonMode),
      listId_(listId),
      stateKey_(stateKey),
      columnCount_(columnCount) {}

ItemListPage::~ItemListPage() {
    list_.reset();
    if (images_) ImageList_Destroy(images_);
}

int ItemListPage::LaidOutListWidth() {
    HWND list = List();
    RECT bounds = {};
    GetWindowRect(list, &bounds);
    const int width = DeviceScreen_GetSystemMetrics(SM_CXSCREEN) - 2 * LayoutButtons().margin;
    SetWindowPos(list, nullptr, 0, 0, width, bounds.bottom - bounds.top, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(list, &bounds);
    return bounds.right;
}

void ItemListPage::SetUpList(const Column* columns, UINT firstImage, UINT secondImage, UINT emptyHintId) {
    HWND list = List();
    list_ = std::make_unique<PageListView>(*this);
    list_->Subclass(list);
    list_->SetEmptyHint(Translator::Instance().GetString(emptyHintId));
    for (int column = 0; column < columnCount_; ++column) {
        const std::wstring caption = Translator::Instance().GetString(columns[column].captionId);
        LVCOLUMNW item = {};
        item.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        item.fmt = LVCFMT_CENTER;
        item.cx = columns[column].width;
        item.pszText = const_cast<wchar_t*>(caption.c_str());
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
    FitColumns(columns);
    const int size = Gfx_IconSizeForDpi();
    images_ = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 2, 0);
    for (UINT iconId : {firstImage, secondImage}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, 0));
        ImageList_AddIcon(images_, icon);
        if (icon) DestroyIcon(icon);
    }
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    firstShow_ = true;
}

void ItemListPage::FitColumns(const Column* columns) {
    HWND list = List();
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    HFONT headerFont = reinterpret_cast<HFONT>(SendMessageW(header ? header : list, WM_GETFONT, 0, 0));
    if (!headerFont) headerFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const int padding = 2 * Dpi_ScaleX(kTextPadding);
    std::vector<int> preferred, needs;
    HDC dc = GetDC(list);
    for (int column = 0; column < columnCount_; ++column) {
        int need = TextWidth(dc, headerFont, Translator::Instance().GetString(columns[column].captionId));
        for (const std::wstring& sample : columns[column].samples) need = std::max(need, TextWidth(dc, list_->Font(), sample));
        // The first column's texts stand beside the row image.
        if (column == 0 && !columns[column].samples.empty()) need += Gfx_IconSizeForDpi();
        needs.push_back(need + padding);
        preferred.push_back(columns[column].width);
    }
    ReleaseDC(list, dc);
    const std::vector<int> widths = ColumnFit_Widths(preferred, needs, LaidOutListWidth());
    for (int column = 0; column < columnCount_; ++column)
        SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(widths[column], 0));
}

void ItemListPage::OnDestroy() {
    if (list_ && list_->GetHwnd()) list_->Detach();
    if (images_) {
        SendMessageW(List(), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
        ImageList_Destroy(images_);
        images_ = nullptr;
    }
    TabPage::OnDestroy();
}

void ItemListPage::OnPageShow() {
    if (firstShow_) {
        firstShow_ = false;
        SetFocus(List());
    }
    TabPage::OnPageShow();
}

void ItemListPage::FocusDefault() { SetFocus(List()); }

int ItemListPage::FindRow(const void* item) const {
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = reinterpret_cast<LPARAM>(item);
    return static_cast<int>(
        SendMessageW(List(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void ItemListPage::InsertItemRow(void* item) {
    LVITEMW row = {};
    row.mask = LVIF_PARAM;
    row.lParam = reinterpret_cast<LPARAM>(item);
    SendMessageW(List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
}

void ItemListPage::SetRowTexts(int row, const std::wstring* texts, int image) {
    for (int column = 0; column < columnCount_; ++column) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | (column == 0 ? LVIF_IMAGE : 0);
        item.iItem = row;
        item.iSubItem = column;
        item.iImage = image;
        item.pszText = const_cast<wchar_t*>(texts[column].c_str());
        SendMessageW(List(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

int ItemListPage::SelectionMark() const {
    return static_cast<int>(SendMessageW(List(), LVM_GETSELECTIONMARK, 0, 0));
}

int ItemListPage::RowCount() const { return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }

void* ItemListPage::SelectedItemData() const {
    const int row = SelectionMark();
    return row < 0 ? nullptr : reinterpret_cast<void*>(ListView_GetItemData(List(), row));
}

void ItemListPage::Sort() {
    SendMessageW(List(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&CompareCallback));
}

int CALLBACK ItemListPage::CompareCallback(LPARAM first, LPARAM second, LPARAM page) {
    return reinterpret_cast<const ItemListPage*>(page)->CompareRows(first, second);
}

LRESULT ItemListPage::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
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

bool ItemListPage::OnListNotify(NMHDR* header, LRESULT* result) {
    if (!header || header->idFrom != listId_) return false;
    *result = 0;
    if (header->code == GN_CONTEXTMENU) {
        const POINT& at = reinterpret_cast<const NMRGINFO*>(header)->ptAction;
        ShowContextMenuAt(at.x, at.y);
        *result = 1;
        return true;
    }
    if (header->code == static_cast<UINT>(LVN_COLUMNCLICK)) {
        const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
        if (column >= 0 && column < columnCount_) sortColumn_ = column;
        // Also a new column turns the direction round.
        ascending_ = !ascending_;
        Sort();
        return true;
    }
    if (header->code == static_cast<UINT>(NM_CUSTOMDRAW)) {
        *result = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
        return true;
    }
    return false;
}

void ItemListPage::ShowContextMenuAt(int x, int y) {
    HMENU menu = Menu();
    if (!menu) return;
    const UINT command = TrackMenu(menu, x, y);
    if (command) SendMessageW(GetHwnd(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    SetFocus(List());
}

void ItemListPage::OpenContextMenu() {
    const int row = SelectionMark();
    if (row < 0 || !SelectedItemData()) return;
    RECT label = {};
    label.top = 1;  // the sub-item
    label.left = LVIR_LABEL;
    SendMessageW(List(), LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&label));
    POINT corner = {label.left, label.top};
    ClientToScreen(List(), &corner);
    ShowContextMenuAt(corner.x, corner.y);
}

bool ItemListPage::LoadSortAndWidths(const RegKeyRef& productKey) {
    RegKeyRef state = RegKeyRef::OpenSubKey(stateKey_, productKey, true);
    if (!state.IsOpen()) return false;
    RegKeyRef sort = RegKeyRef::OpenSubKey(L"ListSort", state, true);
    DWORD value = 0;
    sortColumn_ = QueryDword(sort, kColumnValue, &value) ? static_cast<int>(value) : 0;
    ascending_ = !QueryDword(sort, kAscendingValue, &value) || value != 0;
    RegKeyRef widths = RegKeyRef::OpenSubKey(L"ColumnsWidth", state, true);
    for (int column = 0; column < columnCount_; ++column)
        if (QueryDword(widths, std::to_wstring(column).c_str(), &value))
            SendMessageW(List(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(LOWORD(value), 0));
    return true;
}

void ItemListPage::SaveViewState(const RegKeyRef& productKey) {
    RegKeyRef state = RegKeyRef::OpenSubKey(stateKey_, productKey, false);
    RegKeyRef sort = RegKeyRef::OpenSubKey(L"ListSort", state, false);
    RegKey_WriteDword(sort, static_cast<DWORD>(sortColumn_), kColumnValue);
    RegKey_WriteDword(sort, ascending_ ? 1 : 0, kAscendingValue);
    RegKeyRef widths = RegKeyRef::OpenSubKey(L"ColumnsWidth", state, false);
    for (int column = 0; column < columnCount_; ++column) {
        const int width = static_cast<int>(SendMessageW(List(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        // A width of 0 is not kept: the list's default applies next time.
        if (width != 0) RegKey_WriteDword(widths, static_cast<DWORD>(width), std::to_wstring(column).c_str());
    }
}
