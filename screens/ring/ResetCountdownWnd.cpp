#include "ResetCountdownWnd.h"

#include <aygshell.h>

#include "DeviceReset.h"
#include "Dpi.h"
#include "ItemHost.h"
#include "PlatformHelpers.h"
#include "Translator.h"
#include "resource.h"
#include "WideText.h"

#include <vector>

namespace {

const wchar_t kCountMark[] = L"%d";
constexpr int kMenuBarShellVersion = 5;
constexpr int kTextMargin = 8;   // at 96 DPI, as the lengths below
constexpr int kTextTop = 24;

// Every countdown opened; one whose window is gone is deleted at the next opening.
std::vector<std::unique_ptr<ResetCountdownWnd>>& Countdowns() {
    static std::vector<std::unique_ptr<ResetCountdownWnd>> countdowns;
    return countdowns;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

}  // namespace

ResetCountdownWnd* ResetCountdownWnd::Open() {
    auto& countdowns = Countdowns();
    for (auto it = countdowns.begin(); it != countdowns.end();)
        it = (*it)->GetHwnd() ? it + 1 : countdowns.erase(it);
    std::unique_ptr<ResetCountdownWnd> countdown(new ResetCountdownWnd);
    if (!countdown->CreateModeless(kTemplateId, nullptr, nullptr)) return nullptr;
    countdowns.push_back(std::move(countdown));
    return countdowns.back().get();
}

std::wstring ResetCountdownWnd::FillCount(const std::wstring& text, int count) {
    return WString_FillMark(text, kCountMark, std::to_wstring(count));
}

LRESULT ResetCountdownWnd::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    LRESULT result = DialogBase::OnInitDialog(wParam, lParam);
    ItemHost* host = ItemHost::Current();
    if (host) host->ChangeBusyCount(1);
    busyRaised_ = host != nullptr;
    countdown_ = kStartCount;
    text_ = WindowText(GetDlgItem(GetHwnd(), kTextControl));
    ShowCount(countdown_--);
    SetWindowPos(GetHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    // After the move to the top: an owned soft-key bar would take the dialog's place there.
    ShowAsScreen();
    SetTimer(GetHwnd(), kCountdownTimer, kTickMs, nullptr);
    // The device stays on for the countdown, whatever woke it.
    if (host) host->ForgetDeviceWake();
    return result;
}

void ResetCountdownWnd::ShowAsScreen() {
    HWND dialog = GetHwnd();
    SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, SHIDIF_SIZEDLGFULLSCREEN};
    SHInitDialog(&info);
    if (Sys_GetOsMajorVersion() < kMenuBarShellVersion) return;
    if (!MenuBar_CreateForWindow(menuBar_, dialog, IDM_RESET_COUNTDOWN_MENUBAR, false, 0)) return;
    Translator::Instance().ApplyMenuBar(menuBar_.bar, IDM_RESET_COUNTDOWN_MENUBAR);
    // The soft keys say what the buttons said.
    for (int id : {IDOK, IDCANCEL}) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    RECT client;
    GetClientRect(dialog, &client);
    OnSize(SIZE_RESTORED, client.right, client.bottom);
}

// The count's text across the screen, the buttons (older shells) centred below it.
void ResetCountdownWnd::OnSize(UINT type, int width, int height) {
    DialogBase::OnSize(type, width, height);
    HWND dialog = GetHwnd();
    HWND text = GetDlgItem(dialog, kTextControl);
    if (!text) return;
    RECT rect;
    GetWindowRect(text, &rect);
    const int margin = Dpi_ScaleX(kTextMargin), top = Dpi_ScaleY(kTextTop);
    MoveWindow(text, margin, top, width - 2 * margin, rect.bottom - rect.top, TRUE);
    HWND ok = GetDlgItem(dialog, IDOK), cancel = GetDlgItem(dialog, IDCANCEL);
    if (!ok || !cancel || !IsWindowVisible(ok)) return;
    RECT button;
    GetWindowRect(ok, &button);
    const int buttonWidth = button.right - button.left, buttonHeight = button.bottom - button.top;
    const int y = top + (rect.bottom - rect.top) + Dpi_ScaleY(kTextTop);
    const int left = (width - 2 * buttonWidth - margin) / 2;
    MoveWindow(ok, left, y, buttonWidth, buttonHeight, TRUE);
    MoveWindow(cancel, left + buttonWidth + margin, y, buttonWidth, buttonHeight, TRUE);
}

void ResetCountdownWnd::OnTimer(UINT_PTR id) {
    if (id != kCountdownTimer) return DialogBase::OnTimer(id);
    ItemHost* host = ItemHost::Current();
    // A ring that sounds or vibrates holds the count.
    if (host && host->SignallerBusy()) return;
    ShowCount(countdown_--);
    if (countdown_ < 0) ResetNow();
}

void ResetCountdownWnd::OnCommand(UINT id, HWND control, UINT code) {
    if (id == IDOK || id == SHELL_IDOK) {
        ResetNow();
    } else if (id == IDCANCEL || id == SHELL_IDCANCEL) {
        DestroyWindow(GetHwnd());
    } else {
        DialogBase::OnCommand(id, control, code);
    }
}

void ResetCountdownWnd::OnDestroy() {
    KillTimer(GetHwnd(), kCountdownTimer);
    if (busyRaised_)
        if (ItemHost* host = ItemHost::Current()) host->ChangeBusyCount(-1);
    busyRaised_ = false;
    DialogBase::OnDestroy();
}

void ResetCountdownWnd::ShowCount(int count) {
    SetDlgItemTextW(GetHwnd(), kTextControl, FillCount(text_, count).c_str());
}

void ResetCountdownWnd::ResetNow() {
    KillTimer(GetHwnd(), kCountdownTimer);
    Device_Reset();
    // Only a caller that outlives the reboot gets here: the countdown is over.
    DestroyWindow(GetHwnd());
}
