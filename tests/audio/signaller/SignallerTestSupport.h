#pragma once
// What the signaller tests share: a window that takes the signaller's messages, the
// device's loudspeaker recording cut into tones, the device's call log, and the sounds
// made at build time, copied into the device.
#include <windows.h>

#include <string>
#include <vector>

#include "DeviceSignals.h"
#include "ItemSoundSettings.h"
#include "ItemVibrationSettings.h"

class Signaller;

namespace signallertest {

// The messages ring windows get, by their numbers.
constexpr UINT kSoundEnded = 1036;
constexpr UINT kVibrationEnded = 1037;

// A message the signaller posted, with the device tick count when it was taken.
struct Posted {
    UINT message;
    WPARAM wParam;
    DWORD tick;
};

// A hidden window on the test thread that records 1036 and 1037 (and lets a test act on them).
class NotifySink {
public:
    NotifySink();
    ~NotifySink();
    HWND Hwnd() const { return hwnd_; }
    // Pumps the thread's messages until `count` messages of `message` have come; false
    // when the time ran out first.
    bool WaitFor(UINT message, size_t count, DWORD timeoutMs);
    // Pumps for `ms`.
    void Pump(DWORD ms);
    std::vector<Posted> Of(UINT message) const;
    // Called on every recorded message, on the test thread.
    void (*onMessage)(NotifySink& sink, const Posted& posted) = nullptr;
    void* context = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
    std::vector<Posted> posted_;
};

// A stretch of sound in the loudspeaker recording, in ms since the recording began.
struct Tone {
    double startMs, endMs;
    // How much of it played: its length less the silence where the loudspeaker ran dry.
    // A busy machine starves the mixer now and then: the loudspeaker then waits for it,
    // silent, and what it wrote plays after the gap, so nothing of the sound is lost or
    // heard twice.
    double soundingMs;
    double Length() const { return endMs - startMs; }
};

// The loudspeaker plays what the mixer wrote once, whole: a sound of `fileMs` sounds for its
// length, less what of an encoder's lead-in and tail is quieter than the recording's
// threshold, and more by at most an MPEG frame's padding (26 ms) and the recording's 10 ms
// windows at either end.
constexpr double kToneShortMs = 50;
constexpr double kToneLongMs = 26 + 2 * 10;
bool OnePlayOf(double fileMs, const Tone& tone);

// The loudspeaker's recording (16-bit mono at DEVICE_SPEAKER_RATE).
class Recording {
public:
    // Reads what the loudspeaker recorded so far.
    static Recording Read();
    // Stretches louder than `level` (RMS of 10 ms windows), gaps under `bridgeMs` bridged
    // (a loaded machine may starve the mixer for a moment).
    std::vector<Tone> Tones(double level = 500, double bridgeMs = 300) const;
    // The share (0..1) of a stretch's power at `hz`: Goertzel over windows of ten periods
    // across the middle 80 % of what played of it (an encoder's low-level lead-in and the
    // edges stay out, and a jump across a wait for a starved mixer spoils only the window
    // it falls in).
    double ShareAt(const Tone& tone, double hz) const;
    // RMS over a stretch.
    double RmsIn(double startMs, double endMs) const;
    // Milliseconds of recording the device tick `tick` stands for.
    double MsAt(DWORD tick) const { return double(LONG(tick - startTick_)); }

private:
    // The samples of a stretch without the loudspeaker's dry gaps.
    std::vector<short> Heard(const Tone& tone) const;

    std::vector<short> samples_;
    DWORD startTick_ = 0;
};

// A ring as the test thread saw it while it pumped: when (the device tick), whether the
// signaller said it played, and whether the sound engine mixed a channel (a play, until
// the stream's end came through its drain).
struct RingSample {
    DWORD tick;
    bool playing;
    bool mixing;
};
// Pumps until the end message came or `timeoutMs` passed, sampling the ring.
std::vector<RingSample> WatchRing(const Signaller& signaller, NotifySink& sink, DWORD timeoutMs);

// A sleep of at least 100 ms that a thread of the test program asked for (the signaller's
// slices, its looks for a file and its end step; the sound engine's own sleeps are
// shorter), with the device tick count when it began. What a sleep asked for is what the
// program did, however late a busy machine woke it.
struct SleepCall {
    DWORD thread;
    DWORD ms;
    DWORD tick;
};
// From the first call on, every such sleep is written down.
void RecordSleeps();
// The sleeps from number `first` on, and how many there were so far.
std::vector<SleepCall> SleepsFrom(size_t first = 0);
size_t SleepCount();

// A pause between two plays: the stretch in which no channel was mixed, at least and at
// most as long as the samples show, and the sleeps begun in it.
struct Pause {
    double shortestMs, longestMs;
    std::vector<SleepCall> sleeps;
};
// The pauses of a ring watched with the sleeps recorded (RecordSleeps before its start).
std::vector<Pause> PausesOf(const std::vector<RingSample>& ring);
// A pause of `seconds`: its four slices of 250 ms a second, on one thread, and at least
// that long by the device's clock.
void ExpectPauseOf(int seconds, const Pause& pause);

// The device's calls from number `first` on, and how many there were ever.
std::vector<DEVICE_CALL> Calls(DWORD first = 0, DWORD* total = nullptr);
std::vector<DEVICE_CALL> CallsOf(DWORD kind, DWORD first = 0);
DWORD CallCount();
// Percent of a system volume as the signaller reads it (left channel, rounded up).
int PercentOf(DWORD volume);
void SetDevicePercent(int percent);
int DevicePercent();

// A sound made at build time, copied into the device's "\Sounds" folder under `name`
// (default: its own name); the device path.
std::wstring DeviceSound(const wchar_t* fixture, const wchar_t* name = nullptr);

// Settings that ring a file at full volume without a rise.
ItemSoundSettings FileSound(const std::wstring& path, int repeat, int repsplit);
ItemSoundSettings BuiltInSound(int resource, int repeat, int repsplit);

// Threads of this process.
int ThreadCount();

}  // namespace signallertest
