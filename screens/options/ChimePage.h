#pragma once
// Options page "Chime" (dialog 1200): the hourly chime's switch, its quiet hours, how
// often it strikes and how, and its sound and vibration (the indication dialog).
#include "PageBase.h"

class ChimeItem;

class ChimePage : public PageBase {
public:
    explicit ChimePage(ChimeItem& chime);

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    LRESULT OnNotify(WPARAM wParam, NMHDR* header) override;
    // Writes every control into the chime; its next moment is computed anew.
    bool OnOK(UINT id, HWND control) override;

private:
    void ShowIndication();
    void EnableQuietHours();
    void EditIndication();

    ChimeItem& chime_;
};

// The minutes between strikes of a chime type (combo index): 15, 30 or 60; 0 for anything else.
int ChimePage_TypeMinutes(int type);
