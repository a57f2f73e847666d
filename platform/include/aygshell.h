#pragma once
// Shell services of the simulated device (Windows Mobile aygshell).
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Registers the shell's extra control classes; the desktop's common controls
// stand in for them here.
BOOL SHInitExtraControls(void);

#ifdef __cplusplus
}
#endif

// The shell's user interface: menu bars, dialogs, input panel, task bar.
#include "aygshell_ui.h"
// Notification bubbles.
#include "aygshell_notify.h"
