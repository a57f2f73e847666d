#include "EngineItemHost.h"

#include "App.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "Signaller.h"
#include "Translator.h"
#include "UnattendedScope.h"

EngineItemHost& EngineItemHost::Instance() {
    static EngineItemHost host;
    return host;
}

HWND EngineItemHost::EngineWindow() const {
    EngineWnd* engine = App::GetEngine();
    return engine ? engine->Hwnd() : nullptr;
}

void EngineItemHost::ChangeRingWindowCount(int delta) {
    if (EngineWnd* engine = App::GetEngine()) engine->ChangeRingWindowCount(delta);
}

int EngineItemHost::Reschedule() {
    if (EngineWnd* engine = App::GetEngine()) {
        engine->Reschedule();
    } else if (ItemStore* store = ItemStore::Current()) {
        store->Save(false);
    }
    return 0;
}

bool EngineItemHost::HasVibrationDevice() const {
    Signaller* signaller = App::GetSignaller();
    return signaller && signaller->HasVibrator();
}

bool EngineItemHost::SignallerBusy() const {
    Signaller* signaller = App::GetSignaller();
    return signaller && signaller->IsBusy();
}

bool EngineItemHost::StoreExists() const { return ItemStore::Current() != nullptr; }

bool EngineItemHost::IsHashTaken(ItemHash hash) const {
    ItemStore* store = ItemStore::Current();
    return store && store->IsHashTaken(hash);
}

const Settings& EngineItemHost::GetSettings() const { return ItemStore::Current()->GetSettings(); }

TimerItem* EngineItemHost::StartTimerByHash(ItemHash hash, bool stopwatch) {
    ItemStore* store = ItemStore::Current();
    if (!store) return nullptr;
    TimerItem* timer = stopwatch ? static_cast<TimerItem*>(store->FindStopwatchByHash(hash)) : store->FindTimerByHash(hash);
    if (!timer) return nullptr;
    if (EngineWnd* engine = App::GetEngine()) return engine->StartTimer(timer, true);
    UnattendedScope unattended;
    return store->StartTimer(timer, true);
}

void EngineItemHost::StopTimer(TimerItem& timer) {
    if (EngineWnd* engine = App::GetEngine()) engine->StopTimer(&timer);
}

void EngineItemHost::MarkRegistryDirty() { App::MarkRegistryDirty(); }

void EngineItemHost::FlushRegistry() {
    EngineWnd::FlushRegistry();
    App::ClearRegistryDirty();
}

void EngineItemHost::ChangeBusyCount(int delta) {
    if (EngineWnd* engine = App::GetEngine()) engine->ChangeBusyCount(delta);
}

void EngineItemHost::ForgetDeviceWake() {
    if (EngineWnd* engine = App::GetEngine()) engine->ForgetDeviceWake();
}

UINT EngineItemHost::SetVolumePercent(int percent) {
    Signaller* signaller = App::GetSignaller();
    return signaller ? Volume_SetPercent(*signaller, percent) : kNoSignaller;
}

std::wstring EngineItemHost::TranslatedString(UINT id) const { return Translator::Instance().GetString(id); }
