// The device's own loudspeaker where the host has no wave-out device, or one that does
// not open: the one device, playing at the pace of the device's clock, and heard by a
// recording that a test starts while it plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "DeviceAudio.h"
#include "DeviceClock.h"
#include "DeviceSignals.h"
#include "TestFiles.h"

namespace {

const WAVEFORMATEX kMono = {WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
constexpr short kLoud = 10000;

// The device's one wave-out device, named `name`, opened for kMono; null when it does not open.
HWAVEOUT OpenTheDevice(const wchar_t* name) {
    EXPECT_EQ(1u, waveOutGetNumDevs());
    WAVEOUTCAPSW caps = {};
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutGetDevCapsW(0, &caps, sizeof caps));
    EXPECT_STREQ(name, caps.szPname);
    HWAVEOUT out = nullptr;
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutOpen(&out, WAVE_MAPPER, &kMono, 0, 0, CALLBACK_NULL));
    return out;
}

// Prepares `samples` in `header` and plays them on `out`.
bool Play(HWAVEOUT out, std::vector<short>& samples, WAVEHDR& header) {
    header = WAVEHDR{};
    header.lpData = reinterpret_cast<LPSTR>(samples.data());
    header.dwBufferLength = DWORD(samples.size() * sizeof(short));
    return waveOutPrepareHeader(out, &header, sizeof header) == MMSYSERR_NOERROR &&
           waveOutWrite(out, &header, sizeof header) == MMSYSERR_NOERROR;
}

// What the loudspeaker recorded, a sample a frame (the recording's rate is the play's);
// empty when there is no recording.
std::vector<short> Heard() {
    wchar_t path[MAX_PATH];
    std::string bytes;
    if (!DeviceControl_GetSpeakerRecording(path, MAX_PATH, nullptr) || !testsupport::ReadBytes(path, &bytes)) return {};
    std::vector<short> heard(bytes.size() / 2);
    memcpy(heard.data(), bytes.data(), heard.size() * 2);
    return heard;
}

}  // namespace

// The loudspeaker plays at the pace of the device's clock, neither faster nor slower: its
// position always lies within the frames of the device's time since the write, as far as
// the ticks read around each query bound it, and the header is done once a second played.
// A recording begun in the middle of the play has the rest of it from its first sample.
TEST(DeviceSpeaker, WithoutAHostDeviceTheDeviceOffersItsOwnLoudspeaker) {
    // Read once per process, at the first wave-out call.
    ASSERT_TRUE(SetEnvironmentVariableW(L"ORVALEN_NO_HOST_AUDIO", L"1"));
    HWAVEOUT out = OpenTheDevice(L"Device loudspeaker");
    ASSERT_TRUE(out);
    std::vector<short> second(44100, kLoud);
    WAVEHDR header;
    const DWORD before = DeviceClock_GetTickCount();
    ASSERT_TRUE(Play(out, second, header));
    const DWORD written = DeviceClock_GetTickCount();
    auto frames = [](LONG ms) { return ms > 0 ? DWORD(ms) * 441 / 10 : DWORD(0); };
    // The position, checked against the device's ticks read around the query (a tick is a
    // whole millisecond: each bound gets one more).
    auto position = [&]() {
        const DWORD from = DeviceClock_GetTickCount();
        MMTIME time = {TIME_SAMPLES};
        EXPECT_EQ(MMSYSERR_NOERROR, waveOutGetPosition(out, &time, sizeof time));
        const bool done = (header.dwFlags & WHDR_DONE) != 0;
        const DWORD to = DeviceClock_GetTickCount();
        EXPECT_GE(time.u.sample, std::min(DWORD(44100), frames(LONG(from - written) - 1))) << "slower than the device's clock";
        EXPECT_LE(time.u.sample, frames(LONG(to - before) + 1)) << "faster than the device's clock";
        if (done) {
            EXPECT_GE(LONG(to - before) + 1, 1000) << "done before its second played";
        }
        if (LONG(from - written) - 1 >= 1000) {
            EXPECT_TRUE(done) << "not done after its second";
        }
        return time.u.sample;
    };
    DWORD recordedFrom = 0, recordedTo = 0;
    ASSERT_TRUE(testsupport::PollUntil(3000, [&] { return position() >= 17640; }));  // 0.4 s
    // Recording from the middle of the play on: the rest of the second is in it.
    recordedFrom = position();
    ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
    recordedTo = position();
    ASSERT_TRUE(testsupport::PollUntil(3000, [&] { return position() == 44100u && (header.dwFlags & WHDR_DONE) != 0; }));
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutUnprepareHeader(out, &header, sizeof header));
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutClose(out));

    const std::vector<short> heard = Heard();
    ASSERT_FALSE(heard.empty());
    size_t loud = 0, firstLoud = heard.size();
    for (size_t i = 0; i < heard.size(); ++i) {
        if (heard[i] != kLoud) continue;
        ++loud;
        firstLoud = std::min(firstLoud, i);
    }
    EXPECT_GE(loud, 44100u - recordedTo - 1);
    EXPECT_LE(loud, 44100u - recordedFrom + 1);
    EXPECT_EQ(0u, firstLoud) << "the play goes on where the recording begins";
}

// A looping buffer whose writer stops asking for the position (a starved mixer) is never
// heard twice: the loudspeaker plays half a loop past the position it gave last, then
// waits, silent, and goes on from there once the writer asks again.
TEST(DeviceSpeaker, ALoopingBuffersLateWriterIsNeverHeardTwice) {
    ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
    ASSERT_EQ(MMSYSERR_NOERROR, waveOutSetVolume(nullptr, 0xFFFFFFFF));
    HWAVEOUT out = OpenTheDevice(L"Device loudspeaker");
    ASSERT_TRUE(out);
    std::vector<short> loop(4410);  // a tenth of a second, each frame its own value
    for (size_t i = 0; i < loop.size(); ++i) loop[i] = short(i + 1);
    WAVEHDR header = {};
    header.lpData = reinterpret_cast<LPSTR>(loop.data());
    header.dwBufferLength = DWORD(loop.size() * sizeof(short));
    header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
    header.dwLoops = 0xFFFFFFFF;
    ASSERT_EQ(MMSYSERR_NOERROR, waveOutPrepareHeader(out, &header, sizeof header));
    ASSERT_EQ(MMSYSERR_NOERROR, waveOutWrite(out, &header, sizeof header));
    auto position = [&] {
        MMTIME time = {TIME_SAMPLES};
        EXPECT_EQ(MMSYSERR_NOERROR, waveOutGetPosition(out, &time, sizeof time));
        return time.u.sample;
    };
    // Half a second of the device's time without a question: half a loop played.
    const DWORD start = DeviceClock_GetTickCount();
    while (DeviceClock_GetTickCount() - start < 500) Sleep(10);
    EXPECT_EQ(2205u, position());
    // Asked all along from now on, it plays on.
    ASSERT_TRUE(testsupport::PollUntil(3000, [&] { return position() >= 2205 + 4410; }));
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutReset(out));
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutUnprepareHeader(out, &header, sizeof header));
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutClose(out));

    const std::vector<short> heard = Heard();
    size_t at = 0;
    while (at < heard.size() && heard[at] == 0) ++at;  // before the play
    for (short value = 1; value <= 2205; ++value, ++at) ASSERT_EQ(value, heard.at(at)) << "frame " << value - 1;
    size_t waited = 0;
    for (; at < heard.size() && heard[at] == 0; ++at) ++waited;
    EXPECT_GT(waited, 44100u * 3 / 10) << "the wait for the writer is silence";
    ASSERT_LT(at, heard.size());
    EXPECT_EQ(2206, heard[at]) << "after the wait the loop goes on where it stopped";
}

// A host device that is listed but does not open: the loudspeaker opens in its place, and
// a recording hears it; when nothing opens (the audio held elsewhere), the open fails.
TEST(DeviceSpeaker, TheLoudspeakerOpensInPlaceOfAHostDeviceThatDoesNot) {
    ASSERT_TRUE(DeviceControl_SetWaveOutFailure(DEVICE_WAVEOUT_HOST_FAILS));
    ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
    HWAVEOUT out = OpenTheDevice(L"Host audio device");
    ASSERT_TRUE(out);
    std::vector<short> tenth(4410, kLoud);
    WAVEHDR header;
    ASSERT_TRUE(Play(out, tenth, header));
    ASSERT_TRUE(testsupport::PollUntil(3000, [&] { return (header.dwFlags & WHDR_DONE) != 0; }));
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutUnprepareHeader(out, &header, sizeof header));
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutClose(out));
    const std::vector<short> heard = Heard();
    EXPECT_NE(heard.end(), std::find(heard.begin(), heard.end(), kLoud)) << "the loudspeaker heard nothing";

    ASSERT_TRUE(DeviceControl_SetWaveOutFailure(DEVICE_WAVEOUT_NOTHING_OPENS));
    EXPECT_EQ(1u, waveOutGetNumDevs());
    EXPECT_EQ(MMSYSERR_ALLOCATED, waveOutOpen(&out, WAVE_MAPPER, &kMono, 0, 0, CALLBACK_NULL));
}
