#pragma once
// A program started by a test. It is started the device's way (the command text is
// exactly `args`; bare names are found in the device's \Windows) and never outlives
// the test: the destructor ends it if it still runs.
#include <windows.h>
#include <string>
#include "ScopedHandle.h"

namespace testsupport {

class ChildProcess {
public:
    static constexpr DWORD kStillRunning = STILL_ACTIVE;
    static constexpr DWORD kNotStarted = ~0u;

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::wstring& program, const std::wstring& args);
    bool Started() const { return process_.Valid(); }
    // Waits for the end; the exit code, or kStillRunning when the time ran out.
    DWORD Wait(DWORD timeoutMs);
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_.Get(); }

private:
    ScopedHandle process_;
    DWORD id_ = 0;
};

// Starts a program, waits for it and gives its exit code (kStillRunning on timeout,
// which also ends it; ~0u when it could not start).
DWORD RunProgram(const std::wstring& program, const std::wstring& args, DWORD timeoutMs = 30000);

}  // namespace testsupport
