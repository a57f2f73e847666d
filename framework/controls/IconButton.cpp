#include "IconButton.h"

#include <new>

#include "Dpi.h"
#include "Gfx.h"

namespace {

constexpr const wchar_t* kEllipsis = L"...";
constexpr COLORREF kNormalText = RGB(0, 0, 0);
constexpr COLORREF kDisabledText = 0x7F7F7F;
constexpr COLORREF kPushedText = RGB(255, 255, 255);
constexpr COLORREF kPushedBackground = RGB(0, 0, 0);
constexpr int kTextRightInset = 1;   // at 96 DPI, as the lengths below
constexpr int kVerticalTextGap = 3;
constexpr int kHorizontalTextGap = 4;
constexpr int kFocusInset = 2;

int TextWidth(HDC dc, const wchar_t* text, int length) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, length, &size);
    return size.cx;
}

}  // namespace

std::unique_ptr<IconButton> IconButton::Create(HINSTANCE instance, UINT commandId, UINT normalIconId,
                                               UINT disabledIconId, const wchar_t* text) {
    std::unique_ptr<IconButton> button(new (std::nothrow) IconButton(commandId, text));
    if (button)
        button->LoadIcons(instance, normalIconId, disabledIconId);
    return button;
}

IconButton::~IconButton() { DestroyIcons(); }

void IconButton::DestroyIcons() {
    if (normalIcon_)
        DestroyIcon(normalIcon_);
    if (disabledIcon_)
        DestroyIcon(disabledIcon_);
    normalIcon_ = disabledIcon_ = nullptr;
}

bool IconButton::LoadIcons(HINSTANCE instance, UINT normalIconId, UINT disabledIconId) {
    DestroyIcons();
    instance = instance ? instance : GetModuleHandleW(nullptr);
    const int size = Gfx_IconSizeForDpi();
    normalIcon_ =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(normalIconId), IMAGE_ICON, size, size, 0));
    disabledIcon_ =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(disabledIconId), IMAGE_ICON, size, size, 0));
    return normalIcon_ && disabledIcon_;
}

std::wstring IconButton::EllipsizeText(HDC dc, const RECT& rect, const std::wstring& text) {
    const int available = rect.right - rect.left;
    if (TextWidth(dc, text.c_str(), static_cast<int>(text.size())) <= available)
        return text;
    int sum = TextWidth(dc, kEllipsis, 3);
    size_t kept = 0;
    while (kept < text.size()) {
        sum += TextWidth(dc, &text[kept], 1);
        if (sum >= available)
            break;
        ++kept;
    }
    return text.substr(0, kept) + kEllipsis;
}

void IconButton::Draw(const DRAWITEMSTRUCT& item, UINT frameState, COLORREF textColour, HICON icon,
                      bool inverted) const {
    HDC dc = item.hDC;
    RECT frame = item.rcItem;
    DrawFrameControl(dc, &frame, DFC_BUTTON, frameState);
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    const int size = Gfx_IconSizeForDpi();
    // A caption too long for one line under the icon goes beside it on two lines.
    bool besideOnTwoLines = false;
    if (vertical_ && !text_.empty() && text_.find(L' ') != std::wstring::npos) {
        SIZE extent = {};
        GetTextExtentPoint32W(dc, text_.c_str(), static_cast<int>(text_.size()), &extent);
        besideOnTwoLines = extent.cx > width - 2 * Dpi_ScaleX(kTextRightInset);
    }
    const bool vertical = vertical_ && !besideOnTwoLines;
    if (!text_.empty()) {
        RECT textRect = item.rcItem;
        textRect.right -= Dpi_ScaleX(kTextRightInset);
        UINT format;
        if (besideOnTwoLines) {
            textRect.left = item.rcItem.left + width / 7 + Dpi_ScaleX(kHorizontalTextGap) + size;
            RECT measured = textRect;
            DrawTextW(dc, text_.c_str(), -1, &measured, DT_WORDBREAK | DT_CALCRECT);
            const int textHeight = measured.bottom - measured.top;
            textRect.top = item.rcItem.top + (height - textHeight) / 2;
            textRect.bottom = textRect.top + textHeight;
            format = DT_WORDBREAK | DT_END_ELLIPSIS;
        } else if (vertical) {
            textRect.top += Dpi_ScaleY(kVerticalTextGap) + height / 2;
            textRect.left += Dpi_ScaleX(kTextRightInset);
            format = DT_CENTER | DT_SINGLELINE;
        } else {
            textRect.left = item.rcItem.left + width / 7 + Dpi_ScaleX(kHorizontalTextGap) + size;
            format = DT_VCENTER | DT_SINGLELINE;
        }
        const std::wstring shown = besideOnTwoLines ? text_ : EllipsizeText(dc, textRect, text_);
        const COLORREF oldText = SetTextColor(dc, textColour);
        const int oldMode = SetBkMode(dc, inverted ? OPAQUE : TRANSPARENT);
        const COLORREF oldBack = inverted ? SetBkColor(dc, kPushedBackground) : 0;
        DrawTextW(dc, shown.c_str(), -1, &textRect, format);
        if (inverted)
            SetBkColor(dc, oldBack);
        SetBkMode(dc, oldMode);
        SetTextColor(dc, oldText);
    }
    if (icon) {
        const int x = vertical ? (width - size) / 2 : width / 7;
        const int y = vertical ? height / 2 - static_cast<int>(size * 0.8) : (height - size) / 2;
        DrawIconEx(dc, item.rcItem.left + x, item.rcItem.top + y, icon, size, size, 0, nullptr, DI_NORMAL);
    }
}

void IconButton::DrawNormal(const DRAWITEMSTRUCT& item) const {
    Draw(item, DFCS_BUTTONPUSH, kNormalText, normalIcon_, false);
}

void IconButton::DrawDisabled(const DRAWITEMSTRUCT& item) const {
    Draw(item, DFCS_BUTTONPUSH | DFCS_INACTIVE, kDisabledText, disabledIcon_, false);
}

void IconButton::DrawPushed(const DRAWITEMSTRUCT& item) const {
    Draw(item, DFCS_BUTTONPUSH | DFCS_PUSHED, kPushedText, normalIcon_, true);
}

void IconButton::DrawFocused(const DRAWITEMSTRUCT& item) const {
    Draw(item, DFCS_BUTTONPUSH, kNormalText, normalIcon_, false);
    RECT focus = item.rcItem;
    InflateRect(&focus, -Dpi_ScaleX(kFocusInset), -Dpi_ScaleY(kFocusInset));
    DrawFocusRect(item.hDC, &focus);
}
