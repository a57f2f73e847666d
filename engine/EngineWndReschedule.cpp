// Rescheduling: every due moment, the nearest alarm for the shell and the Today
// item, every item saved, and the next due moments handed to the system so the
// launcher starts the program in time even while the device sleeps.
#include "EngineWnd.h"

#include "App.h"
#include "DueMoments.h"
#include "ItemStore.h"
#include "NearestAlarmState.h"
#include "NotifyDatabase.h"
#include "RegKeyRef.h"
#include "SystemNotifications.h"
#include "UnattendedScope.h"

namespace {

void PublishAndRegister(ItemStore& store, const wchar_t* launcher) {
    OleDate now = Time_LocalNowAsDate(true);
    DueMoments due = DueMoments::Collect(store, now);
    RegKeyRef product = RegKeyRef::Open(App::kProductKey, HKEY_CURRENT_USER, false);
    NearestAlarmState::Publish(product, due.NearestAlarm(), now);
    if (!launcher) return;

    SystemNotifications::Own own = SystemNotifications::ScanOwn(launcher);
    if (due.Moments().empty()) {
        // Nothing will fall due: the program leaves nothing behind in the system.
        SystemNotifications::ClearOwn(launcher);
        NotifyDatabase::DeleteRecordsOf(launcher);
        return;
    }
    SystemNotifications::RegisterTimeChangeEvents(launcher, own.timeChanges, own.zoneChanges);
    SystemNotifications::ScheduleRunAtTimes(launcher, due.Moments(), own.runAtTimes, own.firstRunAtTimePosition,
                                            Time_LocalNowAsDate(true));
}

}  // namespace

void EngineWnd::Reschedule() {
    UnattendedScope unattended;
    CriticalSectionScope hold(lock_);
    ItemStore* store = ItemStore::Current();
    if (!store) return;
    try {
        PublishAndRegister(*store, App::LauncherPath());
    } catch (...) {
        // Out of memory half-way: the save below still keeps the items.
    }
    store->Save(false);
    if (DeviceNotOn() && !unattendedHeld_) {
        // Stay awake a second longer to finish what the reschedule started.
        SetUnattended(true);
        SetTimer(Hwnd(), kLeaveUnattendedTimer, kLeaveUnattendedDelayMs, nullptr);
    }
    // Every change of the items comes here: what falls due next may have moved.
    ArmDueTimer();
}

void EngineWnd::RebuildNotifications() {
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    struct CursorRestore {
        HCURSOR cursor;
        ~CursorRestore() { SetCursor(cursor); }
    } restore{previous};
    const wchar_t* launcher = App::LauncherPath();
    SystemNotifications::ClearOwn(launcher);
    SystemNotifications::RemoveDuplicates();
    NotifyDatabase::DeleteRecordsOf(launcher);
    Reschedule();
    FlushRegistry();
    App::ClearRegistryDirty();
}
