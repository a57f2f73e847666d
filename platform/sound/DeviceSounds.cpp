// The shell's sound player of the simulated device. It decodes nothing: a play lasts the
// time the device's settings give (tests choose it), after which the sound's wait handle
// is set, as the handheld's player sets it when the sound has been heard.
#include <mutex>
#include <set>

#include "DeviceCallLog.h"
#include "DeviceFiles.h"
#include "DeviceSignals.h"
#include "DeviceStateStore.h"

namespace {
const wchar_t kRecordName[] = L"sndplayer";

struct PlayerRecord {
    uint32_t playMs;
    uint32_t refused;
    uint32_t openSounds;  // of every process of the device
};

PlayerRecord Defaults() { return PlayerRecord{DEVICE_DEFAULT_SOUND_PLAY_MS, 0, 0}; }

PlayerRecord Load() {
    PlayerRecord r;
    if (!DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r)) r = Defaults();
    return r;
}

template <typename Change>
bool Update(Change change) {
    return DeviceStateStore::Current()->Update(kRecordName, Defaults(), [&](PlayerRecord& r) { return change(r); });
}

// A sound is its wait handle: a manual-reset waitable timer that comes due when a play ends.
std::mutex openGuard;
std::set<HANDLE> openSounds;

bool IsOpen(HSOUND sound) {
    std::lock_guard<std::mutex> lock(openGuard);
    return openSounds.count(sound) != 0;
}

// Sets the sound's wait handle after `ms`.
void EndPlayAfter(HANDLE timer, DWORD ms) {
    LARGE_INTEGER due;
    due.QuadPart = -LONGLONG(ms ? ms : 1) * 10000;  // relative, in 100 ns
    SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
}
}  // namespace

HRESULT Device_SndOpen(const wchar_t* file, HSOUND* sound) {
    HRESULT result = E_INVALIDARG;
    wchar_t mapped[MAX_PATH];
    if (file && sound) {
        *sound = nullptr;
        const DWORD attributes = Device_MapPath(file, mapped, MAX_PATH) ? GetFileAttributesW(mapped)
                                                                         : INVALID_FILE_ATTRIBUTES;
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            result = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        else if (Load().refused)
            result = E_FAIL;
        else if (HANDLE timer = CreateWaitableTimerW(nullptr, TRUE, nullptr)) {
            {
                std::lock_guard<std::mutex> lock(openGuard);
                openSounds.insert(timer);
            }
            Update([](PlayerRecord& r) {
                ++r.openSounds;
                return true;
            });
            *sound = timer;
            result = S_OK;
        } else
            result = E_OUTOFMEMORY;
    }
    DeviceCallLog::Add(DEVICE_CALL_SND_OPEN, 0, 0, result);
    return result;
}

HRESULT Device_SndPlayAsync(HSOUND sound, DWORD) {
    const bool open = IsOpen(sound);
    if (open) EndPlayAfter(sound, Load().playMs);
    DeviceCallLog::Add(DEVICE_CALL_SND_PLAY, 0, 0, open ? S_OK : E_INVALIDARG);
    return open ? S_OK : E_INVALIDARG;
}

HRESULT Device_SndGetWaitHandle(HSOUND sound, HANDLE* event) {
    if (!event || !IsOpen(sound)) return E_INVALIDARG;
    *event = sound;
    return S_OK;
}

HRESULT Device_SndStop(DWORD scope, HSOUND sound) {
    HRESULT result = E_INVALIDARG;
    if (scope == SND_SCOPE_PROCESS) {
        // A stopped play is over at once.
        std::lock_guard<std::mutex> lock(openGuard);
        for (HANDLE timer : openSounds) EndPlayAfter(timer, 0);
        result = S_OK;
    } else if (IsOpen(sound)) {
        EndPlayAfter(sound, 0);
        result = S_OK;
    }
    DeviceCallLog::Add(DEVICE_CALL_SND_STOP, LONG(scope), 0, result);
    return result;
}

HRESULT Device_SndClose(HSOUND sound) {
    bool closed = false;
    {
        std::lock_guard<std::mutex> lock(openGuard);
        closed = openSounds.erase(sound) != 0;
    }
    if (closed) {
        CancelWaitableTimer(sound);
        CloseHandle(sound);
        Update([](PlayerRecord& r) {
            if (r.openSounds) --r.openSounds;
            return true;
        });
    }
    DeviceCallLog::Add(DEVICE_CALL_SND_CLOSE, 0, 0, closed ? S_OK : E_INVALIDARG);
    return closed ? S_OK : E_INVALIDARG;
}

BOOL DeviceControl_SetSoundPlayMs(DWORD ms) {
    return Update([&](PlayerRecord& r) {
        r.playMs = ms;
        return true;
    });
}

BOOL DeviceControl_SetSoundOpenRefused(BOOL refused) {
    return Update([&](PlayerRecord& r) {
        r.refused = refused != FALSE;
        return true;
    });
}

DWORD DeviceControl_GetOpenSounds(void) { return Load().openSounds; }
