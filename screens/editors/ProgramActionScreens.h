#pragma once
// The program's screens behind the actions' interface: the reset countdown. The
// action editors do not exist yet, so every EditSettings ends as cancelled.
#include "ActionScreens.h"

class ProgramActionScreens : public ActionScreens {
public:
    // Installs the process-wide screens as the actions'; the program does this before it starts.
    static void Install();

    bool ShowResetCountdown() override;
};
