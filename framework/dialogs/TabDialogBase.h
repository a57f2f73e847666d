#pragma once
// A framed dialog that shows one of several pages at a time. It owns its pages.
#include "FramedDialog.h"
#include "PtrArray.h"

class PageBase;

class TabDialogBase : public FramedDialog {
public:
    // Posted to itself at initialisation; arrives once the dialog is up.
    static constexpr UINT kOpenedMessage = WM_USER + 32;

    TabDialogBase(UINT ownTemplateId, UINT captionStringId, UINT iconId, bool doneButton, int menuBarId,
                  bool largeFrame);
    // Deletes every page.
    ~TabDialogBase() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int width, int height) override;
    // Passed on to the current page; nothing without one.
    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;
    // The dialog base's initialisation, input panel down, OnInitPages, then the
    // opened message is posted; returns 1.
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnCancel(UINT id, HWND control) override;
    bool OnOK(UINT id, HWND control) override;
    void OnIconClicked(int x, int y) override;
    bool IsScrollable() override;

    virtual void OnInitPages();
    virtual void OnOpened(UINT message, WPARAM wParam);
    virtual void GetPageArea(RECT& area);
    virtual bool CanOK();
    virtual bool CanCancel();
    virtual void SelectPageObject(PageBase* page);
    // A bad index raises the page array's error.
    virtual void SelectPage(int index);

    int PageCount() const { return pages_.GetCount(); }
    PageBase* PageAt(int index) const;
    int CurrentIndex() const { return current_; }
    PageBase* CurrentPage() const;

protected:
    // Appends a page (its window must exist); the array's result.
    int AppendPage(PageBase* page);
    // Moves the current page to the page area when it is elsewhere.
    void SizePage();

private:
    PtrArray pages_;
    int current_ = -1;
};
