#pragma once
// Starts a timer from its full duration; a template starts a fresh copy.
#include "ActionRunner.h"
#include "TimerHashAction.h"

class StartTimerAction : public ClonableAction<StartTimerAction, TimerHashAction> {
public:
    static constexpr wchar_t kSubKey[] = L"StartTimerAction";
    static constexpr int kNameStringId = 30019;

    StartTimerAction() : ClonableAction(kSubKey) {}

    // Always true, also when no timer has the Hash.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    int NameStringId() const override { return kNameStringId; }
};
