#pragma once
// Runs a program with its arguments when the item rings, or when its ring is
// dismissed (RunOnDismiss) if the item shows its ring screen.
#include "Action.h"
#include "ActionRunner.h"
#include "RcString.h"

#include <cstdint>

class ExecuteAction : public ClonableAction<ExecuteAction> {
public:
    static constexpr wchar_t kSubKey[] = L"ExecuteAction";
    static constexpr wchar_t kCommandLineValue[] = L"CommandLine";
    static constexpr wchar_t kRunOnDismissValue[] = L"RunOnDismiss";
    static constexpr int kNameStringId = 30128;
    // How long the device is kept awake for the program to start.
    static constexpr DWORD kStartGraceMs = 1000;

    bool Save(RegKeyRef itemKey) const override;
    bool Load(RegKeyRef itemKey) override;
    // True when the program started.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    bool EditSettings(HWND parent) override;
    bool HasSettings() const override { return true; }
    int NameStringId() const override { return kNameStringId; }

    RcString CommandLine;
    int32_t RunOnDismiss = 0;
};
