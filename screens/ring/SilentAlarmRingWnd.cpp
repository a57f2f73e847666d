#include "SilentAlarmRingWnd.h"

#include "AlarmItem.h"
#include "App.h"
#include "EngineMessage.h"
#include "ItemStore.h"
#include "SystemSettings.h"

SilentAlarmRingWnd::SilentAlarmRingWnd(AlarmItem& alarm, std::unique_ptr<RingController> controller)
    : SilentRingWnd(std::move(controller)), alarm_(alarm) {}

void SilentAlarmRingWnd::OnSilentDestroy() {
    ItemStore* store = App::GetItemStore();
    const bool deleteOnce = store && store->GetSettings().system->DeleteOnceAlarms;
    if ((alarm_.flags & AlarmItem::kNotifyOnce) && deleteOnce) PostItemDelete(EngineMessage::kDeleteAlarm);
}
