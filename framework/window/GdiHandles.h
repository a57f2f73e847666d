#pragma once
// Owners for GDI objects and device contexts, released in one place.
#include <windows.h>

#include "ScopedHandle.h"

// An owned GDI object (font, brush, pen, bitmap, region), deleted with its owner:
// the platform's one owner template, with DeleteObject as the release.
template <typename GdiHandle>
struct GdiObjectTraits {
    using Handle = GdiHandle;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
template <typename GdiHandle>
using GdiObject = ScopedOwner<GdiObjectTraits<GdiHandle>>;

using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using PenHandle = GdiObject<HPEN>;
using BitmapHandle = GdiObject<HBITMAP>;
using RegionHandle = GdiObject<HRGN>;

// A window's DC (GetDC), released with the owner.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { Release(); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }
    void Release() {
        if (dc_)
            ReleaseDC(window_, dc_);
        dc_ = nullptr;
    }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintScope() { End(); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const { return dc_; }
    const PAINTSTRUCT& Paint() const { return paint_; }
    void End() {
        if (dc_)
            EndPaint(window_, &paint_);
        dc_ = nullptr;
    }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectScope() {
        if (previous_)
            SelectObject(dc_, previous_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
