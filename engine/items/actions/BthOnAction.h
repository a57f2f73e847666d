#pragma once
// Switches Bluetooth on, connectable or discoverable; a device without the Bluetooth
// library stays as it is.
#include "Action.h"
#include "ActionRunner.h"

#include <cstdint>

class BthOnAction : public ClonableAction<BthOnAction> {
public:
    static constexpr wchar_t kSubKey[] = L"BthOnAction";
    static constexpr wchar_t kDiscoverableValue[] = L"Discoverable";
    static constexpr int kNameStringId = 30131;

    bool Save(RegKeyRef itemKey) const override;
    bool Load(RegKeyRef itemKey) override;
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    bool EditSettings(HWND parent) override;
    bool HasSettings() const override { return true; }
    int NameStringId() const override { return kNameStringId; }

    int32_t Discoverable = 0;
};
