#pragma once
// What runs first in a test program (ProcessStart.cpp, linked into every test program
// and the tools the tests run under Wine), and how such a program ends.

namespace testsupport {

// The environment variable through which scripts/wine.sh asks for the start mark: the
// Windows path of a file the program makes before any other code of it runs.
extern const wchar_t kStartMarkVariable[];

// Flushes the output streams, waiting a second at most (a thread may hold a stream's lock).
void FlushOutput();

// Ends the process without its exit-time code (static destructors, atexit handlers, DLL
// detach), the output streams flushed.
[[noreturn]] void EndProcess(int code);

}  // namespace testsupport
