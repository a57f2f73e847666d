#pragma once
// Switches Bluetooth off; a device without the Bluetooth library stays as it is.
#include "Action.h"
#include "ActionRunner.h"

class BluetoothOffAction : public ClonableAction<BluetoothOffAction> {
public:
    static constexpr int kNameStringId = 30132;

    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    int NameStringId() const override { return kNameStringId; }
};
