#pragma once
// Double-buffered painting: draw into a memory bitmap in the target's coordinates,
// then copy the rectangle to the target in one step.
#include <windows.h>

class OffscreenDc {
public:
    OffscreenDc() = default;
    ~OffscreenDc() { End(); }
    OffscreenDc(const OffscreenDc&) = delete;
    OffscreenDc& operator=(const OffscreenDc&) = delete;

    // False when the memory DC or bitmap cannot be made; then nothing is held.
    bool Begin(HDC target, const RECT& rect);
    // Copies the rectangle to the target and frees the buffer; nothing when not begun.
    void End();
    HDC Dc() const { return memory_; }

private:
    HDC memory_ = nullptr;
    HDC target_ = nullptr;
    RECT rect_ = {};
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};
