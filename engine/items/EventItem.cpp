#include "EventItem.h"

#include "EngineMessage.h"
#include "ExecuteAction.h"
#include "ItemHost.h"
#include "RegKeyRefTyped.h"
#include "RingLink.h"

#include <DeviceClock.h>
#include <cstdlib>

namespace {

// True when a message of that number for item is the first of its kind waiting
// in the engine's queue; the message stays there.
bool IsWaiting(HWND engine, UINT message, const EventItem* item) {
    MSG waiting;
    return PeekMessageW(&waiting, engine, message, message, PM_NOREMOVE | PM_NOYIELD) &&
           waiting.wParam == reinterpret_cast<WPARAM>(item);
}

const int kNightStartHour = 23;
const int kNightEndHour = 8;

HWND LiveEngineWindow() {
    ItemHost* host = ItemHost::Current();
    HWND engine = host ? host->EngineWindow() : nullptr;
    return engine && IsWindow(engine) ? engine : nullptr;
}

}  // namespace

EventItem::EventItem() : action(Action_Create(Action::kTypeNone)), Hash(ItemHash_Draw(0)) {}

bool EventItem::IsNightNow() {
    SYSTEMTIME local;
    DeviceClock_GetLocalTime(&local);
    return local.wHour >= kNightStartHour || local.wHour < kNightEndHour;
}

int EventItem::Dismiss(bool reschedule) {
    SetDismissed(true);
    SnoozeCount = 0;
    ItemHost* host = ItemHost::Current();
    return reschedule && host ? host->Reschedule() : 0;
}

boost::shared_ptr<ItemSoundSettings> EventItem::GetSoundSettings() const {
    return boost::shared_ptr<ItemSoundSettings>(new ItemSoundSettings(soundSettings.ThreadCopy()));
}

boost::shared_ptr<ItemVibrationSettings> EventItem::GetVibrationSettings() const {
    return boost::shared_ptr<ItemVibrationSettings>(new ItemVibrationSettings(vibrationSettings));
}

void EventItem::MakeUniqueHash() {
    ItemHost* host = ItemHost::Current();
    ItemHash h;
    do {
        h = ItemHash_Draw(static_cast<uint32_t>(rand()));
    } while (host && host->StoreExists() && host->IsHashTaken(h));
    Hash = h;
}

void EventItem::AttachRingUI(RingLink* ring) {
    if (ring == ringUI) return;
    if (ringUI) DetachRingUI(false, ring == nullptr);
    ringUI = ring;
    if (!ring) return;
    ring->item_ = this;
    ring->counted_ = false;
    ItemHost* host = ItemHost::Current();
    if (IsOption7() && host) {
        host->ChangeRingWindowCount(1);
        ring->counted_ = true;
    }
}

void EventItem::DetachRingUI(bool post, bool close) {
    if (!ringUI || !IsWindow(ringUI->RingWindow())) return;
    HWND engine = LiveEngineWindow();
    if (!engine || !post) {
        CloseRingWindow(ringUI, close ? 1 : 0);
        return;
    }
    // A delete of this very item is on its way and closes the window with the item.
    if (IsWaiting(engine, EngineMessage::kDeleteTimer, this) || IsWaiting(engine, EngineMessage::kDeleteAlarm, this))
        return;
    PostMessageW(engine, EngineMessage::kDetachRing, reinterpret_cast<WPARAM>(this),
                 reinterpret_cast<LPARAM>(ringUI));
}

void EventItem::CloseRingOnLeaving() {
    leaving_ = true;
    DetachRingUI(false, true);
}

void EventItem::CloseRingWindow(RingLink* ring, WPARAM flag) {
    if (!ring) return;
    EventItem* item = ring->item_;
    bool counted = ring->counted_;
    ring->counted_ = false;
    HWND window = ring->RingWindow();
    if (window) DestroyWindow(window);
    ring->OnRingWindowDestroyed();  // the ring object may be gone from here on
    ItemHost* host = ItemHost::Current();
    HWND engine = LiveEngineWindow();
    if (engine) PostMessageW(engine, EngineMessage::kRingClosed, flag, 0);
    if (counted && host) host->ChangeRingWindowCount(-1);
    if (item && item->ringUI == ring) item->ringUI = nullptr;
}

bool EventItem::RingAwaitsAnswer() const { return ringOnItsWay || (ringUI && ringUI->AwaitsAnswer()); }

void EventItem::CopyActions(const EventItem& from) {
    if (&from == this) return;
    soundSettings = from.soundSettings;
    vibrationSettings = from.vibrationSettings;
    actionType = from.actionType;
    action = from.action ? from.action->Clone() : Action_Create(from.actionType);
    initsnooze = from.initsnooze;
    SnoozeType = from.SnoozeType;
}

bool EventItem::HasProgramAction() const {
    if (!IsOption7() || actionType != Action::kTypeExecute) return false;
    const auto* program = dynamic_cast<const ExecuteAction*>(action.get());
    return program && program->RunOnDismiss != 0;
}

void EventItem::SaveBase(const RegKeyRef& key) const {
    RegKey_WriteDword(key, static_cast<DWORD>(actionType), kActionTypeValue);
    RegKey_WriteDword(key, static_cast<DWORD>(Hash), kHashValue);
    if (action) action->Save(key);
    soundSettings.Save(key);
    vibrationSettings.Save(key);
    RegKey_WriteDword(key, static_cast<DWORD>(SnoozeCount), kSnoozeCountValue);
    // Minutes in the low half, seconds in the high half.
    DWORD packed = static_cast<uint16_t>(initsnooze.minutes) |
                   static_cast<DWORD>(static_cast<uint16_t>(initsnooze.seconds)) << 16;
    RegKey_WriteDword(key, packed, kInitSnoozeValue);
    RegKey_WriteDword(key, static_cast<DWORD>(SnoozeType), kSnoozeTypeValue);
}

void EventItem::LoadBase(const RegKeyRef& key) {
    DWORD value = 0;
    if (RegKeyRef_QueryTypedDword(key, &value, kActionTypeValue) == ERROR_SUCCESS) {
        actionType = static_cast<int32_t>(value);
        action = Action_Create(actionType);
        action->Load(key);
    }
    soundSettings.Load(key);
    vibrationSettings.Load(key);
    if (RegKeyRef_QueryTypedDword(key, &value, kHashValue) == ERROR_SUCCESS) Hash = static_cast<ItemHash>(value);
    if (RegKeyRef_QueryTypedDword(key, &value, kInitSnoozeValue) == ERROR_SUCCESS) {
        initsnooze.minutes = static_cast<int16_t>(value & 0xFFFF);
        initsnooze.seconds = static_cast<int16_t>(value >> 16);
    }
    if (RegKeyRef_QueryTypedDword(key, &value, kSnoozeTypeValue) == ERROR_SUCCESS)
        SnoozeType = static_cast<int32_t>(value);
    // A snooze count that cannot be read starts the ring afresh.
    bool counted = RegKeyRef_QueryTypedDword(key, &value, kSnoozeCountValue) == ERROR_SUCCESS;
    SnoozeCount = counted ? static_cast<int32_t>(value) : 0;
}
