#include "ActionScreens.h"

ActionScreens* ActionScreens::current_ = nullptr;

ActionScreens* ActionScreens::Install(ActionScreens* screens) {
    ActionScreens* previous = current_;
    current_ = screens;
    return previous;
}
