#pragma once
// The time zones of a device without a city database, in the database's own order
// (so a stored zone index means the same zone either way).
#include "DeviceCityDb.h"

constexpr int kBuiltInTimeZoneCount = 82;

// Row index of the table; null outside 0..81.
const CITYDB_TIMEZONE* BuiltInTimeZone(int index);
