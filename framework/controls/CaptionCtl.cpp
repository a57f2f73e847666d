#include "CaptionCtl.h"

#include "DeviceScreen.h"
#include "Dpi.h"
#include "GdiHandles.h"
#include "OffscreenDc.h"

namespace {

constexpr int kTextGap = 2;        // at 96 DPI, as the lengths below
constexpr int kLineGap = 1;
constexpr int kLineHeight = 1;
constexpr int kTextIndent = 10;
constexpr int kCaptionPoints = 11;
constexpr int kMaxText = 40;
constexpr double kSolidShare = 0.6;

TRIVERTEX Vertex(int x, int y, COLORREF colour) {
    TRIVERTEX vertex = {};
    vertex.x = x;
    vertex.y = y;
    vertex.Red = static_cast<COLOR16>(GetRValue(colour) << 8);
    vertex.Green = static_cast<COLOR16>(GetGValue(colour) << 8);
    vertex.Blue = static_cast<COLOR16>(GetBValue(colour) << 8);
    return vertex;
}

HFONT CreateCaptionFont() {
    LOGFONTW font = {};
    if (GetObjectW(GetStockObject(SYSTEM_FONT), sizeof font, &font) != sizeof font)
        return nullptr;
    font.lfHeight = (Dpi_GetY() * kCaptionPoints + 48) / -96;
    font.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&font);
}

}  // namespace

bool CaptionCtl::OnCreate(CREATESTRUCTW* create) {
    Layout();
    return WindowBase::OnCreate(create);
}

void CaptionCtl::Layout() {
    HWND window = GetHwnd();
    lineColour_ = kLineColour;
    RECT rect;
    GetClientRect(window, &rect);
    MapWindowPoints(window, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    TEXTMETRICW metrics = {};
    {
        WindowDc dc(window);
        GetTextMetricsW(dc.Get(), &metrics);
    }
    const int height = metrics.tmHeight + metrics.tmExternalLeading + Dpi_ScaleY(kTextGap);
    SetWindowPos(window, nullptr, 0, rect.top, DeviceScreen_GetSystemMetrics(SM_CXSCREEN), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    layoutPending_ = false;
}

void CaptionCtl::OnWindowPosChanged(WINDOWPOS* position) {
    layoutPending_ = true;
    WindowBase::OnWindowPosChanged(position);
}

LRESULT CaptionCtl::OnEraseBkgnd(HDC dc) {
    RECT client;
    GetClientRect(GetHwnd(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    return 0;
}

void CaptionCtl::OnPaint() {
    if (layoutPending_)
        Layout();
    PaintScope paint(GetHwnd());
    if (!paint.Dc())
        return;
    RECT client;
    GetClientRect(GetHwnd(), &client);
    OffscreenDc buffer;
    Draw(buffer.Begin(paint.Dc(), client) ? buffer.Dc() : paint.Dc(), client);
}

void CaptionCtl::Draw(HDC dc, const RECT& client) const {
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));

    FontHandle font(CreateCaptionFont());
    SelectScope selection(dc, font.Get());
    wchar_t text[kMaxText + 1] = {};
    GetWindowTextW(GetHwnd(), text, kMaxText + 1);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);

    const int width = client.right;
    const int top = metrics.tmHeight + Dpi_ScaleY(kLineGap);
    const int bottom = top + Dpi_ScaleY(kLineHeight);
    const int solidEnd = static_cast<int>(width * kSolidShare);
    TRIVERTEX vertices[4] = {Vertex(0, top, lineColour_), Vertex(solidEnd, bottom, lineColour_),
                             Vertex(solidEnd, top, lineColour_), Vertex(width, bottom, GetSysColor(COLOR_WINDOW))};
    GRADIENT_RECT bands[2] = {{0, 1}, {2, 3}};
    GradientFill(dc, vertices, 4, bands, 2, GRADIENT_FILL_RECT_H);

    RECT textRect = client;
    textRect.left = Dpi_ScaleX(kTextIndent);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, -1, &textRect, DT_SINGLELINE);
    SetBkMode(dc, oldMode);
}
