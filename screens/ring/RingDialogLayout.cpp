// The ring dialogs' pictures, fonts and places: laid out for the screen's shape and
// density above the soft keys, again whenever the screen turns.
#include "RingDialog.h"

#include "App.h"
#include "DeviceScreen.h"
#include "Dpi.h"
#include "Fonts.h"
#include "Image.h"
#include "ItemStore.h"
#include "SystemSettings.h"
#include "resource.h"

namespace {

// The pictures are drawn for this density.
constexpr float kImageDpi = 192.0f;
// Wider buttons on a landscape screen for the full-screen dialogs.
constexpr float kLandscapeButtonDpi = 150.0f;
constexpr int kButtonImages = 4;

int ScreenWidth() { return DeviceScreen_GetSystemMetrics(SM_CXSCREEN); }

bool NotificationStyle() {
    ItemStore* store = App::GetItemStore();
    return store && store->GetSettings().system->NotificationStyle != 0;
}

void MoveTo(HWND window, const RECT& rect) {
    SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT RectAt(int x, int y, SIZE size) { return RECT{x, y, x + size.cx, y + size.cy}; }

}  // namespace

SharedImage RingDialog::LoadImage(UINT id, int index) const {
    if (!id) return nullptr;
    const int shape = ScreenShape();
    const bool wideButtons = index < kButtonImages && shape < 0 && !NotificationStyle();
    const float xScale = Dpi_GetX() / (wideButtons ? kLandscapeButtonDpi : kImageDpi);
    const float yScale = Dpi_GetY() / kImageDpi;
    SharedImage image = std::make_shared<Image>();
    if (!image->LoadResource(id, App::Instance(), xScale, yScale)) return nullptr;
    return image;
}

void RingDialog::LoadButtonImages(ImageButton& first, ImageButton& second) {
    const ImageSet set = Images();
    first.SetImages(LoadImage(set.ids[0], 0), LoadImage(set.ids[2], 2), nullptr, nullptr);
    second.SetImages(LoadImage(set.ids[1], 1), LoadImage(set.ids[3], 3), nullptr, nullptr);
}

void RingDialog::CreateButtons() {
    const ImageSet set = Images();
    first_.reset(new ImageButton());
    second_.reset(new ImageButton());
    picture_.reset(new ImageButton());
    first_->Create(GetHwnd(), set.firstCommand);
    second_->Create(GetHwnd(), set.secondCommand);
    picture_->Create(GetHwnd(), 0);
    LoadButtonImages(*first_, *second_);
    picture_->SetImages(LoadImage(set.ids[4], 4), nullptr, nullptr, nullptr);
    for (ImageButton* button : {first_.get(), second_.get(), picture_.get()}) button->SetBackground(this);
}

void RingDialog::CreateFonts() {
    const int shape = ScreenShape();
    const int clockSize = shape > 0 ? kClockSizePortrait : (shape < 0 ? kClockSizeLandscape : kClockSizeSquare);
    clockFont_.Reset(Font_CreateScaled(clockSize, kTahomaFace));
    titleFont_.Reset(Font_CreateScaled(kTitleSize, kTahomaFace));
    HFONT line = nullptr;
    lineFont_.Reset(Font_CreateTahoma(line, kTimerLineSize, false));
    SendDlgItemMessageW(GetHwnd(), IDC_RING_CLOCK, WM_SETFONT, reinterpret_cast<WPARAM>(clockFont_.Get()), FALSE);
    SendDlgItemMessageW(GetHwnd(), IDC_RING_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.Get()), FALSE);
    SendDlgItemMessageW(GetHwnd(), IDC_RING_NEXT_TIMER, WM_SETFONT, reinterpret_cast<WPARAM>(lineFont_.Get()), FALSE);
}

RECT RingDialog::ControlRect(int id) const {
    RECT rect = {};
    HWND control = GetDlgItem(GetHwnd(), id);
    if (!control) return rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Only with soft keys: without them the template's places stay.
void RingDialog::Layout() {
    HWND bar = MenuBar();
    if (!bar || !first_ || !second_ || !picture_) return;
    const int shape = ScreenShape();
    const int width = ScreenWidth();
    const int dpiX = Dpi_GetX();

    RECT barRect;
    GetWindowRect(bar, &barRect);
    POINT barTop = {barRect.left, barRect.top};
    ScreenToClient(GetHwnd(), &barTop);
    const SIZE button = first_->ImageSize();
    const int bottom = barTop.y - (shape > 0 ? Dpi_ScaleY(10) : Dpi_ScaleY(5));
    const int free = width - 2 * button.cx;
    const int firstX = Dpi_ScaleX(1) + free / 3;
    const RECT first = RectAt(firstX, bottom - button.cy, button);
    MoveTo(first_->Hwnd(), first);
    MoveTo(second_->Hwnd(), RectAt(firstX + button.cx + firstX, bottom - second_->ImageSize().cy, second_->ImageSize()));

    const SIZE pictureSize = picture_->ImageSize();
    const RECT picture = shape != 0 ? RectAt(Dpi_ScaleX(7), Dpi_ScaleY(8), pictureSize)
                                    : RectAt(Dpi_ScaleX(4), Dpi_ScaleY(5), pictureSize);
    MoveTo(picture_->Hwnd(), picture);

    RECT title = ControlRect(IDC_RING_TITLE);
    const int titleHeight = title.bottom - title.top;
    title.left = picture.right + (dpiX + 6) * 8 / 96;
    title.right = width - (dpiX + 24) * 2 / 96;
    title.top = Dpi_ScaleY(10);
    title.bottom = title.top + titleHeight;
    MoveTo(GetDlgItem(GetHwnd(), IDC_RING_TITLE), title);

    TEXTMETRICW metrics = {};
    {
        WindowDc dc(GetHwnd());
        SelectScope font(dc.Get(), clockFont_.Get());
        GetTextMetricsW(dc.Get(), &metrics);
    }
    RECT clock;
    clock.left = shape > 0 ? 0 : Dpi_ScaleX(20);
    clock.right = width;
    clock.bottom = first.top - Dpi_ScaleY(15);
    clock.top = clock.bottom - metrics.tmHeight - 1;
    MoveTo(GetDlgItem(GetHwnd(), IDC_RING_CLOCK), clock);

    if (HWND line = GetDlgItem(GetHwnd(), IDC_RING_NEXT_TIMER)) {
        const int lineBottom = first.top - (shape > 0 ? Dpi_ScaleY(10) : Dpi_ScaleY(1));
        const int lineHeight = shape > 0 ? Dpi_ScaleY(35) : Dpi_ScaleY(15);
        MoveTo(line, RECT{0, lineBottom - lineHeight, width, lineBottom});
    }
    LayoutKind();
}
