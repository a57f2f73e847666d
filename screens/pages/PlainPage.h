#pragma once
// A tab of the main window that shows only its dialog: the clock, timers, stopwatch
// and about pages until their own screens come. It keeps the common menu tail on the
// soft key and the tab cycling of its hot keys.
#include "TabPage.h"

class PlainPage : public TabPage {
public:
    // previousTab and nextTab: where "previous tab" and "next tab" go (-1: nowhere).
    PlainPage(UINT templateId, UINT captionId, int helpContext, int buttonMode, int previousTab, int nextTab);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnHotKey(int id, UINT modifiers, UINT key) override;

private:
    int previousTab_;
    int nextTab_;
};
