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
    // The "actionType" of the base action, and the string id of its name.
    static constexpr int kTypeNone = 0;
    static constexpr int kNoneNameStringId = 30127;

    Action() = default;
    virtual ~Action() = default;

    virtual bool Save(RegKeyRef itemKey) const;
    virtual bool Load(RegKeyRef itemKey);
    // True when the action did its work.
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

// The action of that "actionType"; every id without an action class of its own
// gives the base "None" action.
boost::shared_ptr<Action> Action_Create(int actionType);
