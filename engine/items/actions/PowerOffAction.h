#pragma once
// Powers the device off, the registry flushed first.
#include "Action.h"

class PowerOffAction : public ClonableAction<PowerOffAction> {
public:
    static constexpr int kNameStringId = 403;

    // Always true.
    bool Execute() override;
    int NameStringId() const override { return kNameStringId; }
};
