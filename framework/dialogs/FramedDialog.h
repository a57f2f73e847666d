#pragma once
// A modal dialog shown inside a full-screen frame: the frame (DialogFrame) draws a
// header with the translated title and an icon, carries the soft-key bar, and holds
// this dialog's own template as a modeless child below the header. The dialog
// scrolls vertically when it says it is scrollable.
#include <memory>

#include "DialogBase.h"

class DialogFrame;

class FramedDialog : public DialogBase {
public:
    static constexpr int kNoMenuBar = -1;
    static constexpr int kDefaultMenuBar = 0;

    // ownTemplateId: a child dialog template; captionStringId: the title's string id
    // (0: no title); iconId: the header icon (0: none); menuBarId: -1 none, 0 the
    // default bar, else a bar resource; largeFrame: frame template 1180, else 1170.
    FramedDialog(UINT ownTemplateId, UINT captionStringId, UINT iconId, bool doneButton, int menuBarId,
                 bool largeFrame);
    ~FramedDialog() override;

    // Runs the frame modally; 1 after OK, 2 after Cancel, -1 when it could not open.
    INT_PTR Show(HWND parent);
    // Opens the frame as a modeless child of a host window; false when it failed.
    bool ShowInside(HWND host);

    void OnSize(UINT type, int width, int height) override;
    void OnVScroll(HWND bar, UINT code, UINT position) override;
    // Opens help topic 1; dialogs override it with their own topic.
    LRESULT OnHelp(HELPINFO* info, WPARAM wParam) override;
    // The dialog base's initialisation, then the input panel goes down; returns 0.
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // The header icon was tapped in a frame without a menu bar (screen coordinates).
    virtual void OnIconClicked(int x, int y);
    virtual bool IsScrollable();

    DialogFrame& Frame() { return *frame_; }
    UINT OwnTemplateId() const { return ownTemplateId_; }

private:
    std::unique_ptr<DialogFrame> frame_;
    UINT ownTemplateId_;
};
