#include "DeviceSnapshot.h"

#include "DeviceControl.h"
#include "ItemStore.h"
#include "ProductKey.h"
#include "RegKeyRef.h"

namespace {
const DWORD kMaxText = 1024;

// Saved items of one kind: one subkey each under <kind>\Items.
DWORD ItemCount(const RegKeyRef& product, const wchar_t* kind) {
    RegKeyRef items = RegKeyRef::OpenSubKey(ItemStore::kItemsSubKey, RegKeyRef::OpenSubKey(kind, product, true), true);
    DWORD subkeys = 0;
    if (!items.IsOpen() ||
        RegQueryInfoKeyW(items.Key(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return subkeys;
}
}  // namespace

DeviceSnapshot DeviceSnapshot::Take() {
    DeviceSnapshot snapshot;
    const DWORD count = DeviceControl_GetNotificationCount();
    for (DWORD index = 0; index < count; ++index) {
        DeviceNotification n = {};
        wchar_t application[kMaxText], arguments[kMaxText];
        if (!DeviceControl_GetNotification(index, nullptr, &n.type, &n.event, nullptr, &n.start, application,
                                           kMaxText, arguments, kMaxText))
            continue;
        n.application = application;
        n.arguments = arguments;
        snapshot.notifications.push_back(n);
    }
    const RegKeyRef product = RegKeyRef::Open(ProductKey::kPath, HKEY_CURRENT_USER, true);
    snapshot.alarms = ItemCount(product, ItemStore::kAlarmsSubKey);
    snapshot.timers = ItemCount(product, ItemStore::kTimersSubKey);
    snapshot.stopwatches = ItemCount(product, ItemStore::kStopwatchesSubKey);
    return snapshot;
}
