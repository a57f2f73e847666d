#include "ScreenSaverPage.h"

#include <commctrl.h>

#include <algorithm>

#include "App.h"
#include "CaptionCtl.h"
#include "EditorControls.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "DeviceVersion.h"
#include "ScreenSaverSettings.h"
#include "resource.h"

namespace {

constexpr UINT kShowTexts[] = {IDS_EFFECT_NONE, IDS_SHOW_SLIDE_SHOW, IDS_SHOW_ANALOG_CLOCK};
// The lock needs a shell of 5.2 or later (build 14847 of 5.x).
constexpr DWORD kLockMajorVersion = 5;
constexpr DWORD kLockFirstBuild = 14847;

ScreenSaverDialogRunner g_slideShowRunner = nullptr;
ScreenSaverDialogRunner g_exceptionsRunner = nullptr;

bool LockOffered() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!Device_GetVersionEx(&version)) return false;
    return version.dwMajorVersion > kLockMajorVersion ||
           (version.dwMajorVersion == kLockMajorVersion && version.dwBuildNumber >= kLockFirstBuild);
}

void FillShowCombo(HWND page, int id, int selected) {
    HWND combo = GetDlgItem(page, id);
    for (size_t kind = 0; kind < sizeof kShowTexts / sizeof kShowTexts[0]; ++kind)
        Editor_AddComboEntry(combo, kShowTexts[kind], static_cast<LPARAM>(kind));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void ReadShowCombo(HWND page, int id, int32_t& value) {
    const LRESULT selected = SendDlgItemMessageW(page, id, CB_GETCURSEL, 0, 0);
    if (selected >= 0) value = static_cast<int32_t>(selected);
}

// Replaces a label by a caption control at the same place, with the same text and id.
std::unique_ptr<CaptionCtl> MakeCaption(HWND page, int id) {
    HWND label = GetDlgItem(page, id);
    if (!label) return nullptr;
    RECT place = {};
    GetWindowRect(label, &place);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&place), 2);
    wchar_t text[128] = {};
    GetWindowTextW(label, text, 128);
    auto caption = std::make_unique<CaptionCtl>();
    if (!caption->Create(page, L"", WS_CHILD | WS_VISIBLE, place.left, place.top, place.right - place.left,
                         place.bottom - place.top, text, static_cast<UINT>(id), nullptr))
        return nullptr;
    // The caption takes the label's place in the tab order, then the label goes.
    SetWindowPos(caption->GetHwnd(), label, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(label);
    return caption;
}

void RunAndSave(ScreenSaverDialogRunner runner, HWND owner) {
    if (!runner || !runner(owner)) return;
    if (ItemStore* store = ItemStore::Current()) store->Save(true);
}

}  // namespace

void ScreenSaverPage_SetDialogRunners(ScreenSaverDialogRunner slideShow, ScreenSaverDialogRunner exceptions) {
    g_slideShowRunner = slideShow;
    g_exceptionsRunner = exceptions;
}

ScreenSaverPage::ScreenSaverPage(ScreenSaverSettings& settings) : settings_(settings) {}

ScreenSaverPage::~ScreenSaverPage() = default;

int ScreenSaverPage::ClampTimeout(int seconds) { return std::min(std::max(seconds, kMinTimeout), kMaxTimeout); }

LRESULT ScreenSaverPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    HWND page = GetHwnd();
    Editor_Check(page, IDC_SAVER_ENABLE, settings_.Active != 0);
    Editor_Check(page, IDC_SAVER_USE_EXCEPTIONS, settings_.UseExceptions != 0);
    Editor_Check(page, IDC_SAVER_LOCK, settings_.LockType != 0);
    Editor_Check(page, IDC_SAVER_RUN_AT_SYSTEM, settings_.RunAtSystem != 0);
    if (!LockOffered()) ShowWindow(GetDlgItem(page, IDC_SAVER_LOCK), SW_HIDE);

    HWND picker = GetDlgItem(page, IDC_SAVER_TIMEOUT);
    SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"mm':'ss"));
    const int timeout = ClampTimeout(settings_.Timeout);
    SYSTEMTIME at = {};
    GetLocalTime(&at);
    at.wHour = 0;
    at.wMinute = static_cast<WORD>(timeout / 60);
    at.wSecond = static_cast<WORD>(timeout % 60);
    at.wMilliseconds = 0;
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&at));

    if (!App::ActivityDriverUsable()) {
        Editor_Check(page, IDC_SAVER_ENABLE, false);
        for (int id : {IDC_SAVER_ENABLE, IDC_SAVER_USE_EXCEPTIONS, IDC_SAVER_EXCEPTIONS, IDC_SAVER_TIMEOUT,
                       IDC_SAVER_TIMEOUT_LABEL})
            Editor_Enable(page, id, false);
    }
    FillShowCombo(page, IDC_SAVER_BATTERY, settings_.ShowTypeBT);
    FillShowCombo(page, IDC_SAVER_AC, settings_.ShowTypeDC);
    batteryCaption_ = MakeCaption(page, IDC_SAVER_BATTERY_LABEL);
    acCaption_ = MakeCaption(page, IDC_SAVER_AC_LABEL);
    return result;
}

void ScreenSaverPage::OnCommand(UINT id, HWND control, UINT code) {
    if (code == BN_CLICKED && id == IDC_SAVER_SLIDE_SHOW) RunAndSave(g_slideShowRunner, GetHwnd());
    if (code == BN_CLICKED && id == IDC_SAVER_EXCEPTIONS) RunAndSave(g_exceptionsRunner, GetHwnd());
    PageBase::OnCommand(id, control, code);
}

bool ScreenSaverPage::OnOK(UINT, HWND) {
    HWND page = GetHwnd();
    settings_.Active = Editor_IsChecked(page, IDC_SAVER_ENABLE);
    SYSTEMTIME at = {};
    if (SendDlgItemMessageW(page, IDC_SAVER_TIMEOUT, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&at)) == GDT_VALID)
        settings_.Timeout = ClampTimeout(at.wMinute * 60 + at.wSecond);
    settings_.LockType = Editor_IsChecked(page, IDC_SAVER_LOCK) ? 2 : 0;
    settings_.UseExceptions = Editor_IsChecked(page, IDC_SAVER_USE_EXCEPTIONS);
    settings_.RunAtSystem = Editor_IsChecked(page, IDC_SAVER_RUN_AT_SYSTEM);
    if (EngineWnd* engine = App::GetEngine()) PostMessageW(engine->Hwnd(), EngineMessage::kSettingsChanged, 0, 0);
    ReadShowCombo(page, IDC_SAVER_BATTERY, settings_.ShowTypeBT);
    ReadShowCombo(page, IDC_SAVER_AC, settings_.ShowTypeDC);
    return true;
}
