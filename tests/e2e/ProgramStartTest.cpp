#include "ProgramSandbox.h"

#include "DeviceObjects.h"
#include "TestFiles.h"
#include "TestRegistry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const wchar_t kEngineClass[] = L"OrvalenEngineWnd";
const wchar_t kMutexName[] = L"OrvalenMainWnd";
const wchar_t kTodayFile[] = L"today_translation.txt";
const DWORD kExitTimeoutMs = 30000;
const DWORD kStartTimeoutMs = 20000;

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(file, nullptr), read = 0;
    bytes.resize(size);
    if (size) ReadFile(file, bytes.data(), size, &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

// The single-instance mutex as the program names it on this test's own device.
std::wstring DeviceMutexName() {
    wchar_t name[MAX_PATH];
    return Device_GetObjectName(kMutexName, name, MAX_PATH) ? name : kMutexName;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A stand-in for a running first instance: owns the mutex and an engine window
// that records every WM_COPYDATA it receives.
class FakeFirstInstance {
public:
    struct Received {
        WPARAM wParam;
        ULONG_PTR dwData;
        DWORD cbData;
        std::vector<uint8_t> bytes;
    };

    explicit FakeFirstInstance(bool withWindow) : withWindow_(withWindow) {
        mutex_ = CreateMutexW(nullptr, TRUE, DeviceMutexName().c_str());
        existed_ = GetLastError() == ERROR_ALREADY_EXISTS;
        if (withWindow) OpenWindow();
    }
    // The engine window of a first instance whose start has come that far.
    void OpenWindow() {
        withWindow_ = true;
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kEngineClass;
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, kEngineClass, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance,
                                  nullptr);
        received().clear();
    }
    ~FakeFirstInstance() { End(); }
    // The instance ends: its window goes and the mutex is given back.
    void End() {
        if (window_) DestroyWindow(window_);
        window_ = nullptr;
        UnregisterClassW(kEngineClass, GetModuleHandleW(nullptr));
        if (mutex_ && !existed_) ReleaseMutex(mutex_);
        if (mutex_) CloseHandle(mutex_);
        mutex_ = nullptr;
    }
    bool Ready() const { return mutex_ && !existed_ && (!withWindow_ || window_); }
    static std::vector<Received>& received() {
        static std::vector<Received> list;
        return list;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COPYDATA) {
            auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            const uint8_t* data = static_cast<const uint8_t*>(record->lpData);
            received().push_back({wParam, record->dwData, record->cbData,
                                  std::vector<uint8_t>(data, data + (data ? record->cbData : 0))});
            return TRUE;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    bool withWindow_;
    bool existed_ = false;
    HANDLE mutex_ = nullptr;
    HWND window_ = nullptr;
};

std::vector<uint8_t> Utf16WithTerminator(const std::wstring& text) {
    const uint8_t* begin = reinterpret_cast<const uint8_t*>(text.c_str());
    return std::vector<uint8_t>(begin, begin + (text.size() + 1) * 2);
}

class ProgramStart : public ::testing::Test {
protected:
    void SetUp() override { DeleteLocation(); }
    void TearDown() override { DeleteLocation(); }
    ProgramSandbox sandbox_;
};

}  // namespace

TEST_F(ProgramStart, FirstStartWritesLocationAndTodayTexts) {
    HANDLE process = sandbox_.Start(L"AppRunAfterTimeChange");
    ASSERT_NE(nullptr, process);
    // Its own command reaches its engine window, which quits at once: nothing is due.
    EXPECT_EQ(0u, ProgramSandbox::WaitForExit(process, kExitTimeoutMs));
    EXPECT_EQ(sandbox_.ProgramPath(), ReadLocation());
    // The recorder settings' first key, made before the entry point, in the device's registry.
    EXPECT_TRUE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, L"Software\\Quobalt"));

    const wchar_t* expected[] = {L"Alarms", L"Timers", L"Active", L"Delete", L"Sound", L"Vibrate",
                                 L"Stop", L"Start", L"Restart the timer", L"Run Orvalen", L"Cancel snooze",
                                 L"Skip next alarm", L"Add alarm", L"Add timer", L"Today",
                                 L"No pending notifications", L"Edit...", L"Cancel"};
    std::vector<uint8_t> expectedBytes;
    for (const wchar_t* text : expected) {
        uint32_t count = static_cast<uint32_t>(wcslen(text));
        for (int shift = 0; shift < 32; shift += 8) expectedBytes.push_back(static_cast<uint8_t>(count >> shift));
        for (uint32_t i = 0; i < count; ++i) {
            expectedBytes.push_back(static_cast<uint8_t>(text[i]));
            expectedBytes.push_back(static_cast<uint8_t>(text[i] >> 8));
        }
    }
    EXPECT_EQ(expectedBytes, ReadFileBytes(sandbox_.FileInFolder(kTodayFile)));
}

TEST_F(ProgramStart, UninstallWritesNoTodayTexts) {
    HANDLE process = sandbox_.Start(L"-uninstall");
    ASSERT_NE(nullptr, process);
    EXPECT_EQ(0u, ProgramSandbox::WaitForExit(process, kExitTimeoutMs));
    EXPECT_FALSE(FileExists(sandbox_.FileInFolder(kTodayFile)));
    EXPECT_EQ(sandbox_.ProgramPath(), ReadLocation());
}

TEST_F(ProgramStart, SecondStartDeliversItsTextAndExits) {
    FakeFirstInstance first(true);
    ASSERT_TRUE(first.Ready());
    for (std::wstring text : {std::wstring(L"alarm_edit 4294967295"), std::wstring()}) {
        HANDLE process = sandbox_.Start(text);
        ASSERT_NE(nullptr, process);
        EXPECT_EQ(0u, ProgramSandbox::WaitForExit(process, kExitTimeoutMs));

        ASSERT_EQ(1u, FakeFirstInstance::received().size()) << "text: " << std::string(text.begin(), text.end());
        const auto& got = FakeFirstInstance::received().front();
        EXPECT_EQ(0u, got.wParam);
        EXPECT_EQ(1370u, got.dwData);
        EXPECT_EQ((text.size() + 1) * 2, got.cbData);
        EXPECT_EQ(Utf16WithTerminator(text), got.bytes);
        FakeFirstInstance::received().clear();
    }
    // A forwarding start leaves the registry and the program folder alone.
    EXPECT_EQ(L"", ReadLocation());
    EXPECT_FALSE(FileExists(sandbox_.FileInFolder(kTodayFile)));
}

// The first instance is slow to start (its engine window comes late): a second start
// waits for it, never running as a second engine, and hands its text over once the
// window is there; a holder that ends without one leaves the start to be the instance.
TEST_F(ProgramStart, ASecondStartWaitsForAFirstStillStarting) {
    {
        FakeFirstInstance first(false);
        ASSERT_TRUE(first.Ready());
        HANDLE process = sandbox_.Start(L"alarm_edit 12");
        ASSERT_NE(nullptr, process);
        // A start that goes on as an instance writes "Location" first and then makes its
        // engine window; one that waits does neither, however long it waits.
        EXPECT_FALSE(testsupport::PollUntil(15000, [] {
            return FindWindowW(kEngineClass, nullptr) || !ReadLocation().empty();
        })) << "a second engine started beside the first";
        first.OpenWindow();
        EXPECT_EQ(0u, ProgramSandbox::WaitForExit(process, kExitTimeoutMs));
        ASSERT_EQ(1u, FakeFirstInstance::received().size());
        EXPECT_EQ(Utf16WithTerminator(L"alarm_edit 12"), FakeFirstInstance::received().front().bytes);
        EXPECT_EQ(L"", ReadLocation());
    }
    FakeFirstInstance first(false);
    ASSERT_TRUE(first.Ready());
    HANDLE process = sandbox_.Start(L"AppRunAfterTzChange");
    ASSERT_NE(nullptr, process);
    EXPECT_EQ(STILL_ACTIVE, ProgramSandbox::WaitForExit(process, 1000));
    first.End();
    // It went on as the first instance: nothing is due, so it ended by itself.
    EXPECT_EQ(0u, ProgramSandbox::WaitForExit(process, kExitTimeoutMs));
    EXPECT_EQ(sandbox_.ProgramPath(), ReadLocation());
    EXPECT_TRUE(FileExists(sandbox_.FileInFolder(kTodayFile)));
}

// The Today item probes the mutex by creating it and closing it again: a start at that
// moment is still the one instance, and a start after it hands its text to that one.
TEST_F(ProgramStart, AProbeOfTheMutexAtTheStartMakesNoSecondEngine) {
    HANDLE probe = CreateMutexW(nullptr, FALSE, DeviceMutexName().c_str());
    ASSERT_NE(nullptr, probe);
    HANDLE first = sandbox_.Start(L"");  // the main window keeps it running
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, testsupport::WaitForWindow(kEngineClass, kStartTimeoutMs));
    CloseHandle(probe);
    // A word that would keep an engine of its own running (it opens the main window).
    HANDLE second = sandbox_.Start(L"timers");
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(0u, ProgramSandbox::WaitForExit(second, kExitTimeoutMs)) << "the second start ran as an engine";
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(first, 0)) << "the first instance ended";
}

TEST_F(ProgramStart, RunningInstanceTakesTheSecondStartsCommand) {
    HANDLE first = sandbox_.Start(L"");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, testsupport::WaitForWindow(kEngineClass, kStartTimeoutMs));
    ASSERT_TRUE(FileExists(sandbox_.FileInFolder(kTodayFile)));

    DWORD start = GetTickCount();
    HANDLE second = sandbox_.Start(L"-uninstall");
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(0u, ProgramSandbox::WaitForExit(second, kExitTimeoutMs));
    // Forwarding ends promptly (a loaded machine can take seconds just to start a process);
    // that the running instance, not a new one, took the command is checked below.
    EXPECT_LT(GetTickCount() - start, 5000u);

    // The running instance acted on it: it removed its Today texts and quit.
    EXPECT_EQ(0u, ProgramSandbox::WaitForExit(first, kExitTimeoutMs));
    EXPECT_FALSE(FileExists(sandbox_.FileInFolder(kTodayFile)));
}

TEST_F(ProgramStart, QuitsByItselfWhenIdle) {
    // A word that opens no window (a plain start opens the main window, which keeps it).
    HANDLE process = sandbox_.Start(L"AppRunAtTime");
    ASSERT_NE(nullptr, process);
    ASSERT_NE(nullptr, testsupport::WaitForWindow(kEngineClass, kStartTimeoutMs));
    // The idle check runs every 10 s; with nothing to do the first one ends the process.
    EXPECT_EQ(0u, ProgramSandbox::WaitForExit(process, kExitTimeoutMs));
    EXPECT_EQ(nullptr, FindWindowW(kEngineClass, nullptr));
    // The mutex went with it: the next start is a first instance again.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, DeviceMutexName().c_str());
    EXPECT_NE(ERROR_ALREADY_EXISTS, GetLastError());
    CloseHandle(mutex);
}
