#include "AlarmPage.h"

#include <commctrl.h>

#include "AlarmItem.h"
#include "DateFunctions.h"
#include "DaysOfWeekCtl.h"
#include "EditorControls.h"
#include "HelpTopic.h"
#include "Translator.h"
#include "resource.h"

namespace {

constexpr SnoozeControls kSnooze = {IDC_ALARM_SNOOZE, IDC_ALARM_SNOOZE_TYPE};
// The picker shows the time only: the stored time always has these.
constexpr WORD kStoredSeconds = 0;
constexpr WORD kStoredMilliseconds = 100;
// Days of the week start on the locale's first day.
constexpr int kLetterCount = DaysOfWeekCtl::kDays;

}  // namespace

AlarmPage::AlarmPage(AlarmItem& alarm) : alarm_(alarm) {}

AlarmPage::~AlarmPage() = default;

UINT AlarmPage::GetLandscapeTemplateId() { return IDD_ALARM_PAGE_WIDE; }

LRESULT AlarmPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PageBase::OnInitDialog(wParam, lParam);
    HWND page = GetHwnd();
    HWND time = GetDlgItem(page, IDC_ALARM_TIME);
    SendMessageW(time, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(Editor_TwelveHourLocale() ? L"hh:mm tt" : L"HH:mm"));
    kSnooze.Fill(page, alarm_);

    std::wstring letters = Translator::Instance().GetString(IDS_DAY_LETTERS);
    letters.resize(kLetterCount, L' ');
    days_ = std::make_unique<DaysOfWeekCtl>(alarm_.flags & AlarmItem::kDaysMask, letters.c_str());
    // The picker keeps an empty day set as it is: an alarm without days rings once.
    days_->SetDayMask(alarm_.flags & AlarmItem::kDaysMask);
    if (!days_->Create(GetDlgItem(page, IDC_ALARM_DAYS), nullptr)) days_.reset();

    if (alarm_.title.Length() > 0) SetDlgItemTextW(page, IDC_ALARM_TITLE, alarm_.title.CStr());
    SYSTEMTIME at = {};
    Time_DateToSystemTime(alarm_.time, at);
    SendMessageW(time, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&at));

    const uint32_t flags = alarm_.flags;
    Editor_Check(page, IDC_ALARM_FORCE_SNOOZE, (flags & AlarmItem::kForceSnooze) != 0);
    Editor_Check(page, IDC_ALARM_ACTIVE, (flags & AlarmItem::kEnabled) && (flags & AlarmItem::kDaysMask));
    Editor_Check(page, IDC_ALARM_NOTIFY_ONCE, (flags & AlarmItem::kNotifyOnce) != 0);
    return result;
}

void AlarmPage::OnCommand(UINT id, HWND control, UINT code) {
    if (id == IDC_ALARM_TITLE && code == EN_SETFOCUS) {
        Editor_ShowInputPanel(GetHwnd(), true);
        Editor_PostSelectAll(control);
    } else if (id == IDC_ALARM_TITLE && code == EN_KILLFOCUS) {
        Editor_ShowInputPanel(GetHwnd(), false);
    } else if (id == IDC_ALARM_SNOOZE_TYPE && code == CBN_SELCHANGE) {
        kSnooze.OnTypeChanged(GetHwnd());
    }
    PageBase::OnCommand(id, control, code);
}

LRESULT AlarmPage::OnNotify(WPARAM wParam, NMHDR* header) {
    if (header && header->idFrom == IDC_ALARM_TIME) {
        if (header->code == static_cast<UINT>(NM_SETFOCUS)) Editor_ShowInputPanel(GetHwnd(), true);
        if (header->code == static_cast<UINT>(NM_KILLFOCUS)) Editor_ShowInputPanel(GetHwnd(), false);
    }
    return PageBase::OnNotify(wParam, header);
}

bool AlarmPage::OnOK(UINT, HWND) {
    HWND page = GetHwnd();
    AlarmItem& alarm = alarm_;
    const uint32_t days = days_ ? days_->DayMask() & AlarmItem::kDaysMask : alarm.flags & AlarmItem::kDaysMask;
    alarm.flags = (alarm.flags & ~AlarmItem::kDaysMask) | days;

    RcString title;
    title.FromWindowText(GetDlgItem(page, IDC_ALARM_TITLE));
    alarm.SetTitle(title);

    SYSTEMTIME picked = {};
    if (SendMessageW(GetDlgItem(page, IDC_ALARM_TIME), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked)) ==
        GDT_VALID) {
        // The picker shows the time only: the date stays the one the alarm had.
        SYSTEMTIME stored = {};
        Time_DateToSystemTime(alarm.time, stored);
        stored.wHour = picked.wHour;
        stored.wMinute = picked.wMinute;
        stored.wSecond = kStoredSeconds;
        stored.wMilliseconds = kStoredMilliseconds;
        const OleDate time = Time_SystemTimeToDate(stored);
        if (time != alarm.time) alarm.flags &= ~AlarmItem::kSkipNext;
        alarm.time = time;
    }

    if (Editor_IsChecked(page, IDC_ALARM_FORCE_SNOOZE)) {
        alarm.flags |= AlarmItem::kForceSnooze;
        alarm.SetDismissed(false);
    } else {
        alarm.flags &= ~AlarmItem::kForceSnooze;
    }

    int minutes = 0, seconds = 0;
    kSnooze.ReadLength(page, minutes, seconds);
    alarm.Dismiss(false);
    alarm.Snooze(nullptr, minutes, seconds, true);

    const bool active = Editor_IsChecked(page, IDC_ALARM_ACTIVE);
    if (active && !(alarm.flags & AlarmItem::kDaysMask)) alarm.flags &= ~AlarmItem::kSkipNext;
    if (active) {
        alarm.flags |= AlarmItem::kEnabled;
    } else {
        alarm.SwitchOff();
    }
    if (Editor_IsChecked(page, IDC_ALARM_NOTIFY_ONCE)) alarm.flags |= AlarmItem::kNotifyOnce;
    else alarm.flags &= ~AlarmItem::kNotifyOnce;
    alarm.SnoozeType = kSnooze.ReadType(page, alarm.SnoozeType);
    return true;
}

LRESULT AlarmPage::OnHelp(HELPINFO*, WPARAM) {
    Help_ShowTopic(kHelpTopic);
    return 1;
}
