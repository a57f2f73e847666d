#pragma once
// The timer ring's bubble in the shell's tray: tapping it brings the ring dialog back
// to the front. Each dialog's bubble has a number of its own, so closing one dialog
// removes only its bubble.
#include <windows.h>

class RingBubble {
public:
    RingBubble();
    ~RingBubble() { Remove(); }
    RingBubble(const RingBubble&) = delete;
    RingBubble& operator=(const RingBubble&) = delete;

    // Adds the bubble for the dialog; a failure leaves the dialog without one.
    void Show(HWND dialog);
    // Takes the bubble away and frees its icon; nothing when none was added.
    void Remove();
    DWORD Id() const { return id_; }

    static const CLSID kClassId;

private:
    DWORD id_;
    HICON icon_ = nullptr;
    bool added_ = false;
};
