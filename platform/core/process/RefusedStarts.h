#pragma once
// Inside the layer: a program start the system refused, written down where the test
// suite asks for it (scripts/wine.sh names the file in ORVALEN_START_LOG), so the suite can
// say how many starts Wine refused, when, and at what load.
#include <windows.h>

namespace RefusedStarts {
// Notes that starting `program` (host path) with `args` failed with `error`, as refused
// when it is a program, as failed when it is no program or not there (tests ask for
// both); nothing without ORVALEN_START_LOG.
void Note(const wchar_t* program, const wchar_t* args, DWORD error);
}  // namespace RefusedStarts
