#pragma once
// The simulated device's signalling hardware, as tests drive and watch it: the
// notification LEDs and the vibrator (nled.h, vibrate.h), the shell's sound player
// (soundfile.h), the device power of the backlight and the audio codec (pm.h) and the
// loudspeaker (wave-out device). Every call of those functions, and every change of the
// system volume, is recorded with the device tick count (DeviceClock_GetTickCount) when
// it was made, in a log kept in the device state: tests see what a program did and when,
// from any process of the device.
#include <windows.h>

#include "nled.h"
#include "soundfile.h"
#include "vibrate.h"

// Kinds of recorded calls, with what `a` and `b` hold.
enum DeviceCallKind {
    DEVICE_CALL_VIBRATE = 1,          // a: note count, b: repeat; result: the HRESULT
    DEVICE_CALL_VIBRATE_STOP = 2,
    DEVICE_CALL_LED = 3,              // a: LED number, b: state (0 off, 1 on, 2 blink); result: the BOOL
    DEVICE_CALL_SND_OPEN = 4,         // result: the HRESULT
    DEVICE_CALL_SND_PLAY = 5,
    DEVICE_CALL_SND_STOP = 6,         // a: scope
    DEVICE_CALL_SND_CLOSE = 7,
    DEVICE_CALL_REQUIREMENT = 8,      // device; a: device state; result: the requirement's number (0: refused)
    DEVICE_CALL_RELEASE = 9,          // device; a: the requirement's number; result: the error code
    DEVICE_CALL_DEVICE_POWER = 10,    // device; a: device state (-1: back to the power manager), b: flags
    DEVICE_CALL_VOLUME = 11,          // a: the system volume (low word left, high word right)
    DEVICE_CALL_POWER_NOTIFY = 12,    // device; a: device state, b: flags
};

typedef struct DeviceCall {
    DWORD tick;           // device tick count of the call
    DWORD kind;           // DeviceCallKind
    LONG a, b;
    LONG result;
    DWORD processId;
    wchar_t device[8];    // "BKL1:" ...; empty when the call names none
} DEVICE_CALL;
static_assert(sizeof(DEVICE_CALL) == 40, "call log entry is stored");

// Entries the log keeps; older ones are overwritten.
#define DEVICE_CALL_LOG_SIZE 512

// The device's LEDs unless a test sets others: LED 0 the notification LED, LED 1 the vibrator.
#define DEVICE_DEFAULT_LED_COUNT 2
// Longest list of LEDs a test may set.
#define DEVICE_MAX_LEDS 16
// How long the shell's sound player plays a sound unless a test sets another time.
#define DEVICE_DEFAULT_SOUND_PLAY_MS 2000

#ifdef __cplusplus
extern "C" {
#endif

// What the stand-in libraries export under the handheld's names (standins/*.def).
HRESULT Device_Vibrate(DWORD noteCount, const VIBRATENOTE* notes, BOOL repeat, DWORD timeout);
HRESULT Device_VibrateStop(void);
BOOL Device_NLedGetDeviceInfo(UINT infoId, void* output);
BOOL Device_NLedSetDevice(UINT infoId, void* input);
HRESULT Device_SndOpen(const wchar_t* file, HSOUND* sound);
HRESULT Device_SndPlayAsync(HSOUND sound, DWORD flags);
HRESULT Device_SndGetWaitHandle(HSOUND sound, HANDLE* event);
HRESULT Device_SndStop(DWORD scope, HSOUND sound);
HRESULT Device_SndClose(HSOUND sound);

// Copies up to `max` calls, oldest first, starting at call number `first` (0 = the
// first ever made; numbers go on counting past the log's size); returns how many calls
// were ever made. Calls overwritten in the log are skipped.
DWORD DeviceControl_GetCalls(DWORD first, DEVICE_CALL* calls, DWORD max);

// LEDs: their cycle adjusts by number (NLED_VIBRATOR_CYCLE_ADJUST marks a vibrator);
// count 0 is a device without LEDs. The current state of each (0 off, 1 on, 2 blink),
// -1 for a number the device lacks.
BOOL DeviceControl_SetLeds(DWORD count, const LONG* cycleAdjusts);
LONG DeviceControl_GetLedState(DWORD led);
// Whether the shell's Vibrate answers (a device without the vibrate function fails it),
// and whether the vibrator runs now through it.
BOOL DeviceControl_SetVibrateWorks(BOOL works);
BOOL DeviceControl_IsVibrating(void);

// The shell's sound player: how long one play lasts, and whether SndOpen refuses every file.
BOOL DeviceControl_SetSoundPlayMs(DWORD ms);
BOOL DeviceControl_SetSoundOpenRefused(BOOL refused);
// Sounds of the player that are open (of every process of the device).
DWORD DeviceControl_GetOpenSounds(void);

// Device power: the state a named device was last forced into (-1: left to the power
// manager), and the power requirements held on it (name null: on every device).
LONG DeviceControl_GetDevicePower(const wchar_t* device);
DWORD DeviceControl_GetPowerRequirements(const wchar_t* device);
// Lists a device under PM_DEVICE_STATE_KEY, as the power manager lists the devices it
// manages (names of up to 95 characters; the call log keeps their first 7).
BOOL DeviceControl_AddPowerDevice(const wchar_t* device);

// The loudspeaker. While recording, programs of the device that open a wave-out device
// play into the device's loudspeaker instead of the host's: it takes the data at the pace
// of the clock and writes what it plays, scaled by the system volume, as 16-bit mono
// samples at DEVICE_SPEAKER_RATE into a file of the device state, whose sample n sounds
// n / DEVICE_SPEAKER_RATE seconds after recording began; silence between plays, and
// while it waits for the writer of a looping buffer (DeviceAudio.h), is zeros. Turning it on starts an empty recording; off keeps the file. The host path of
// the file and the device tick count when the recording began.
#define DEVICE_SPEAKER_RATE 44100
BOOL DeviceControl_RecordSpeaker(BOOL on);
BOOL DeviceControl_GetSpeakerRecording(wchar_t* path, DWORD cch, DWORD* startTick);

// How the device's wave output fails to open, for tests. With DEVICE_WAVEOUT_HOST_FAILS
// the device lists one host device that never opens (as one held by another program),
// whether or not it records, and the loudspeaker takes its place, as it takes the place
// of every host device that does not open; with DEVICE_WAVEOUT_NOTHING_OPENS that device
// is listed and no open succeeds (the device's audio held elsewhere).
#define DEVICE_WAVEOUT_OPENS 0
#define DEVICE_WAVEOUT_HOST_FAILS 1
#define DEVICE_WAVEOUT_NOTHING_OPENS 2
BOOL DeviceControl_SetWaveOutFailure(DWORD failure);
// The loudspeaker's output goes away at device tick count `fromTick`, as a device's audio
// may in the middle of a sound: from then on what it had queued stops playing (its headers
// are done, its position stands where the sound stopped) and every write to it fails,
// while opening it still succeeds. off ends the mode.
BOOL DeviceControl_FailSpeakerWrites(BOOL on, DWORD fromTick);

#ifdef __cplusplus
}
#endif
