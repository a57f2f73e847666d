#include "ResetCountdownWnd.h"

#include "DeviceReset.h"
#include "ItemHost.h"

#include <vector>

namespace {

const wchar_t kCountMark[] = L"%d";

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
    std::wstring filled = text;
    size_t mark = filled.find(kCountMark);
    if (mark != std::wstring::npos) filled.replace(mark, wcslen(kCountMark), std::to_wstring(count));
    return filled;
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
    SetTimer(GetHwnd(), kCountdownTimer, kTickMs, nullptr);
    // The device stays on for the countdown, whatever woke it.
    if (host) host->ForgetDeviceWake();
    return result;
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
    if (id == IDOK) {
        ResetNow();
    } else if (id == IDCANCEL) {
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
