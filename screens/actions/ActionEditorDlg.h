#pragma once
// What the action editors share: a framed modal dialog with the default soft keys, a
// translated message box, the program chooser and reading a control's text.
#include "FramedDialog.h"
#include "RcString.h"

#include <string>

class ActionEditorDlg : public FramedDialog {
public:
    ActionEditorDlg(UINT templateId, UINT captionStringId)
        : FramedDialog(templateId, captionStringId, 0, true, kDefaultMenuBar, false) {}

protected:
    // The translated string in the program's message box over this dialog.
    void ShowMessage(UINT stringId, UINT flags);
    void ShowText(const std::wstring& text, UINT flags);
    RcString ControlText(int id);
};

// The open-file chooser on "Programs" (*.exe) and "All" (*.*), starting in folder (null:
// the chooser's own choice); true with the chosen full path.
bool ActionEditor_ChooseProgram(HWND owner, const wchar_t* folder, std::wstring& path);
