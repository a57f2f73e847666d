#pragma once
// Synchronises the device clock with a time server over an internet connection and
// remembers when it last succeeded; its values are edited on the options sheet, so it
// has no editor of its own.
#include "Action.h"
#include "ActionRunner.h"

#include <cstdint>

class AtomicSyncActionSettings : public ClonableAction<AtomicSyncActionSettings> {
public:
    static constexpr wchar_t kSubKey[] = L"AtomicSyncActionSettings";
    static constexpr wchar_t kServerValue[] = L"Server";
    static constexpr wchar_t kLastSyncValue[] = L"LastSync";
    static constexpr int kNameStringId = 414;

    bool Save(RegKeyRef itemKey) const override;
    bool Load(RegKeyRef itemKey) override;
    // True when the clock was set; only then LastSync moves and the store is saved.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    bool HasSettings() const override { return true; }
    int NameStringId() const override { return kNameStringId; }

    int32_t Server = 0;     // index into the time servers
    FILETIME LastSync = {};  // local time of the last success; 0: never
};
