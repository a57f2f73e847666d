#pragma once
// Reading what CommandTextProbe left in the device root.
#include <windows.h>
#include <cstring>
#include <string>
#include "ProbeReport.h"
#include "TestSupport.h"

namespace probe {

inline std::wstring ProbeExe() { return testsupport::HostPath(PROBE_EXE); }

// Copies the probe into the device under `cePath`.
inline bool Install(const std::wstring& cePath) { return testsupport::CopyIntoDevice(ProbeExe(), cePath); }

inline bool WaitDone(DWORD timeoutMs = 20000) {
    return testsupport::WaitForFile(testsupport::DevicePath(PROBE_DONE_FILE), timeoutMs);
}

inline std::wstring Text(const wchar_t* cePath) {
    std::wstring text;
    if (!testsupport::ReadUtf16(testsupport::DevicePath(cePath), &text)) return L"<missing>";
    return text;
}

// What wWinMain receives for a command text: the C runtime skips leading blanks.
inline std::wstring WinMainText(const std::wstring& text) {
    size_t start = text.find_first_not_of(L" \t");
    return start == std::wstring::npos ? std::wstring() : text.substr(start);
}

// Device UTC the probe read, in milliseconds; -1 when it left none.
inline LONGLONG DeviceUtcMs() {
    std::string bytes;
    if (!testsupport::ReadBytes(testsupport::DevicePath(PROBE_DEVICE_UTC_FILE), &bytes) ||
        bytes.size() != sizeof(FILETIME))
        return -1;
    FILETIME ft;
    memcpy(&ft, bytes.data(), sizeof ft);
    return ((LONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000;
}

// Removes the last report, so the next run's is the one read.
inline void Clear() { testsupport::DeleteTree(testsupport::DevicePath(PROBE_FOLDER)); }

}  // namespace probe
