#include "TimerPage.h"

#include <commctrl.h>

#include "AppMessageBox.h"
#include "EditorControls.h"
#include "HelpTopic.h"
#include "Interval.h"
#include "ItemStore.h"
#include "TimerItem.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr SnoozeControls kSnooze = {IDC_TIMER_SNOOZE, IDC_TIMER_SNOOZE_TYPE};
constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerMinute = 60;
constexpr int kLastPickerSecond = 24 * kSecondsPerHour - 1;

std::wstring Tr(UINT id) { return Translator::Instance().GetString(id); }

}  // namespace

TimerPage::TimerPage(TimerItem& timer, ItemStore& store) : timer_(timer), store_(store) {}

LRESULT TimerPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    HWND page = GetHwnd();
    HWND picker = GetDlgItem(page, IDC_TIMER_TIME);
    SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm:ss"));
    const IntervalParts parts = Interval_Split(static_cast<uint64_t>(timer_.time > 0 ? timer_.time : 0));
    int seconds = parts.days * 24 * kSecondsPerHour + parts.hours * kSecondsPerHour +
                  parts.minutes * kSecondsPerMinute + parts.seconds;
    // A picker holds one day at most: longer durations show as its last second.
    if (seconds > kLastPickerSecond) seconds = kLastPickerSecond;
    shownSeconds_ = seconds;
    SYSTEMTIME value = {};
    GetLocalTime(&value);
    value.wHour = static_cast<WORD>(seconds / kSecondsPerHour);
    value.wMinute = static_cast<WORD>(seconds / kSecondsPerMinute % 60);
    value.wSecond = static_cast<WORD>(seconds % 60);
    value.wMilliseconds = 0;
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));

    if (timer_.title.Length() > 0) SetDlgItemTextW(page, IDC_TIMER_TITLE, timer_.title.CStr());
    Editor_Check(page, IDC_TIMER_TEMPLATE, (timer_.flags & TimerItem::kTemplate) != 0);
    Editor_Check(page, IDC_TIMER_KEEP_ON, (timer_.flags & TimerItem::kNoIdleReset) == 0);
    Editor_Check(page, IDC_TIMER_NEXT_MANUALLY, (timer_.flags & TimerItem::kNoChain) != 0);
    FillNextTimers();
    EnableManualStart();
    kSnooze.Fill(page, timer_);
    return result;
}

void TimerPage::FillNextTimers() {
    HWND page = GetHwnd();
    HWND combo = GetDlgItem(page, IDC_TIMER_NEXT);
    Editor_AddComboEntry(combo, IDS_ACTION_NONE, 0);
    Editor_AddComboEntry(combo, IDS_NEXT_TIMER_SELF, timer_.Hash);
    for (const TimerItem* other : store_.Timers()) {
        if (!other->IsTemplate() || other->Hash == timer_.Hash) continue;
        const LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(other->title.CStr()));
        if (index >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), other->Hash);
    }
    if (timer_.NextTimer != 0 && Editor_SelectByData(combo, timer_.NextTimer)) return;
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    if (timer_.NextTimer == 0) return;
    AppMessageBox_Show(page, Tr(IDS_NEXT_TIMER_MISSING).c_str(), MB_ICONEXCLAMATION);
    timer_.NextTimer = 0;
}

void TimerPage::EnableManualStart() {
    const LRESULT index = SendMessageW(GetDlgItem(GetHwnd(), IDC_TIMER_NEXT), CB_GETCURSEL, 0, 0);
    Editor_Enable(GetHwnd(), IDC_TIMER_NEXT_MANUALLY, index > 0);
}

int TimerPage::PickedSeconds() const {
    SYSTEMTIME value = {};
    if (SendMessageW(GetDlgItem(GetHwnd(), IDC_TIMER_TIME), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&value)) !=
        GDT_VALID)
        return 0;
    return value.wHour * kSecondsPerHour + value.wMinute * kSecondsPerMinute + value.wSecond;
}

bool TimerPage::Validate() {
    HWND page = GetHwnd();
    if (PickedSeconds() >= kShortestSelfRepeat || Editor_IsChecked(page, IDC_TIMER_NEXT_MANUALLY)) return true;
    const LPARAM next = Editor_SelectedData(GetDlgItem(page, IDC_TIMER_NEXT), 0);
    if (next != timer_.Hash) return true;
    AppMessageBox_Show(page, Tr(IDS_TIMER_TOO_SHORT).c_str(), MB_ICONEXCLAMATION);
    return false;
}

bool TimerPage::OnOK(UINT, HWND) {
    HWND page = GetHwnd();
    TimerItem& timer = timer_;
    RcString title;
    title.FromWindowText(GetDlgItem(page, IDC_TIMER_TITLE));
    timer.SetTitle(title);
    const int seconds = PickedSeconds();
    // A duration of a day or more shows as the picker's last second: unchanged, it stays.
    if (seconds != 0 && !(seconds == shownSeconds_ && seconds == kLastPickerSecond)) {
        const Ticks100ns duration = static_cast<Ticks100ns>(seconds) * kTicksPerSecond;
        timer.time = timer.origTime = duration;
        store_.LastTimerTime = duration;
    }
    auto put = [&timer](uint32_t bit, bool on) { timer.flags = on ? timer.flags | bit : timer.flags & ~bit; };
    put(TimerItem::kTemplate, Editor_IsChecked(page, IDC_TIMER_TEMPLATE));
    put(TimerItem::kNoIdleReset, !Editor_IsChecked(page, IDC_TIMER_KEEP_ON));
    put(TimerItem::kNoChain, Editor_IsChecked(page, IDC_TIMER_NEXT_MANUALLY));
    timer.NextTimer = static_cast<ItemHash>(Editor_SelectedData(GetDlgItem(page, IDC_TIMER_NEXT), 0));
    int minutes = 0, snoozeSeconds = 0;
    kSnooze.ReadLength(page, minutes, snoozeSeconds);
    timer.Dismiss(false);
    timer.initsnooze.minutes = static_cast<int16_t>(minutes);
    timer.initsnooze.seconds = static_cast<int16_t>(snoozeSeconds);
    timer.SnoozeType = kSnooze.ReadType(page, timer.SnoozeType);
    return true;
}

void TimerPage::OnCommand(UINT id, HWND control, UINT code) {
    HWND page = GetHwnd();
    if (id == IDC_TIMER_SNOOZE_TYPE && code == CBN_SELCHANGE) {
        kSnooze.OnTypeChanged(page);
    } else if (id == IDC_TIMER_NEXT && code == CBN_SELCHANGE) {
        EnableManualStart();
    } else if (id == IDC_TIMER_TITLE && code == EN_SETFOCUS) {
        Editor_ShowInputPanel(page, true);
        Editor_PostSelectAll(control);
    } else if (id == IDC_TIMER_TITLE && code == EN_KILLFOCUS) {
        Editor_ShowInputPanel(page, false);
    }
    PageBase::OnCommand(id, control, code);
}

LRESULT TimerPage::OnNotify(WPARAM wParam, NMHDR* header) {
    if (header && header->idFrom == IDC_TIMER_TIME) {
        if (header->code == static_cast<UINT>(NM_SETFOCUS)) Editor_ShowInputPanel(GetHwnd(), true);
        if (header->code == static_cast<UINT>(NM_KILLFOCUS)) Editor_ShowInputPanel(GetHwnd(), false);
    }
    return PageBase::OnNotify(wParam, header);
}

LRESULT TimerPage::OnHelp(HELPINFO*, WPARAM) {
    Help_ShowTopic(kHelpTopic);
    return 1;
}
