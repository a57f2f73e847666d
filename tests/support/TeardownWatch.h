#pragma once
// Watches the device's teardown after a test program's tests have run: a teardown that
// does not end in time fails the program (exit code 4), saying which step it was in and
// what was still running (the process's threads, the device's programs), whatever the
// tests' own result.

namespace testsupport {

// A test program whose teardown hung ends with this code.
constexpr int kTeardownHung = 4;

// Starts the watch; returns once it runs, so it needs nothing the teardown may hold.
void TeardownWatch_Start();
// The step the teardown is in, named for the report ("unloading ...").
void TeardownWatch_Step(const wchar_t* step, const wchar_t* detail = nullptr);

}  // namespace testsupport
