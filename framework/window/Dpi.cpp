#include "Dpi.h"

#include <windows.h>

#include "DeviceScreen.h"

namespace {

struct ScreenDensity {
    bool read = false;
    int x = -1;
    int y = -1;
};

ScreenDensity g_density;  // GUI thread; read once

const ScreenDensity& Density() {
    if (!g_density.read) {
        g_density.read = true;
        if (HDC screen = GetDC(nullptr)) {
            g_density.x = DeviceScreen_GetDeviceCaps(screen, LOGPIXELSX);
            g_density.y = DeviceScreen_GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
        }
    }
    return g_density;
}

}  // namespace

int Dpi_GetX() { return Density().x; }

int Dpi_GetY() { return Density().y; }

int Dpi_Scale(int value, int dpi) {
    const long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
    const long long scaled = (magnitude * dpi + 48) / 96;
    return static_cast<int>(value < 0 ? -scaled : scaled);
}

int Dpi_ScaleX(int value) { return Dpi_Scale(value, Dpi_GetX()); }

int Dpi_ScaleY(int value) { return Dpi_Scale(value, Dpi_GetY()); }

void Dpi_ResetCache() { g_density = ScreenDensity(); }
