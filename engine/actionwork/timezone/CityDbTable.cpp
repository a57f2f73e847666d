#include "CityDbTable.h"

#include "DeviceLibraries.h"

namespace {
const wchar_t kCityDbLibrary[] = L"CityDB.dll";

template <typename Function>
bool Bind(HMODULE module, const wchar_t* name, Function& entry) {
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddressW(module, name)));
    return entry != nullptr;
}
}  // namespace

void CityDb_Load(CityDbTable& table) {
    table = CityDbTable{};
    HMODULE module = Device_LoadLibrary(kCityDbLibrary);
    if (!module) return;
    // Every function is called unchecked from here on.
    const bool complete = Bind(module, L"InitCityDb", table.InitCityDb) &&
                          Bind(module, L"UninitCityDb", table.UninitCityDb) &&
                          Bind(module, L"ClockLoadAllTimeZoneData", table.ClockLoadAllTimeZoneData) &&
                          Bind(module, L"ClockFreeAllTimeZoneData", table.ClockFreeAllTimeZoneData) &&
                          Bind(module, L"ClockGetNumTimezones", table.ClockGetNumTimezones) &&
                          Bind(module, L"ClockGetTimeZoneDataByOffset", table.ClockGetTimeZoneDataByOffset) &&
                          Bind(module, L"ClockGetTimeZoneData", table.ClockGetTimeZoneData);
    if (!complete) {
        FreeLibrary(module);
        table = CityDbTable{};
        return;
    }
    table.module = module;
    table.InitCityDb();
    table.ClockLoadAllTimeZoneData();
}

void CityDb_Unload(CityDbTable& table) {
    if (!table.module) return;
    table.ClockFreeAllTimeZoneData();
    table.UninitCityDb();
    FreeLibrary(table.module);
    table = CityDbTable{};
}
