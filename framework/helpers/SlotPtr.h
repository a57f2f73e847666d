#pragma once
// Address mapping for window-procedure comparisons on shells before major version 6,
// where every process runs in a 32-MB slot and the system reports procedures as
// slot-mapped addresses while the program's own addresses are unmapped. From version
// 6 on addresses pass unchanged.
#include <cstdint>

uint32_t SlotPtr_Map(uint32_t address);
uint32_t SlotPtr_Unmap(uint32_t address);
// The same for a given OS major version and process index (slot = index + 1).
uint32_t SlotPtr_MapFor(uint32_t address, int osMajorVersion, uint32_t processIndex);
uint32_t SlotPtr_UnmapFor(uint32_t address, int osMajorVersion);
