#pragma once
// The simulated device's city and time-zone database, the library "CityDB.dll" (the
// layer's stand-in exports its seven functions by their names). Its zones, in the
// database's order, are device state that tests set; a fresh device's database holds
// none. A test removes the library to make a device without it.
#include <windows.h>

#define CITYDB_LIBRARY L"CityDB.dll"

// One zone as the library hands it out; the texts belong to the library and live until
// ClockFreeAllTimeZoneData.
typedef struct CityDbTimeZone {
    const wchar_t* standardName;
    const wchar_t* displayName;
    const wchar_t* daylightName;
    LONG Bias;  // minutes, UTC = local + Bias
    LONG StandardBias;
    LONG DaylightBias;
    SYSTEMTIME StandardDate;
    SYSTEMTIME DaylightDate;
} CITYDB_TIMEZONE;

// The functions as the program binds them by name. The second argument of
// ClockGetTimeZoneDataByOffset is the library's scratch value.
typedef BOOL (*InitCityDbFunction)(void);
typedef void (*UninitCityDbFunction)(void);
typedef BOOL (*ClockLoadAllTimeZoneDataFunction)(void);
typedef void (*ClockFreeAllTimeZoneDataFunction)(void);
typedef int (*ClockGetNumTimezonesFunction)(void);
typedef const CITYDB_TIMEZONE* (*ClockGetTimeZoneDataByOffsetFunction)(int index, int* scratch);
typedef const CITYDB_TIMEZONE* (*ClockGetTimeZoneDataFunction)(int index);

// A zone as a test stores it in the device's database. Its names may be longer than the
// 31 characters a zone's names keep in the system's time-zone record.
typedef struct DeviceTimeZone {
    wchar_t displayName[64];
    wchar_t standardName[64];
    wchar_t daylightName[64];
    LONG bias;
    LONG standardBias;
    LONG daylightBias;
    SYSTEMTIME standardDate;
    SYSTEMTIME daylightDate;
} DEVICE_TIME_ZONE;

#ifdef __cplusplus
extern "C" {
#endif

BOOL Device_InitCityDb(void);
void Device_UninitCityDb(void);
// Reads the device's zones into this process; the records below come from that copy.
BOOL Device_ClockLoadAllTimeZoneData(void);
void Device_ClockFreeAllTimeZoneData(void);
// 0 until the zones are loaded.
int Device_ClockGetNumTimezones(void);
// The zone at that place of the database; null outside it.
const CITYDB_TIMEZONE* Device_ClockGetTimeZoneDataByOffset(int index, int* scratch);
const CITYDB_TIMEZONE* Device_ClockGetTimeZoneData(int index);

// For tests: replaces the database (at most 100 zones); the number of InitCityDb calls
// not yet matched by UninitCityDb, and of zone loads not yet freed.
BOOL DeviceControl_SetTimeZoneDatabase(const DEVICE_TIME_ZONE* zones, DWORD count);
LONG DeviceControl_GetCityDbUsers(void);
LONG DeviceControl_GetCityDbLoads(void);

#ifdef __cplusplus
}
#endif
