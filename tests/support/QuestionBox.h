#pragma once
// The device's yes/no questions as a user meets them: found on the screen and answered.
#include <windows.h>

#include <functional>
#include <string>

namespace testsupport {

// A top-level window of the device's desktop that match accepts, waiting up to the
// time-out; null when none came.
HWND FindDeviceWindow(DWORD timeoutMs, const std::function<bool(HWND)>& match);
// Answers a message box of the device (a top-level dialog with that button) whose text
// is exactly `text` (any, when empty) by clicking the button; its text, or empty when
// none came in time.
std::wstring AnswerQuestion(UINT button, DWORD timeoutMs, const std::wstring& text = std::wstring());

}  // namespace testsupport
