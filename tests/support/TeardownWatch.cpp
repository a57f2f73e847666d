#include "TeardownWatch.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>

#include "ProcessStart.h"

namespace testsupport {
namespace {
// The device's teardown (ending its programs, stopping its services, unloading its
// libraries, deleting its folder) has been seen, rarely and only on a loaded machine, never
// to return after the tests had run.
constexpr DWORD kLimitMs = 30000;
// A shorter limit in milliseconds, for the test of this watch.
const wchar_t kLimitVariable[] = L"ORVALEN_TEARDOWN_LIMIT_MS";
// Should the report itself hang (a lock the teardown holds), the process still ends.
constexpr DWORD kReportMs = 10000;
constexpr int kThreadQuerySetWin32StartAddress = 9;
using QueryThread = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);

// Everything the watch reads is set up before it starts: once the teardown runs, the watch
// asks nothing of the loader or of the C library's locks.
struct Watch {
    DWORD limitMs = kLimitMs;
    DWORD mainThread = 0;
    DWORD watchThreads[2] = {};
    QueryThread queryThread = nullptr;
    HANDLE running = nullptr;
    CRITICAL_SECTION stepGuard;
    wchar_t step[2 * MAX_PATH] = L"beginning";
} watch;

// Said on the error stream straight, through no stream of the C library.
void Say(const char* format, ...) {
    char line[1024];
    va_list args;
    va_start(args, format);
    const int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    DWORD written = 0;
    if (n > 0) WriteFile(GetStdHandle(STD_ERROR_HANDLE), line, DWORD(n < int(sizeof line) ? n : sizeof line - 1), &written, nullptr);
}

const char* Narrow(const wchar_t* wide, char* out, int size) {
    if (!WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, size, nullptr, nullptr)) out[0] = 0;
    return out;
}

// "module+0xoffset" of an address, from a snapshot of the process's modules.
void NameAddress(HANDLE modules, ULONG_PTR address, char* out, int size) {
    snprintf(out, size, "%p", reinterpret_cast<void*>(address));
    MODULEENTRY32W module = {};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(modules, &module); more; more = Module32NextW(modules, &module)) {
        const auto base = reinterpret_cast<ULONG_PTR>(module.modBaseAddr);
        if (address < base || address >= base + module.modBaseSize) continue;
        char name[MAX_PATH];
        snprintf(out, size, "%s+0x%llx", Narrow(module.szModule, name, sizeof name),
                 static_cast<unsigned long long>(address - base));
        return;
    }
}

void SayThreads() {
    HANDLE threads = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    if (threads == INVALID_HANDLE_VALUE) return;
    Say("test support: threads of this program still running (id, where it began):\n");
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(threads, &entry); more; more = Thread32Next(threads, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
        if (entry.th32ThreadID == watch.watchThreads[0] || entry.th32ThreadID == watch.watchThreads[1]) continue;
        ULONG_PTR start = 0;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (thread && watch.queryThread)
            watch.queryThread(thread, kThreadQuerySetWin32StartAddress, &start, sizeof start, nullptr);
        if (thread) CloseHandle(thread);
        char where[MAX_PATH + 32] = "?";
        if (start && modules != INVALID_HANDLE_VALUE) NameAddress(modules, start, where, sizeof where);
        Say("  %04lx %s%s\n", static_cast<unsigned long>(entry.th32ThreadID), where,
            entry.th32ThreadID == watch.mainThread ? " (the main thread, in the teardown)" : "");
    }
    CloseHandle(threads);
    if (modules != INVALID_HANDLE_VALUE) CloseHandle(modules);
}

// The programs this one started that still run (the device's services, a program of the device).
void SayChildren() {
    HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool any = false;
    for (BOOL more = Process32FirstW(processes, &entry); more; more = Process32NextW(processes, &entry)) {
        if (entry.th32ParentProcessID != GetCurrentProcessId()) continue;
        if (!any) Say("test support: programs it started that still run:\n");
        any = true;
        char name[MAX_PATH];
        Say("  %lu %s\n", static_cast<unsigned long>(entry.th32ProcessID), Narrow(entry.szExeFile, name, sizeof name));
    }
    CloseHandle(processes);
}

DWORD WINAPI Report(void*) {
    SetEvent(watch.running);
    Sleep(watch.limitMs);
    char step[sizeof watch.step];
    wchar_t copy[2 * MAX_PATH] = L"?";
    if (TryEnterCriticalSection(&watch.stepGuard)) {
        wcscpy(copy, watch.step);
        LeaveCriticalSection(&watch.stepGuard);
    }
    Say("test support: FAILED: the device's teardown did not end within %lu ms; it was %s\n",
        static_cast<unsigned long>(watch.limitMs), Narrow(copy, step, sizeof step));
    SayThreads();
    SayChildren();
    EndProcess(kTeardownHung);
}

DWORD WINAPI Backstop(void*) {
    SetEvent(watch.running);
    Sleep(watch.limitMs + kReportMs);
    Say("test support: FAILED: the device's teardown and its report did not end\n");
    TerminateProcess(GetCurrentProcess(), kTeardownHung);
    return 0;
}
}  // namespace

void TeardownWatch_Start() {
    wchar_t limit[16];
    const DWORD n = GetEnvironmentVariableW(kLimitVariable, limit, 16);
    if (n > 0 && n < 16 && wcstoul(limit, nullptr, 10) > 0) watch.limitMs = DWORD(wcstoul(limit, nullptr, 10));
    watch.mainThread = GetCurrentThreadId();
    watch.queryThread = reinterpret_cast<QueryThread>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    InitializeCriticalSection(&watch.stepGuard);
    watch.running = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    LPTHREAD_START_ROUTINE procedures[2] = {Report, Backstop};
    for (int i = 0; i < 2; ++i) {
        HANDLE thread = CreateThread(nullptr, 0, procedures[i], nullptr, 0, &watch.watchThreads[i]);
        if (!thread) continue;
        CloseHandle(thread);
        WaitForSingleObject(watch.running, INFINITE);
    }
}

void TeardownWatch_Step(const wchar_t* step, const wchar_t* detail) {
    if (!watch.running) return;
    EnterCriticalSection(&watch.stepGuard);
    _snwprintf(watch.step, sizeof watch.step / sizeof *watch.step - 1, L"%ls%ls%ls", step, detail ? L" " : L"",
               detail ? detail : L"");
    LeaveCriticalSection(&watch.stepGuard);
}

}  // namespace testsupport
