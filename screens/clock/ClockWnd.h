#pragma once
// The analogue clock: a child window that paints the current skin's background, face
// and hands once a second, shows unread-message indicators while it is the screen
// saver, and offers a tap-and-hold menu (chime and screen-saver toggles, skins,
// settings, screen saver and slide show). One exists for the whole program, a child of
// the engine window; the clock page and the full-screen clock borrow it by re-parenting.
// GUI thread only.
#include <memory>
#include <vector>

#include "ClockHands.h"
#include "ControlWndBase.h"
#include "ImageRef.h"

class Skin;
class SkinList;

class ClockWnd : public ControlWndBase {
public:
    static constexpr wchar_t kClassName[] = L"OrvalenClock";
    static constexpr UINT_PTR kTickTimer = 16;
    static constexpr UINT kTickMs = 333;
    // Posted by the registry watch when a count of unread messages or missed calls changes.
    static constexpr UINT kStateChangedMessage = 1670;
    // Context-menu commands; skin i of the list is kFirstSkinCommand + i.
    static constexpr UINT kStartScreenSaverCommand = 271;
    static constexpr UINT kStartSlideShowCommand = 305;
    static constexpr UINT kSettingsCommand = 30368;
    static constexpr UINT kChimeCommand = 30369;
    static constexpr UINT kScreenSaverCommand = 30370;
    static constexpr UINT kSkinsMenuText = 30371;
    static constexpr UINT kFirstSkinCommand = 50000;
    // Told when a skin cannot be loaded.
    static constexpr wchar_t kOutOfMemoryText[] = L"Too low memory to load the clock";
    static constexpr wchar_t kOutOfMemoryCaption[] = L"Orvalen";
    // Indicator pictures ("IMAGES"): unread SMS, missed calls, unread e-mail.
    static constexpr UINT kSmsIcon = 434;
    static constexpr UINT kMissedCallIcon = 435;
    static constexpr UINT kEmailIcon = 436;

    // Creates the clock under parent (WS_CHILD | WS_VISIBLE) and watches the unread
    // counts; null on failure.
    static ClockWnd* Create(HWND parent);
    // The program's clock, null when none exists.
    static ClockWnd* Instance() { return instance_; }
    ~ClockWnd() override;

    // Applies the current skin unless one is loaded; false when the list has no skin.
    // A skin that fails to load is replaced by the built-in one.
    bool LoadSkin(bool reportFailure = true);
    // Loads the skin's pictures into the window; false (the skin not loaded) when a
    // picture is missing, does not decode or a hand strip lacks a mark.
    bool ApplySkin(Skin* skin);
    bool IsSkinLoaded() const { return skinLoaded_; }
    Skin* CurrentSkin() const { return skin_; }
    SkinList& Skins();
    // Replaces the skin list (the options' skin page and tests hand over their own).
    void UseSkins(std::unique_ptr<SkinList> skins);

    // The context menu built without showing it (the clock page copies it into its bar);
    // the caller destroys it. Null while the menu is open.
    HMENU BuildContextMenu();
    // Shows the context menu at (x, y) in client coordinates and runs the chosen command.
    void TrackMenu(int x, int y);
    bool IsMenuOpen() const { return menuOpen_; }
    void OnClockCommand(UINT id);
    void OpenOptions();

    // Who opens the options sheet for the "Settings..." command (the program installs it).
    using OptionsOpener = void (*)(HWND owner);
    static void SetOptionsOpener(OptionsOpener opener) { optionsOpener_ = opener; }

    // The picture the window would paint for this local time, at the given client size
    // (as the paint composes it, before doubling); null when no canvas can be made.
    ImagePtr ComposeFace(const SYSTEMTIME& time, int width, int height);
    // A thin frame around the face: inside the clock page, not on the full screen.
    void SetBorder(bool border);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCreate(CREATESTRUCTW* create) override;
    void OnDestroy() override;
    void OnPaint() override;
    LRESULT OnEraseBkgnd(HDC dc) override;
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    // Every key is its own: the program's dialog-message filter would take arrows and tabs.
    LRESULT OnGetDlgCode(MSG*, WPARAM) override { return DLGC_WANTALLKEYS; }
    void OnLButtonDown(int x, int y, UINT keys) override;
    void OnTimer(UINT_PTR id) override;

private:
    ClockWnd();

    // Registers for the three unread counts, when the shell offers the watch.
    void WatchUnreadCounts();
    bool LoadStrip(ImageRef image, int frameCount, const wchar_t* name, ImageRef& strip,
                   std::vector<HandFrame>& frames);
    void LayoutBackground(bool landscape, int dpi);
    void DrawHand(Image& canvas, const ImageRef& strip, const std::vector<HandFrame>& frames, HandPosition position,
                  POINT pivot);
    void DrawIndicators(Image& canvas);
    void HideFullScreenClock();

    static ClockWnd* instance_;
    static OptionsOpener optionsOpener_;

    ImageRef background_;
    ImageRef face_;
    ImageRef hourStrip_;
    ImageRef minuteStrip_;
    ImageRef secondStrip_;
    ImageRef landscapeBackground_;
    Skin* skin_ = nullptr;
    std::unique_ptr<SkinList> skins_;
    bool skinLoaded_ = false;
    bool paintingEnabled_ = true;
    bool menuOpen_ = false;
    int lastDrawnSecond_ = -1;
    HMENU menuSeen_ = nullptr;
    std::vector<HandFrame> secondFrames_;
    std::vector<HandFrame> minuteFrames_;
    std::vector<HandFrame> hourFrames_;
    int faceCentreX_ = 0;
    int faceCentreY_ = 0;
};
