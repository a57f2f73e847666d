// Runs before every other static initializer of the program. From here on a crash ends
// the process at once, its place on stderr: Wine's debugger would otherwise be started
// for it. And the program marks that it began, for the wrapper that started it: a start
// that left no mark never ran a line of the program, so starting it again is safe.
#include "ProcessStart.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace testsupport {

const wchar_t kStartMarkVariable[] = L"ORVALEN_START_MARK_FILE";

namespace {
// A crashed test program ends with this code.
constexpr int kCrashed = 3;
// How long an end waits for the output streams to be flushed.
constexpr DWORD kFlushWaitMs = 1000;

// The output streams are flushed on a thread of their own, made when the program began:
// a stream's lock may be held by a thread that never lets go (one that crashed while it
// wrote, or one stopped in the middle of a write), and an end must not wait for it.
HANDLE flushAsked = nullptr;
HANDLE flushDone = nullptr;

DWORD WINAPI Flusher(void*) {
    for (;;) {
        WaitForSingleObject(flushAsked, INFINITE);
        fflush(nullptr);
        SetEvent(flushDone);
    }
}

void StartFlusher() {
    flushAsked = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    flushDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = flushAsked && flushDone ? CreateThread(nullptr, 0, Flusher, nullptr, 0, nullptr) : nullptr;
    if (thread) CloseHandle(thread);
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    char line[160];
    const int n = snprintf(line, sizeof line, "test support: crashed: exception %08lx at %p\n",
                           static_cast<unsigned long>(record->ExceptionCode), record->ExceptionAddress);
    FlushOutput();  // what the program said before, first
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, DWORD(n > 0 ? n : 0), &written, nullptr);
    EndProcess(kCrashed);
}

void MarkStart() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(kStartMarkVariable, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    // The programs this one starts are not the wrapper's to mark.
    SetEnvironmentVariableW(kStartMarkVariable, nullptr);
    HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
}

__attribute__((constructor(101))) void BeginProcess() {
    SetUnhandledExceptionFilter(ReportCrash);
    MarkStart();
    StartFlusher();
}
}  // namespace

void FlushOutput() {
    if (!flushAsked || !flushDone) return;
    ResetEvent(flushDone);  // a flush that came too late for its caller
    SetEvent(flushAsked);
    WaitForSingleObject(flushDone, kFlushWaitMs);
}

// Under Wine the exit first kills the other threads; one killed while it held the loader
// or a heap lock (a pool or engine thread ending at that moment) leaves the exit-time code
// waiting forever for the lock: the test has passed, yet its process never ends.
void EndProcess(int code) {
    FlushOutput();
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    ExitProcess(static_cast<UINT>(code));  // not reached
}

}  // namespace testsupport
