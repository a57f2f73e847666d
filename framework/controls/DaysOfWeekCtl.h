#pragma once
// The weekday picker of the alarm editor: a strip of seven cells, one letter per day in
// the order of the locale's week. A tap, or the keyboard cursor and Enter, toggles a day;
// the last selected day cannot be cleared. The control takes the place (and the tab
// position) of a placeholder control of the dialog template.
#include <windows.h>

#include "ControlWndBase.h"
#include "GdiHandles.h"

class DaysOfWeekCtl : public ControlWndBase {
public:
    static constexpr const wchar_t* kClassName = L"OsDaysOfWeekWnd";
    static constexpr int kDays = 7;
    // Bit 0 Sunday, bit 1 Monday ... bit 6 Saturday.
    static constexpr DWORD kAllDays = 0x7F;

    // initialMask's low seven bits (all days when they are 0). fallbackLetters: seven
    // letters, Monday first, shown when the locale's day abbreviations all begin alike.
    // locale: whose day names and first day of the week the strip follows.
    DaysOfWeekCtl(DWORD initialMask, const wchar_t* fallbackLetters, LCID locale = LOCALE_USER_DEFAULT);
    ~DaysOfWeekCtl() override;

    // Creates the control in the placeholder's parent, at its place, with its id and tab
    // position, and destroys the placeholder. False when the window could not be made.
    bool Create(HWND placeholder, HINSTANCE instance);

    // The owner reads and writes the mask directly; bits above the seven days are kept.
    DWORD DayMask() const { return dayMask_; }
    void SetDayMask(DWORD mask) { dayMask_ = mask; }

    // Cell i shows day (first day + i) mod 7, counted 0 Monday ... 6 Sunday.
    int FirstDay() const { return firstDay_; }
    int DayOfCell(int cell) const { return (firstDay_ + cell) % kDays; }
    wchar_t LetterOfDay(int day) const { return letters_[day]; }
    static DWORD DayBit(int day) { return 1u << ((day + 1) % kDays); }

    // A cell as drawn, in client coordinates.
    RECT CellRect(int cell) const;
    // The cell a pen position falls into, -1 for none.
    int HitTest(int x, int y) const;
    // Draws the whole strip into dc (of the control's size), clipped to the update rectangle.
    void Draw(HDC dc, const RECT& update);

    void OnSize(UINT type, int width, int height) override;
    void OnPaint() override;
    void OnSetFocus(HWND losing) override;
    void OnKillFocus(HWND gaining) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnKeyUp(UINT key, UINT repeat, UINT flags) override;
    void OnMouseMove(int x, int y, UINT keys) override;
    void OnLButtonDown(int x, int y, UINT keys) override;
    void OnLButtonUp(int x, int y, UINT keys) override;
    LRESULT OnGetDlgCode(MSG* message, WPARAM key) override;

private:
    RECT InnerRect() const;
    bool IsOnlySelectedDay(int day) const;
    void ToggleCell(int cell);
    bool HasCapture() const { return GetCapture() == GetHwnd(); }
    void Repaint(bool now = false);
    void FreeMemoryDc();

    HDC memoryDc_ = nullptr;
    HBITMAP memoryBitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    wchar_t letters_[kDays] = {};
    int firstDay_ = 0;
    int pressedCell_ = -1;
    int cursorCell_ = 0;
    bool keyboardPress_ = false;
    bool pressedDrawn_ = false;
    POINT penPosition_ = {-1, -1};
    DWORD dayMask_ = kAllDays;
    SIZE size_ = {0, 0};
    FontHandle font_;
};
