#pragma once
// Where things are while a test runs.
#include <string>

namespace testsupport {

// A path as ctest or CMake gives it ("/work/x" under Wine) as a Windows path ("Z:\work\x").
std::wstring HostPath(const std::string& path);
// The build tree and the source tree.
std::wstring BinaryDir();
std::wstring SourceDir();
// Folder of the running test executable.
std::wstring ExeDir();
// The device root of this test and a device path mapped into it ("\Windows\x.exe").
std::wstring DeviceRoot();
std::wstring DevicePath(const std::wstring& cePath);
// A name no other test process uses at the same time (window classes, keys).
std::wstring UniqueName(const std::wstring& prefix);

}  // namespace testsupport
