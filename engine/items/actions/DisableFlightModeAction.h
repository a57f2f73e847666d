#pragma once
// Switches the phone's radio on again, unlocking the SIM with its PIN when it waits
// for it; only a fully trusted program may.
#include "Action.h"
#include "ActionRunner.h"
#include "RcString.h"

class DisableFlightModeAction : public ClonableAction<DisableFlightModeAction> {
public:
    static constexpr wchar_t kSubKey[] = L"DisableFlightMode";
    static constexpr wchar_t kCodeValue[] = L"code";
    static constexpr int kNameStringId = 30155;

    bool Save(RegKeyRef itemKey) const override;
    bool Load(RegKeyRef itemKey) override;
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    bool EditSettings(HWND parent) override;
    bool HasSettings() const override { return true; }
    int NameStringId() const override { return kNameStringId; }

    RcString code;  // the SIM PIN
};
