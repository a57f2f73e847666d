#pragma once
// Resets the device after a countdown the user can cancel.
#include "Action.h"
#include "ActionRunner.h"

class ResetAction : public ClonableAction<ResetAction> {
public:
    static constexpr int kNameStringId = 30130;

    // Always true.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    int NameStringId() const override { return kNameStringId; }
};
