#include "RingController.h"

#include "AlarmRingController.h"
#include "App.h"
#include "EngineMessage.h"
#include "EventItem.h"
#include "ItemHost.h"
#include "ItemStore.h"
#include "RingSignals.h"
#include "SystemSettings.h"
#include "TimerItem.h"
#include "TimerRingController.h"

RingController* RingController_Create(EventItem& item) {
    if (auto* timer = dynamic_cast<TimerItem*>(&item)) return new TimerRingController(*timer);
    if (auto* alarm = dynamic_cast<AlarmItem*>(&item)) return new AlarmRingController(*alarm);
    return nullptr;
}

void RingController::RingEnded(UINT, WPARAM wParam) {
    // Stopping the sound for the snooze chooser is no end of the ring: deciding now
    // could close the item and its window under the chooser.
    if (ended || (snoozeGuard && wParam == 1)) return;
    RingSignals::StopVibrationWithSound(*this);
    RingSignals::AfterSound(*this);
}

void RingController::AutoAction() {
    if (item->GetSnoozeType() == EventItem::kSnoozeTypeAutoSnooze) AutoSnooze();
}

void RingController::AutoSnooze() {
    const SystemSettings* system = System();
    const int most = system ? system->AutoSnoozeCount : 4;
    if (item->GetSnoozeType() != EventItem::kSnoozeTypeAutoSnooze || item->SnoozeCount >= most) return;
    if (item->IsOption7() && notifyWindow) KillTimer(notifyWindow, kCountdownBarTimer);
    RingSignals::Stop(*this);
    // The window stays up while the item is snoozed; the next firing rings it again.
    Snooze(DefaultSnoozeSeconds(), false);
}

void RingController::GotoMain() {
    Close();
    if (HWND engine = RingSignals::EngineWindow()) PostMessageW(engine, EngineMessage::kOpenMainWindow, 0, 0);
}

void RingController::PostItemDelete(UINT message) {
    HWND engine = RingSignals::EngineWindow();
    // An item already on its way out is deleted by whoever deletes it.
    if (deletePosted_ || !engine || item->IsLeaving()) return;
    deletePosted_ = true;
    PostMessageW(engine, message, reinterpret_cast<WPARAM>(item), 0);
}

int Ring_DefaultSnoozeSeconds(const EventItem& item) { return item.initsnooze.minutes * 60 + item.initsnooze.seconds; }

bool RingController::SnoozeDismissesInstead() const {
    return !item->IsOption7() && item->GetSnoozeType() == EventItem::kSnoozeTypeAutoSnooze && item->actionType != 0;
}

void RingController::DetachRing() {
    ended = true;
    item->DetachRingUI(true, true);
}

void RingController::RunProgramAction() {
    if (!item->HasProgramAction() || !item->action) return;
    // Held here: running it may change the item's action.
    boost::shared_ptr<Action> action = item->action;
    action->Execute();
}

int RingController::Reschedule() {
    ItemHost* host = ItemHost::Current();
    return host ? host->Reschedule() : 0;
}

const SystemSettings* RingController::System() {
    ItemStore* store = App::GetItemStore();
    return store ? store->GetSettings().system.get() : nullptr;
}
