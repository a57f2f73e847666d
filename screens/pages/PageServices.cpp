#include "PageServices.h"

#include "App.h"
#include "EngineScreens.h"
#include "EngineWnd.h"
#include "ItemStore.h"

namespace PageServices {

void Reschedule() {
    if (EngineWnd* engine = App::GetEngine()) engine->Reschedule();
}

void Save() {
    if (ItemStore* store = ItemStore::Current()) store->Save(false);
}

void SaveTimers() {
    if (ItemStore* store = ItemStore::Current()) store->SaveTimers();
}

bool EditAlarm(AlarmItem& alarm) {
    EngineWnd* engine = App::GetEngine();
    EngineScreens* screens = EngineScreens::Current();
    return engine && screens && screens->EditAlarm(*engine, alarm);
}

bool EditTimer(TimerItem& timer) {
    EngineWnd* engine = App::GetEngine();
    EngineScreens* screens = EngineScreens::Current();
    return engine && screens && screens->EditTimer(*engine, timer);
}

void RunMainMenu() {
    EngineWnd* engine = App::GetEngine();
    EngineScreens* screens = EngineScreens::Current();
    if (engine && screens) screens->RunMainMenu(*engine);
}

HWND EngineWindow() {
    EngineWnd* engine = App::GetEngine();
    return engine ? engine->Hwnd() : nullptr;
}

}  // namespace PageServices
