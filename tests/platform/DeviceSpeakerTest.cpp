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

}  // namespace

TEST(DeviceSpeaker, WithoutAHostDeviceTheDeviceOffersItsOwnLoudspeaker) {
    // Read once per process, at the first wave-out call.
    ASSERT_TRUE(SetEnvironmentVariableW(L"ORVALEN_NO_HOST_AUDIO", L"1"));
    HWAVEOUT out = OpenTheDevice(L"Device loudspeaker");
    ASSERT_TRUE(out);
    std::vector<short> second(44100, kLoud);
    WAVEHDR header;
    const DWORD written = DeviceClock_GetTickCount();
    ASSERT_TRUE(Play(out, second, header));
    Sleep(400);
    EXPECT_FALSE(header.dwFlags & WHDR_DONE) << "played faster than the device's clock";
    // Recording from the middle of the play on: the rest of the second is in it, from its start.
    ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
    const DWORD recorded = DeviceClock_GetTickCount();
    ASSERT_TRUE(testsupport::PollUntil(3000, [&] { return (header.dwFlags & WHDR_DONE) != 0; }));
    EXPECT_GE(DeviceClock_GetTickCount() - written, 950u);
    MMTIME position = {TIME_SAMPLES};
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutGetPosition(out, &position, sizeof position));
    EXPECT_EQ(44100u, position.u.sample);
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutUnprepareHeader(out, &header, sizeof header));
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutClose(out));

    wchar_t path[MAX_PATH];
    DWORD startTick = 0;
    std::string bytes;
    ASSERT_TRUE(DeviceControl_GetSpeakerRecording(path, MAX_PATH, &startTick));
    ASSERT_TRUE(testsupport::ReadBytes(path, &bytes));
    size_t loud = 0, firstLoud = bytes.size();
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        short sample;
        memcpy(&sample, &bytes[i], 2);
        if (sample != kLoud) continue;
        ++loud;
        firstLoud = std::min(firstLoud, i / 2);
    }
    const double expectedMs = 1000.0 - (recorded - written);
    EXPECT_NEAR(loud * 1000.0 / DEVICE_SPEAKER_RATE, expectedMs, 60);
    EXPECT_LT(firstLoud * 1000.0 / DEVICE_SPEAKER_RATE, 30) << "the play goes on where the recording begins";
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
    wchar_t path[MAX_PATH];
    std::string bytes;
    ASSERT_TRUE(DeviceControl_GetSpeakerRecording(path, MAX_PATH, nullptr));
    ASSERT_TRUE(testsupport::ReadBytes(path, &bytes));
    bool heard = false;
    for (size_t i = 0; i + 1 < bytes.size() && !heard; i += 2) {
        short sample;
        memcpy(&sample, &bytes[i], 2);
        heard = sample == kLoud;
    }
    EXPECT_TRUE(heard) << "the loudspeaker heard nothing";

    ASSERT_TRUE(DeviceControl_SetWaveOutFailure(DEVICE_WAVEOUT_NOTHING_OPENS));
    EXPECT_EQ(1u, waveOutGetNumDevs());
    EXPECT_EQ(MMSYSERR_ALLOCATED, waveOutOpen(&out, WAVE_MAPPER, &kMono, 0, 0, CALLBACK_NULL));
}
