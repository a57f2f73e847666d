#pragma once
// Switches the phone's radio off (flight mode).
// Its work (the radio switch) is not built yet: Execute reports not done.
#include "Action.h"

class EnableFlightModeAction : public ClonableAction<EnableFlightModeAction> {
public:
    static constexpr int kNameStringId = 30154;

    int NameStringId() const override { return kNameStringId; }
};
