#include "SoundPage.h"

#include <commctrl.h>
#include <commdlg.h>

#include "App.h"
#include "AppMessageBox.h"
#include "DeviceFiles.h"
#include "EditorControls.h"
#include "EditorMessages.h"
#include "FileDialog.h"
#include "HelpTopic.h"
#include "ItemStore.h"
#include "LastFolder.h"
#include "PlatformHelpers.h"
#include "Settings.h"
#include "Signaller.h"
#include "TextFitting.h"
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

// Two paths (or texts) name the same entry when their case-mapped copies are equal; the
// entry itself keeps the spelling it was given, which is the one stored.
bool SameEntryText(const std::wstring& a, const std::wstring& b) {
    const RcString mappedA = RcString::MapCaseCopy(RcString(a.c_str()));
    const RcString mappedB = RcString::MapCaseCopy(RcString(b.c_str()));
    return wcscmp(mappedA.CStr(), mappedB.CStr()) == 0;
}

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

std::wstring SoundPage::DisplayText(const std::wstring& path) const {
    std::wstring display = path;
    const size_t slash = path.rfind(L'\\');
    const std::wstring sounds = App::SoundsFolder().CStr();
    if (slash != std::wstring::npos && !sounds.empty() && SameEntryText(path.substr(0, slash), sounds))
        display = path.substr(slash + 1);
    HWND combo = Item(IDC_SOUND_LIST);
    RECT client = {};
    GetClientRect(combo, &client);
    HDC dc = GetDC(combo);
    if (!dc) return display;
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(combo, WM_GETFONT, 0, 0)));
    const RcString fitted = Text_ShortenToFit(dc, RcString(display.c_str()), client.right - client.left);
    SelectObject(dc, previous);
    ReleaseDC(combo, dc);
    return fitted.CStr();
}

// The host's name of a path: a device-rooted one ("\My Documents\...") is mapped as the
// signaller maps it.
std::wstring SoundPage::HostPath(const std::wstring& path) {
    wchar_t mapped[MAX_PATH];
    return Device_MapPath(path.c_str(), mapped, MAX_PATH) ? mapped : path;
}

LRESULT SoundPage::FindEntry(const std::wstring& path) const {
    HWND combo = Item(IDC_SOUND_LIST);
    const std::wstring wanted = HostPath(path);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        const LRESULT data = SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
        const auto* entry = data == CB_ERR ? nullptr : reinterpret_cast<const SoundEntry*>(data);
        if (entry && entry->kind == 1 && SameEntryText(HostPath(entry->fullPath), wanted))
            return index;
    }
    return CB_ERR;
}

bool SoundPage::AddPath(const std::wstring& path) {
    if (!ListPath(path)) return false;
    soundChosen_ = true;
    return true;
}

bool SoundPage::ListPath(const std::wstring& path) {
    if (path.empty() || GetFileAttributesW(HostPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    HWND combo = Item(IDC_SOUND_LIST);
    // By the full path: two files may show the same shortened text.
    LRESULT index = FindEntry(path);
    if (index == CB_ERR) {
        const std::wstring display = DisplayText(path);
        auto entry = std::make_unique<SoundEntry>();
        entry->kind = 1;
        entry->fullPath = path;
        entry->displayName = display;
        index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(display.c_str()));
        if (index < 0) return false;
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry.release()));
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return true;
}

void SoundPage::FillSoundList() {
    HWND combo = Item(IDC_SOUND_LIST);
    const bool fileAdded = !working_.builtIn && ListPath(working_.custom.CStr());
    const std::wstring defaultText = Tr(IDS_SOUND_DEFAULT);
    if (!SameEntryText(working_.custom.CStr(), defaultText)) {
        auto entry = std::make_unique<SoundEntry>();
        entry->displayName = defaultText;
        const LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(defaultText.c_str()));
        if (index >= 0) {
            SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry.release()));
            if (!fileAdded) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        }
    }
    wchar_t windowsFolder[MAX_PATH] = {};
    Sys_GetWindowsFolder(windowsFolder);
    scan_.Start(App::SoundsFolder().CStr(), windowsFolder, Sound_HasSndApi(), WindowText(combo));
}

void SoundPage::HandOverScan() {
    std::vector<std::unique_ptr<SoundEntry>> entries = scan_.Finish();
    for (auto& entry : entries) found_.push_back(std::move(entry));
    if (found_.empty()) return;
    HWND combo = Item(IDC_SOUND_LIST);
    for (auto& entry : found_) {
        if (FindEntry(entry->fullPath) != CB_ERR) continue;
        const LRESULT index =
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry->displayName.c_str()));
        if (index >= 0)
            SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(entry.release()));
    }
    found_.clear();
}

void SoundPage::FreeComboEntries() {
    HWND combo = Item(IDC_SOUND_LIST);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        auto* entry = reinterpret_cast<SoundEntry*>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
        if (entry && reinterpret_cast<LRESULT>(entry) != CB_ERR) delete entry;
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), 0);
    }
}

void SoundPage::OnDestroy() {
    if (Signaller* signaller = TheSignaller()) signaller->StopSound();
    PageBase::OnDestroy();
    scan_.Abandon();
    FreeComboEntries();
}

void SoundPage::ReadSoundChoice(ItemSoundSettings& target) const {
    // The page may not find the item's sound (a card not mounted): it stays the item's.
    if (!soundChosen_) {
        target.builtIn = working_.builtIn;
        target.custom = working_.custom;
        target.customres = working_.customres;
        return;
    }
    HWND combo = Item(IDC_SOUND_LIST);
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const SoundEntry* entry = nullptr;
    if (index >= 0) {
        const LRESULT data = SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
        if (data != CB_ERR) entry = reinterpret_cast<const SoundEntry*>(data);
    }
    if (entry && entry->kind == 1 && !entry->fullPath.empty()) {
        target.builtIn = 0;
        target.custom = RcString(entry->fullPath.c_str());
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
        const LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(Tr(IDS_SOUND_DEFAULT).c_str()));
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void SoundPage::OnTest() {
    Signaller* signaller = TheSignaller();
    HWND test = Item(IDC_SOUND_TEST);
    const std::wstring testText = Tr(IDS_SOUND_TEST);
    if (WindowText(test) != testText) {
        SetWindowTextW(test, testText.c_str());
        if (signaller) signaller->StopSound();
        return;
    }
    ItemSoundSettings sound;
    if (!Collect(sound)) return;
    SetWindowTextW(test, Tr(IDS_SOUND_STOP).c_str());
    if (signaller && signaller->StartSound(sound, GetHwnd(), GetModuleHandleW(nullptr), true, true)) return;
    SetWindowTextW(test, testText.c_str());
    AppMessageBox_Show(GetHwnd(), Tr(IDS_SOUND_PLAY_FAILED).c_str(), MB_TOPMOST | MB_ICONHAND);
}

void SoundPage::OnVolumeReleased() {
    Signaller* signaller = TheSignaller();
    const int position = static_cast<int>(SendMessageW(Item(IDC_SOUND_VOLUME), TBM_GETPOS, 0, 0));
    if (signaller && signaller->IsPlaying()) {
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
        signaller->StartSound(sample, nullptr, GetModuleHandleW(nullptr), false, false);
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
            if (signaller) signaller->StopSound();
        }
        break;
    case IDC_SOUND_RESPECT_SYSTEM:
        if (code == BN_CLICKED) {
            Editor_NotifyPageChanged(page);
            if (signaller) signaller->StopSound();
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
