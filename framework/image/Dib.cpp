#include "Dib.h"

#include "ImageComposite.h"

Dib::Dib() : DibSurface(32, 0xFF0000, 0x00FF00, 0x0000FF) {}

Dib::~Dib() { Free(); }

bool Dib::Create(int width, int height) { return CreateSection(width, height); }

bool Dib::Draw(HDC dc, int x, int y) { return !IsEmpty() && Blit(dc, x, y, 0, 0, Width(), Height()); }

bool Dib::DrawAlpha(HDC dc, int x, int y, int width, int height) {
    if (width == 0 || height == 0) return true;
    if (IsEmpty()) return false;
    Dib under;
    if (!under.CaptureDc(dc, x, y, Width(), Height())) return false;
    Dib_Composite(under, *this, 0, 0, -1);
    return under.Draw(dc, x, y);
}
