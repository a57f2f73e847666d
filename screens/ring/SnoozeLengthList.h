#pragma once
// The snooze chooser's list of lengths: which lengths it offers and its owner-drawn
// rows that share the list's height, a gradient on the chosen one and a dashed line
// under the others, painted off screen so a tap does not flicker.
#include <windows.h>

#include <vector>

#include "ControlWndBase.h"
#include "GdiHandles.h"

// The lengths offered: the "SnoozeList" entries (a timer of ten minutes or more gets
// its duration and its halves instead), the default put in place of its neighbour.
// selected: the row of the default.
std::vector<int> SnoozeList_Prepare(const std::vector<int32_t>& list, int defaultSeconds, int durationSeconds,
                                    int& selected);

class SnoozeLengthList : public ControlWndBase {
public:
    // Attaches to the dialog's list view, sets its styles and column, and fills it.
    bool Attach(HWND list, const std::vector<int>& seconds, int selected);
    // Selects and focuses the row, and scrolls it into view.
    void Select(int row);
    // The seconds of a row, -1 when there is none.
    int SecondsAt(int row) const;
    // The dialog reflects its owner-draw messages here.
    void MeasureRow(MEASUREITEMSTRUCT& measure) const;
    void DrawRow(const DRAWITEMSTRUCT& draw);
    // The list fills the width below top; the column follows.
    void Stretch(const RECT& area);

    void OnPaint() override;
    LRESULT OnEraseBkgnd(HDC dc) override;

private:
    void DrawSeparator(HDC dc, const RECT& row) const;
    void ResetColumn();

    FontHandle font_;
};
