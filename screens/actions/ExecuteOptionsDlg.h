#pragma once
// The command line of the program-execution action, chosen with the file chooser or
// typed, tried with "Test", and whether it runs when the ring is dismissed.
#include "ActionEditorDlg.h"

class ExecuteAction;

class ExecuteOptionsDlg : public ActionEditorDlg {
public:
    // Where the chooser starts: the folder of the last program chosen.
    static constexpr wchar_t kLastFolderValue[] = L"ExecProgLastDir";

    explicit ExecuteOptionsDlg(ExecuteAction& action);

    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    // An empty command line is refused and the dialog stays open.
    bool OnOK(UINT id, HWND control) override;

private:
    void ChooseProgram();
    void TestRun();

    ExecuteAction& action_;
};
