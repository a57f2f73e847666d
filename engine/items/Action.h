#pragma once
// What an alarm or timer does when it rings. The base class is itself the "None"
// action; each kind of action derives from it, keeps its values in a subkey of
// the item's key and opens its own editor. Items hold actions by shared pointer
// and copy them with Clone.
#include "RegKeyRef.h"

#include <boost/shared_ptr.hpp>
#include <windows.h>

class Action {
public:
    // The "actionType" ids of the factory; 0, 7 and every other id make the base action.
    static constexpr int kTypeNone = 0;
    static constexpr int kTypeExecute = 1;
    static constexpr int kTypeSuspend = 2;
    static constexpr int kTypeReset = 3;
    static constexpr int kTypeBluetoothOn = 4;
    static constexpr int kTypeBluetoothOff = 5;
    static constexpr int kTypeSms = 6;
    static constexpr int kTypeFlightModeOn = 8;
    static constexpr int kTypeFlightModeOff = 9;
    static constexpr int kTypeTimeZone = 10;
    static constexpr int kTypeWlanOn = 11;
    static constexpr int kTypeWlanOff = 12;
    static constexpr int kTypeStartTimer = 13;
    static constexpr int kTypeCloseGprs = 14;
    static constexpr int kTypePowerOff = 15;
    static constexpr int kTypeStopTimer = 16;
    static constexpr int kTypeClockSync = 17;
    static constexpr int kTypeInternetConnect = 18;
    static constexpr int kTypeChangeVolume = 19;
    // The string id of the base action's name, "None".
    static constexpr int kNoneNameStringId = 30127;

    Action() = default;
    virtual ~Action() = default;

    virtual bool Save(RegKeyRef itemKey) const;
    virtual bool Load(RegKeyRef itemKey);
    // True when the action did its work. Each action class hands its work to the
    // installed ActionRunner; without one (the Today item) nothing runs: false.
    virtual bool Execute();
    // Opens the action's editor; true when the user confirmed.
    virtual bool EditSettings(HWND parent);
    virtual bool HasSettings() const;
    virtual int NameStringId() const;
    virtual boost::shared_ptr<Action> Clone() const;

protected:
    Action(const Action&) = default;
    Action& operator=(const Action&) = default;
};

// The copy every action class makes of itself: all fields, texts sharing their blocks.
// Base is the class it derives from, Action or a family of its own.
template <class Derived, class Base = Action>
class ClonableAction : public Base {
public:
    using Base::Base;
    boost::shared_ptr<Action> Clone() const override {
        return boost::shared_ptr<Action>(new Derived(static_cast<const Derived&>(*this)));
    }
};

// The action of that "actionType"; every id without an action class of its own
// gives the base "None" action.
boost::shared_ptr<Action> Action_Create(int actionType);
