#include "SoundPage.h"

#include <commctrl.h>
#include <commdlg.h>

#include "App.h"
#include "AppMessageBox.h"
#include "EditorControls.h"
#include "EditorMessages.h"
#include "FileDialog.h"
#include "HelpTopic.h"
#include "ItemStore.h"
#include "LastFolder.h"
#include "PlatformHelpers.h"
#include "Settings.h"
#include "Signaller.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr wchar_t kSoundFilesDirValue[] = L"SoundFilesDir";
constexpr int kPathLength = MAX_PATH;
constexpr int kAscTimeShownWhenOff = 10;
constexpr int kAscTimeShownAfterReset = 1;
constexpr UINT kFolderDialogFlags = 0x400000 | OFN_FILEMUSTEXIST;
constexpr UINT kFileDialogFlags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
constexpr UINT kMessageFlags = MB_TOPMOST | MB_ICONHAND;

std::wstring Tr(UINT id) { return Translator::Instance().GetString(id); }

std::wstring WindowText(HWND window) {
    RcString text;
    text.FromWindowText(window);
    return text.CStr();
}

struct NumberField {
    int id, low, high;
};
constexpr NumberField kNumberFields[] = {
    {IDC_SOUND_REPEAT, SoundPage::kRepeatMin, SoundPage::kRepeatMax},
    {IDC_SOUND_REPSPLIT, SoundPage::kRepSplitMin, SoundPage::kRepSplitMax},
    {IDC_SOUND_ASCTIME, SoundPage::kAscTimeMin, SoundPage::kAscTimeMax},
};

Signaller* TheSignaller() { return App::GetSignaller(); }

// One look, without waiting: a memory card that is not mounted stays missing.
bool Exists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(SoundCombo::HostPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

SoundPage::SoundPage(ItemSoundSettings* record) : edited_(record) {
    if (record) working_ = *record;
}

SoundPage::~SoundPage() = default;

LRESULT SoundPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == Signaller::kSoundEndedMessage) {
        SetDlgItemTextW(GetHwnd(), IDC_SOUND_TEST, Tr(IDS_SOUND_TEST).c_str());
        return 0;
    }
    if (message == Translator::kDialogTranslatedMessage) {
        UpdateVolumeLabel();
        return 0;
    }
    return PageBase::WindowProc(message, wParam, lParam);
}

LRESULT SoundPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    SendMessageW(Item(IDC_SOUND_REPEAT_SPIN), UDM_SETRANGE32, kRepeatMin, kRepeatMax);
    SendMessageW(Item(IDC_SOUND_REPSPLIT_SPIN), UDM_SETRANGE32, kRepSplitMin, kRepSplitMax);
    SendMessageW(Item(IDC_SOUND_ASCTIME_SPIN), UDM_SETRANGE32, kAscTimeMin, kAscTimeMax);
    SendMessageW(Item(IDC_SOUND_VOLUME), TBM_SETRANGE, TRUE, MAKELPARAM(kVolumeMin, kVolumeMax));
    ShowSettings(working_, kAscTimeShownWhenOff, true);
    SetDlgItemTextW(GetHwnd(), IDC_SOUND_TEST, Tr(IDS_SOUND_TEST).c_str());
    list_.Attach(Item(IDC_SOUND_LIST), Tr(IDS_SOUND_NOT_FOUND));
    FillSoundList();
    return result;
}

void SoundPage::ShowSettings(const ItemSoundSettings& settings, int emptyAscTime, bool raiseVolume) {
    HWND page = GetHwnd();
    Editor_SetNumber(page, IDC_SOUND_REPEAT, settings.repeat);
    Editor_Check(page, IDC_SOUND_REPEATING, settings.repeat > 1);
    Editor_SetNumber(page, IDC_SOUND_REPSPLIT, settings.repsplit);
    Editor_SetNumber(page, IDC_SOUND_ASCTIME, settings.asctime ? settings.asctime : emptyAscTime);
    Editor_Check(page, IDC_SOUND_ASCENDING, settings.asctime != 0);
    Editor_Check(page, IDC_SOUND_RESPECT_SYSTEM, settings.respectsys != 0);
    int volume = settings.volume;
    if (raiseVolume && volume < kVolumeMin) {
        volume = kVolumeMin;
        working_.volume = kVolumeMin;
    }
    SendMessageW(Item(IDC_SOUND_VOLUME), TBM_SETPOS, TRUE, volume);
    UpdateVolumeLabel();
    EnableGroups();
}

void SoundPage::UpdateVolumeLabel() {
    const int position = static_cast<int>(SendMessageW(Item(IDC_SOUND_VOLUME), TBM_GETPOS, 0, 0));
    wchar_t text[16] = {};
    swprintf(text, 16, L"%d%%", position);
    SetDlgItemTextW(GetHwnd(), IDC_SOUND_VOLUME_VALUE, text);
}

void SoundPage::EnableGroups() {
    HWND page = GetHwnd();
    const bool repeating = Editor_IsChecked(page, IDC_SOUND_REPEATING);
    for (int id : {IDC_SOUND_REPEAT_LABEL, IDC_SOUND_REPEAT, IDC_SOUND_REPEAT_SPIN, IDC_SOUND_REPSPLIT_LABEL,
                   IDC_SOUND_REPSPLIT, IDC_SOUND_REPSPLIT_SPIN})
        Editor_Enable(page, id, repeating);
    const bool ascending = Editor_IsChecked(page, IDC_SOUND_ASCENDING);
    for (int id : {IDC_SOUND_ASCTIME_LABEL, IDC_SOUND_ASCTIME, IDC_SOUND_ASCTIME_SPIN})
        Editor_Enable(page, id, ascending);
}

std::unique_ptr<SoundEntry> SoundPage::MakeEntry(const std::wstring& path, bool missing) const {
    auto entry = std::make_unique<SoundEntry>();
    entry->kind = 1;
    entry->fullPath = path;
    entry->missing = missing;
    // A sound of the sounds folder by its name, any other by its full path.
    entry->displayName = path;
    const size_t slash = path.rfind(L'\\');
    const std::wstring sounds = App::SoundsFolder().CStr();
    if (slash != std::wstring::npos && !sounds.empty() && SoundCombo::SameText(path.substr(0, slash), sounds))
        entry->displayName = path.substr(slash + 1);
    return entry;
}

bool SoundPage::AddPath(const std::wstring& path) {
    if (!ListPath(path)) return false;
    soundChosen_ = true;
    return true;
}

bool SoundPage::ListPath(const std::wstring& path) {
    if (!Exists(path)) return false;
    // By the full path: two files may show the same shortened text.
    LRESULT index = list_.Find(path);
    // Found now: the entry loses its mark.
    if (index != CB_ERR && list_.At(index)->missing) {
        list_.Remove(index);
        index = CB_ERR;
    }
    if (index == CB_ERR) index = list_.Add(MakeEntry(path, false));
    if (index < 0) return false;
    list_.Select(index);
    return true;
}

void SoundPage::FillSoundList() {
    // The stored sound shows and stays chosen; one the page cannot find (a card not
    // mounted) shows as not found.
    const std::wstring stored = working_.builtIn ? std::wstring() : working_.custom.CStr();
    if (!stored.empty() && !ListPath(stored)) list_.Select(list_.Add(MakeEntry(stored, true)));
    const std::wstring defaultText = Tr(IDS_SOUND_DEFAULT);
    if (!SoundCombo::SameText(stored, defaultText)) {
        auto entry = std::make_unique<SoundEntry>();
        entry->displayName = defaultText;
        const LRESULT index = list_.Add(std::move(entry));
        if (index >= 0 && stored.empty()) list_.Select(index);
    }
    wchar_t windowsFolder[MAX_PATH] = {};
    Sys_GetWindowsFolder(windowsFolder);
    const SoundEntry* selected = list_.Selected();
    scan_.Start(App::SoundsFolder().CStr(), windowsFolder, Sound_HasSndApi(),
                selected && selected->kind == 1 ? SoundCombo::HostPath(selected->fullPath) : std::wstring());
}

void SoundPage::HandOverScan() {
    std::vector<std::unique_ptr<SoundEntry>> entries = scan_.Finish();
    for (auto& entry : entries) found_.push_back(std::move(entry));
    for (auto& entry : found_)
        if (list_.Find(entry->fullPath) == CB_ERR) list_.Add(std::move(entry));
    found_.clear();
}

void SoundPage::OnDestroy() {
    if (Signaller* signaller = TheSignaller()) signaller->StopSound(GetHwnd());
    PageBase::OnDestroy();
    scan_.Abandon();
    list_.FreeEntries();
}

void SoundPage::ReadSoundChoice(ItemSoundSettings& target) const {
    const SoundEntry* entry = list_.Selected();
    if (entry && entry->kind == 1 && !entry->fullPath.empty()) {
        target.builtIn = 0;
        target.custom = RcString(entry->fullPath.c_str());
        return;
    }
    // Until the user picks a sound, a built-in one of the record stays as it is (its own
    // resource); so does the record's sound when the list could not take it at all.
    if (!soundChosen_ && (working_.builtIn || !entry)) {
        target.builtIn = working_.builtIn;
        target.custom = working_.custom;
        target.customres = working_.customres;
        return;
    }
    target.builtIn = 1;
    target.custom = RcString();
    target.customres = ItemSoundSettings::kDefaultSoundResource;
}

bool SoundPage::CheckNumber(int id) {
    for (const NumberField& field : kNumberFields) {
        if (field.id != id) continue;
        validating_ = false;
        const int value = Editor_ReadNumber(GetHwnd(), id, 0, INT_MIN);
        const bool valid = value >= field.low && value <= field.high;
        if (!valid) {
            Editor_ShowRange(GetHwnd(), IDS_ENTER_VALUE_RANGE, field.low, field.high, MB_TOPMOST | MB_ICONHAND);
            Editor_SetNumber(GetHwnd(), id, field.low);
        }
        validating_ = true;
        return valid;
    }
    return true;
}

bool SoundPage::CheckNumbers() {
    for (const NumberField& field : kNumberFields) {
        if (!CheckNumber(field.id)) {
            SetFocus(Item(field.id));
            return false;
        }
    }
    return true;
}

bool SoundPage::Collect(ItemSoundSettings& target) {
    if (!CheckNumbers()) return false;
    HWND page = GetHwnd();
    int repeat = Editor_ReadNumber(page, IDC_SOUND_REPEAT, 0, 1);
    int repsplit = Editor_ReadNumber(page, IDC_SOUND_REPSPLIT, 0, 0);
    if (!Editor_IsChecked(page, IDC_SOUND_REPEATING)) {
        repeat = 1;
        repsplit = 0;
    }
    target.repeat = static_cast<uint16_t>(repeat);
    target.repsplit = static_cast<uint16_t>(repsplit);
    target.asctime = Editor_IsChecked(page, IDC_SOUND_ASCENDING)
                         ? static_cast<uint16_t>(Editor_ReadNumber(page, IDC_SOUND_ASCTIME, 0, kAscTimeShownWhenOff))
                         : 0;
    target.respectsys = Editor_IsChecked(page, IDC_SOUND_RESPECT_SYSTEM) ? 1 : 0;
    target.volume = static_cast<uint16_t>(SendMessageW(Item(IDC_SOUND_VOLUME), TBM_GETPOS, 0, 0));
    ReadSoundChoice(target);
    return true;
}

bool SoundPage::Apply() { return edited_ ? Collect(*edited_) : CheckNumbers(); }

void SoundPage::Reset() {
    ItemStore* store = ItemStore::Current();
    if (!store) return;
    const ItemSoundSettings& defaults = *store->GetSettings().defaultSoundSettings;
    ShowSettings(defaults, kAscTimeShownAfterReset, false);
    working_.respectsys = defaults.respectsys;
    soundChosen_ = true;
    if (defaults.builtIn || !AddPath(defaults.custom.CStr())) {
        HWND combo = Item(IDC_SOUND_LIST);
        list_.Select(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(Tr(IDS_SOUND_DEFAULT).c_str())));
    }
}

void SoundPage::OnTest() {
    Signaller* signaller = TheSignaller();
    HWND test = Item(IDC_SOUND_TEST);
    const std::wstring testText = Tr(IDS_SOUND_TEST);
    if (WindowText(test) != testText) {
        SetWindowTextW(test, testText.c_str());
        if (signaller) signaller->StopSound(GetHwnd());
        return;
    }
    ItemSoundSettings sound;
    if (!Collect(sound)) return;
    // A sound the list shows as not found is looked for once more, not waited for here.
    const SoundEntry* chosen = list_.Selected();
    const bool missing = chosen && chosen->missing && !Exists(chosen->fullPath);
    SetWindowTextW(test, Tr(IDS_SOUND_STOP).c_str());
    if (!missing && signaller && signaller->StartSound(sound, GetHwnd(), GetModuleHandleW(nullptr), true, true))
        return;
    SetWindowTextW(test, testText.c_str());
    AppMessageBox_Show(GetHwnd(), Tr(IDS_SOUND_PLAY_FAILED).c_str(), MB_TOPMOST | MB_ICONHAND);
}

void SoundPage::OnVolumeReleased() {
    Signaller* signaller = TheSignaller();
    const int position = static_cast<int>(SendMessageW(Item(IDC_SOUND_VOLUME), TBM_GETPOS, 0, 0));
    if (signaller && signaller->IsPlayingFor(GetHwnd())) {
        if (Editor_IsChecked(GetHwnd(), IDC_SOUND_RESPECT_SYSTEM))
            Volume_SetPercent(*signaller, position * signaller->SavedDeviceVolume() / 100);
        else
            Volume_SetPercent(*signaller, position);
    } else if (signaller) {
        ItemSoundSettings sample;
        sample.builtIn = 1;
        sample.customres = kVolumeSampleResource;
        sample.volume = static_cast<uint16_t>(position);
        sample.repeat = 1;
        sample.repsplit = 2;
        sample.asctime = 0;
        sample.respectsys = working_.respectsys;
        // The page's own, unreported: a ring that plays goes on once it is over.
        signaller->BeginSound(sample, GetHwnd(), GetModuleHandleW(nullptr), false, false);
    }
    Editor_NotifyPageChanged(GetHwnd());
}

void SoundPage::OnHScroll(HWND bar, UINT code, UINT position) {
    if (bar != Item(IDC_SOUND_VOLUME)) {
        PageBase::OnHScroll(bar, code, position);
        return;
    }
    switch (code) {
    case TB_LINEUP:
    case TB_LINEDOWN:
    case TB_PAGEUP:
    case TB_PAGEDOWN:
    case TB_THUMBTRACK:
        UpdateVolumeLabel();
        break;
    case TB_ENDTRACK:
        OnVolumeReleased();
        UpdateVolumeLabel();
        break;
    default:
        break;
    }
}

void SoundPage::ChooseFolder() {
    wchar_t name[kPathLength] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetHwnd();
    dialog.hInstance = GetModuleHandleW(nullptr);
    dialog.lpstrFile = name;
    dialog.nMaxFile = kPathLength;
    dialog.lpstrInitialDir = L"\\";
    dialog.Flags = kFolderDialogFlags;
    if (FileDialog_GetOpenName(&dialog) == 1) AddPath(name);
}

void SoundPage::ChooseFile() {
    const std::wstring folder = LastFolder_Read(kSoundFilesDirValue);
    // "Sound files" then "All", each a name and a pattern, doubly terminated.
    std::wstring patterns = L"*.ogg;*.wav;*.mp3";
    if (Sound_HasSndApi()) patterns += L";*.wma";
    std::wstring filter = L"Sound files";
    filter += L'\0' + patterns + L'\0' + L"All" + L'\0' + L"*.*" + L'\0';
    wchar_t name[kPathLength] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetHwnd();
    dialog.hInstance = GetModuleHandleW(nullptr);
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = name;
    dialog.nMaxFile = kPathLength;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.Flags = kFileDialogFlags;
    if (FileDialog_GetOpenName(&dialog) != 1) return;
    AddPath(name);
    LastFolder_Remember(kSoundFilesDirValue, name);
}

void SoundPage::OnCommand(UINT id, HWND control, UINT code) {
    HWND page = GetHwnd();
    Signaller* signaller = TheSignaller();
    switch (id) {
    case IDC_SOUND_FOLDER:
        if (code == BN_CLICKED) ChooseFolder();
        break;
    case IDC_SOUND_FILE:
        if (code == BN_CLICKED) ChooseFile();
        break;
    case IDC_SOUND_TEST:
        if (code == BN_CLICKED) OnTest();
        break;
    case IDC_SOUND_REPEATING:
        if (code == BN_CLICKED) {
            Editor_NotifyPageChanged(page);
            EnableGroups();
        }
        break;
    case IDC_SOUND_ASCENDING:
        if (code == BN_CLICKED) {
            Editor_NotifyPageChanged(page);
            EnableGroups();
            if (signaller) signaller->StopSound(page);
        }
        break;
    case IDC_SOUND_RESPECT_SYSTEM:
        if (code == BN_CLICKED) {
            Editor_NotifyPageChanged(page);
            if (signaller) signaller->StopSound(page);
            working_.respectsys = Editor_IsChecked(page, IDC_SOUND_RESPECT_SYSTEM) ? 1 : 0;
        }
        break;
    case IDC_SOUND_LIST:
        if (code == CBN_DROPDOWN) HandOverScan();
        if (code == CBN_SELCHANGE) soundChosen_ = true;
        break;
    default:
        break;
    }
    if (code == CBN_SELENDOK || code == EN_CHANGE) Editor_NotifyPageChanged(page);
    if (code == EN_SETFOCUS) Editor_PostSelectAll(control);
    if (code == EN_KILLFOCUS && validating_ && !CheckNumber(static_cast<int>(id))) SetFocus(control);
    PageBase::OnCommand(id, control, code);
}

LRESULT SoundPage::OnHelp(HELPINFO*, WPARAM) {
    Help_ShowTopic(kHelpTopic);
    return 1;
}
