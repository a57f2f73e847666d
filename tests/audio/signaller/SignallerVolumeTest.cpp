// The rising volume of a ring: on the device volume (the system volume, recorded with its
// time in the device's call log) or on the engine's master volume, and the volume floor.
#include <gtest/gtest.h>

#include <algorithm>

#include "DeviceModel.h"
#include "Signaller.h"
#include "SignallerTestSupport.h"
#include "aural.h"

using namespace signallertest;

namespace {

class SignallerVolumeTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE)); }
    HMODULE Module() const { return GetModuleHandleW(nullptr); }
};

// Volume 60 rising over 20 s: 3 % at first, then 60 x t / 20000 (truncated, never below
// the 3 % it started from) at every 250 ms step, 60 % from 20 s on, across the pauses;
// the saved volume comes back.
TEST_F(SignallerVolumeTest, DeviceVolumeRisesOverAscTime) {
    SetDevicePercent(45);
    const DWORD first = CallCount();
    Signaller signaller;
    NotifySink sink;
    ItemSoundSettings settings = FileSound(DeviceSound(L"tone440.wav"), 20, 2);
    settings.volume = 60;
    settings.asctime = 20;
    ASSERT_TRUE(signaller.StartSound(settings, sink.Hwnd(), Module(), true, false));
    sink.Pump(23000);
    signaller.StopSound();
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 2000));

    const std::vector<DEVICE_CALL> volumes = CallsOf(DEVICE_CALL_VOLUME, first);
    // A step every 250 ms for 23 s; a loaded machine stretches the slices.
    ASSERT_GT(volumes.size(), 46u);
    EXPECT_EQ(PercentOf(volumes.front().a), 3) << "the start volume";
    // The rise counts from the first play, which comes after the start volume once the
    // stream is open: up to kOpenMs later on a loaded machine.
    constexpr double kOpenMs = 500, kStepPercent = 60.0 * 250 / 20000;
    const DWORD t0 = volumes.front().tick;
    int reached60 = 0;
    for (size_t i = 1; i + 1 < volumes.size(); ++i) {
        const double t = double(LONG(volumes[i].tick - t0));
        const int percent = PercentOf(volumes[i].a);
        if (t < 20000 + kOpenMs) {
            // Truncated at the step's moment, a few ms before it is recorded.
            EXPECT_GE(percent, 3) << "at " << t << " ms: below the start";
            EXPECT_LE(percent, std::max(3.0, std::min(60.0, 60.0 * t / 20000) + 1)) << "at " << t << " ms";
            EXPECT_GE(percent, std::min(60.0, 60.0 * (t - kOpenMs) / 20000) - kStepPercent - 1) << "at " << t << " ms";
        } else {
            EXPECT_EQ(percent, 60) << "at " << t << " ms";
        }
        reached60 += percent == 60;
    }
    EXPECT_GE(reached60, 1);
    EXPECT_EQ(PercentOf(volumes.back().a), 45) << "the saved volume comes back";
    EXPECT_EQ(DevicePercent(), 45);
}

// With respectsys the user's device volume stands and the master volume rises to the
// item's volume; the recording grows louder.
TEST_F(SignallerVolumeTest, RespectSysRisesOnTheMasterVolume) {
    SetDevicePercent(40);
    const DWORD first = CallCount();
    Signaller signaller;
    NotifySink sink;
    ItemSoundSettings settings = FileSound(DeviceSound(L"tone440.wav"), 5, 1);
    settings.volume = 80;
    settings.asctime = 6;
    settings.respectsys = 1;
    ASSERT_TRUE(signaller.StartSound(settings, sink.Hwnd(), Module(), true, false));
    std::vector<int> master;
    while (sink.Of(kSoundEnded).empty() && master.size() < 800) {
        master.push_back(SoundEngine.sfxMasterVolume);
        sink.Pump(20);
    }
    ASSERT_EQ(sink.Of(kSoundEnded).size(), 1u);
    // Every device volume write is the restoring one, of the volume it found.
    for (const DEVICE_CALL& c : CallsOf(DEVICE_CALL_VOLUME, first)) EXPECT_EQ(PercentOf(c.a), 40);
    ASSERT_FALSE(master.empty());
    EXPECT_LE(master.front(), 3 * 255 / 100 + 3) << "starts at 3 %";
    EXPECT_EQ(*std::max_element(master.begin(), master.end()), 80 * 255 / 100) << "reaches 80 % over 6 s";
    const std::vector<Tone> tones = Recording::Read().Tones(100);
    ASSERT_GE(tones.size(), 3u);
    const Recording recording = Recording::Read();
    EXPECT_GT(recording.RmsIn(tones.back().startMs, tones.back().endMs),
              2 * recording.RmsIn(tones.front().startMs, tones.front().endMs));
}

// A Pocket LOOX keeps 20 % at the bottom of the scale.
TEST_F(SignallerVolumeTest, PocketLooxHasAVolumeFloor) {
    Signaller plain;
    NotifySink sink;
    ASSERT_TRUE(plain.StartSound(FileSound(DeviceSound(L"tone440.wav"), 0, 0), sink.Hwnd(), Module(), true, false));
    EXPECT_EQ(plain.VolumeFloor(), 0);
    // The rings' end steps put the device volume back: the checks below come after them.
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 3000));
    ASSERT_TRUE(DeviceControl_SetOemInfo(L"fujitsu siemens computers Pocket LOOX N560"));
    Signaller loox;
    ASSERT_TRUE(loox.StartSound(FileSound(DeviceSound(L"tone440.wav"), 0, 0), sink.Hwnd(), Module(), true, false));
    EXPECT_EQ(loox.VolumeFloor(), 20);
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 2, 3000));
    Volume_SetPercent(loox, 0);
    EXPECT_EQ(DevicePercent(), 20);
    Volume_SetPercent(loox, 50);
    EXPECT_EQ(DevicePercent(), 60);
    Volume_SetPercentRaw(50);
    EXPECT_EQ(DevicePercent(), 50);
    EXPECT_EQ(Volume_GetPercent(), 50);
}

}  // namespace
