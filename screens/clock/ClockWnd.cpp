#include "ClockWnd.h"

#include <algorithm>
#include <new>

#include "BoundFunctions.h"
#include "DeviceClock.h"
#include "DeviceScreen.h"
#include "EngineMessage.h"
#include "Dpi.h"
#include "FullScreenClockWnd.h"
#include "ImageComposite.h"
#include "ImageTransforms.h"
#include "PlatformHelpers.h"
#include "RegKeyRef.h"
#include "SkinList.h"
#include "pm.h"
#include "regext.h"

namespace {

constexpr int kHighDpi = 192;
// At this density the portrait background is drawn twice, the second time this far in.
constexpr int kDoubledBackgroundDpi = 128;
constexpr int kDoubledBackgroundShift = 5;

// The unread counts the clock shows while it is the screen saver, in drawing order.
struct UnreadCount {
    const wchar_t* key;
    const wchar_t* value;
    UINT icon;
};
const UnreadCount kUnreadCounts[] = {
    {L"System\\State\\Messages\\SMS\\Unread", L"Count", ClockWnd::kSmsIcon},
    {L"System\\State\\Phone", L"Missed Call Count", ClockWnd::kMissedCallIcon},
    {L"System\\State\\Messages\\TotalEmail\\Unread", L"Count", ClockWnd::kEmailIcon},
};
// The icons are sized to the screen's shorter side.
constexpr double kIconScalePerPixel = 0.001171875;

int ScreenWidth() { return DeviceScreen_GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return DeviceScreen_GetSystemMetrics(SM_CYSCREEN); }

ImagePtr NewImage(int width, int height) {
    ImagePtr image(new (std::nothrow) Image());
    if (!image || width <= 0 || height <= 0 || !image->Create(width, height)) return nullptr;
    return image;
}

// The icon of an unread count, decoded once at the screen's scale.
const Image* IndicatorIcon(int slot, UINT id) {
    static ImagePtr icons[3];
    if (!icons[slot]) {
        const int shorter = std::min(ScreenWidth(), ScreenHeight());
        const float scale = static_cast<float>(shorter * kIconScalePerPixel);
        icons[slot].reset(new (std::nothrow) Image());
        if (icons[slot]) icons[slot]->LoadResource(id, nullptr, scale, scale);
    }
    return icons[slot] && !icons[slot]->IsEmpty() ? icons[slot].get() : nullptr;
}

}  // namespace

ClockWnd* ClockWnd::instance_ = nullptr;
ClockWnd::OptionsOpener ClockWnd::optionsOpener_ = nullptr;

ClockWnd::ClockWnd() = default;

ClockWnd::~ClockWnd() {
    if (instance_ == this) instance_ = nullptr;
}

ClockWnd* ClockWnd::Create(HWND parent) {
    ClockWnd* clock = new (std::nothrow) ClockWnd;
    if (!clock) return nullptr;
    if (!Wnd_RegisterClass(kClassName, 0, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), nullptr) ||
        !clock->WindowBase::Create(parent, kClassName, WS_CHILD | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, L"", 0, nullptr)) {
        delete clock;
        return nullptr;
    }
    instance_ = clock;
    clock->WatchUnreadCounts();
    return clock;
}

void ClockWnd::WatchUnreadCounts() {
    auto notify = Bound::RegistryNotifyWindow2.As<RegistryNotifyWindowFn>();
    if (!notify) return;
    // The handles are not kept: the watches last as long as the program.
    for (const UnreadCount& count : kUnreadCounts) {
        HREGNOTIFY handle = nullptr;
        notify(HKEY_CURRENT_USER, count.key, count.value, GetHwnd(), kStateChangedMessage, 0, nullptr, &handle);
    }
}

void ClockWnd::SetBorder(bool border) {
    const LONG style = GetWindowLongW(GetHwnd(), GWL_STYLE);
    const LONG wanted = border ? style | WS_BORDER : style & ~WS_BORDER;
    if (wanted == style) return;
    SetWindowLongW(GetHwnd(), GWL_STYLE, wanted);
    SetWindowPos(GetHwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

SkinList& ClockWnd::Skins() {
    if (!skins_) skins_.reset(new SkinList());
    return *skins_;
}

void ClockWnd::UseSkins(std::unique_ptr<SkinList> skins) {
    // The skin in use belongs to the list that goes.
    skin_ = nullptr;
    skinLoaded_ = false;
    skins_ = std::move(skins);
}

bool ClockWnd::LoadSkin(bool reportFailure) {
    Skin* skin = Skins().GetCurrent();
    if (!skin) return false;
    if (skinLoaded_) return true;
    if (ApplySkin(skin)) return true;
    // A damaged skin gives way to the built-in one.
    Skin* builtIn = Skins().BuiltIn();
    if (builtIn && builtIn != skin && ApplySkin(builtIn)) return true;
    if (reportFailure) DeviceScreen_MessageBox(GetHwnd(), kOutOfMemoryText, kOutOfMemoryCaption, MB_OK);
    return true;
}

bool ClockWnd::LoadStrip(ImageRef image, int frameCount, const wchar_t* name, ImageRef& strip,
                         std::vector<HandFrame>& frames) {
    strip = image;
    if (!image || image->IsEmpty()) return false;
    return ClockHands::FindFrames(*image, frameCount, name, GetHwnd(), frames) && image->SplitAlphaHalf();
}

bool ClockWnd::ApplySkin(Skin* skin) {
    skin_ = skin;
    skinLoaded_ = false;
    background_.reset();
    landscapeBackground_.reset();
    if (!skin) return false;
    face_ = skin->GetFace();
    if (!face_ || face_->IsEmpty()) return false;
    POINT centre = {0, 0};
    if (WORD* red = face_->FindPixel(centre, ClockHands::kRedMark)) {
        if (centre.x + 1 < face_->Width()) *red = red[1];
    } else {
        centre = {0, 0};
    }
    faceCentreX_ = centre.x - face_->Width() / 2;
    faceCentreY_ = centre.y;
    if (!face_->SplitAlphaHalf()) return false;
    if (!LoadStrip(skin->GetHourHand(), ClockHands::kHandFrames, L"hours arrows", hourStrip_, hourFrames_) ||
        !LoadStrip(skin->GetMinuteHand(), ClockHands::kHandFrames, L"minutes arrows", minuteStrip_, minuteFrames_) ||
        !LoadStrip(skin->GetSecondHand(), ClockHands::kSecondFrames, L"seconds arrows", secondStrip_,
                   secondFrames_))
        return false;
    skinLoaded_ = true;
    lastDrawnSecond_ = -1;
    if (GetHwnd()) InvalidateRect(GetHwnd(), nullptr, FALSE);
    return true;
}

void ClockWnd::LayoutBackground(bool landscape, int dpi) {
    ImageRef& held = landscape ? landscapeBackground_ : background_;
    (landscape ? background_ : landscapeBackground_).reset();
    if (!held && skin_) {
        if (landscape) {
            held = skin_->GetLandscapeBackground();
            if (!held || held->IsEmpty()) {
                ImageRef portrait = skin_->GetBackground();
                held = portrait && !portrait->IsEmpty() ? ImageRef(Image_Rotate90(*portrait)) : nullptr;
            }
        } else {
            held = skin_->GetBackground();
        }
        // Backgrounds are drawn as they are.
        if (held && held->HasAlpha()) {
            ImageRef plain(new (std::nothrow) Image());
            if (plain && plain->Create(held->Width(), held->Height())) {
                Image_Composite(*plain, *held, 0, 0, 0, 0, -1, -1, kCompositeBlend, 255);
                held = plain;
            }
        }
    }
    if (held && dpi >= kHighDpi) {
        const int width = ScreenWidth() / 2, height = ScreenHeight() / 2;
        if (held->Width() != width || held->Height() != height) {
            ImageRef scaled(Image_Scale(*held, width, height));
            if (scaled) held = scaled;
        }
    }
}

void ClockWnd::DrawHand(Image& canvas, const ImageRef& strip, const std::vector<HandFrame>& frames,
                        HandPosition position, POINT pivot) {
    if (!strip || strip->IsEmpty() || position.frame < 0 || position.frame >= static_cast<int>(frames.size())) return;
    POINT offset = {0, 0};
    ImagePtr frame = ClockHands::FrameForOctant(*strip, frames[position.frame], position.octant, offset);
    if (frame)
        Image_Composite(canvas, *frame, pivot.x + offset.x, pivot.y + offset.y, 0, 0, -1, -1, kCompositeAsIs, 0);
}

ImagePtr ClockWnd::ComposeFace(const SYSTEMTIME& localTime, int width, int height) {
    ImagePtr canvas = NewImage(width, height);
    if (!canvas) return nullptr;
    canvas->Fill(0);
    SYSTEMTIME time = localTime;
    if (time.wHour > 11) time.wHour -= 12;
    const int dpi = Dpi_GetX();
    const bool landscape = ScreenHeight() < ScreenWidth();
    LayoutBackground(landscape, dpi);
    if (landscape) {
        if (landscapeBackground_) Image_Composite(*canvas, *landscapeBackground_, 0, 0, 0, 0, -1, -1, kCompositeAsIs, 0);
    } else if (background_) {
        Image_Composite(*canvas, *background_, 0, 0, 0, 0, -1, -1, kCompositeAsIs, 0);
        if (dpi == kDoubledBackgroundDpi)
            Image_Composite(*canvas, *background_, background_->Width() - kDoubledBackgroundShift, 0, 0, 0, -1, -1,
                            kCompositeAsIs, 0);
    }
    if (face_ && !face_->IsEmpty()) {
        const int faceX = (width - face_->Width()) / 2, faceY = (height - face_->Height()) / 2;
        Image_Composite(*canvas, *face_, faceX, faceY, 0, 0, -1, -1, kCompositeAsIs, 0);
        const POINT pivot = {faceX + faceCentreX_, faceY + faceCentreY_};
        DrawHand(*canvas, hourStrip_, hourFrames_, ClockHands::HourPosition(time), pivot);
        DrawHand(*canvas, minuteStrip_, minuteFrames_, ClockHands::MinutePosition(time), pivot);
        DrawHand(*canvas, secondStrip_, secondFrames_, ClockHands::SecondPosition(time), pivot);
    }
    return canvas;
}

void ClockWnd::DrawIndicators(Image& canvas) {
    const int gap = (Dpi_GetX() * 10 + 48) / 96;
    int x = gap;
    const int y = (Dpi_GetY() * 10 + 48) / 96;
    for (int slot = 0; slot < 3; ++slot) {
        RegKeyRef key = RegKeyRef::Open(kUnreadCounts[slot].key, HKEY_CURRENT_USER, true);
        DWORD count = 0;
        if (key.IsOpen()) RegKeyRef_QueryDword(key, &count, kUnreadCounts[slot].value, 0);
        if (count == 0) continue;
        const Image* icon = IndicatorIcon(slot, kUnreadCounts[slot].icon);
        if (!icon) continue;
        Image_Composite(canvas, *icon, x, y, 0, 0, -1, -1, kCompositeAsIs, 0);
        x += icon->Width() + gap;
    }
}

void ClockWnd::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(GetHwnd(), &paint);
    RECT client;
    GetClientRect(GetHwnd(), &client);
    const bool doubled = Dpi_GetX() >= kHighDpi;
    if (doubled) {
        client.right /= 2;
        client.bottom /= 2;
    }
    SYSTEMTIME now;
    DeviceClock_GetLocalTime(&now);
    ImagePtr canvas = ComposeFace(now, client.right - client.left, client.bottom - client.top);
    if (canvas) {
        lastDrawnSecond_ = now.wSecond;
        if (doubled) canvas = Image_Scale2x(*canvas);
        FullScreenClockWnd* fullScreen = FullScreenClockWnd::Instance();
        if (canvas && Sys_GetOsMajorVersion() > 4 && fullScreen && fullScreen->IsShowing()) DrawIndicators(*canvas);
        if (canvas) canvas->Draw(dc, 0, 0);
    }
    EndPaint(GetHwnd(), &paint);
}

LRESULT ClockWnd::OnEraseBkgnd(HDC) { return 0; }

bool ClockWnd::OnCreate(CREATESTRUCTW*) {
    lastDrawnSecond_ = -1;
    SetTimer(GetHwnd(), kTickTimer, kTickMs, nullptr);
    return true;
}

void ClockWnd::OnDestroy() {
    KillTimer(GetHwnd(), kTickTimer);
    WindowBase::OnDestroy();
}

void ClockWnd::OnTimer(UINT_PTR id) {
    if (id != kTickTimer || !paintingEnabled_) return;
    DWORD flags = 0;
    // Asleep or with the screen off there is nothing to see.
    if (GetSystemPowerState(nullptr, 0, &flags) == ERROR_SUCCESS && !(flags & POWER_STATE_ON)) return;
    SYSTEMTIME now;
    DeviceClock_GetLocalTime(&now);
    if (now.wSecond != lastDrawnSecond_) InvalidateRect(GetHwnd(), nullptr, FALSE);
}

void ClockWnd::OnKeyDown(UINT, UINT, UINT) { HideFullScreenClock(); }

void ClockWnd::HideFullScreenClock() {
    if (FullScreenClockWnd* fullScreen = FullScreenClockWnd::Instance()) fullScreen->Show(false, false, false, false);
}

LRESULT ClockWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kStateChangedMessage:
        InvalidateRect(GetHwnd(), nullptr, FALSE);
        return 0;
    case WM_INITMENUPOPUP:
        if (menuSeen_) break;
        menuSeen_ = reinterpret_cast<HMENU>(wParam);
        return 0;
    case EngineMessage::kUserActivity:
        if (lParam != 1) break;
        HideFullScreenClock();
        return 0;
    }
    return ControlWndBase::WindowProc(message, wParam, lParam);
}
