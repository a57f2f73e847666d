#include "SettingsDialog.h"

#include <commctrl.h>

#include "App.h"
#include "DialogFrame.h"
#include "EditorMessages.h"
#include "FileDialog.h"
#include "ItemStore.h"
#include "MenuBarButtons.h"
#include "MenuBarWnd.h"
#include "PageBase.h"
#include "PlatformHelpers.h"
#include "RecorderDialog.h"
#include "Settings.h"
#include "SettingsCommandBar.h"
#include "Signaller.h"
#include "SoundPage.h"
#include "Translator.h"
#include "VibrationPage.h"
#include "resource.h"

namespace {

// The soft-key bar's popup is its second button.
constexpr int kMenuButton = 1;
// The "Profiles" popup, "Record a sound" when shown, and a separator stand at the top of
// that popup.
constexpr int kProfilesPosition = 0;
constexpr int kProfilesItems = 2;
constexpr DWORD kRecordNameLength = 260;
// From this OS version the sheets' bar is a soft-key menu; before it, a command bar.
constexpr int kFirstSoftKeyMenuVersion = 5;
const wchar_t kOfferedRecordName[] = L"MyRecord.mp3";

// The language pack's texts of the "Profiles" popup: under menu 2060, or in a pack that
// names the popup as the sheets' own menu, under that menu.
const std::map<std::string, TranslationEntry>* ProfilesTranslation(const Translator& translator) {
    if (const auto* entry = translator.FindEntry(IDM_PROFILES, translator.Menus())) return entry;
    return translator.FindEntry(IDM_TAB_MENUBAR, translator.Menus());
}

// The "Profiles" popup of menu 2060, translated, as a new popup menu.
HMENU MakeProfilesPopup() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HMENU menuTemplate = LoadMenuW(instance, MAKEINTRESOURCEW(IDM_PROFILES));
    if (!menuTemplate) return nullptr;
    HMENU wrapper = CreatePopupMenu();
    if (wrapper) {
        Menu_CopyItems(menuTemplate, wrapper, nullptr, -1);
        const Translator& translator = Translator::Instance();
        if (const auto* entry = ProfilesTranslation(translator)) {
            TranslationEntry root;
            root.children = *entry;
            translator.ApplyMenu(wrapper, menuTemplate, root);
        }
    }
    DestroyMenu(menuTemplate);
    if (!wrapper) return nullptr;
    // Only the popup is kept: it is taken out of the wrapper before the wrapper goes.
    HMENU popup = GetSubMenu(wrapper, 0);
    RemoveMenu(wrapper, 0, MF_BYPOSITION);
    DestroyMenu(wrapper);
    return popup;
}

}  // namespace

bool Editor_DeviceCanVibrate() {
    Signaller* signaller = App::GetSignaller();
    return signaller && signaller->HasVibrator();
}

SettingsDialog::SettingsDialog(UINT captionStringId, UINT iconId)
    : TabDialog(captionStringId, iconId, true, IDM_TAB_MENUBAR, true) {
    if (Sys_GetOsMajorVersion() < kFirstSoftKeyMenuVersion) commandBar_ = std::make_unique<SettingsCommandBar>();
}

SettingsDialog::~SettingsDialog() = default;

PageBase* SettingsDialog::AddPageFromTemplate(PageBase* page, UINT templateId, UINT captionStringId) {
    if (!page->CreateModeless(templateId, GetHwnd(), nullptr)) {
        if (page->GetHwnd()) DestroyWindow(page->GetHwnd());
        delete page;
        return nullptr;
    }
    AddPage(page, captionStringId);
    return page;
}

void SettingsDialog::AddSoundPages(ItemSoundSettings* sound, ItemVibrationSettings* vibration) {
    soundPage_ = AddCreatedPage(new SoundPage(sound), IDD_SOUND_PAGE, IDS_SOUND);
    if (Editor_DeviceCanVibrate())
        vibrationPage_ = AddCreatedPage(new VibrationPage(vibration), IDD_VIBRATION_PAGE, IDS_VIBRO_TAB);
}

bool SettingsDialog::ValidateSoundPage() { return !soundPage_ || soundPage_->CheckNumbers(); }

bool SettingsDialog::ValidateVibrationPage() {
    if (!vibrationPage_ || !Editor_DeviceCanVibrate()) return true;
    for (int id : {IDC_VIBRO_BEFORE_TIME, IDC_VIBRO_FIXED_TIME}) {
        if (!vibrationPage_->Validate(id)) {
            SetFocus(GetDlgItem(vibrationPage_->GetHwnd(), id));
            return false;
        }
    }
    return true;
}

bool SettingsDialog::ApplySoundPages() {
    if (soundPage_ && !soundPage_->Apply()) return false;
    return !vibrationPage_ || vibrationPage_->Apply();
}

LRESULT SettingsDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == EditorMessage::kPageChanged) {
        UpdateMenu(static_cast<int>(SendMessageW(TabStrip(), TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    return TabDialog::WindowProc(message, wParam, lParam);
}

HMENU SettingsDialog::SoftKeyMenu() const {
    HWND bar = const_cast<SettingsDialog*>(this)->Frame().MenuBar();
    return bar ? MenuBar_GetSubMenu(bar, kMenuButton) : nullptr;
}

HMENU SettingsDialog::ProfilesMenu() const { return commandBar_ ? commandBar_->Popup() : SoftKeyMenu(); }

void SettingsDialog::RemoveProfiles() {
    HMENU menu = SoftKeyMenu();
    if (!profilesShown_ || !menu) return;
    // DeleteMenu destroys the popup with its item.
    const int items = kProfilesItems + (recordShown_ ? 1 : 0);
    for (int item = 0; item < items; ++item) DeleteMenu(menu, kProfilesPosition, MF_BYPOSITION);
    profilesShown_ = false;
    recordShown_ = false;
}

void SettingsDialog::SetMenuText(bool show, UINT popupTextId, bool withRecordEntry) {
    if (commandBar_) {
        const std::wstring text = show ? Translator::Instance().GetString(popupTextId) : std::wstring();
        commandBar_->Show(Frame().MenuBar(), show, text,
                          show && !commandBar_->Popup() ? MakeProfilesPopup() : nullptr, withRecordEntry);
        profilesShown_ = show && commandBar_->Popup();
        recordShown_ = profilesShown_ && withRecordEntry;
        return;
    }
    RemoveProfiles();
    HMENU menu = SoftKeyMenu();
    if (!show || !menu) return;
    HMENU popup = MakeProfilesPopup();
    if (!popup) return;
    const std::wstring text = Translator::Instance().GetString(popupTextId);
    if (!InsertMenuW(menu, kProfilesPosition, MF_BYPOSITION | MF_POPUP | MF_STRING,
                     reinterpret_cast<UINT_PTR>(popup), text.c_str())) {
        DestroyMenu(popup);
        return;
    }
    profilesShown_ = true;
    if (withRecordEntry)
        recordShown_ = InsertMenuW(menu, kProfilesPosition + 1, MF_BYPOSITION | MF_STRING, IDM_PROFILES_RECORD,
                                   Translator::Instance().GetString(IDS_RECORD_SOUND).c_str()) != FALSE;
    InsertMenuW(menu, kProfilesPosition + (recordShown_ ? 2 : 1), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void SettingsDialog::UpdateMenu(int pageIndex) {
    HMENU menu = ProfilesMenu();
    if (!menu || !profilesShown_) return;
    PageBase* page = pageIndex >= 0 && pageIndex < PageCount() ? PageAt(pageIndex) : nullptr;
    const bool enabled = (page && page == soundPage_) ||
                         (page && page == vibrationPage_ && !vibrationPage_->IsChanged());
    const UINT state = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(menu, IDM_PROFILES_SET_DEFAULT, state);
    EnableMenuItem(menu, IDM_PROFILES_RESET, state);
}

void SettingsDialog::SelectPage(int index) {
    TabDialog::SelectPage(index);
    PageBase* page = PageAt(index);
    if (page && page == soundPage_)
        SetMenuText(true, IDS_SOUND_PROFILES, true);
    else if (page && page == vibrationPage_)
        SetMenuText(true, IDS_VIBRO_PROFILES, false);
    else
        SetMenuText(false, 0, false);
    UpdateMenu(index);
}

void SettingsDialog::SetPageAsDefault() {
    ItemStore* store = ItemStore::Current();
    PageBase* page = CurrentPage();
    if (!store || !page) return;
    Settings& settings = store->GetSettings();
    if (page == soundPage_) {
        if (soundPage_->Collect(*settings.defaultSoundSettings)) store->Save(true);
    } else if (page == vibrationPage_) {
        if (vibrationPage_->Save(*settings.defaultVibrationSettings)) store->Save(true);
    }
}

void SettingsDialog::ResetPage() {
    PageBase* page = CurrentPage();
    if (page && page == soundPage_) soundPage_->Reset();
    else if (page && page == vibrationPage_) vibrationPage_->Load();
}

void SettingsDialog::RecordSound() {
    const std::wstring filter = std::wstring(L"Sound files") + L'\0' + L"*.wav;*.mp3" + L'\0';
    wchar_t name[kRecordNameLength] = {};
    wcscpy(name, kOfferedRecordName);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Frame().GetHwnd();
    dialog.hInstance = GetModuleHandleW(nullptr);
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrDefExt = L"wav";
    dialog.lpstrInitialDir = App::SoundsFolder().CStr();
    dialog.lpstrFile = name;
    dialog.nMaxFile = kRecordNameLength;
    dialog.Flags = OFN_OVERWRITEPROMPT;
    if (!FileDialog_GetSaveName(&dialog)) return;
    Signaller* signaller = App::GetSignaller();
    // The page's own test sound; a ring that plays meanwhile goes on.
    if (signaller && soundPage_) signaller->StopSound(soundPage_->GetHwnd());
    RecorderDialog recorder(name, signaller);
    if (recorder.Run(Frame().GetHwnd(), nullptr) == 1 && recorder.Recorded() && soundPage_) soundPage_->AddPath(name);
}

void SettingsDialog::OnCommand(UINT id, HWND control, UINT code) {
    if (!control && id == IDM_PROFILES_RECORD) RecordSound();
    if (!control && (id == IDM_PROFILES_SET_DEFAULT || id == IDM_PROFILES_RESET)) {
        if (id == IDM_PROFILES_SET_DEFAULT) SetPageAsDefault();
        else ResetPage();
        UpdateMenu(CurrentIndex());
    }
    TabDialog::OnCommand(id, control, code);
}
