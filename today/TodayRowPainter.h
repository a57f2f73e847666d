#pragma once
// The rows of the Today item and of its popup: the expand button, an icon, the item's
// title and, right-aligned, an alarm occurrence's time and day or a timer's remaining
// time; "No pending notifications" when there is nothing. Also the heights the host
// and the popup get.
#include "DateFunctions.h"
#include "TodayLists.h"
#include "TodayResources.h"
#include "TodayTextTable.h"

#include <windows.h>

#include <string>

class TodayRowPainter {
public:
    // How the expand button looks.
    struct Button {
        bool pressed;
        bool collapsed;
    };

    TodayRowPainter(TodayResources& resources, const TodayLists& lists, const TodayTextTable& texts)
        : resources_(resources), lists_(lists), texts_(texts) {}

    // The item's height for the host: its rows, at least one icon high; with nothing to
    // show, as high as the wrapped "No pending notifications" in client's row area.
    int ItemHeight(const RECT& client, HWND host) const;
    // The popup's height: up to four rows of each kind.
    int PopupHeight() const;
    // The rows of client (item or popup) in textColour; host is the item's parent window.
    void PaintRows(HDC dc, const RECT& client, bool popup, Button button, COLORREF textColour, HWND host,
                   OleDate now) const;

    // Hours (the days counted in), minutes and seconds as "%02u:%02u:%02u"; negative is 0.
    static std::wstring FormatRemaining(Ticks100ns remaining);
    // The entry's clock time in the user's format, without seconds.
    static std::wstring AlarmTimeText(const TodayAlarmEntry& entry);
    // The entry's day: the "Today" text on today's date, else the short day name.
    std::wstring AlarmDayText(const TodayAlarmEntry& entry, OleDate now) const;

private:
    int HeightFor(uint32_t rows) const;
    // The height of "No pending notifications" wrapped to width.
    int NothingPendingHeight(int width) const;
    void PaintButton(HDC dc, Button button) const;
    void PaintAlarmRow(HDC dc, const RECT& row, const TodayAlarmEntry& entry, OleDate now) const;
    void PaintTimerRow(HDC dc, const RECT& row, const TodayTimerEntry& entry) const;
    // Icon at the row's left, the title cut to what the right part leaves, the right part.
    void PaintRow(HDC dc, const RECT& row, int iconId, const std::wstring& title, const std::wstring& right) const;

    TodayResources& resources_;
    const TodayLists& lists_;
    const TodayTextTable& texts_;
};
