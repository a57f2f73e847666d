#pragma once
// The main program's answers to what the items ask of their surroundings: the
// engine window and its ring-window count, the signaller's vibrator and the store.
#include "ItemHost.h"

class EngineItemHost : public ItemHost {
public:
    static EngineItemHost& Instance();

    HWND EngineWindow() const override;
    void ChangeRingWindowCount(int delta) override;
    int Reschedule() override;
    bool HasVibrationDevice() const override;
    bool SignallerBusy() const override;
    bool StoreExists() const override;
    bool IsHashTaken(ItemHash hash) const override;
    const Settings& GetSettings() const override;
    TimerItem* StartTimerByHash(ItemHash hash, bool stopwatch) override;
    void StopTimer(TimerItem& timer) override;
    void MarkRegistryDirty() override;
    void FlushRegistry() override;
    void ChangeBusyCount(int delta) override;
    void ForgetDeviceWake() override;
    UINT SetVolumePercent(int percent) override;
    std::wstring TranslatedString(UINT id) const override;
};
