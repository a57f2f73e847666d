#pragma once
// Options page "Skins" (dialog 1220): the clock skins by name. The list is made when the
// page is first drawn; on OK the clock window takes the page's list and draws the chosen
// skin, which then becomes the stored choice; one that fails to load leaves the
// built-in skin on the clock and the stored choice as it was. A choice that cannot be
// stored says so and keeps the sheet open.
#include <memory>

#include "PageBase.h"

class SkinList;

class SkinPage : public PageBase {
public:
    SkinPage();
    ~SkinPage() override;

    LRESULT OnEraseBkgnd(HDC dc) override;
    // Nothing when the list was never made or nothing is selected; false when the choice
    // could not be stored.
    bool OnOK(UINT id, HWND control) override;

    // Fills the list box now (the page does this when it is first drawn).
    void FillList();
    bool Filled() const { return skins_ != nullptr; }

private:
    std::unique_ptr<SkinList> skins_;
    SkinList* handedOver_ = nullptr;  // the list the clock took from the page
};
