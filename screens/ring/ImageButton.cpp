#include "ImageButton.h"

#include "GdiHandles.h"
#include "Image.h"
#include "OffscreenDc.h"

#include <cstdint>

namespace {

bool RegisterButtonClass() {
    static bool registered = false;
    if (!registered || !Wnd_IsFrameworkClass(ImageButton::kClassName, nullptr))
        registered = Wnd_RegisterClass(ImageButton::kClassName, CS_DBLCLKS, nullptr, nullptr);
    return registered;
}

// Blends a picture with an alpha plane onto the DC in full colour. The image's own
// blend goes through its 16-bit pixels, which would shift the background under the
// transparent parts to the nearest 16-bit colour: a faint square behind the picture.
bool DrawBlended(HDC dc, const Image& image, BYTE opacity) {
    const int width = image.Width(), height = image.Height();
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP premultiplied = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!premultiplied) return false;
    auto* out = static_cast<uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        const WORD* colour = image.Row(y);
        const BYTE* alpha = image.HasAlpha() ? image.AlphaRow(y) : nullptr;
        for (int x = 0; x < width; ++x) {
            const uint32_t p = colour[x], a = alpha ? alpha[x] : 255;
            // Each channel widened to 8 bits with its top bits repeated, then premultiplied.
            const uint32_t red = (p >> 11) << 3 | (p >> 13), green = ((p >> 5) & 0x3F) << 2 | ((p >> 9) & 3),
                           blue = (p & 0x1F) << 3 | ((p >> 2) & 7);
            *out++ = a << 24 | (red * a / 255) << 16 | (green * a / 255) << 8 | blue * a / 255;
        }
    }
    HDC memory = CreateCompatibleDC(dc);
    bool ok = false;
    if (memory) {
        HGDIOBJ previous = SelectObject(memory, premultiplied);
        const BLENDFUNCTION blend = {AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
        ok = GdiAlphaBlend(dc, 0, 0, width, height, memory, 0, 0, width, height, blend) != FALSE;
        SelectObject(memory, previous);
        DeleteDC(memory);
    }
    DeleteObject(premultiplied);
    return ok;
}

}  // namespace

bool ImageButton::Create(HWND parent, UINT id) {
    if (!RegisterButtonClass()) return false;
    return WindowBase::Create(parent, kClassName, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, L"", id, nullptr);
}

void ImageButton::SetImages(SharedImage normal, SharedImage pressed, SharedImage focused, SharedImage disabled) {
    normal_ = std::move(normal);
    pressedImage_ = std::move(pressed);
    focusedImage_ = std::move(focused);
    disabledImage_ = std::move(disabled);
    const SIZE size = ImageSize();
    SetWindowPos(GetHwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
}

SIZE ImageButton::ImageSize() const {
    if (!normal_) return SIZE{0, 0};
    return SIZE{normal_->Width(), normal_->Height()};
}

void ImageButton::SetCaption(const std::wstring& text) {
    SetWindowTextW(GetHwnd(), (std::wstring(kTextPrefix) + text).c_str());
}

LRESULT ImageButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ENABLE:
        Repaint();
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return 0;
    }
    return WindowBase::WindowProc(message, wParam, lParam);
}

bool ImageButton::OnCreate(CREATESTRUCTW* create) {
    pressed_ = focused_ = commandOnPress_ = false;
    background_ = nullptr;
    SetWindowLongPtrW(GetHwnd(), GWL_STYLE, GetWindowLongPtrW(GetHwnd(), GWL_STYLE) | kButtonStyle);
    return WindowBase::OnCreate(create);
}

void ImageButton::OnSetFocus(HWND) {
    if (IsDisabled()) return;
    focused_ = true;
    Repaint();
}

void ImageButton::OnKillFocus(HWND) {
    if (IsDisabled()) return;
    focused_ = false;
    Repaint();
}

const Image* ImageButton::ChosenImage() const {
    if (pressed_) return pressedImage_ ? pressedImage_.get() : normal_.get();
    if (IsDisabled() && disabledImage_) return disabledImage_.get();
    if (focused_ && focusedImage_) return focusedImage_.get();
    return normal_.get();
}

void ImageButton::OnPaint() {
    PaintScope paint(GetHwnd());
    if (!paint.Dc()) return;
    RECT client;
    GetClientRect(GetHwnd(), &client);
    // The picture's edges blend with the background drawn first, so both go to a buffer.
    OffscreenDc buffer;
    if (!buffer.Begin(paint.Dc(), client)) return Paint(paint.Dc(), client);
    Paint(buffer.Dc(), client);
    buffer.End();
}

void ImageButton::Paint(HDC dc, const RECT& client) {
    if (background_) background_->PaintBehind(dc, GetHwnd(), client);
    if (const Image* image = ChosenImage()) DrawPicture(dc, *image);
}

void ImageButton::DrawPicture(HDC dc, const Image& image) const {
    if ((image.HasAlpha() || opacity_ < 255) && DrawBlended(dc, image, opacity_)) return;
    const_cast<Image&>(image).Draw(dc, 0, 0);
}

void ImageButton::OnKeyDown(UINT key, UINT, UINT) {
    if (key != VK_RETURN || IsDisabled()) return;
    SetPressed(true);
    UpdateWindow(GetHwnd());
}

void ImageButton::OnKeyUp(UINT key, UINT, UINT) {
    if (key != VK_RETURN || !pressed_) return;
    SetPressed(false);
    SendCommand(false);
}

LRESULT ImageButton::OnGetDlgCode(MSG* message, WPARAM) {
    // Enter belongs to the button, not to the dialog's default button.
    if (message && message->wParam == VK_RETURN) return DLGC_WANTMESSAGE;
    return 0;
}

void ImageButton::OnLButtonDown(int, int, UINT) {
    if (IsDisabled()) return;
    if (commandOnPress_) {
        SendCommand(false);
        return;
    }
    SetCapture(GetHwnd());
    SetPressed(true);
}

void ImageButton::OnMouseMove(int x, int y, UINT) {
    if (!HasCapture()) return;
    RECT client;
    GetClientRect(GetHwnd(), &client);
    const POINT point = {x, y};
    SetPressed(PtInRect(&client, point) != FALSE);
}

void ImageButton::OnLButtonUp(int, int, UINT) {
    if (!HasCapture()) return;
    if (pressed_) SendCommand(true);
    ReleaseCapture();
}

void ImageButton::OnLButtonDblClk(int x, int y, UINT keys) {
    DefProc(WM_LBUTTONDBLCLK, keys, MAKELPARAM(x, y));
    if (!HasCapture()) SetCapture(GetHwnd());
    if (!pressed_) SetPressed(true);
}

void ImageButton::OnCaptureChanged(HWND gaining) {
    if (gaining != GetHwnd() && pressed_) SetPressed(false);
}

void ImageButton::SetPressed(bool pressed) {
    if (pressed_ == pressed) return;
    pressed_ = pressed;
    Repaint();
}

void ImageButton::SendCommand(bool post) {
    HWND parent = GetParent(GetHwnd());
    const WPARAM command = MAKEWPARAM(GetDlgCtrlID(GetHwnd()), 0);
    const LPARAM self = reinterpret_cast<LPARAM>(GetHwnd());
    if (post)
        PostMessageW(parent, WM_COMMAND, command, self);
    else
        SendMessageW(parent, WM_COMMAND, command, self);
}

void ImageButton::Repaint() { InvalidateRect(GetHwnd(), nullptr, FALSE); }
