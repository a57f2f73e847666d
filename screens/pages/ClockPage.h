#pragma once
// The first tab of the main window: no controls of its own, it borrows the program's
// one clock window from the engine window while it lives and gives it back when it goes.
// Its soft-key menu is the clock's context menu with the common tail.
#include "TabPage.h"

class ClockWnd;

class ClockPage : public TabPage {
public:
    ClockPage();

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnPageShow() override;
    void OnPageHide() override;
    void OnSize(UINT type, int width, int height) override;
    void OnDestroy() override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    void OnHotKey(int id, UINT modifiers, UINT key) override;

    bool IsShown() const { return shown_; }

protected:
    bool IsContextMenuOpen() const override;
    void OpenContextMenu() override;

private:
    // Makes the clock a bordered child of this page, laid out at the page's size.
    void AttachClock();
    void FillMenuBarFromClock();
    bool HoldsClock(const ClockWnd* clock) const;

    bool shown_ = false;
};
