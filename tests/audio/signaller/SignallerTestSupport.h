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
    // A busy machine starves the mixer now and then: what it had not written yet plays
    // after such a gap, or after its looping buffer played an older part once more, so
    // nothing of the sound is lost, but a tone may sound longer than its file.
    double soundingMs;
    double Length() const { return endMs - startMs; }
};

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
    // edges stay out, and a jump where a starved mixer's buffer played again spoils only
    // the window it falls in).
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
