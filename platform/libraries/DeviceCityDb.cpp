#include "DeviceCityDb.h"

#include "DeviceRecord.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace {
const wchar_t kRecordName[] = L"citydb";
constexpr DWORD kMaxZones = 100;

struct Record {
    uint32_t count;
    int32_t users;  // InitCityDb less UninitCityDb
    int32_t loads;  // zone loads less frees
    DEVICE_TIME_ZONE zones[kMaxZones];
};
static_assert(sizeof(DEVICE_TIME_ZONE) == 428 && sizeof(Record) == 12 + kMaxZones * 428, "city database is stored");

Record Load() {
    Record r = DeviceRecord_Load(kRecordName, Record{});
    if (r.count > kMaxZones) r.count = kMaxZones;
    return r;
}

void Count(int32_t Record::*counter, int32_t delta) {
    DeviceRecord_Update(kRecordName, Record{}, [&](Record& r) {
        r.*counter += delta;
        return true;
    });
}

// The zones this process loaded, and the records handed out that point into them.
struct Loaded {
    std::mutex lock;
    std::vector<DEVICE_TIME_ZONE> zones;
    std::vector<CITYDB_TIMEZONE> records;
    bool held = false;
};

Loaded& Zones() {
    static Loaded loaded;
    return loaded;
}

void Terminate(DEVICE_TIME_ZONE& zone) {
    zone.displayName[63] = zone.standardName[63] = zone.daylightName[63] = 0;
}
}  // namespace

BOOL Device_InitCityDb(void) {
    Count(&Record::users, 1);
    return TRUE;
}

void Device_UninitCityDb(void) { Count(&Record::users, -1); }

BOOL Device_ClockLoadAllTimeZoneData(void) {
    Record r = Load();
    Loaded& loaded = Zones();
    std::lock_guard<std::mutex> guard(loaded.lock);
    loaded.zones.assign(r.zones, r.zones + r.count);
    loaded.records.assign(r.count, CITYDB_TIMEZONE{});
    for (DWORD i = 0; i < r.count; ++i) {
        DEVICE_TIME_ZONE& zone = loaded.zones[i];
        Terminate(zone);
        CITYDB_TIMEZONE& record = loaded.records[i];
        record.standardName = zone.standardName;
        record.displayName = zone.displayName;
        record.daylightName = zone.daylightName;
        record.Bias = zone.bias;
        record.StandardBias = zone.standardBias;
        record.DaylightBias = zone.daylightBias;
        record.StandardDate = zone.standardDate;
        record.DaylightDate = zone.daylightDate;
    }
    if (!loaded.held) Count(&Record::loads, 1);
    loaded.held = true;
    return TRUE;
}

void Device_ClockFreeAllTimeZoneData(void) {
    Loaded& loaded = Zones();
    std::lock_guard<std::mutex> guard(loaded.lock);
    loaded.zones.clear();
    loaded.records.clear();
    loaded.zones.shrink_to_fit();
    loaded.records.shrink_to_fit();
    if (loaded.held) Count(&Record::loads, -1);
    loaded.held = false;
}

int Device_ClockGetNumTimezones(void) {
    Loaded& loaded = Zones();
    std::lock_guard<std::mutex> guard(loaded.lock);
    return static_cast<int>(loaded.records.size());
}

const CITYDB_TIMEZONE* Device_ClockGetTimeZoneDataByOffset(int index, int*) {
    Loaded& loaded = Zones();
    std::lock_guard<std::mutex> guard(loaded.lock);
    if (index < 0 || static_cast<size_t>(index) >= loaded.records.size()) return nullptr;
    return &loaded.records[index];
}

const CITYDB_TIMEZONE* Device_ClockGetTimeZoneData(int index) {
    return Device_ClockGetTimeZoneDataByOffset(index, nullptr);
}

BOOL DeviceControl_SetTimeZoneDatabase(const DEVICE_TIME_ZONE* zones, DWORD count) {
    if (count > kMaxZones || (count && !zones)) return FALSE;
    return DeviceRecord_Update(kRecordName, Record{}, [&](Record& r) {
        r.count = count;
        for (DWORD i = 0; i < kMaxZones; ++i) r.zones[i] = i < count ? zones[i] : DEVICE_TIME_ZONE{};
        return true;
    });
}

LONG DeviceControl_GetCityDbUsers(void) { return Load().users; }
LONG DeviceControl_GetCityDbLoads(void) { return Load().loads; }
