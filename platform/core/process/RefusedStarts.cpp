#include "RefusedStarts.h"

#include <cstdio>
#include <string>

namespace {
const wchar_t kLogVariable[] = L"ORVALEN_START_LOG";
const wchar_t kRunVariable[] = L"ORVALEN_START_LOG_RUN";
// The host's load, as the suite's other entries give it (Wine's drive Z: is the host's root).
const wchar_t kHostLoad[] = L"Z:\\proc\\loadavg";

std::string HostLoad() {
    HANDLE file = CreateFileW(kHostLoad, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "?";
    char text[64] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    std::string load(text, read);
    // The three averages.
    size_t end = 0;
    for (int field = 0; field < 3 && end != std::string::npos; ++field) end = load.find(' ', end + (field ? 1 : 0));
    return load.substr(0, end);
}

// A start can fail for the program's own sake: a missing file, or one that is no program
// (tests ask for both). Only a real program's start counts as refused.
bool IsProgram(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char magic[2] = {};
    DWORD read = 0;
    const bool program = ReadFile(file, magic, sizeof magic, &read, nullptr) && read == 2 && magic[0] == 'M' && magic[1] == 'Z';
    CloseHandle(file);
    return program;
}

std::string Utf8(const wchar_t* text) {
    if (!text || !*text) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    return out;
}
}  // namespace

void RefusedStarts::Note(const wchar_t* program, const wchar_t* args, DWORD error) {
    wchar_t log[MAX_PATH], run[64] = L"";
    const DWORD n = GetEnvironmentVariableW(kLogVariable, log, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    // The test run (scripts/wine.sh adds what the test said under the entries of its run).
    GetEnvironmentVariableW(kRunVariable, run, 64);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char head[256];
    // A start that failed for the program's own sake is written down too, but not counted.
    snprintf(head, sizeof head, "%s %04u-%02u-%02u %02u:%02u:%02u.%03u load %s: CreateProcess error %lu in run %ls: ",
             IsProgram(program) ? "refused start" : "failed start (no program)", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, HostLoad().c_str(),
             static_cast<unsigned long>(error), run);
    const std::string line = head + Utf8(program) + (args && *args ? " " + Utf8(args) : std::string()) + "\n";
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
    CloseHandle(file);
}
