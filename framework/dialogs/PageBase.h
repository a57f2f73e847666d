#pragma once
// A page of a tabbed dialog: a modeless child dialog that scrolls vertically when its
// controls do not fit and keeps the focused control in view.
#include "DialogBase.h"

class PageBase : public DialogBase {
public:
    // showHeader: whether the frame's header shows while this page is current.
    explicit PageBase(bool showHeader = true) : showHeader_(showHeader) {}

    void OnCommand(UINT id, HWND control, UINT code) override;
    void OnSize(UINT type, int width, int height) override;
    void OnVScroll(HWND bar, UINT code, UINT position) override;

    virtual bool IsScrollable();
    // Not called by the framework; pages may use it for their own commands.
    virtual bool OnPageHook();
    virtual void OnPageShow();
    virtual void OnPageHide();

    bool ShowHeader() const { return showHeader_; }

protected:
    void SetShowHeader(bool show) { showHeader_ = show; }

private:
    bool showHeader_;
};
