#pragma once
// Switches the WLAN adapters off.
#include "Action.h"
#include "ActionRunner.h"

class WlanOffAction : public ClonableAction<WlanOffAction> {
public:
    static constexpr int kNameStringId = 389;

    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    int NameStringId() const override { return kNameStringId; }
};
