#include "ClockTestSupport.h"

#include "TestSupport.h"

#include <algorithm>

namespace clocktest {

namespace {
constexpr DWORD kPollMs = 20;
constexpr UINT kMessageTextId = 0xFFFF;

struct Found {
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBox(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") == 0 && IsWindowVisible(window))
        reinterpret_cast<Found*>(found)->boxes.push_back(window);
    return TRUE;
}
}  // namespace

std::wstring FixtureProgramFolder() { return testsupport::HostPath(CLOCK_FIXTURE_DIR) + L"\\"; }

std::wstring PictureFolder() { return testsupport::HostPath(CLOCK_FIXTURE_DIR) + L"\\pictures"; }

MessageBoxCloser::MessageBoxCloser(DWORD threadId) : threadId_(threadId) {
    InitializeCriticalSection(&lock_);
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
}

MessageBoxCloser::~MessageBoxCloser() {
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(stop_);
    DeleteCriticalSection(&lock_);
}

std::vector<std::wstring> MessageBoxCloser::Texts() {
    EnterCriticalSection(&lock_);
    std::vector<std::wstring> texts = texts_;
    LeaveCriticalSection(&lock_);
    return texts;
}

DWORD WINAPI MessageBoxCloser::Watch(void* parameter) {
    MessageBoxCloser& closer = *static_cast<MessageBoxCloser*>(parameter);
    // The test's thread may live on a desktop of the test's own device.
    SetThreadDesktop(GetThreadDesktop(closer.threadId_));
    std::vector<HWND> answered;
    while (WaitForSingleObject(closer.stop_, kPollMs) == WAIT_TIMEOUT) {
        Found found;
        EnumThreadWindows(closer.threadId_, CollectBox, reinterpret_cast<LPARAM>(&found));
        for (HWND box : found.boxes) {
            // One that is still closing is not taken twice.
            if (std::find(answered.begin(), answered.end(), box) != answered.end()) continue;
            answered.push_back(box);
            wchar_t text[512] = {};
            GetDlgItemTextW(box, kMessageTextId, text, 512);
            EnterCriticalSection(&closer.lock_);
            closer.texts_.push_back(text);
            LeaveCriticalSection(&closer.lock_);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    }
    return 0;
}

}  // namespace clocktest
