#pragma once
// Suspends the device at once, the registry flushed first.
#include "Action.h"
#include "ActionRunner.h"

class SuspendAction : public ClonableAction<SuspendAction> {
public:
    static constexpr int kNameStringId = 30133;

    // Always true.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    int NameStringId() const override { return kNameStringId; }
};
