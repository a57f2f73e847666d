#include "Action.h"

bool Action::Save(RegKeyRef itemKey) const {
    itemKey.Release();
    return true;
}

bool Action::Load(RegKeyRef itemKey) {
    itemKey.Release();
    return true;
}

bool Action::Execute() { return false; }

bool Action::EditSettings(HWND) { return false; }

bool Action::HasSettings() const { return false; }

int Action::NameStringId() const { return kNoneNameStringId; }

boost::shared_ptr<Action> Action::Clone() const { return boost::shared_ptr<Action>(new Action); }
