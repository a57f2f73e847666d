#include "EngineScreens.h"

EngineScreens* EngineScreens::current_ = nullptr;

EngineScreens* EngineScreens::Install(EngineScreens* screens) {
    EngineScreens* previous = current_;
    current_ = screens;
    return previous;
}
