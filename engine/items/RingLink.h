#pragma once
// The part of a ring window that ties it to the item it shows. The item keeps a
// pointer to the link while the window is attached; the link remembers whether its
// attachment was counted among the engine's ring windows, so exactly that
// attachment is uncounted when the window closes, whatever the item's options are
// by then.
#include <windows.h>

class EventItem;

class RingLink {
public:
    virtual ~RingLink() = default;

    // The ring window, or null once it is gone.
    virtual HWND RingWindow() const = 0;
    // Called once the ring window has been destroyed; the ring object may delete itself here.
    virtual void OnRingWindowDestroyed() = 0;
    // The ring is up and nothing has been decided on it yet (no snooze, dismiss or close).
    virtual bool AwaitsAnswer() const { return false; }

    EventItem* Item() const { return item_; }
    bool IsCounted() const { return counted_; }

private:
    friend class EventItem;
    EventItem* item_ = nullptr;
    bool counted_ = false;
};
