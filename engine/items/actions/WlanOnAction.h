#pragma once
// Switches the WLAN adapters on.
#include "Action.h"
#include "ActionRunner.h"

class WlanOnAction : public ClonableAction<WlanOnAction> {
public:
    static constexpr int kNameStringId = 388;

    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    int NameStringId() const override { return kNameStringId; }
};
