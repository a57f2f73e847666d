#pragma once
// Opens an internet connection and leaves it to the connection manager.
#include "Action.h"
#include "ActionRunner.h"

class InternetConnectAction : public ClonableAction<InternetConnectAction> {
public:
    static constexpr int kNameStringId = 417;

    // True when the connection request succeeded.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    int NameStringId() const override { return kNameStringId; }
};
