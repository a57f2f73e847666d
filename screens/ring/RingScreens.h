#pragma once
// Opens the ring window of an item that fell due: the same item's open window rings
// again, otherwise a dialog or, when the item shows no event dialog, a window that
// shows nothing. Every window made here is kept until it is gone, and deleted then.
#include <functional>
#include <memory>

#include "RingController.h"

class AlarmItem;
class EngineWnd;
class TimerItem;
class RingScreen;

class RingScreens {
public:
    using ControllerFactory = std::function<std::unique_ptr<RingController>(EventItem& item)>;

    // The alarm's ring (engine messages 1376 and 1377).
    static void ShowAlarmRing(HWND engineWindow, AlarmItem& alarm);
    // The expired timer's ring (1374); it first closes the rings of the timers whose
    // chain started this one.
    static void ShowTimerRing(HWND engineWindow, TimerItem& timer);
    // Tests watch the decisions through controllers of their own; null restores the program's.
    static void SetControllerFactory(ControllerFactory factory);
    // Ring windows made and not yet deleted, for tests.
    static size_t OpenCount();

private:
    static std::unique_ptr<RingController> MakeController(EventItem& item);
    // Keeps a ring whose window was made; deletes those whose windows are gone.
    static void Keep(std::unique_ptr<RingScreen> screen);
    static void DeleteClosed();
};
