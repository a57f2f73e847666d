#pragma once
// Stops a timer; for a template, removes every running copy of it and keeps the
// template.
#include "ActionRunner.h"
#include "TimerHashAction.h"

class StopTimerAction : public ClonableAction<StopTimerAction, TimerHashAction> {
public:
    static constexpr wchar_t kSubKey[] = L"StopTimerAction";
    static constexpr int kNameStringId = 30020;

    StopTimerAction() : ClonableAction(kSubKey) {}

    // Always true, also when no timer has the Hash.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    int NameStringId() const override { return kNameStringId; }
};
