#include "ProgramActionScreens.h"

#include "ResetCountdownWnd.h"

void ProgramActionScreens::Install() {
    static ProgramActionScreens screens;
    ActionScreens::Install(&screens);
}

bool ProgramActionScreens::ShowResetCountdown() { return ResetCountdownWnd::Open() != nullptr; }
