#include "TimeZoneList.h"

#include "BuiltInTimeZones.h"

int TimeZoneList::Count() const {
    if (!FromDatabase()) return kBuiltInTimeZoneCount;
    const int count = table_.ClockGetNumTimezones();
    return count > 0 ? count : 0;
}

const CITYDB_TIMEZONE* TimeZoneList::Zone(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    if (!FromDatabase()) return BuiltInTimeZone(index);
    // The library's own working value; its meaning is the library's.
    int scratch = 0;
    return table_.ClockGetTimeZoneDataByOffset(index, &scratch);
}
