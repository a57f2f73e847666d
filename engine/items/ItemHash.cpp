#include "ItemHash.h"

#include <DeviceClock.h>
#include <windows.h>

ItemHash ItemHash_OfName(const wchar_t* name) {
    uint32_t h = 5381;
    for (const wchar_t* p = name; p && *p; ++p) h = h * 33 + static_cast<uint16_t>(*p);
    return static_cast<ItemHash>(h);
}

ItemHash ItemHash_Draw(uint32_t extra) {
    MEMORYSTATUS memory = {sizeof memory};
    GlobalMemoryStatus(&memory);
    uint32_t h = DeviceClock_GetTickCount() ^ extra ^ static_cast<uint32_t>(memory.dwAvailVirtual) ^
                 static_cast<uint32_t>(memory.dwAvailPhys);
    return static_cast<ItemHash>(h);
}
