#include "SlotPtr.h"

#include "PlatformHelpers.h"

namespace {

constexpr int kFlatAddressVersion = 6;
constexpr int kSlotShift = 25;
constexpr uint32_t kSlotMask = 0x3Fu << kSlotShift;     // bits 25-30
constexpr uint32_t kSlotOneMarker = 0x80000000u;         // bit 31
// Where a single address space keeps processes apart there is no slot; the program
// is the first process.
constexpr uint32_t kProcessIndex = 0;

uint32_t SlotOf(uint32_t address) { return (address & kSlotMask) >> kSlotShift; }

}  // namespace

uint32_t SlotPtr_MapFor(uint32_t address, int osMajorVersion, uint32_t processIndex) {
    if (osMajorVersion >= kFlatAddressVersion || address == 0)
        return address;
    const bool slotZero = (address >> kSlotShift) == 0;
    const bool slotOne = SlotOf(address) == 1;
    if (!slotZero && !slotOne)
        return address;
    uint32_t mapped = (address & ~kSlotMask) | (((processIndex + 1) << kSlotShift) & kSlotMask);
    if (slotOne)
        mapped |= kSlotOneMarker;
    return mapped;
}

uint32_t SlotPtr_UnmapFor(uint32_t address, int osMajorVersion) {
    if (osMajorVersion >= kFlatAddressVersion || address == 0)
        return address;
    uint32_t unmapped = address & ~kSlotMask;
    if (unmapped & kSlotOneMarker)
        unmapped = (unmapped & ~kSlotOneMarker) | (1u << kSlotShift);
    return unmapped;
}

uint32_t SlotPtr_Map(uint32_t address) { return SlotPtr_MapFor(address, Sys_GetOsMajorVersion(), kProcessIndex); }

uint32_t SlotPtr_Unmap(uint32_t address) { return SlotPtr_UnmapFor(address, Sys_GetOsMajorVersion()); }
