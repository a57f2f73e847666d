#pragma once
// Hangs up every data connection and gives back the adapters' addresses.
#include "Action.h"
#include "ActionRunner.h"

class CloseGprsAction : public ClonableAction<CloseGprsAction> {
public:
    static constexpr int kNameStringId = 401;

    // Always 0, as the connections' results are not the ring's concern.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    int NameStringId() const override { return kNameStringId; }
};
