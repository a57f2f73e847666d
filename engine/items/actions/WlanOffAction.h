#pragma once
// Switches the WLAN adapters off.
#include "Action.h"
#include "Wlan.h"

class WlanOffAction : public ClonableAction<WlanOffAction> {
public:
    static constexpr int kNameStringId = 389;

    bool Execute() override {
        Wlan_Switch(false);
        return true;
    }
    int NameStringId() const override { return kNameStringId; }
};
