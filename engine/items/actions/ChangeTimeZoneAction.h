#pragma once
// Moves the device to another time zone of its city database (or of the built-in
// table without one), keeping the absolute time: only the local clock moves.
#include "Action.h"
#include "ActionRunner.h"

#include <cstdint>

class ChangeTimeZoneAction : public ClonableAction<ChangeTimeZoneAction> {
public:
    static constexpr wchar_t kSubKey[] = L"ChangeTimeZoneAction";
    static constexpr wchar_t kZoneIndexValue[] = L"ZoneIndex";
    static constexpr int kNameStringId = 336;
    static constexpr int32_t kNoZone = -1;

    bool Save(RegKeyRef itemKey) const override;
    bool Load(RegKeyRef itemKey) override;
    // True when the zone was applied; false for no zone or an index the list lacks.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    bool EditSettings(HWND parent) override;
    bool HasSettings() const override { return true; }
    int NameStringId() const override { return kNameStringId; }

    int32_t ZoneIndex = kNoZone;
};
