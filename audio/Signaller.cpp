#include "Signaller.h"

// Nothing rings yet, so there is nothing to stop.
Signaller::~Signaller() = default;
