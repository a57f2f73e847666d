#include "Dpi.h"

#include <windows.h>

namespace {

struct ScreenDensity {
    int x = -1;
    int y = -1;
    ScreenDensity() {
        if (HDC screen = GetDC(nullptr)) {
            x = GetDeviceCaps(screen, LOGPIXELSX);
            y = GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
        }
    }
};

const ScreenDensity& Density() {
    static const ScreenDensity density;
    return density;
}

}  // namespace

int Dpi_GetX() {
    return Density().x;
}

int Dpi_GetY() {
    return Density().y;
}

int Dpi_Scale(int value, int dpi) {
    const long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
    const long long scaled = (magnitude * dpi + 48) / 96;
    return static_cast<int>(value < 0 ? -scaled : scaled);
}
