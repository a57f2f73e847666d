// The platform sound route: a "wma" file plays through the shell's sound player, which
// sets a wait handle when a play is over; a watcher thread turns that into the sound
// thread's finish event. It also rings any sound the sound engine cannot play because
// the device's audio does not open.
#include "BoundFunctions.h"
#include "Signaller.h"
#include "SignallerParts.h"
#include "SoundSource.h"
#include "soundfile.h"

namespace {
// Gives the watcher's message queue a first look, so posts to it are accepted.
constexpr UINT kQueueProbeMessage = WM_USER;
constexpr UINT kNewPlayMessage = 0;
constexpr DWORD kWatcherEndMs = 300;
constexpr DWORD kPostRetryMs = 1;
constexpr int kRampStartVolume = 3;

// Posts until the watcher's queue takes it, or the watcher has ended.
void PostToWatcher(const SignallerWatcher& w, UINT message) {
    while (!PostThreadMessageW(w.threadId, message, 0, 0))
        if (WaitForSingleObject(w.thread, kPostRetryMs) != WAIT_TIMEOUT) return;
}
}  // namespace

bool Sound_HasSndApi() { return Bound::SndOpen.Resolve(); }

int Signaller::RouteStartVolume() const {
    const int base = current_.respectsys ? savedVolume_ : 100;
    return current_.asctime ? base * kRampStartVolume / 100 : base * current_.volume / 100;
}

bool Signaller::OpenPlatformSound(const wchar_t* file) {
    auto open = Bound::SndOpen.As<SndOpenFunction>();
    auto close = Bound::SndClose.As<SndCloseFunction>();
    auto getWait = Bound::SndGetWaitHandle.As<SndGetWaitHandleFunction>();
    if (!Bound::SndPlayAsync.Resolve() || !open) return false;
    HSOUND sound = nullptr;
    if (FAILED(open(file, &sound))) return false;
    HANDLE wait = nullptr;
    if (getWait) getWait(sound, &wait);
    if (!StartWatcher(wait)) {
        if (close) close(sound);
        return false;
    }
    route_ = Route::PlatformSound;
    rampByDeviceVolume_ = true;
    Volume_SetPercent(*this, RouteStartVolume());
    platformSound_ = sound;
    return true;
}

// The shell's player takes files only: a built-in sound goes to it as one.
bool Signaller::OpenShellSound() {
    HRSRC resource = nullptr;
    if (!FindSource(&resource)) return false;
    if (!resource) return OpenPlatformSound(current_.custom.CStr());
    const std::wstring file = SoundSource::WriteResourceFile(resourceModule_, resource, current_.customres);
    return !file.empty() && OpenPlatformSound(file.c_str());
}

bool Signaller::PlayPlatformSound() {
    auto play = Bound::SndPlayAsync.As<SndPlayAsyncFunction>();
    auto getWait = Bound::SndGetWaitHandle.As<SndGetWaitHandleFunction>();
    HSOUND sound = platformSound_;
    // A play the player refused would never end.
    if (!play || FAILED(play(sound, 0))) return false;
    HANDLE wait = nullptr;
    if (getWait && SUCCEEDED(getWait(sound, &wait)) && watcher_) watcher_->wait = wait;
    // The watcher waits on the handle of this play from now on.
    if (watcher_) PostToWatcher(*watcher_, kNewPlayMessage);
    return true;
}

void Signaller::ClosePlatformSound() {
    EndWatcher();
    if (auto stop = Bound::SndStop.As<SndStopFunction>()) stop(SND_SCOPE_PROCESS, nullptr);
    HSOUND sound = platformSound_.exchange(nullptr);
    if (auto close = Bound::SndClose.As<SndCloseFunction>()) close(sound);
}

bool Signaller::StartWatcher(HANDLE wait) {
    std::unique_ptr<SignallerWatcher> w(new (std::nothrow) SignallerWatcher);
    if (!w) return false;
    w->wait = wait;
    w->finish = finish_;
    w->thread = CreateThread(nullptr, 0, SndWaiterThread, w.get(), 0, &w->threadId);
    if (!w->thread) return false;
    watcher_ = std::move(w);
    return true;
}

void Signaller::EndWatcher() {
    std::unique_ptr<SignallerWatcher> w = std::move(watcher_);
    if (!w) return;
    PostToWatcher(*w, WM_QUIT);
    // A watcher stuck in the player's hands is not waited for.
    if (WaitForSingleObject(w->thread, kWatcherEndMs) == WAIT_TIMEOUT) TerminateThread(w->thread, 0);
    CloseHandle(w->thread);
}

DWORD WINAPI Signaller::SndWaiterThread(void* record) {
    auto* w = static_cast<SignallerWatcher*>(record);
    MSG msg;
    PeekMessageW(&msg, nullptr, kQueueProbeMessage, kQueueProbeMessage, PM_NOREMOVE);
    for (;;) {
        HANDLE wait = w->wait;
        const DWORD woke = MsgWaitForMultipleObjectsEx(wait ? 1 : 0, &wait, INFINITE, QS_ALLINPUT, 0);
        if (woke == WAIT_OBJECT_0 + (wait ? 1 : 0)) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                if (msg.message == WM_QUIT) return 0;
        } else if (wait && woke == WAIT_OBJECT_0) {
            SetEvent(w->finish);
            // The play is over: wait for the next one (or the end) before looking again.
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) return 0;
        } else {
            return 0;
        }
    }
}
