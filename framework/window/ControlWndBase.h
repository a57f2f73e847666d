#pragma once
// A child control made from a superclassed or subclassed system class. It adds no
// behaviour of its own: DefProc already forwards to the system class's procedure,
// so every message a derived control does not handle keeps the control's own
// behaviour. The type marks the objects that live inside dialogs and parents.
#include "WindowBase.h"

class ControlWndBase : public WindowBase {
public:
    ControlWndBase() = default;
    ~ControlWndBase() override = default;
};
