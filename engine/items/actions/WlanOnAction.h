#pragma once
// Switches the WLAN adapters on.
#include "Action.h"
#include "Wlan.h"

class WlanOnAction : public ClonableAction<WlanOnAction> {
public:
    static constexpr int kNameStringId = 388;

    bool Execute() override {
        Wlan_Switch(true);
        return true;
    }
    int NameStringId() const override { return kNameStringId; }
};
