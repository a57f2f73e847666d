#pragma once
// Synchronises the device clock with a time server; its values are edited on the
// options sheet, so it has no editor of its own.
// Its work (the synchronisation) is not built yet: Execute reports not done.
#include "Action.h"

#include <cstdint>

class AtomicSyncActionSettings : public ClonableAction<AtomicSyncActionSettings> {
public:
    static constexpr wchar_t kSubKey[] = L"AtomicSyncActionSettings";
    static constexpr wchar_t kServerValue[] = L"Server";
    static constexpr wchar_t kLastSyncValue[] = L"LastSync";
    static constexpr int kNameStringId = 414;

    bool Save(RegKeyRef itemKey) const override;
    bool Load(RegKeyRef itemKey) override;
    bool HasSettings() const override { return true; }
    int NameStringId() const override { return kNameStringId; }

    int32_t Server = 0;     // index into the time servers
    FILETIME LastSync = {};  // 0: never
};
