#pragma once
// What the clock tests share: their skins and pictures, and a closer for the message
// boxes the clock shows on the test's own thread.
#include <windows.h>

#include <string>
#include <vector>

namespace clocktest {

// The folder holding "Skins\" with the test skins, as a program folder (with backslash).
std::wstring FixtureProgramFolder();
// The folder of the slide-show pictures (one JPEG, one PNG).
std::wstring PictureFolder();

// While it lives, a watcher answers every message box of the given thread with OK and
// keeps its text.
class MessageBoxCloser {
public:
    explicit MessageBoxCloser(DWORD threadId = GetCurrentThreadId());
    ~MessageBoxCloser();
    std::vector<std::wstring> Texts();

private:
    static DWORD WINAPI Watch(void* closer);

    DWORD threadId_;
    HANDLE stop_;
    HANDLE thread_;
    CRITICAL_SECTION lock_;
    std::vector<std::wstring> texts_;
};

}  // namespace clocktest
