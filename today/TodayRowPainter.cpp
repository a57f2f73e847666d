#include "TodayRowPainter.h"

#include "Gfx.h"
#include "GdiHandles.h"
#include "TextCut.h"
#include "TodayResourceIds.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr uint32_t kPopupRows = 4;
constexpr COLORREF kPressedFill = RGB(254, 238, 196);
constexpr COLORREF kPressedFrame = RGB(252, 187, 124);
constexpr UINT kTextFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
constexpr UINT kWrappedFlags = DT_WORDBREAK | DT_LEFT | DT_NOPREFIX;

std::wstring Title(const EventItem& item) { return item.GetTitle().CStr(); }

}  // namespace

int TodayRowPainter::HeightFor(uint32_t rows) const {
    const int top = resources_.HeightTop();
    const long long height = top + static_cast<long long>(resources_.RowHeight()) * rows;
    return static_cast<int>(std::max<long long>(height, top + resources_.IconSize()));
}

int TodayRowPainter::NothingPendingHeight(int width) const {
    HDC screen = GetDC(nullptr);
    SelectScope font(screen, resources_.RowFont());
    RECT text = {0, 0, std::max(width, 1), 0};
    const std::wstring& nothing = texts_.Text(TodayTextTable::kNothingPending);
    DrawTextW(screen, nothing.c_str(), -1, &text, kWrappedFlags | DT_CALCRECT);
    ReleaseDC(nullptr, screen);
    return text.bottom - text.top;
}

int TodayRowPainter::ItemHeight(const RECT& client, HWND host) const {
    if (lists_.Empty()) {
        // A text longer than the row wraps: the item grows to hold its lines.
        const RECT row = resources_.RowArea(client, false, host);
        return std::max(HeightFor(0), static_cast<int>(row.top) + NothingPendingHeight(row.right - row.left));
    }
    // The one-line form shows one row whenever there is anything to show.
    if (lists_.OneLineForm()) return HeightFor(1);
    const uint32_t alarms = static_cast<uint32_t>(lists_.AlarmEntries().size());
    const uint32_t timers = static_cast<uint32_t>(lists_.TimerEntries().size());
    return HeightFor(std::min(lists_.AlarmRows(), alarms) + std::min(lists_.TimerRows(), timers));
}

int TodayRowPainter::PopupHeight() const {
    const uint32_t alarms = static_cast<uint32_t>(lists_.AlarmEntries().size());
    const uint32_t timers = static_cast<uint32_t>(lists_.TimerEntries().size());
    return HeightFor(std::min(kPopupRows, alarms) + std::min(kPopupRows, timers));
}

std::wstring TodayRowPainter::FormatRemaining(Ticks100ns remaining) {
    const DurationParts parts = Ticks_SplitDuration(remaining < 0 ? 0 : remaining);
    wchar_t text[32];
    swprintf(text, 32, L"%02u:%02u:%02u", parts.hours & 0xFFFF, parts.minutes, parts.seconds);
    return text;
}

std::wstring TodayRowPainter::AlarmTimeText(const TodayAlarmEntry& entry) {
    SYSTEMTIME time = {};
    Time_DateToSystemTime(entry.computed ? entry.alarm->time : entry.alarm->snooze, time);
    // Only the clock part is shown; a damaged date part must not stop the formatting.
    time.wYear = 2000;
    time.wMonth = 1;
    time.wDay = 1;
    wchar_t text[64] = {};
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, text, ARRAYSIZE(text));
    return text;
}

std::wstring TodayRowPainter::AlarmDayText(const TodayAlarmEntry& entry, OleDate now) const {
    SYSTEMTIME day = {}, today = {};
    Time_DateToSystemTime(entry.Time(), day);
    Time_DateToSystemTime(now, today);
    if (day.wDay == today.wDay) return texts_.Text(TodayTextTable::kToday);
    // The locale's short day names start on Monday.
    const LCTYPE name = LOCALE_SABBREVDAYNAME1 + (day.wDayOfWeek + 6) % 7;
    wchar_t text[32] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, name, text, ARRAYSIZE(text));
    return text;
}

void TodayRowPainter::PaintButton(HDC dc, Button button) const {
    const RECT rect = resources_.ButtonRect();
    if (button.pressed) {
        BrushHandle fill(CreateSolidBrush(kPressedFill));
        FillRect(dc, &rect, fill.Get());
        RECT frame = rect;
        InflateRect(&frame, resources_.ScaleX(1), resources_.ScaleY(1));
        Gfx_DrawFramedBox(dc, frame, resources_.ScaleX(1), kPressedFrame);
    }
    const int id = button.collapsed ? IDI_TODAY_BUTTON_CLOSED : IDI_TODAY_BUTTON_OPEN;
    DrawIconEx(dc, rect.left, rect.top, resources_.Icon(id), resources_.IconSize(), resources_.IconSize(), 0, nullptr,
               DI_NORMAL);
}

void TodayRowPainter::PaintRow(HDC dc, const RECT& row, int iconId, const std::wstring& title,
                               const std::wstring& right) const {
    const int s = resources_.IconSize();
    DrawIconEx(dc, row.left, row.top + (row.bottom - row.top - s) / 2, resources_.Icon(iconId), s, s, 0, nullptr,
               DI_NORMAL);
    SIZE rightSize = {};
    GetTextExtentExPointW(dc, right.c_str(), static_cast<int>(right.size()), 0, nullptr, nullptr, &rightSize);
    RECT rightRect = row;
    DrawTextW(dc, right.c_str(), -1, &rightRect, kTextFlags | DT_RIGHT);
    const int room = (row.right - row.left) - s - rightSize.cx - resources_.ScaleX(4);
    RECT left = row;
    left.left += resources_.ScaleX(1) + s;
    left.right = std::max(left.left, row.right - rightSize.cx);
    const std::wstring shown = Text_CutToFit(dc, title, std::max(room, 0));
    DrawTextW(dc, shown.c_str(), -1, &left, kTextFlags | DT_LEFT);
}

void TodayRowPainter::PaintAlarmRow(HDC dc, const RECT& row, const TodayAlarmEntry& entry, OleDate now) const {
    PaintRow(dc, row, IDI_TODAY_ALARM, Title(*entry.alarm), AlarmTimeText(entry) + L", " + AlarmDayText(entry, now));
}

void TodayRowPainter::PaintTimerRow(HDC dc, const RECT& row, const TodayTimerEntry& entry) const {
    PaintRow(dc, row, IDI_TODAY_TIMER, Title(*entry.timer), FormatRemaining(entry.timer->time));
}

void TodayRowPainter::PaintRows(HDC dc, const RECT& client, bool popup, Button button, COLORREF textColour, HWND host,
                                OleDate now) const {
    if (lists_.ButtonShown()) PaintButton(dc, button);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour);
    SelectScope font(dc, resources_.RowFont());

    const int h = resources_.RowHeight();
    RECT row = resources_.RowArea(client, lists_.ButtonShown(), host);
    row.bottom = row.top + h;
    auto next = [&row, h] { OffsetRect(&row, 0, h); };

    const auto& alarms = lists_.AlarmEntries();
    const auto& timers = lists_.TimerEntries();
    if (alarms.empty() && timers.empty()) {
        const std::wstring& nothing = texts_.Text(TodayTextTable::kNothingPending);
        const int height = NothingPendingHeight(row.right - row.left);
        if (height <= h) {
            DrawTextW(dc, nothing.c_str(), -1, &row, kTextFlags | DT_LEFT);
        } else {
            row.bottom = row.top + height;
            DrawTextW(dc, nothing.c_str(), -1, &row, kWrappedFlags);
        }
        return;
    }
    if (!popup && lists_.OneLineForm()) {
        if (lists_.OneLineShowsTimer(now))
            PaintTimerRow(dc, row, timers.front());
        else
            PaintAlarmRow(dc, row, alarms.front(), now);
        return;
    }
    const size_t alarmRows = popup ? kPopupRows : lists_.AlarmRows();
    const size_t timerRows = popup ? kPopupRows : lists_.TimerRows();
    for (size_t i = 0; i < std::min(alarmRows, alarms.size()); ++i, next()) PaintAlarmRow(dc, row, alarms[i], now);
    for (size_t i = 0; i < std::min(timerRows, timers.size()); ++i, next()) PaintTimerRow(dc, row, timers[i]);
}
