#pragma once
// The device's yes/no questions as a user meets them: found on the screen and answered.
#include <windows.h>

#include <string>

namespace testsupport {

// Answers a yes/no question of the device (a top-level dialog with a Yes button) whose
// text is exactly `text` (any, when empty) by clicking a button; its text, or empty
// when none came in time.
std::wstring AnswerQuestion(UINT button, DWORD timeoutMs, const std::wstring& text = std::wstring());

}  // namespace testsupport
