// The slide show inside the full-screen clock: picture changes on a timer with a
// transition, and slow panning across Smart Fill pictures larger than the screen.
#include "FullScreenClockWnd.h"

#include <algorithm>
#include <new>

#include "AppMessageBox.h"
#include "DeviceScreen.h"
#include "ImageComposite.h"
#include "ItemStore.h"
#include "PictureLoader.h"
#include "Random.h"
#include "SlideTransition.h"
#include "Translator.h"
#include "pm.h"

namespace {

constexpr int kSmartFill = 3;
constexpr int kAwakePanStep = 4;
constexpr int kPanStep = 25;
constexpr UINT kAwakePanMs = 100;
constexpr UINT kPanMs = 1200;
constexpr int kAwakeSteps = 6;
constexpr int kSteps = 3;
constexpr DWORD kFrameMs = 50;
// An interval of 00:00 would spin: a second at least.
constexpr UINT kShortestIntervalMs = 1000;

int ScreenWidth() { return DeviceScreen_GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return DeviceScreen_GetSystemMetrics(SM_CYSCREEN); }

const SlideShowSettings* Slides() {
    ItemStore* store = ItemStore::Current();
    return store ? &store->GetSettings().screenSaver->slideShow : nullptr;
}

void KeepDeviceOn() {
    SystemIdleTimerReset();
    SetSystemPowerState(nullptr, POWER_STATE_ON, 0);
}

bool LargerThanScreen(const Image& picture) {
    return picture.Width() > ScreenWidth() || picture.Height() > ScreenHeight();
}

}  // namespace

bool FullScreenClockWnd::StartSlideShow(bool forced) {
    const SlideShowSettings* settings = Slides();
    if (!settings) return !forced;
    pictures_.reset(new (std::nothrow) PictureLoader());
    if (pictures_ && pictures_->ScanFolder(settings->Folder.CStr(), settings->Size, settings->Shuffle != 0)) {
        slideShowRunning_ = true;
        panning_ = changePending_ = panAtEdge_ = false;
        SetTimer(GetHwnd(), kPictureTimer, PictureIntervalMs(), nullptr);
        OnPictureChange();
        return true;
    }
    pictures_.reset();
    if (!forced) return true;
    const std::wstring text = Translator::Instance().GetString(kNoPicturesText);
    AppMessageBox_Show(GetHwnd(), text.c_str(), MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST);
    return false;
}

void FullScreenClockWnd::StopSlideShow() {
    // The loader's destructor waits for its thread before the list goes.
    pictures_.reset();
    picture_.reset();
    KillTimer(GetHwnd(), kPictureTimer);
    KillTimer(GetHwnd(), kPanTimer);
    slideShowRunning_ = false;
    panning_ = changePending_ = panAtEdge_ = false;
}

UINT FullScreenClockWnd::PictureIntervalMs() const {
    const SlideShowSettings* settings = Slides();
    if (!settings) return kShortestIntervalMs;
    const int seconds = settings->DelayMin * 60 + settings->DelaySec;
    return std::max<UINT>(seconds > 0 ? static_cast<UINT>(seconds) * 1000 : 0, kShortestIntervalMs);
}

void FullScreenClockWnd::StartPanTimer() {
    SetTimer(GetHwnd(), kPanTimer, keepAwake_ ? kAwakePanMs : kPanMs, nullptr);
}

ImagePtr FullScreenClockWnd::ComposeFrame(const Image* picture) const {
    ImagePtr frame(new (std::nothrow) Image());
    if (!frame || !frame->Create(ScreenWidth(), ScreenHeight())) return nullptr;
    frame->Fill(0);
    if (picture && !picture->IsEmpty())
        Image_Composite(*frame, *picture, 0, 0, panX_, panY_, -1, -1, kCompositeAsIs, 0);
    return frame;
}

void FullScreenClockWnd::DrawCentred(const Image& picture, HDC dc) const {
    const int width = ScreenWidth(), height = ScreenHeight();
    const int x = picture.Width() < width ? (width - picture.Width()) / 2 : 0;
    const int y = picture.Height() < height ? (height - picture.Height()) / 2 : 0;
    const_cast<Image&>(picture).Draw(dc, x, y, panX_, panY_, std::min(picture.Width() - panX_, width),
                                     std::min(picture.Height() - panY_, height));
}

void FullScreenClockWnd::OnPictureChange() {
    const SlideShowSettings* settings = Slides();
    if (!settings || !pictures_) return;
    DWORD flags = 0;
    // The show pauses while the device is not on.
    if (GetSystemPowerState(nullptr, 0, &flags) == ERROR_SUCCESS && !(flags & POWER_STATE_ON)) return;
    if (keepAwake_) KeepDeviceOn();
    if (panning_) {
        // The change waits for the pan to reach an edge.
        KillTimer(GetHwnd(), kPictureTimer);
        changePending_ = true;
        return;
    }
    panStep_ = keepAwake_ ? kAwakePanStep : kPanStep;
    if (picture_ && settings->Effect != SlideTransition::kNone) {
        ChangeWithTransition(settings->Effect);
        return;
    }
    // The first picture, and every change without effect, is loaded here; the loader
    // first hands over (waiting for) any picture its thread is making.
    picture_ = pictures_->RestartLoader(true);
    if (!picture_ || picture_->IsEmpty()) return;
    panX_ = panY_ = 0;
    if (settings->Size == kSmartFill && LargerThanScreen(*picture_)) StartPanTimer();
    InvalidateRect(GetHwnd(), nullptr, TRUE);
}

void FullScreenClockWnd::ChangeWithTransition(int effect) {
    const SlideShowSettings* settings = Slides();
    ImagePtr oldFrame = ComposeFrame(picture_.get());
    if (!oldFrame) return;
    panX_ = panY_ = 0;
    picture_ = pictures_->RestartLoader(false);
    if (!picture_ || picture_->IsEmpty()) {
        InvalidateRect(GetHwnd(), nullptr, TRUE);
        return;
    }
    ImagePtr newFrame = ComposeFrame(picture_.get());
    ImagePtr work(new (std::nothrow) Image());
    if (!newFrame || !work || !work->Create(oldFrame->Width(), oldFrame->Height())) {
        if (newFrame) picture_ = std::move(newFrame);
        InvalidateRect(GetHwnd(), nullptr, TRUE);
        return;
    }
    if (effect == SlideTransition::kRandom) {
        static const int kEffects[] = {SlideTransition::kSmooth, SlideTransition::kHorizontalLines,
                                       SlideTransition::kVerticalLines};
        effect = kEffects[(Random_Next() / 2) % 3];
    }
    HDC dc = GetDC(GetHwnd());
    const int steps = keepAwake_ ? kAwakeSteps : kSteps;
    if (std::unique_ptr<SlideTransition> transition = SlideTransition::Make(effect)) {
        transition->Init(*oldFrame, *newFrame, *work, steps);
        for (int i = 0; i <= steps; ++i) {
            transition->Step();
            DrawCentred(*work, dc);
            Sleep(kFrameMs);
        }
    }
    DrawCentred(*picture_, dc);
    if (settings->Size == kSmartFill && LargerThanScreen(*picture_)) {
        StartPanTimer();
        panning_ = true;
    }
    ReleaseDC(GetHwnd(), dc);
}

void FullScreenClockWnd::OnPan() {
    if (keepAwake_) KeepDeviceOn();
    if (picture_) {
        const int width = ScreenWidth(), height = ScreenHeight();
        // Each axis bounces between its edges; the step's sign is shared.
        auto move = [&](int& pan, int pictureSize, int screenSize) {
            if (screenSize >= pictureSize) return;
            pan += panStep_;
            const int limit = pictureSize - screenSize;
            if (pan > limit) {
                panStep_ = -panStep_;
                pan = limit;
                panAtEdge_ = true;
            } else if (pan < 0) {
                pan = 0;
                panAtEdge_ = true;
                panStep_ = -panStep_;
            }
        };
        move(panX_, picture_->Width(), width);
        move(panY_, picture_->Height(), height);
    }
    if (panAtEdge_ && changePending_) {
        panning_ = changePending_ = panAtEdge_ = false;
        KillTimer(GetHwnd(), kPanTimer);
        SetTimer(GetHwnd(), kPictureTimer, PictureIntervalMs(), nullptr);
        OnPictureChange();
    }
    InvalidateRect(GetHwnd(), nullptr, TRUE);
    UpdateWindow(GetHwnd());
}
