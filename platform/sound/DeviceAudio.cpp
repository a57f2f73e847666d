#include "DeviceAudio.h"
#include "DeviceCallLog.h"
#include "DeviceStateStore.h"
#include "ScopedHandle.h"
#include <cstdint>
#include <cwchar>

// The host's own functions, for open wave-out handles.
#undef waveOutSetVolume
#undef waveOutGetVolume

namespace {
const wchar_t kRecordName[] = L"audio";
const wchar_t kRingCategoryKey[] = L"ControlPanel\\SoundCategories\\Ring";
const wchar_t kInitVolValue[] = L"InitVol";
const DWORD kMaxRingVolume = 5;
const DWORD kFullVolume = 0xFFFFFFFF;

struct AudioRecord {
    uint32_t volume;
    uint32_t ringVolume;
    uint32_t ringVolumeUpdates;
    uint32_t soundType;
    wchar_t soundPath[MAX_PATH];
    wchar_t soundName[MAX_PATH];
    uint32_t profileUnreadable;
};
static_assert(sizeof(AudioRecord) == 20 + 2 * MAX_PATH * sizeof(wchar_t), "audio record is stored");

AudioRecord Defaults() {
    AudioRecord r = {};
    r.volume = kFullVolume;
    r.ringVolume = kMaxRingVolume;
    r.soundType = SND_SOUNDTYPE_ON;
    return r;
}

AudioRecord Load() {
    AudioRecord r;
    if (!DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r)) r = Defaults();
    // Never trust the names to be terminated.
    r.soundPath[MAX_PATH - 1] = r.soundName[MAX_PATH - 1] = 0;
    return r;
}

template <typename Change>
bool Update(Change change) {
    return DeviceStateStore::Current()->Update(kRecordName, Defaults(), [&](AudioRecord& r) {
        change(r);
        return true;
    }, nullptr, DeviceStateStore::Lifetime::Running);
}

bool IsDevice0(HWAVEOUT waveOut) { return waveOut == nullptr; }

void CopyName(wchar_t* to, const wchar_t* from) {
    wcsncpy(to, from, MAX_PATH - 1);
    to[MAX_PATH - 1] = 0;
}
}  // namespace

MMRESULT Device_waveOutSetVolume(HWAVEOUT waveOut, DWORD volume) {
    if (!IsDevice0(waveOut)) return waveOutSetVolume(waveOut, volume);
    const MMRESULT result = Update([&](AudioRecord& r) { r.volume = volume; }) ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
    DeviceCallLog::Add(DEVICE_CALL_VOLUME, LONG(volume), 0, LONG(result));
    return result;
}

MMRESULT Device_waveOutGetVolume(HWAVEOUT waveOut, LPDWORD volume) {
    if (!IsDevice0(waveOut)) return waveOutGetVolume(waveOut, volume);
    if (!volume) return MMSYSERR_INVALPARAM;
    *volume = Load().volume;
    return MMSYSERR_NOERROR;
}

void AudioUpdateFromRegistry(void) {
    DWORD level = kMaxRingVolume, size = sizeof level, type = 0;
    ScopedKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRingCategoryKey, 0, KEY_READ, key.Receive()) == ERROR_SUCCESS) {
        DWORD stored = 0;
        if (RegQueryValueExW(key.Get(), kInitVolValue, nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size) ==
                ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof stored)
            level = stored < kMaxRingVolume ? stored : kMaxRingVolume;
    }
    Update([&](AudioRecord& r) {
        r.ringVolume = level;
        ++r.ringVolumeUpdates;
    });
}

HRESULT Device_SndSetSound(DWORD event, const SNDFILEINFO* setting, BOOL) {
    if (event != SND_EVENT_ALL || !setting || setting->sstType > SND_SOUNDTYPE_DISABLE) return E_INVALIDARG;
    bool ok = Update([&](AudioRecord& r) {
        r.soundType = setting->sstType;
        CopyName(r.soundPath, setting->szPathName);
        CopyName(r.soundName, setting->szDisplayName);
    });
    return ok ? S_OK : E_FAIL;
}

HRESULT Device_SndGetSound(DWORD event, SNDFILEINFO* setting) {
    if (event != SND_EVENT_ALL || !setting) return E_INVALIDARG;
    AudioRecord r = Load();
    if (r.profileUnreadable) return E_FAIL;
    setting->sstType = r.soundType;
    CopyName(setting->szPathName, r.soundPath);
    CopyName(setting->szDisplayName, r.soundName);
    return S_OK;
}

DWORD DeviceControl_GetVolume(void) { return Load().volume; }
DWORD DeviceControl_GetRingVolume(void) { return Load().ringVolume; }
DWORD DeviceControl_GetAudioUpdates(void) { return Load().ringVolumeUpdates; }
DWORD DeviceControl_GetSoundType(void) { return Load().soundType; }

BOOL DeviceControl_SetSoundProfileReadable(BOOL readable) {
    return Update([&](AudioRecord& r) { r.profileUnreadable = !readable; }) ? TRUE : FALSE;
}
