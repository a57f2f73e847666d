#include "SilentTimerRingWnd.h"

#include "EngineMessage.h"
#include "TimerItem.h"

SilentTimerRingWnd::SilentTimerRingWnd(TimerItem& timer, std::unique_ptr<RingController> controller)
    : SilentRingWnd(std::move(controller)), timer_(timer) {}

void SilentTimerRingWnd::OnSilentDestroy() {
    // A timer that runs again (restarted by its repetition or snoozed by its ring) is not
    // finished; nor is a template or one that repeats itself.
    const bool finished = !timer_.IsTemplate() && !timer_.IsRunning() && timer_.time <= 0 &&
                          timer_.NextTimer != timer_.Hash;
    if (finished) PostItemDelete(EngineMessage::kDeleteTimer);
}
