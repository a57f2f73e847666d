#pragma once
// Puts a function of the test's own in place of a system function the test program
// imports (its import table's slot), so a test sees what the code it links asked for, a
// wait's or a timer's length, whatever the machine's load made of it.

namespace testsupport {

// Replaces every import of `function` (by name, from any library) of the running program
// by `replacement`; returns the function it called before, null when it imports none.
void* ReplaceImport(const char* function, void* replacement);

}  // namespace testsupport
