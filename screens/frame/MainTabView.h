#pragma once
// The main window's tabbed view: the clock, alarms, timers, stopwatch and about pages
// inside a frame with the page's caption and icon as its header. On the newer shells
// the tab strip is hidden and pages are chosen by the main menu, hot keys and soft
// keys. It remembers the current tab as "CurTabSel" and the pages' view states.
#include "RegKeyRef.h"
#include "TabDialog.h"

class TabPage;

class MainTabView : public TabDialog {
public:
    static constexpr wchar_t kCurTabValue[] = L"CurTabSel";

    MainTabView();
    ~MainTabView() override;

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // The older shells' icon tabs.
    LRESULT OnDrawItem(UINT controlId, DRAWITEMSTRUCT* item) override;
    // Below OS 5 nothing moves while the input panel is up.
    void OnSize(UINT type, int width, int height) override;
    void OnInitPages() override;
    // RestoreState, once the view is up.
    void OnOpened(UINT message, WPARAM wParam) override;
    void OnDestroy() override;
    void SelectPage(int index) override;
    // Without the tab strip (newer shells) the pages reach down to the soft keys.
    void GetPageArea(RECT& area) override;
    bool CanOK() override { return false; }
    bool CanCancel() override { return false; }

    // The pages' view states and the stored tab; a tab asked for before that waits for it.
    void RestoreState();
    // The pages' view states and the current tab, under the product key.
    void SaveState();
    // Selects tab now, or right after RestoreState when that has not run yet.
    void SelectTab(int tab);
    // The tab "CurTabSel" stands for: 0 unless it is a DWORD below the page count.
    static int StoredTab(const RegKeyRef& productKey, int pageCount);

    TabPage* Page(int index) const;
    // Below OS 5 the tab strip shows along the bottom, with the "Settings" link.
    static bool OlderShell();

private:
    bool restored_ = false;
    int pendingTab_ = -1;
};
