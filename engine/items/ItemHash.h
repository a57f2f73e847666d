#pragma once
// The 32-bit identity of an item, unique among alarms and timers. Its signed
// decimal text names the item's registry key; commands carry it unsigned.
#include <cstdint>

using ItemHash = int32_t;

// djb2 over the UTF-16 units of name (start 5381, h = h * 33 + unit, 32-bit wrap):
// the fixed hash of items that exist once, such as the clock-synchronisation alarm.
ItemHash ItemHash_OfName(const wchar_t* name);
// GetTickCount XOR the available virtual and physical memory, plus extra mixed in.
ItemHash ItemHash_Draw(uint32_t extra);
