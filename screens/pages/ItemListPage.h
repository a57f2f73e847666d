#pragma once
// The common ground of the alarms and timers pages: a list of store items (each row
// holding its item) painted by a PageListView with bold, striped rows; a sort column and
// direction toggled by the headers; the sort state and column widths kept under the
// page's registry key; and one menu serving as soft-key and context menu.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "TabPage.h"

class PageListView;

class ItemListPage : public TabPage {
public:
    ~ItemListPage() override;

    HWND List() const { return GetDlgItem(GetHwnd(), listId_); }
    int SortColumn() const { return sortColumn_; }
    bool Ascending() const { return ascending_; }
    // The row holding item, or -1.
    int FindRow(const void* item) const;

    void OnDestroy() override;
    void OnPageShow() override;
    void SaveViewState(const RegKeyRef& productKey) override;
    void FocusDefault() override;

protected:
    struct Column {
        UINT captionId;
        int width;  // pixels, by the page's design
        std::vector<std::wstring> samples;  // the widest texts the column shows
    };

    // stateKey: the page's key under the product key; columns: how many the list has.
    ItemListPage(UINT templateId, UINT captionId, UINT iconId, int helpContext, int buttonMode, UINT listId,
                 const wchar_t* stateKey, int columnCount);

    // Subclasses the list, inserts the centred columns, sets the two row images and full-row
    // selection. The columns fill the list's width: headings and samples whole, the first
    // column the rest. The hint shows while the list is empty.
    void SetUpList(const Column* columns, UINT firstImage, UINT secondImage, UINT emptyHintId);
    // The list's client width once the page lays it out (the page is not sized yet).
    int LaidOutListWidth();
    // Inserts a row at the top holding item (no text yet).
    void InsertItemRow(void* item);
    // Writes the row's texts; the first column also gets the image.
    void SetRowTexts(int row, const std::wstring* texts, int image);
    // The item of the row at the selection mark, or null.
    void* SelectedItemData() const;
    int SelectionMark() const;
    int RowCount() const;
    void Sort();
    // The sort state and column widths; false when the page's key does not open.
    bool LoadSortAndWidths(const RegKeyRef& productKey);
    // The common notifications of the list (tap-and-hold, header, custom draw); true when handled.
    bool OnListNotify(NMHDR* header, LRESULT* result);
    void ShowContextMenuAt(int x, int y);
    // At the top-left corner of the selected row's second column.
    void OpenContextMenu() override;

    // The rows' order (negative: first before second).
    virtual int CompareRows(LPARAM first, LPARAM second) const = 0;

private:
    static int CALLBACK CompareCallback(LPARAM first, LPARAM second, LPARAM page);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
    void FitColumns(const Column* columns);

    UINT listId_;
    const wchar_t* stateKey_;
    int columnCount_;
    int sortColumn_ = 0;
    bool ascending_ = true;
    std::unique_ptr<PageListView> list_;
    HIMAGELIST images_ = nullptr;
    bool firstShow_ = false;
};
