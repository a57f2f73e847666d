#pragma once
// Moves the device to another time zone.
// Its work (the zone change) is not built yet: Execute reports not done.
#include "Action.h"

#include <cstdint>

class ChangeTimeZoneAction : public ClonableAction<ChangeTimeZoneAction> {
public:
    static constexpr wchar_t kSubKey[] = L"ChangeTimeZoneAction";
    static constexpr wchar_t kZoneIndexValue[] = L"ZoneIndex";
    static constexpr int kNameStringId = 336;
    static constexpr int32_t kNoZone = -1;

    bool Save(RegKeyRef itemKey) const override;
    bool Load(RegKeyRef itemKey) override;
    bool EditSettings(HWND parent) override;
    bool HasSettings() const override { return true; }
    int NameStringId() const override { return kNameStringId; }

    int32_t ZoneIndex = kNoZone;
};
