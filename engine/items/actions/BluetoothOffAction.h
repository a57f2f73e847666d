#pragma once
// Switches Bluetooth off.
// Its work (the radio switch) is not built yet: Execute reports not done.
#include "Action.h"

class BluetoothOffAction : public ClonableAction<BluetoothOffAction> {
public:
    static constexpr int kNameStringId = 30132;

    int NameStringId() const override { return kNameStringId; }
};
