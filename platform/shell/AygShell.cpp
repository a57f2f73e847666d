#include "aygshell.h"

// The device's extra controls (date picker, caption edit, ...) are the desktop's
// common controls here, which the program initialises itself.
BOOL SHInitExtraControls(void) { return TRUE; }
