#pragma once
// A stand-in for the program around the items: a message-only window plays the
// engine window (tests read what the items post to it), the ring-window count and
// the reschedules are counted, and the store's hash and settings are the test's.
#include "ItemHost.h"
#include "Settings.h"

#include <windows.h>

#include <functional>
#include <vector>

class ItemTestHost : public ItemHost {
public:
    ItemTestHost() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ItemTestEngine";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                  nullptr);
        previous_ = ItemHost::Install(this);
    }
    ~ItemTestHost() override {
        ItemHost::Install(previous_);
        if (window_) DestroyWindow(window_);
    }

    HWND EngineWindow() const override { return engineGone ? nullptr : window_; }
    void ChangeRingWindowCount(int delta) override { ringWindows = ringWindows + delta > 0 ? ringWindows + delta : 0; }
    int Reschedule() override { return ++reschedules; }
    bool HasVibrationDevice() const override { return hasVibrator; }
    bool SignallerBusy() const override { return signallerBusy; }
    bool StoreExists() const override { return storeExists; }
    bool IsHashTaken(ItemHash hash) const override {
        hashesAsked.push_back(hash);
        return hashTaken && hashTaken(hash);
    }
    const Settings& GetSettings() const override { return settings; }
    TimerItem* StartTimerByHash(ItemHash hash, bool stopwatch) override {
        return startTimer ? startTimer(hash, stopwatch) : nullptr;
    }
    void MarkRegistryDirty() override { registryDirty = true; }

    // Every message waiting for the engine window, taken out of the queue.
    std::vector<MSG> TakeMessages() {
        std::vector<MSG> messages;
        MSG msg;
        while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) messages.push_back(msg);
        return messages;
    }
    void Post(UINT message, WPARAM wParam, LPARAM lParam) { PostMessageW(window_, message, wParam, lParam); }

    int ringWindows = 0;
    int reschedules = 0;
    bool hasVibrator = true;
    bool signallerBusy = false;
    bool storeExists = true;
    bool engineGone = false;
    bool registryDirty = false;
    std::function<bool(ItemHash)> hashTaken;
    std::function<TimerItem*(ItemHash, bool)> startTimer;
    mutable std::vector<ItemHash> hashesAsked;
    Settings settings;

private:
    HWND window_ = nullptr;
    ItemHost* previous_ = nullptr;
};
