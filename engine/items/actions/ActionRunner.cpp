#include "ActionRunner.h"

ActionRunner* ActionRunner::current_ = nullptr;

ActionRunner* ActionRunner::Install(ActionRunner* runner) {
    ActionRunner* previous = current_;
    current_ = runner;
    return previous;
}
