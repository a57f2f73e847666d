// The start and stop timer actions.
#include "ActionWork.h"

#include "EngineMessage.h"
#include "ItemHost.h"
#include "ItemStore.h"
#include "StartTimerAction.h"
#include "StopTimerAction.h"

#include <vector>

bool ActionWork::Run(StartTimerAction& action) {
    ItemHost* host = ItemHost::Current();
    if (action.TimerHash != 0 && host) host->StartTimerByHash(action.TimerHash, false);
    return true;
}

bool ActionWork::Run(StopTimerAction& action) {
    TimerItem* timer = action.FindTimer();
    ItemHost* host = ItemHost::Current();
    if (!timer || !host) return true;
    if (!timer->IsTemplate()) {
        host->StopTimer(*timer);
        return true;
    }
    std::vector<TimerItem*> copies;
    for (TimerItem* item : ItemStore::Current()->Timers())
        if (!item->IsTemplate() && item->ParentHash == timer->Hash) copies.push_back(item);
    // The ring running this action may belong to one of the copies: the engine removes
    // them once the ring's handler has returned, never from inside it.
    if (HWND engine = host->EngineWindow()) {
        for (TimerItem* copy : copies)
            PostMessageW(engine, EngineMessage::kDeleteTimer, reinterpret_cast<WPARAM>(copy), 0);
        return true;
    }
    for (TimerItem* copy : copies) ItemStore::Current()->RemoveTimer(copy);
    host->Reschedule();
    return true;
}
