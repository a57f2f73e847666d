#include "SkinPage.h"

#include "ClockWnd.h"
#include "DeviceScreen.h"
#include "Skin.h"
#include "SkinList.h"
#include "resource.h"

SkinPage::SkinPage() = default;

SkinPage::~SkinPage() = default;

LRESULT SkinPage::OnEraseBkgnd(HDC dc) {
    // Reading every skin archive takes a while: only a page that is shown pays for it.
    if (!skins_) FillList();
    return PageBase::OnEraseBkgnd(dc);
}

void SkinPage::FillList() {
    skins_ = std::make_unique<SkinList>();
    HWND list = GetDlgItem(GetHwnd(), IDC_SKIN_LIST);
    const Skin* current = skins_->GetCurrent();
    for (int index = 0; index < skins_->Count(); ++index) {
        Skin* skin = skins_->At(index);
        // The item keeps the skin's place in the page's own list: skins without a GUID
        // are chosen by their name through it.
        const LRESULT row = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(skin->GetName().c_str()));
        if (row < 0) continue;
        SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(row), static_cast<LPARAM>(index));
        if (skin == current) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    }
}

bool SkinPage::OnOK(UINT, HWND) {
    if (!skins_) return true;
    HWND list = GetDlgItem(GetHwnd(), IDC_SKIN_LIST);
    const LRESULT row = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (row < 0) return true;
    Skin* chosen = skins_->At(static_cast<int>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(row), 0)));
    ClockWnd* clock = ClockWnd::Instance();
    if (!chosen || !clock) return true;
    clock->UseSkins(std::move(skins_));
    // Stored only once it is on the clock: a skin that fails to load leaves the built-in
    // one on the clock and the stored choice as it was.
    if (clock->ApplySkin(chosen)) {
        clock->Skins().SetCurrentSkin(*chosen);
    } else {
        if (Skin* builtIn = clock->Skins().BuiltIn(); builtIn && builtIn != chosen) clock->ApplySkin(builtIn);
        DeviceScreen_MessageBox(clock->GetHwnd(), ClockWnd::kOutOfMemoryText, ClockWnd::kOutOfMemoryCaption, MB_OK);
    }
    return true;
}
