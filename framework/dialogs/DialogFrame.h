#pragma once
// The full-screen frame around a FramedDialog: header (bold title, icon in a box,
// a rule below), soft-key bar, full-screen set-up on activation, and the owner's
// dialog as a child below the header.
#include <memory>
#include <string>

#include <aygshell.h>

#include "ControlWndBase.h"
#include "DialogBase.h"
#include "RcString.h"

class FramedDialog;
class MenuBarWnd;
class DialogFrame;

// The header icon's static, painted with the frame's icon.
class FrameIconControl : public ControlWndBase {
public:
    explicit FrameIconControl(DialogFrame& frame) : frame_(frame) {}
    void OnPaint() override;

private:
    DialogFrame& frame_;
    HBRUSH background_ = nullptr;  // the control class's brush, cached on first paint
};

class DialogFrame : public DialogBase {
public:
    static constexpr int kToolbarButtonCount = 3;

    DialogFrame(FramedDialog& owner, const std::wstring& title, UINT iconId, bool doneButton, int menuBarId,
                bool largeFrame);
    ~DialogFrame() override;

    // Runs the frame modally over parent; the dialog's end code, -1 when it failed.
    INT_PTR RunModal(HWND parent);
    // Makes the frame a modeless child of parent (a window that hosts it, such as the
    // main window); false when it could not be made.
    bool CreateChild(HWND parent);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int width, int height) override;
    void OnPaint() override;
    LRESULT OnCtlColorStatic(HDC dc, HWND control) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    bool OnOK(UINT id, HWND control) override;
    bool OnCancel(UINT id, HWND control) override;
    void OnActivate(UINT state, HWND other, BOOL minimized) override;
    void OnSettingChange(UINT flag, LPARAM lParam) override;
    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;
    void OnDestroy() override;

    // Shows or hides the header; compact makes it lower.
    void ShowIcon(bool show, bool compact);
    // The frame destroys the icon with itself; the previous one is not destroyed.
    void SetImage(HICON icon);
    // The header's title text.
    void SetTitle(const wchar_t* title);
    int HeaderHeight() const;

    HICON Icon() const { return icon_; }
    bool HeaderShown() const { return headerShown_; }
    bool Compact() const { return compact_; }
    HWND MenuBar() const;
    const RcString& Title() const { return title_; }
    UINT ToolbarBitmapId() const { return toolbarBitmapId_; }
    bool LargeFrame() const { return largeFrame_; }

private:
    void CreateMenuBar();
    void PlaceHeaderControls();

    UINT iconId_;
    int menuBarId_;
    UINT toolbarBitmapId_;
    int toolbarButtonCount_ = kToolbarButtonCount;
    bool doneButton_;
    SHACTIVATEINFO activationInfo_ = {};
    FrameIconControl iconControl_;
    HICON icon_ = nullptr;
    bool largeFrame_;
    bool headerShown_ = true;
    bool compact_ = true;
    FramedDialog& owner_;
    std::unique_ptr<MenuBarWnd> menuBar_;
    HFONT titleFont_ = nullptr;
    RcString title_;
};
