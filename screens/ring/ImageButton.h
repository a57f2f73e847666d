#pragma once
// A button that only draws pictures ("TTBUTTON"): one picture each for normal,
// pressed, focused and disabled, the normal one giving the button its size. It sends
// its command (its control id) to the parent when released over it or on Enter.
#include "WindowBase.h"

#include <memory>

class Image;
using SharedImage = std::shared_ptr<Image>;

// Who paints behind a button: the dialog it stands on.
class ButtonBackground {
public:
    virtual HBRUSH BackgroundBrush() const = 0;
    // Paints what stands behind the button's client area: the brush, unless the dialog
    // draws more there (a slider's track).
    virtual void PaintBehind(HDC dc, HWND, const RECT& client) const { FillRect(dc, &client, BackgroundBrush()); }

protected:
    ~ButtonBackground() = default;
};

class ImageButton : public WindowBase {
public:
    static constexpr wchar_t kClassName[] = L"TTBUTTON";
    // The text every button keeps in front of its translated caption.
    static constexpr wchar_t kTextPrefix[] = L"~~";
    // Styles a button takes at creation: owner-drawn, notifying.
    static constexpr LONG_PTR kButtonStyle = 0x400B;

    ImageButton() = default;

    // A child of parent at 0, 0 without size, the id being the command it sends
    // (0: none). False when the window could not be made.
    bool Create(HWND parent, UINT id);
    // Any picture may be null but the normal one; the button takes the normal picture's size.
    void SetImages(SharedImage normal, SharedImage pressed, SharedImage focused, SharedImage disabled);
    void SetBackground(const ButtonBackground* background) { background_ = background; }
    // Stores the caption behind the prefix; the button shows pictures only.
    void SetCaption(const std::wstring& text);
    void SetCommandOnPress(bool on) { commandOnPress_ = on; }
    // 255 draws the pictures as they are; less lets the background show through (night).
    void SetOpacity(BYTE opacity) { opacity_ = opacity; }

    bool IsPressed() const { return pressed_; }
    bool IsFocused() const { return focused_; }
    HWND Hwnd() const { return GetHwnd(); }
    SIZE ImageSize() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnCreate(CREATESTRUCTW* create) override;
    void OnSetFocus(HWND losing) override;
    void OnKillFocus(HWND gaining) override;
    void OnPaint() override;
    LRESULT OnEraseBkgnd(HDC) override { return 1; }
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnKeyUp(UINT key, UINT repeat, UINT flags) override;
    LRESULT OnGetDlgCode(MSG* message, WPARAM key) override;
    void OnLButtonDown(int x, int y, UINT keys) override;
    void OnMouseMove(int x, int y, UINT keys) override;
    void OnLButtonUp(int x, int y, UINT keys) override;
    void OnLButtonDblClk(int x, int y, UINT keys) override;

protected:
    // The picture of the button's state.
    const Image* ChosenImage() const;
    // Draws the background and the picture; derived buttons paint other pictures.
    virtual void Paint(HDC dc, const RECT& client);
    // The picture at the client's origin, at the button's opacity.
    void DrawPicture(HDC dc, const Image& image) const;
    void SetPressed(bool pressed);
    bool HasCapture() const { return GetCapture() == GetHwnd(); }
    bool IsDisabled() const { return (GetWindowLongPtrW(GetHwnd(), GWL_STYLE) & WS_DISABLED) != 0; }
    void SendCommand(bool post);
    void Repaint();

    SharedImage normal_, pressedImage_, focusedImage_, disabledImage_;
    const ButtonBackground* background_ = nullptr;
    BYTE opacity_ = 255;

private:
    void OnCaptureChanged(HWND gaining);

    bool pressed_ = false;
    bool focused_ = false;
    bool commandOnPress_ = false;
};
