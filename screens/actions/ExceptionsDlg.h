#pragma once
// The programs whose running keeps the screen saver away. The list shows each path
// shortened to its width and keeps the full path as the entry's data.
#include "ActionEditorDlg.h"

class ScreenSaverSettings;

class ExceptionsDlg : public ActionEditorDlg {
public:
    // On OK the settings' list is replaced; the opener saves the settings.
    explicit ExceptionsDlg(ScreenSaverSettings& settings);

    void OnDestroy() override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    bool OnOK(UINT id, HWND control) override;

private:
    void AddEntry(const wchar_t* path);
    void AddProgram();
    void DeleteSelected();
    const wchar_t* EntryPath(int index);

    ScreenSaverSettings& settings_;
};
