#include <gtest/gtest.h>

#include <memory>

#include "DaysOfWeekCtl.h"
#include "DialogTestSupport.h"
#include "Dib.h"

using dialogtests::ChildRect;
using dialogtests::TestWindow;
using dialogtests::UseScreen;

namespace {

constexpr LCID kEnglishUs = 0x0409;  // the week starts on Sunday
constexpr LCID kGerman = 0x0407;     // on Monday
constexpr LCID kChineseTaiwan = 0x0404;  // every abbreviation begins with the same character
constexpr int kPlaceholderId = 77;
const wchar_t kFallback[] = L"1234567";

DWORD Bit(int day) { return DaysOfWeekCtl::DayBit(day); }  // 0 Monday ... 6 Sunday
constexpr int kMonday = 0, kWednesday = 2, kThursday = 3, kFriday = 4, kSaturday = 5, kSunday = 6;

class DaysOfWeek : public ::testing::Test {
protected:
    void SetUp() override { UseScreen(240, 320, 96); }

    // A control in place of a placeholder between two edits of the parent.
    std::unique_ptr<DaysOfWeekCtl> Make(DWORD mask, LCID locale) {
        before_ = Child(L"EDIT", 0);
        placeholder_ = Child(L"STATIC", kPlaceholderId);
        after_ = Child(L"EDIT", 0);
        std::unique_ptr<DaysOfWeekCtl> control(new DaysOfWeekCtl(mask, kFallback, locale));
        EXPECT_TRUE(control->Create(placeholder_, nullptr));
        return control;
    }
    HWND Child(const wchar_t* className, int id) {
        return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 40, 220, 30, parent_.Get(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    }
    static POINT Centre(const DaysOfWeekCtl& control, int cell) {
        const RECT r = control.CellRect(cell);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    static void Pen(const DaysOfWeekCtl& control, UINT message, int cell) {
        const POINT p = Centre(control, cell);
        SendMessageW(control.GetHwnd(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(p.x, p.y));
    }
    static void Tap(const DaysOfWeekCtl& control, int downCell, int upCell) {
        Pen(control, WM_LBUTTONDOWN, downCell);
        Pen(control, WM_LBUTTONUP, upCell);
    }
    static void Key(const DaysOfWeekCtl& control, UINT message, UINT key) { SendMessageW(control.GetHwnd(), message, key, 0); }
    // The strip as drawn, in 32-bit pixels 0x00RRGGBB.
    static std::unique_ptr<Dib> Drawn(DaysOfWeekCtl& control) {
        RECT client = {};
        GetClientRect(control.GetHwnd(), &client);
        std::unique_ptr<Dib> dib(new Dib());
        HDC screen = GetDC(nullptr);
        HDC dc = dib->Create(client.right, client.bottom) ? dib->MemoryDc(screen) : nullptr;
        ReleaseDC(nullptr, screen);
        if (dc) control.Draw(dc, client);
        GdiFlush();
        return dib;
    }
    static int CountColour(const Dib& dib, const RECT& area, uint32_t colour) {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) count += (dib.Row(y)[x] & 0xFFFFFF) == colour;
        return count;
    }

    TestWindow parent_{L"days", 0, 0, 240, 320};
    HWND before_ = nullptr, placeholder_ = nullptr, after_ = nullptr;
};

}  // namespace

TEST_F(DaysOfWeek, TakesThePlaceholdersPlaceIdAndTabPosition) {
    const RECT place = ChildRect(parent_.Get(), Child(L"STATIC", 0));
    auto control = Make(0, kGerman);
    HWND window = control->GetHwnd();
    EXPECT_FALSE(IsWindow(placeholder_));
    EXPECT_EQ(window, GetDlgItem(parent_.Get(), kPlaceholderId));
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(L"OsDaysOfWeekWnd", className);
    const RECT rect = ChildRect(parent_.Get(), window);
    EXPECT_TRUE(EqualRect(&place, &rect));
    EXPECT_EQ(window, GetWindow(before_, GW_HWNDNEXT));
    EXPECT_EQ(after_, GetWindow(window, GW_HWNDNEXT));
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE | WS_TABSTOP), style & (WS_CHILD | WS_VISIBLE | WS_TABSTOP));
    // Mask 0 selects every day; only the seven day bits of the initial mask count.
    EXPECT_EQ(DaysOfWeekCtl::kAllDays, control->DayMask());
    EXPECT_EQ(Bit(kFriday), DaysOfWeekCtl(0x180 | Bit(kFriday), kFallback, kGerman).DayMask());
    UpdateWindow(window);  // paints through the memory DC without trouble
}

TEST_F(DaysOfWeek, TapsToggleTheirDayAndTheOnlyDayStays) {
    auto control = Make(Bit(kWednesday), kGerman);  // Monday first: cell i is day i
    Tap(*control, kWednesday, kWednesday);
    EXPECT_EQ(Bit(kWednesday), control->DayMask());
    Tap(*control, kThursday, kThursday);
    EXPECT_EQ(Bit(kWednesday) | Bit(kThursday), control->DayMask());
    Tap(*control, kWednesday, kWednesday);
    EXPECT_EQ(Bit(kThursday), control->DayMask());
    // Bits beyond the week belong to the owner and stay.
    control->SetDayMask(0x100 | Bit(kThursday));
    Tap(*control, kSunday, kSunday);
    EXPECT_EQ(0x100 | Bit(kThursday) | Bit(kSunday), control->DayMask());

    // Pressed on Friday, lifted on Saturday: nothing changes. Pressed again, moved off and
    // back: the pressed look returns, and lifting there toggles.
    Tap(*control, kFriday, kSaturday);
    EXPECT_EQ(0x100 | Bit(kThursday) | Bit(kSunday), control->DayMask());
    EXPECT_EQ(nullptr, GetCapture());
    const RECT friday = control->CellRect(kFriday);
    const uint32_t window = GetSysColor(COLOR_WINDOW);
    const uint32_t windowPixel = (window & 0xFF) << 16 | (window & 0xFF00) | (window >> 16 & 0xFF);
    const POINT left = {friday.left + 1, (friday.top + friday.bottom) / 2};
    Pen(*control, WM_LBUTTONDOWN, kFriday);
    EXPECT_EQ(control->GetHwnd(), GetCapture());
    EXPECT_NE(windowPixel, Drawn(*control)->Row(left.y)[left.x] & 0xFFFFFF);
    Pen(*control, WM_MOUSEMOVE, kSaturday);
    EXPECT_EQ(windowPixel, Drawn(*control)->Row(left.y)[left.x] & 0xFFFFFF);
    Pen(*control, WM_MOUSEMOVE, kFriday);
    EXPECT_NE(windowPixel, Drawn(*control)->Row(left.y)[left.x] & 0xFFFFFF);
    Pen(*control, WM_LBUTTONUP, kFriday);
    EXPECT_EQ(0x100 | Bit(kThursday) | Bit(kFriday) | Bit(kSunday), control->DayMask());
    EXPECT_EQ(-1, control->HitTest(-5, -5));
}

TEST_F(DaysOfWeek, KeysMoveTheCursorAndEnterToggles) {
    auto control = Make(Bit(kMonday), kGerman);
    SetFocus(control->GetHwnd());
    ASSERT_EQ(control->GetHwnd(), GetFocus());
    Key(*control, WM_KEYDOWN, VK_LEFT);  // 0 wraps to 6
    Key(*control, WM_KEYDOWN, VK_RETURN);
    Key(*control, WM_KEYUP, VK_RETURN);
    EXPECT_EQ(Bit(kMonday) | Bit(kSunday), control->DayMask());
    Key(*control, WM_KEYDOWN, VK_RIGHT);  // 6 wraps to 0: Monday
    Key(*control, WM_KEYDOWN, VK_RETURN);
    Key(*control, WM_KEYUP, VK_RETURN);
    EXPECT_EQ(Bit(kSunday), control->DayMask());
    Key(*control, WM_KEYDOWN, VK_LEFT);  // Sunday, now the only day: Enter leaves it
    Key(*control, WM_KEYDOWN, VK_RETURN);
    Key(*control, WM_KEYUP, VK_RETURN);
    EXPECT_EQ(Bit(kSunday), control->DayMask());

    // Enter held, focus lost: nothing toggles and the cursor is back on the first cell.
    Key(*control, WM_KEYDOWN, VK_RIGHT);
    Key(*control, WM_KEYDOWN, VK_RIGHT);
    Key(*control, WM_KEYDOWN, VK_RETURN);
    SetFocus(after_);
    Key(*control, WM_KEYUP, VK_RETURN);
    EXPECT_EQ(Bit(kSunday), control->DayMask());
    SetFocus(control->GetHwnd());
    Key(*control, WM_KEYDOWN, VK_RETURN);
    Key(*control, WM_KEYUP, VK_RETURN);
    EXPECT_EQ(Bit(kMonday) | Bit(kSunday), control->DayMask());

    // Arrows and Enter are the control's; other keys go to the dialog.
    MSG tab = {control->GetHwnd(), WM_KEYDOWN, VK_TAB, 0};
    MSG enter = {control->GetHwnd(), WM_KEYDOWN, VK_RETURN, 0};
    EXPECT_EQ(0, SendMessageW(control->GetHwnd(), WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)));
    EXPECT_EQ(DLGC_WANTARROWS, SendMessageW(control->GetHwnd(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)));
    EXPECT_EQ(DLGC_WANTARROWS, SendMessageW(control->GetHwnd(), WM_GETDLGCODE, 0, 0));
}

TEST_F(DaysOfWeek, SundayFirstLocaleShowsSundayFirstInRed) {
    auto control = Make(Bit(kWednesday), kEnglishUs);
    EXPECT_EQ(kSunday, control->FirstDay());
    EXPECT_EQ(kSunday, control->DayOfCell(0));
    EXPECT_EQ(kSaturday, control->DayOfCell(6));
    EXPECT_EQ(L'S', control->LetterOfDay(control->DayOfCell(0)));
    EXPECT_EQ(L'M', control->LetterOfDay(control->DayOfCell(1)));
    // Tapping the first cell selects Sunday.
    Tap(*control, 0, 0);
    EXPECT_EQ(Bit(kWednesday) | Bit(kSunday), control->DayMask());
    Tap(*control, 0, 0);

    // Unselected Sunday's letter is red, Saturday's blue, and no other cell has either.
    std::unique_ptr<Dib> drawn = Drawn(*control);
    ASSERT_FALSE(drawn->IsEmpty());
    for (int cell = 0; cell < DaysOfWeekCtl::kDays; ++cell) {
        SCOPED_TRACE(cell);
        const RECT r = control->CellRect(cell);
        EXPECT_EQ(cell == 0, CountColour(*drawn, r, 0xFF0000) > 0);
        EXPECT_EQ(cell == 6, CountColour(*drawn, r, 0x0000FF) > 0);
    }

    // Monday first in German: Sunday is the last cell, still red.
    auto german = Make(Bit(kWednesday), kGerman);
    drawn = Drawn(*german);
    EXPECT_EQ(kSunday, german->DayOfCell(6));
    EXPECT_GT(CountColour(*drawn, german->CellRect(6), 0xFF0000), 0);
    EXPECT_EQ(0, CountColour(*drawn, german->CellRect(0), 0xFF0000));
}

TEST_F(DaysOfWeek, AbbreviationsThatBeginAlikeGiveTheFallbackLetters) {
    DaysOfWeekCtl alike(0, kFallback, kChineseTaiwan);
    DaysOfWeekCtl english(0, kFallback, kEnglishUs);
    for (int day = 0; day < DaysOfWeekCtl::kDays; ++day) {
        EXPECT_EQ(kFallback[day], alike.LetterOfDay(day));
        EXPECT_EQ(L"MTWTFSS"[day], english.LetterOfDay(day));
    }
}
