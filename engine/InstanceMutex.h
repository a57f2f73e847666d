#pragma once
// The single-instance mutex "OrvalenMainWnd" of the device. The one engine owns it from
// before its start-up to after its shutdown, so a start that finds it owned waits for
// the holder: it hands its command text to the holder's engine window once that window
// takes it, or becomes the instance once the holder has ended. A handle that only
// exists (the Today item's probe, a start waiting its turn) makes no instance, and no
// start ever runs as a second one beside the holder.
#include <windows.h>

class InstanceMutex {
public:
    enum class Start {
        kFirst,       // this process is the instance (or no mutex could be made at all)
        kHandedOver,  // the running engine took the command text
        kGaveUp,      // the holder neither ended nor took the text in time
    };
    // How long a start waits for a holder that neither ends nor shows its engine
    // window (a hung start): this many rounds of the find interval, about a minute.
    static constexpr int kWaitRounds = 120;

    InstanceMutex() = default;
    ~InstanceMutex() { Release(); }
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;

    Start TakeOrHandOver(const wchar_t* commandText);
    // Gives the mutex back (the next start becomes the instance) and closes it.
    void Release();

private:
    HANDLE handle_ = nullptr;
    bool owned_ = false;
};
