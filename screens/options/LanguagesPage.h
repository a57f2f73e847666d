#pragma once
// Options page "Languages" (dialog 263): the languages of the language pack with their
// flags. Choosing another one and OK switches the texts and the Start-menu shortcuts at
// once and offers to restart the program.
#include "PageBase.h"

class LanguagesPage : public PageBase {
public:
    // The launcher started to restart the program after the question was answered yes.
    static constexpr wchar_t kRestartWord[] = L"-startfull";

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnNotify(WPARAM wParam, NMHDR* header) override;
    bool OnOK(UINT id, HWND control) override;

private:
    int openedRow_ = -1;
};
