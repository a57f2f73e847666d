#include "EngineItemHost.h"

#include "App.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "Signaller.h"

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
    // The reschedule arrives with the scheduling of the system notifications.
    return 0;
}

bool EngineItemHost::HasVibrationDevice() const {
    Signaller* signaller = App::GetSignaller();
    return signaller && signaller->HasVibrator();
}

bool EngineItemHost::StoreExists() const { return App::GetItemStore() != nullptr; }

bool EngineItemHost::IsHashTaken(ItemHash hash) const {
    ItemStore* store = App::GetItemStore();
    return store && store->IsHashTaken(hash);
}

const Settings& EngineItemHost::GetSettings() const { return App::GetItemStore()->GetSettings(); }
