#pragma once
// The values and the editor that the start and stop timer actions share: the Hash of
// the timer they act on (0: none), kept in a subkey of each one's own name.
#include "Action.h"
#include "ItemHash.h"

class TimerItem;

class TimerHashAction : public Action {
public:
    static constexpr wchar_t kTimerHashValue[] = L"TimerHash";

    bool Save(RegKeyRef itemKey) const override;
    bool Load(RegKeyRef itemKey) override;
    // The timer chooser; the chosen timer's Hash is taken over.
    bool EditSettings(HWND parent) override;
    bool HasSettings() const override { return true; }

    // The timer of the store with that Hash, or null (also for Hash 0).
    TimerItem* FindTimer() const;

    ItemHash TimerHash = 0;

protected:
    explicit TimerHashAction(const wchar_t* subKey) : subKey_(subKey) {}
    TimerHashAction(const TimerHashAction&) = default;

private:
    const wchar_t* subKey_;
};
