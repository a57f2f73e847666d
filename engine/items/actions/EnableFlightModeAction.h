#pragma once
// Switches the phone's radio off (flight mode); only a fully trusted program may.
#include "Action.h"
#include "ActionRunner.h"

class EnableFlightModeAction : public ClonableAction<EnableFlightModeAction> {
public:
    static constexpr int kNameStringId = 30154;

    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    int NameStringId() const override { return kNameStringId; }
};
