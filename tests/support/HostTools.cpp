#include "HostTools.h"

#include <cstdlib>

#include "TestFiles.h"
#include "TestPaths.h"

namespace testsupport {
namespace {

// Wine starts host programs but gives no handle to wait on and no exit status: the
// tool runs in a shell script that leaves its status in a file once it has ended.
const wchar_t kShell[] = L"Z:\\bin\\sh";

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

std::string UnixPath(const std::wstring& windowsPath) {
    // Wine's own export: the one place that knows every drive's mapping.
    using ToUnix = char*(CDECL*)(LPCWSTR);
    static const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return std::string();
    char* unix = toUnix(windowsPath.c_str());
    if (!unix) return std::string();
    std::string path(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

bool RunHostTool(const std::string& tool, const std::string& arguments, std::string* output, DWORD timeoutMs) {
    wchar_t folder[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, folder)) return false;
    const std::wstring base = std::wstring(folder) + UniqueName(L"hosttool");
    const std::wstring script = base + L".sh", out = base + L".txt", status = base + L".status";
    const std::string statusFile = UnixPath(status);
    const std::string text = "/usr/bin/" + tool + " " + arguments + " >" + Quoted(UnixPath(out)) + " 2>&1\n" +
                             "echo $? >" + Quoted(statusFile + ".part") + " && mv " + Quoted(statusFile + ".part") +
                             " " + Quoted(statusFile) + "\n";
    if (statusFile.empty() || !WriteBytes(script, text)) return false;

    // The shell gets the script's host path (test paths are ASCII).
    std::wstring commandLine = std::wstring(L"\"") + kShell + L"\" \"";
    for (char c : UnixPath(script)) commandLine += static_cast<wchar_t>(static_cast<unsigned char>(c));
    commandLine += L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    bool ok = false;
    if (CreateProcessW(kShell, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        if (started.hProcess) CloseHandle(started.hProcess);
        if (started.hThread) CloseHandle(started.hThread);
        std::string code;
        ok = PollUntil(timeoutMs, [&] { return ReadBytes(status, &code); }) && atoi(code.c_str()) == 0 && !code.empty();
    }
    if (output) {
        output->clear();
        ReadBytes(out, output);
    }
    DeleteFileW(script.c_str());
    DeleteFileW(out.c_str());
    DeleteFileW(status.c_str());
    return ok;
}

}  // namespace testsupport
