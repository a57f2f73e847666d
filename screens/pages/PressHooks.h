#pragma once
// Hooks on a page's buttons and lists that act at the moment of the press instead of
// at the release: a stopwatch lap must be taken when the finger comes down.
//   PressActionHook: Enter, stylus down and double-tap run the action, then the
//     control's own handling.
//   PressOnlyHook: Enter runs the action and then the control's handling; stylus down
//     and double-tap run only the action.
//   InstantTapHook: stylus down selects at once (the release is posted straight after);
//     double-taps are ignored.
#include <functional>

#include "ControlWndBase.h"

class PressHook : public ControlWndBase {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    enum class Kind { kActionThenControl, kActionOnly, kInstantTap };
    PressHook(Kind kind, std::function<void()> action) : kind_(kind), action_(std::move(action)) {}

private:
    Kind kind_;
    std::function<void()> action_;
};

class PressActionHook : public PressHook {
public:
    explicit PressActionHook(std::function<void()> action) : PressHook(Kind::kActionThenControl, std::move(action)) {}
};

class PressOnlyHook : public PressHook {
public:
    explicit PressOnlyHook(std::function<void()> action) : PressHook(Kind::kActionOnly, std::move(action)) {}
};

class InstantTapHook : public PressHook {
public:
    InstantTapHook() : PressHook(Kind::kInstantTap, nullptr) {}
};
