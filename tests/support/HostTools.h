#pragma once
// Tools of the host (ImageMagick, ...) run from a test under Wine, so a test can check
// what our code wrote against a real peer, or have a peer make its input.
#include <windows.h>

#include <string>

namespace testsupport {

// The host path of a Windows path ("Z:\tmp\x" -> "/tmp/x"); empty when it has none.
std::string UnixPath(const std::wstring& windowsPath);
// Runs /usr/bin/<tool> with the arguments, written as for the host's shell (paths as
// UnixPath gives them, quoted; parentheses escaped). Its standard output and error go
// to output (may be null). True when it ended in time with status 0.
bool RunHostTool(const std::string& tool, const std::string& arguments, std::string* output = nullptr,
                 DWORD timeoutMs = 60000);

}  // namespace testsupport
