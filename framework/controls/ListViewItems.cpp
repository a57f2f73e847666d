#include "ListViewItems.h"

#include <commctrl.h>

LPARAM ListView_GetItemData(HWND listView, int row) {
    LVITEMW item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageW(listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return item.lParam;
}

void ListView_SelectItem(HWND listView, int row) {
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(listView, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageW(listView, LVM_SETSELECTIONMARK, 0, row);
    SendMessageW(listView, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}
