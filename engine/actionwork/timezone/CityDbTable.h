#pragma once
// The device's city and time-zone database, "CityDB.dll", bound for one use: loaded,
// initialised and its zones read in by CityDb_Load, all of it given back by
// CityDb_Unload. A library that lacks any of its seven functions counts as missing.
#include "DeviceCityDb.h"

struct CityDbTable {
    HMODULE module = nullptr;  // null: no usable library
    InitCityDbFunction InitCityDb = nullptr;
    UninitCityDbFunction UninitCityDb = nullptr;
    ClockLoadAllTimeZoneDataFunction ClockLoadAllTimeZoneData = nullptr;
    ClockFreeAllTimeZoneDataFunction ClockFreeAllTimeZoneData = nullptr;
    ClockGetNumTimezonesFunction ClockGetNumTimezones = nullptr;
    ClockGetTimeZoneDataByOffsetFunction ClockGetTimeZoneDataByOffset = nullptr;
    ClockGetTimeZoneDataFunction ClockGetTimeZoneData = nullptr;
};

void CityDb_Load(CityDbTable& table);
void CityDb_Unload(CityDbTable& table);
