#include "ChildProcess.h"
#include "DeviceProcess.h"

#include <cstdio>

namespace testsupport {
namespace {
const UINT kEndedByTest = 0xDEAD;
}  // namespace

ChildProcess::~ChildProcess() {
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.Get(), kEndedByTest);
        WaitForSingleObject(process_.Get(), 5000);
    }
}

bool ChildProcess::Start(const std::wstring& program, const std::wstring& args) {
    PROCESS_INFORMATION pi = {};
    // Wine has refused a start now and then while a whole suite starts at once (the device
    // layer writes each down, see scripts/wine.sh). A refused start never ran a line of the
    // program, so it is tried twice more before the test is told it failed.
    for (int attempt = 0; !Device_CreateProcess(program.c_str(), args.c_str(), &pi); ++attempt) {
        const DWORD error = GetLastError();
        std::fprintf(stderr, "test support: starting %ls failed (error %lu)\n", program.c_str(), error);
        if (attempt == 2) return false;
        Sleep(300);
    }
    CloseHandle(pi.hThread);
    process_.Reset(pi.hProcess);
    id_ = pi.dwProcessId;
    return true;
}

DWORD ChildProcess::Wait(DWORD timeoutMs) {
    if (!process_) return ChildProcess::kNotStarted;
    if (WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) return kStillRunning;
    DWORD code = ChildProcess::kNotStarted;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
}

DWORD RunProgram(const std::wstring& program, const std::wstring& args, DWORD timeoutMs) {
    ChildProcess child;
    if (!child.Start(program, args)) return ChildProcess::kNotStarted;
    return child.Wait(timeoutMs);
}

}  // namespace testsupport
