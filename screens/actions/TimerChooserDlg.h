#pragma once
// The timer template that the start and stop timer actions act on.
#include "ActionEditorDlg.h"
#include "ItemHash.h"

class TimerChooserDlg : public ActionEditorDlg {
public:
    // Starts on timerHash; after OK, Chosen() is the selected template's Hash.
    explicit TimerChooserDlg(ItemHash timerHash);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // Without a selection it asks for one and stays open.
    bool OnOK(UINT id, HWND control) override;

    ItemHash Chosen() const { return timerHash_; }

private:
    ItemHash timerHash_;
};
