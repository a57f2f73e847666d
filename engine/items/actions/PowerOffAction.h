#pragma once
// Powers the device off, the registry flushed first.
#include "Action.h"
#include "ActionRunner.h"

class PowerOffAction : public ClonableAction<PowerOffAction> {
public:
    static constexpr int kNameStringId = 403;

    // Always true.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    int NameStringId() const override { return kNameStringId; }
};
