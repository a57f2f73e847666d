#include "RingScreens.h"

#include <vector>

#include "AlarmItem.h"
#include "AlarmRingDialog.h"
#include "AlarmRingNotifyDialog.h"
#include "App.h"
#include "ItemStore.h"
#include "SilentAlarmRingWnd.h"
#include "SilentTimerRingWnd.h"
#include "SystemSettings.h"
#include "TimerItem.h"
#include "TimerRingDialog.h"
#include "resource.h"

namespace {

std::vector<std::unique_ptr<RingScreen>>& Screens() {
    static std::vector<std::unique_ptr<RingScreen>> screens;
    return screens;
}

RingScreens::ControllerFactory& Factory() {
    static RingScreens::ControllerFactory factory;
    return factory;
}

// The item's open ring window rings again instead of a second one opening.
bool RingAgain(EventItem& item) {
    HWND window = item.ringUI ? item.ringUI->RingWindow() : nullptr;
    if (!window || !IsWindow(window)) return false;
    SendMessageW(window, RingScreen::kRingAgainMessage, 0, 0);
    return true;
}

bool NotificationStyle() {
    ItemStore* store = App::GetItemStore();
    return store && store->GetSettings().system->NotificationStyle != 0;
}

}  // namespace

void RingScreens::SetControllerFactory(ControllerFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<RingController> RingScreens::MakeController(EventItem& item) {
    if (Factory()) return Factory()(item);
    return std::unique_ptr<RingController>(RingController_Create(item));
}

size_t RingScreens::OpenCount() {
    DeleteClosed();
    return Screens().size();
}

void RingScreens::DeleteClosed() {
    auto& screens = Screens();
    // A ring whose snooze chooser still runs is deleted once the chooser has returned.
    for (auto it = screens.begin(); it != screens.end();)
        it = (*it)->IsClosed() && !(*it)->Controller().snoozeGuard ? screens.erase(it) : it + 1;
}

void RingScreens::Keep(std::unique_ptr<RingScreen> screen) {
    DeleteClosed();
    Screens().push_back(std::move(screen));
}

void RingScreens::ShowAlarmRing(HWND engineWindow, AlarmItem& alarm) {
    if (RingAgain(alarm)) return;
    if (alarm.IsOption7()) {
        std::unique_ptr<RingDialog> dialog;
        if (NotificationStyle())
            dialog.reset(new AlarmRingNotifyDialog(MakeController(alarm)));
        else
            dialog.reset(new AlarmRingDialog(MakeController(alarm)));
        if (dialog->Open()) Keep(std::move(dialog));
        return;
    }
    std::unique_ptr<SilentAlarmRingWnd> silent(new SilentAlarmRingWnd(alarm, MakeController(alarm)));
    if (silent->Create(engineWindow)) Keep(std::move(silent));
}

void RingScreens::ShowTimerRing(HWND engineWindow, TimerItem& timer) {
    // The ring of the timer that started this one has done its part.
    ItemStore* store = App::GetItemStore();
    if (store && timer.NextTimer != 0 && timer.NextTimer != timer.Hash) {
        const std::deque<TimerItem*>& timers = store->Timers();
        for (size_t i = 0; i < timers.size(); ++i) {
            TimerItem* before = timers[i];
            HWND ring = before->ringUI ? before->ringUI->RingWindow() : nullptr;
            if (before->NextTimer == timer.Hash && !before->IsTemplate() && !(before->flags & TimerItem::kRunning) &&
                before->time <= 0 && ring && IsWindow(ring))
                SendMessageW(ring, WM_COMMAND, MAKEWPARAM(IDM_RING_DISMISS, 0), 0);
        }
    }
    if (RingAgain(timer)) return;
    if (timer.IsOption7()) {
        std::unique_ptr<TimerRingDialog> dialog(new TimerRingDialog(timer, MakeController(timer)));
        if (dialog->Open()) Keep(std::move(dialog));
        return;
    }
    std::unique_ptr<SilentTimerRingWnd> silent(new SilentTimerRingWnd(timer, MakeController(timer)));
    if (silent->Create(engineWindow)) Keep(std::move(silent));
}
