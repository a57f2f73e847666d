#pragma once
// The hidden engine window that drives the program: it receives every command,
// runs the tick and decides when the process ends. Other instances and the
// Today item find it by its class name.
#include <windows.h>
#include <string>

class EngineWnd {
public:
    static constexpr wchar_t kClassName[] = L"OrvalenEngineWnd";
    static constexpr UINT_PTR kTickTimer = 234;
    static constexpr UINT_PTR kIdleTimer = 237;
    static constexpr UINT_PTR kLeaveUnattendedTimer = 238;
    static constexpr UINT kTickIntervalMs = 1000;
    static constexpr UINT kIdleIntervalMs = 10000;
    // Quit modes: keep the system notifications, or remove them (uninstall).
    static constexpr int kQuitKeepNotifications = 1;
    static constexpr int kQuitRemoveNotifications = 0;

    // Registers the class and creates the never-shown pop-up window; null on failure.
    static EngineWnd* Create();
    ~EngineWnd();
    EngineWnd(const EngineWnd&) = delete;
    EngineWnd& operator=(const EngineWnd&) = delete;

    HWND Hwnd() const { return hwnd_; }
    void ClearHwnd() { hwnd_ = nullptr; }
    int QuitMode() const { return quitMode_; }

    // Closes the single-instance mutex, keeps the mode for the destroy handler and ends the loop.
    void Quit(int mode);
    // Holds or releases the engine's one long-lived unattended-mode request.
    void SetUnattended(bool on);
    // Quits when nothing needs the process any more; true when it quit.
    bool IdleExit();
    // Flushes the product key to storage.
    static void FlushRegistry();
    // Open ring windows that show an event dialog; kept by the items, never below 0.
    void ChangeRingWindowCount(int delta) {
        ringWindowCount_ = ringWindowCount_ + delta > 0 ? ringWindowCount_ + delta : 0;
    }
    int RingWindowCount() const { return ringWindowCount_; }

private:
    EngineWnd();

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnDestroy();
    void OnTimer(UINT_PTR id);
    BOOL OnCopyData(HWND sender, const COPYDATASTRUCT* record);
    void HandleCommand(const std::wstring& text);

    HWND hwnd_ = nullptr;
    int ringWindowCount_ = 0;
    int quitMode_ = kQuitKeepNotifications;
    CRITICAL_SECTION lock_;
    int busyCount_ = 0;
    bool unattendedHeld_ = false;
};
