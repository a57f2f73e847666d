#pragma once
// Hangs up every data connection and gives back the adapters' addresses.
#include "Action.h"

class CloseGprsAction : public ClonableAction<CloseGprsAction> {
public:
    static constexpr int kNameStringId = 401;

    // Always 0, as the connections' results are not the ring's concern.
    bool Execute() override;
    int NameStringId() const override { return kNameStringId; }
};
