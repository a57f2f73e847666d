#include "TestPaths.h"
#include <windows.h>
#include <cstdlib>
#include "DeviceFiles.h"

namespace testsupport {
namespace {
const char kBinaryDirVariable[] = "ORVALEN_BINARY_DIR";
const char kSourceDirVariable[] = "ORVALEN_SOURCE_DIR";
// Wine shows the host's root as drive Z:.
const wchar_t kHostRootDrive[] = L"Z:";

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &wide[0], n);
    return wide;
}

std::wstring FromVariable(const char* name, const char* configured) {
    const char* value = getenv(name);
    return HostPath(value && *value ? value : configured);
}
}  // namespace

std::wstring HostPath(const std::string& path) {
    std::wstring wide = Widen(path);
    if (!wide.empty() && wide[0] == L'/') wide = kHostRootDrive + wide;
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return wide;
}

std::wstring BinaryDir() { return FromVariable(kBinaryDirVariable, ORVALEN_CONFIGURED_BINARY_DIR); }
std::wstring SourceDir() { return FromVariable(kSourceDirVariable, ORVALEN_CONFIGURED_SOURCE_DIR); }

std::wstring ExeDir() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n < MAX_PATH ? n : 0);
    size_t slash = dir.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : dir.substr(0, slash);
}

std::wstring DeviceRoot() {
    wchar_t root[MAX_PATH];
    return Device_GetRoot(root, MAX_PATH) ? root : std::wstring();
}

std::wstring DevicePath(const std::wstring& cePath) {
    wchar_t path[MAX_PATH];
    return Device_MapPath(cePath.c_str(), path, MAX_PATH) ? path : std::wstring();
}

std::wstring UniqueName(const std::wstring& prefix) {
    static LONG serial = 0;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return prefix + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(now.QuadPart) + L"-" + std::to_wstring(InterlockedIncrement(&serial));
}

}  // namespace testsupport
