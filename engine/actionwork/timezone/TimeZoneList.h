#pragma once
// The time zones a zone index means: the device's city database when it has a usable
// one, otherwise the built-in table in the same order. Held for one use (an action's
// run, a chooser's listing); the database is given back when it goes.
#include "CityDbTable.h"

class TimeZoneList {
public:
    TimeZoneList() { CityDb_Load(table_); }
    ~TimeZoneList() { CityDb_Unload(table_); }
    TimeZoneList(const TimeZoneList&) = delete;
    TimeZoneList& operator=(const TimeZoneList&) = delete;

    bool FromDatabase() const { return table_.module != nullptr; }
    int Count() const;
    // The zone at index; null outside 0..Count()-1 or when the database has no record.
    const CITYDB_TIMEZONE* Zone(int index) const;

private:
    CityDbTable table_;
};
