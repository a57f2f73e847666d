#pragma once
// Switches the WLAN adapters off.
// Its work (the radio switch) is not built yet: Execute reports not done.
#include "Action.h"

class WlanOffAction : public ClonableAction<WlanOffAction> {
public:
    static constexpr int kNameStringId = 389;

    int NameStringId() const override { return kNameStringId; }
};
