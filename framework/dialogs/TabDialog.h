#pragma once
// The tabbed dialog: pages above a tab strip along the bottom (template 1020), and,
// in a frame without menu bar, a menu of the tabs behind the header icon.
#include <string>

#include "TabDialogBase.h"

class TabDialog : public TabDialogBase {
public:
    // Commands of the tab-list menu: kTabMenuFirstId + tab index.
    static constexpr UINT kTabMenuFirstId = 0xE700;

    TabDialog(UINT captionStringId, UINT iconId, bool doneButton, int menuBarId, bool largeFrame);
    ~TabDialog() override;

    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnNotify(WPARAM wParam, NMHDR* header) override;
    void OnSize(UINT type, int width, int height) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // Shows the tab-list menu at the tap.
    void OnIconClicked(int x, int y) override;
    void GetPageArea(RECT& area) override;
    void SelectPageObject(PageBase* page) override;
    void SelectPage(int index) override;

    // Adds a created page under its translated caption.
    int AddPage(PageBase* page, UINT captionStringId);
    // Appends a tab with the text and the page; the page array's result.
    int InsertTab(PageBase* page, const wchar_t* text);

    HWND TabStrip() const { return tabStrip_; }
    HMENU TabListMenu() const { return tabListMenu_; }

private:
    void SyncStrip();

    HMENU tabListMenu_ = nullptr;
    HWND tabStrip_ = nullptr;
};
