#pragma once
// An owner-drawn button with an icon and a text: the icon above the text (vertical
// layout) or left of it. Icons are 16 pixels square below 192 DPI, 32 from there.
#include <windows.h>

#include <memory>
#include <string>

class IconButton {
public:
    // A button whose icons are missing still draws its frame and text; null only
    // when memory runs out.
    static std::unique_ptr<IconButton> Create(HINSTANCE instance, UINT commandId, UINT normalIconId,
                                              UINT disabledIconId, const wchar_t* text);
    ~IconButton();
    IconButton(const IconButton&) = delete;
    IconButton& operator=(const IconButton&) = delete;

    // Replaces both icons; true when both loaded.
    bool LoadIcons(HINSTANCE instance, UINT normalIconId, UINT disabledIconId);
    void SetText(const wchar_t* text) { text_ = text ? text : L""; }
    void SetVertical(bool vertical) { vertical_ = vertical; }

    void DrawNormal(const DRAWITEMSTRUCT& item) const;
    void DrawDisabled(const DRAWITEMSTRUCT& item) const;
    void DrawPushed(const DRAWITEMSTRUCT& item) const;
    void DrawFocused(const DRAWITEMSTRUCT& item) const;

    // The text cut to fit the rectangle's width with "..." at its end; unchanged when it fits.
    static std::wstring EllipsizeText(HDC dc, const RECT& rect, const std::wstring& text);

    UINT CommandId() const { return commandId_; }
    const std::wstring& Text() const { return text_; }
    HICON NormalIcon() const { return normalIcon_; }
    HICON DisabledIcon() const { return disabledIcon_; }

private:
    IconButton(UINT commandId, const wchar_t* text) : commandId_(commandId), text_(text ? text : L"") {}
    void Draw(const DRAWITEMSTRUCT& item, UINT frameState, COLORREF textColour, HICON icon, bool inverted) const;
    void DestroyIcons();

    UINT commandId_;
    std::wstring text_;
    HICON normalIcon_ = nullptr;
    HICON disabledIcon_ = nullptr;
    bool vertical_ = false;
};
