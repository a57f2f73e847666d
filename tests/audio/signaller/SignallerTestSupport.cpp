#include "SignallerTestSupport.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "DeviceAudio.h"
#include "DeviceClock.h"
#include "ImportHook.h"
#include "Signaller.h"
#include "aural.h"
#include "aural_engine.h"
#include "SignallerFixtures.h"
#include "TestFiles.h"

namespace signallertest {
namespace {
const wchar_t kSinkClass[] = L"SignallerTestSink";
constexpr int kWindowMs = 10;
constexpr double kPi = 3.14159265358979323846;
constexpr int kSamplesPerMs = DEVICE_SPEAKER_RATE / 1000;
// Where the loudspeaker ran dry the recording holds exact zeros: 2 ms of them is no sound's
// own (a tone crosses zero, it does not stay there).
constexpr size_t kDryRun = 2 * kSamplesPerMs;
}  // namespace

NotifySink::NotifySink() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kSinkClass;
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, kSinkClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, this);
}

NotifySink::~NotifySink() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK NotifySink::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<NotifySink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && (message == kSoundEnded || message == kVibrationEnded)) {
        Posted posted{message, wParam, DeviceClock_GetTickCount()};
        self->posted_.push_back(posted);
        if (self->onMessage) self->onMessage(*self, posted);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void NotifySink::Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool NotifySink::WaitFor(UINT message, size_t count, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (Of(message).size() >= count) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::vector<Posted> NotifySink::Of(UINT message) const {
    std::vector<Posted> found;
    for (const Posted& p : posted_)
        if (p.message == message) found.push_back(p);
    return found;
}

bool OnePlayOf(double fileMs, const Tone& tone) {
    return tone.soundingMs > fileMs - kToneShortMs && tone.soundingMs <= fileMs + kToneLongMs;
}

Recording Recording::Read() {
    Recording r;
    wchar_t path[MAX_PATH];
    std::string bytes;
    if (DeviceControl_GetSpeakerRecording(path, MAX_PATH, &r.startTick_) && testsupport::ReadBytes(path, &bytes)) {
        r.samples_.resize(bytes.size() / 2);
        memcpy(r.samples_.data(), bytes.data(), r.samples_.size() * 2);
    }
    return r;
}

std::vector<Tone> Recording::Tones(double level, double bridgeMs) const {
    std::vector<Tone> tones;
    const size_t window = kWindowMs * kSamplesPerMs;
    for (size_t start = 0; start + window <= samples_.size(); start += window) {
        double sum = 0;
        for (size_t i = start; i < start + window; ++i) sum += double(samples_[i]) * samples_[i];
        if (std::sqrt(sum / window) < level) continue;
        const double ms = double(start) / kSamplesPerMs;
        if (!tones.empty() && ms - tones.back().endMs <= bridgeMs)
            tones.back().endMs = ms + kWindowMs;
        else
            tones.push_back(Tone{ms, ms + kWindowMs, 0});
    }
    for (Tone& tone : tones) tone.soundingMs = double(Heard(tone).size()) / kSamplesPerMs;
    return tones;
}

std::vector<short> Recording::Heard(const Tone& tone) const {
    const size_t from = size_t(tone.startMs * kSamplesPerMs);
    const size_t to = std::min(samples_.size(), size_t(tone.endMs * kSamplesPerMs));
    std::vector<short> heard;
    size_t zeros = 0;
    for (size_t i = from; i < to; ++i) {
        if (samples_[i] != 0) {
            if (zeros && zeros < kDryRun) heard.insert(heard.end(), zeros, short(0));
            zeros = 0;
            heard.push_back(samples_[i]);
        } else {
            ++zeros;
        }
    }
    return heard;
}

double Recording::ShareAt(const Tone& tone, double hz) const {
    const std::vector<short> heard = Heard(tone);
    const size_t margin = heard.size() / 10;
    const size_t window = size_t(10 * DEVICE_SPEAKER_RATE / hz + 0.5);
    const double coefficient = 2 * std::cos(2 * kPi * hz / DEVICE_SPEAKER_RATE);
    double power = 0, energy = 0;
    for (size_t from = margin; from + window <= heard.size() - margin; from += window) {
        double s1 = 0, s2 = 0;
        for (size_t i = from; i < from + window; ++i) {
            const double s0 = heard[i] + coefficient * s1 - s2;
            s2 = s1;
            s1 = s0;
            energy += double(heard[i]) * heard[i];
        }
        // A sine of amplitude A gives |X|^2 = (A n / 2)^2 and an energy of A^2 n / 2.
        power += (s1 * s1 + s2 * s2 - coefficient * s1 * s2) * 2 / double(window);
    }
    return energy > 0 ? power / energy : 0;
}

double Recording::RmsIn(double startMs, double endMs) const {
    const size_t from = size_t(startMs * kSamplesPerMs), to = size_t(endMs * kSamplesPerMs);
    double sum = 0;
    size_t n = 0;
    for (size_t i = from; i < to && i < samples_.size(); ++i, ++n) sum += double(samples_[i]) * samples_[i];
    return n ? std::sqrt(sum / n) : 0;
}

std::vector<RingSample> WatchRing(const Signaller& signaller, NotifySink& sink, DWORD timeoutMs) {
    std::vector<RingSample> ring;
    const DWORD start = GetTickCount();
    while (!sink.WaitFor(kSoundEnded, 1, 10) && GetTickCount() - start < timeoutMs) {
        // The engine's channels are read only while the ring's sound is open: the end step
        // closes the engine 250 ms after the sound at the soonest.
        const bool playing = signaller.IsPlaying();
        const bool mixing = playing && SoundEngine.initialised && Aural_CountActiveChannels() > 0;
        ring.push_back(RingSample{DeviceClock_GetTickCount(), playing, mixing});
    }
    return ring;
}

namespace {
constexpr DWORD kLoggedSleepMs = 100;
constexpr size_t kSleepLogSize = 4096;
using SleepFunction = void(WINAPI*)(DWORD);
SleepFunction systemSleep = nullptr;
SleepCall sleepLog[kSleepLogSize];
std::atomic<size_t> sleepsMade{0};

void WINAPI LoggedSleep(DWORD ms) {
    if (ms >= kLoggedSleepMs) {
        const size_t n = sleepsMade.fetch_add(1);
        if (n < kSleepLogSize) sleepLog[n] = SleepCall{GetCurrentThreadId(), ms, DeviceClock_GetTickCount()};
    }
    systemSleep(ms);
}
}  // namespace

void RecordSleeps() {
    if (systemSleep) return;
    systemSleep = reinterpret_cast<SleepFunction>(testsupport::ReplaceImport("Sleep", reinterpret_cast<void*>(LoggedSleep)));
    ASSERT_NE(systemSleep, nullptr) << "the test program imports no Sleep";
}

std::vector<SleepCall> SleepsFrom(size_t first) {
    const size_t made = std::min(sleepsMade.load(), kSleepLogSize);
    std::vector<SleepCall> sleeps;
    for (size_t i = first; i < made; ++i)
        if (sleepLog[i].ms) sleeps.push_back(sleepLog[i]);  // (one written just now may not be filled in yet)
    return sleeps;
}

size_t SleepCount() { return sleepsMade.load(); }

std::vector<Pause> PausesOf(const std::vector<RingSample>& ring) {
    std::vector<Pause> pauses;
    const std::vector<SleepCall> sleeps = SleepsFrom();
    size_t lastMixing = ring.size();
    for (size_t i = 0; i < ring.size(); ++i) {
        if (!ring[i].mixing) continue;
        if (lastMixing < ring.size() && i > lastMixing + 1) {
            const DWORD from = ring[lastMixing].tick, to = ring[i].tick;
            Pause pause{double(ring[i - 1].tick - ring[lastMixing + 1].tick), double(to - from), {}};
            for (const SleepCall& sleep : sleeps)
                if (LONG(sleep.tick - from) >= 0 && LONG(to - sleep.tick) >= 0) pause.sleeps.push_back(sleep);
            pauses.push_back(pause);
        }
        lastMixing = i;
    }
    return pauses;
}

void ExpectPauseOf(int seconds, const Pause& pause) {
    std::vector<DWORD> slices;
    for (const SleepCall& sleep : pause.sleeps) {
        slices.push_back(sleep.ms);
        EXPECT_EQ(sleep.thread, pause.sleeps[0].thread) << "a sleep of another thread in the pause";
    }
    EXPECT_EQ(slices, std::vector<DWORD>(size_t(seconds) * 4, 250)) << "the pause's slices";
    EXPECT_GE(pause.longestMs, seconds * 1000.0 - 1) << "the pause";
}

std::vector<DEVICE_CALL> Calls(DWORD first, DWORD* total) {
    std::vector<DEVICE_CALL> calls(DEVICE_CALL_LOG_SIZE);
    const DWORD made = DeviceControl_GetCalls(first, calls.data(), DWORD(calls.size()));
    const DWORD oldest = made > DEVICE_CALL_LOG_SIZE ? made - DEVICE_CALL_LOG_SIZE : 0;
    const DWORD from = first > oldest ? first : oldest;
    calls.resize(made > from ? made - from : 0);
    if (total) *total = made;
    return calls;
}

std::vector<DEVICE_CALL> CallsOf(DWORD kind, DWORD first) {
    std::vector<DEVICE_CALL> found;
    for (const DEVICE_CALL& c : Calls(first))
        if (c.kind == kind) found.push_back(c);
    return found;
}

DWORD CallCount() { return DeviceControl_GetCalls(0, nullptr, 0); }

int PercentOf(DWORD volume) { return int(((volume & 0xFFFF) * 100 + 0xFFFE) / 0xFFFF); }

void SetDevicePercent(int percent) { waveOutSetVolume(nullptr, DWORD(percent) * 0xFFFF / 100 * 0x10001); }

int DevicePercent() { return PercentOf(DeviceControl_GetVolume()); }

std::wstring DeviceSound(const wchar_t* fixture, const wchar_t* name) {
    const std::wstring devicePath = std::wstring(L"\\Sounds\\") + (name ? name : fixture);
    testsupport::CopyIntoDevice(std::wstring(SignallerFixtures::kDirectory) + fixture, devicePath);
    return devicePath;
}

ItemSoundSettings FileSound(const std::wstring& path, int repeat, int repsplit) {
    ItemSoundSettings s;
    s.builtIn = 0;
    s.custom.SetCStr(path.c_str());
    s.volume = 100;
    s.repeat = uint16_t(repeat);
    s.repsplit = uint16_t(repsplit);
    s.asctime = 0;
    return s;
}

ItemSoundSettings BuiltInSound(int resource, int repeat, int repsplit) {
    ItemSoundSettings s;
    s.customres = resource;
    s.volume = 100;
    s.repeat = uint16_t(repeat);
    s.repsplit = uint16_t(repsplit);
    s.asctime = 0;
    return s;
}

int ThreadCount() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 te = {};
    te.dwSize = sizeof te;
    int count = 0;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snap);
    return count;
}

}  // namespace signallertest
