#pragma once
// Switches the WLAN adapters on.
// Its work (the radio switch) is not built yet: Execute reports not done.
#include "Action.h"

class WlanOnAction : public ClonableAction<WlanOnAction> {
public:
    static constexpr int kNameStringId = 388;

    int NameStringId() const override { return kNameStringId; }
};
