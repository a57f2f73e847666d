#include "SkinPage.h"

#include "AppMessageBox.h"
#include "ClockWnd.h"
#include "DeviceScreen.h"
#include "Skin.h"
#include "SkinList.h"
#include "Translator.h"
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
    ClockWnd* clock = ClockWnd::Instance();
    // After a choice that could not be stored, the list is the clock's: OK tries again.
    SkinList* skins = skins_ ? skins_.get() : clock && handedOver_ == &clock->Skins() ? handedOver_ : nullptr;
    if (!skins) return true;
    HWND list = GetDlgItem(GetHwnd(), IDC_SKIN_LIST);
    const LRESULT row = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (row < 0) return true;
    Skin* chosen = skins->At(static_cast<int>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(row), 0)));
    if (!chosen || !clock) return true;
    if (skins_) {
        handedOver_ = skins_.get();
        clock->UseSkins(std::move(skins_));
    }
    // Stored only once it is on the clock: a skin that fails to load leaves the built-in
    // one on the clock and the stored choice as it was.
    if (clock->CurrentSkin() != chosen || !clock->IsSkinLoaded()) {
        if (!clock->ApplySkin(chosen)) {
            if (Skin* builtIn = clock->Skins().BuiltIn(); builtIn && builtIn != chosen) clock->ApplySkin(builtIn);
            DeviceScreen_MessageBox(clock->GetHwnd(), ClockWnd::kOutOfMemoryText, ClockWnd::kOutOfMemoryCaption, MB_OK);
            return true;
        }
    }
    if (clock->Skins().SetCurrentSkin(*chosen)) return true;
    // Not stored: the sheet stays open, the clock showing the skin, for another try.
    const std::wstring text = Translator::Instance().GetString(IDS_SYNC_FAILED);
    AppMessageBox_Show(GetHwnd(), text.c_str(), MB_ICONHAND);
    return false;
}
