#pragma once
// The simulated device's audio settings, kept in the device state so they outlive the
// process that set them, as on the handheld: the system volume (wave-out device 0),
// the ring volume the audio layer took from the registry, and the sound profile of
// the shell (soundfile.h). Nothing here changes the host's or Wine's volume.
#include <windows.h>
#include <mmsystem.h>
#include "soundfile.h"

#ifdef __cplusplus
extern "C" {
#endif

// Device 0 (a null handle) is the device's persistent system volume (low word left
// channel, high word right); an open handle is passed on to the host's wave output.
MMRESULT Device_waveOutSetVolume(HWAVEOUT waveOut, DWORD volume);
MMRESULT Device_waveOutGetVolume(HWAVEOUT waveOut, LPDWORD volume);
#define waveOutSetVolume Device_waveOutSetVolume
#define waveOutGetVolume Device_waveOutGetVolume

// Wave output: the host's devices, or the device's own loudspeaker as the one device
// while it records (DeviceSignals.h) and whenever the host lists no wave-out device
// (ORVALEN_NO_HOST_AUDIO set makes the layer see none); it also opens in place of a
// host device that does not (DeviceControl_SetWaveOutFailure). It plays 16-bit PCM without
// callbacks (CALLBACK_NULL), from headers played in turn, a header with
// WHDR_BEGINLOOP | WHDR_ENDLOOP endlessly; its position follows the device's clock, a
// looping header's no further than half a loop past the position last read (a writer that
// fills what has played is never heard twice: the loudspeaker waits for it, silent).
UINT Device_waveOutGetNumDevs(void);
MMRESULT Device_waveOutGetDevCapsW(UINT_PTR device, LPWAVEOUTCAPSW caps, UINT size);
MMRESULT Device_waveOutOpen(LPHWAVEOUT waveOut, UINT device, LPCWAVEFORMATEX format, DWORD_PTR callback,
                            DWORD_PTR instance, DWORD flags);
MMRESULT Device_waveOutClose(HWAVEOUT waveOut);
MMRESULT Device_waveOutPrepareHeader(HWAVEOUT waveOut, LPWAVEHDR header, UINT size);
MMRESULT Device_waveOutUnprepareHeader(HWAVEOUT waveOut, LPWAVEHDR header, UINT size);
MMRESULT Device_waveOutWrite(HWAVEOUT waveOut, LPWAVEHDR header, UINT size);
MMRESULT Device_waveOutReset(HWAVEOUT waveOut);
MMRESULT Device_waveOutGetPosition(HWAVEOUT waveOut, LPMMTIME time, UINT size);
#define waveOutGetNumDevs Device_waveOutGetNumDevs
#define waveOutGetDevCapsW Device_waveOutGetDevCapsW
#define waveOutOpen Device_waveOutOpen
#define waveOutClose Device_waveOutClose
#define waveOutPrepareHeader Device_waveOutPrepareHeader
#define waveOutUnprepareHeader Device_waveOutUnprepareHeader
#define waveOutWrite Device_waveOutWrite
#define waveOutReset Device_waveOutReset
#define waveOutGetPosition Device_waveOutGetPosition

// The audio layer reads its settings from the registry again: the ring volume is
// HKEY_CURRENT_USER "ControlPanel\SoundCategories\Ring" "InitVol" (0..5, cut to that range).
void AudioUpdateFromRegistry(void);

// The shell's sound-profile functions; the stand-in aygshell.dll exports them by
// their own names. Only event 0 (SND_EVENT_ALL) is kept.
HRESULT Device_SndSetSound(DWORD event, const SNDFILEINFO* setting, BOOL suppressUI);
HRESULT Device_SndGetSound(DWORD event, SNDFILEINFO* setting);

// For tests: the system volume as waveOutGetVolume gives it, the ring volume the audio
// layer took (5 until it first read the registry) and how often it read it, and the
// sound type of event 0.
DWORD DeviceControl_GetVolume(void);
DWORD DeviceControl_GetRingVolume(void);
DWORD DeviceControl_GetAudioUpdates(void);
DWORD DeviceControl_GetSoundType(void);
// For tests: a profile that cannot be read makes SndGetSound fail (E_FAIL).
BOOL DeviceControl_SetSoundProfileReadable(BOOL readable);

#ifdef __cplusplus
}
#endif
