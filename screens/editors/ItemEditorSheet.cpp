#include "ItemEditorSheet.h"

#include <aygshell.h>

#include <cwchar>

#include "Action.h"
#include "DialogFrame.h"
#include "EventItem.h"
#include "EventPage.h"
#include "SoundPage.h"
#include "Translator.h"
#include "VibrationPage.h"
#include "resource.h"

ItemEditorSheet::ItemEditorSheet(const Layout& layout, EventItem& item)
    : SettingsDialog(layout.captionStringId, layout.iconId), layout_(layout), item_(item), hash_(item.Hash) {}

LRESULT ItemEditorSheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && wParam == kHideSipNotify) SHFullScreen(GetHwnd(), SHFS_HIDESIPBUTTON);
    return SettingsDialog::WindowProc(message, wParam, lParam);
}

void ItemEditorSheet::OnInitPages() {
    mainPage_ = AddPageFromTemplate(CreateMainPage(), layout_.mainTemplateId, layout_.mainCaptionId);
    eventPage_ =
        AddCreatedPage(new EventPage(item_, layout_.actionsHelpTopic), IDD_EVENT_PAGE, layout_.actionsCaptionId);
    AddSoundPages(&item_.soundSettings, &item_.vibrationSettings);
}

void ItemEditorSheet::OnOpened(UINT, WPARAM) {
    if (mainPage_) SelectPage(0);
    SetForegroundWindow(Frame().GetHwnd());
}

bool ItemEditorSheet::CanOK() {
    // Every step may run a modal loop (a message box, a question), in which a ring or a
    // command may delete the item: it is looked up again after each.
    discarded_ = !ItemStillThere();
    if (discarded_) return true;
    if (!ValidateSoundPage() || !ValidateMainPage() || !ValidateVibrationPage()) return Discarded();
    if (soundPage_ && !soundPage_->Apply()) return Discarded();
    if (Discarded()) return true;
    if (mainPage_) mainPage_->OnOK(IDOK, nullptr);
    if (Discarded()) return true;
    if (eventPage_) eventPage_->OnOK(IDOK, nullptr);
    if (Discarded()) return true;
    if (vibrationPage_ && !vibrationPage_->Apply()) return Discarded();
    if (Discarded()) return true;
    FinishCommit();
    if (Discarded()) return true;
    NameAfterAction();
    return true;
}

bool ItemEditorSheet::Discarded() {
    discarded_ = !ItemStillThere();
    return discarded_;
}

void ItemEditorSheet::NameAfterAction() {
    const wchar_t* prefix = layout_.defaultTitlePrefix;
    const RcString& title = item_.GetTitle();
    if (wcsncmp(title.CStr(), prefix, wcslen(prefix)) != 0 || item_.actionType == Action::kTypeNone || !item_.action)
        return;
    const std::wstring name = Translator::Instance().GetString(static_cast<UINT>(item_.action->NameStringId()));
    item_.SetTitle(RcString(name.c_str()));
}
