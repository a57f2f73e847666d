#include "SilentAlarmRingWnd.h"

#include "AlarmItem.h"
#include "App.h"
#include "DateFunctions.h"
#include "EngineMessage.h"
#include "ItemStore.h"
#include "SystemSettings.h"

SilentAlarmRingWnd::SilentAlarmRingWnd(AlarmItem& alarm, std::unique_ptr<RingController> controller)
    : SilentRingWnd(std::move(controller)), alarm_(alarm) {}

void SilentAlarmRingWnd::OnSilentDestroy() {
    ItemStore* store = App::GetItemStore();
    const bool deleteOnce = store && store->GetSettings().system->DeleteOnceAlarms;
    // A snooze still to come (this ring's own) would never ring if the alarm went now.
    const bool snoozePending = alarm_.IsSnoozed() && alarm_.snooze > Time_LocalNowAsDate(true);
    if ((alarm_.flags & AlarmItem::kNotifyOnce) && deleteOnce && !snoozePending)
        PostItemDelete(EngineMessage::kDeleteAlarm);
}
