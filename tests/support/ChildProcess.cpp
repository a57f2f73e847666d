#include "ChildProcess.h"
#include "DeviceProcess.h"

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
    if (!Device_CreateProcess(program.c_str(), args.c_str(), &pi)) return false;
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
