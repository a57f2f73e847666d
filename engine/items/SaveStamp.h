#pragma once
// When the items were last saved, for the time a running timer or stopwatch went on
// while nobody counted it. "SavedTime" holds the local time of the save, as older
// saves and readers have it; "SavedTimeUtc" holds that same value beside the moment in
// UTC, so that the time away is measured by the clock that a new zone and daylight
// saving leave alone. A "SavedTimeUtc" whose local half is not the "SavedTime" beside
// it was left behind by a save that wrote the local time alone, and is not believed.
#include "DateFunctions.h"
#include "RegKeyRef.h"

#include <cstdint>

class SaveStamp {
public:
    static constexpr wchar_t kLocalValue[] = L"SavedTime";
    static constexpr wchar_t kUtcValue[] = L"SavedTimeUtc";

    // Stamps the save under the product key with the device's time now.
    static void Write(const RegKeyRef& productKey);
    // Milliseconds from the last save to localNow (the device's local time now): 0
    // without a stamp, or for a stamp ahead of now (a clock set back).
    static int64_t MsSinceSave(const RegKeyRef& productKey, OleDate localNow);
};
