// The ring sound as the device's loudspeaker hears it: files of each format, repeats and
// pauses, the end message, stopping, and the built-in sound in place of a missing one.
#include <gtest/gtest.h>

#include <string>

#include "DeviceClock.h"
#include "Signaller.h"
#include "SignallerTestSupport.h"

using namespace signallertest;

namespace {
constexpr double kToneMs = 500;
constexpr double kWindowMs = 10;

class SignallerSoundTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE)); }
    HMODULE Module() const { return GetModuleHandleW(nullptr); }
};

class SignallerFormatTest : public SignallerSoundTest, public testing::WithParamInterface<const wchar_t*> {};

// Plays 3 times with 1 s pauses: three whole 440 Hz tones of the file's length in the
// recording, at least 1 s apart, with pauses of a second between the plays, then one end
// message with wParam 0; playing all along.
TEST_P(SignallerFormatTest, RingsTheToneRepeatTimesWithPauses) {
    const std::wstring file = DeviceSound(GetParam());
    Signaller signaller;
    NotifySink sink;
    RecordSleeps();
    ASSERT_TRUE(signaller.StartSound(FileSound(file, 3, 1), sink.Hwnd(), Module(), true, false));
    const std::vector<RingSample> ring = WatchRing(signaller, sink, 30000);
    ASSERT_EQ(sink.Of(kSoundEnded).size(), 1u);
    EXPECT_EQ(sink.Of(kSoundEnded)[0].wParam, 0u);
    sink.Pump(500);
    EXPECT_EQ(sink.Of(kSoundEnded).size(), 1u) << "one end message only";

    const Recording recording = Recording::Read();
    const std::vector<Tone> tones = recording.Tones();
    ASSERT_EQ(tones.size(), 3u);
    for (size_t i = 0; i < tones.size(); ++i) {
        EXPECT_TRUE(OnePlayOf(kToneMs, tones[i])) << "tone " << i << ": " << tones[i].soundingMs << " ms";
        EXPECT_GT(recording.ShareAt(tones[i], 440), 0.8) << "tone " << i;
        if (i > 0) {
            EXPECT_GE(tones[i].startMs - tones[i - 1].endMs, 1000 - kWindowMs) << "silence before tone " << i;
        }
    }
    const std::vector<Pause> pauses = PausesOf(ring);
    ASSERT_EQ(pauses.size(), 2u);
    for (const Pause& pause : pauses) ExpectPauseOf(1, pause);
    // The whole ring plays, pauses included, until the last tone has been heard (within
    // the recording's 10 ms windows).
    size_t checked = 0;
    for (const RingSample& sample : ring)
        if (recording.MsAt(sample.tick) < tones.back().endMs - 20) {
            EXPECT_TRUE(sample.playing) << "not playing at " << recording.MsAt(sample.tick) << " ms";
            ++checked;
        }
    EXPECT_GT(checked, 50u);
    EXPECT_FALSE(signaller.IsPlaying());
}

INSTANTIATE_TEST_SUITE_P(Formats, SignallerFormatTest, testing::Values(L"tone440.wav", L"tone440.mp3", L"tone440.ogg"));

}  // namespace

namespace {

// A stop in the pause between plays ends the ring within a slice and the end step; the
// end message says it was stopped, and the device volume is back.
TEST_F(SignallerSoundTest, StopInThePauseEndsTheRingAndSaysSo) {
    SetDevicePercent(45);
    Signaller signaller;
    NotifySink sink;
    ASSERT_TRUE(signaller.StartSound(FileSound(DeviceSound(L"tone440.wav"), 20, 10), sink.Hwnd(), Module(), true, false));
    sink.Pump(1200);  // the first play is over, the pause of 10 s has begun
    const DWORD stopAt = GetTickCount();
    signaller.StopSound();
    const DWORD stopMs = GetTickCount() - stopAt;
    EXPECT_LT(stopMs, 5000u) << "a slice (250 ms) and the end step (250 ms), not the rest of the pause (8 s or more)";
    EXPECT_FALSE(signaller.IsPlaying());
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 2000));
    EXPECT_EQ(sink.Of(kSoundEnded)[0].wParam, 1u);
    EXPECT_EQ(DevicePercent(), 45);
    EXPECT_EQ(Recording::Read().Tones().size(), 1u);
}

// A file that is not there when the ring starts rings the built-in sound with the item's
// own repeat and volume.
TEST_F(SignallerSoundTest, MissingFileRingsTheBuiltInSound) {
    Signaller signaller;
    NotifySink sink;
    ItemSoundSettings settings = FileSound(L"\\Sounds\\gone.wav", 1, 0);
    settings.volume = 70;
    RecordSleeps();
    const size_t slept = SleepCount();
    const DWORD started = DeviceClock_GetTickCount();
    ASSERT_TRUE(signaller.StartSound(settings, sink.Hwnd(), Module(), true, false));
    EXPECT_GE(DeviceClock_GetTickCount() - started, 19u * 100u - 1u) << "2 s of looking for the file first";
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 20000)) << "then one play";
    std::vector<DWORD> sleeps;
    for (const SleepCall& sleep : SleepsFrom(slept)) sleeps.push_back(sleep.ms);
    std::vector<DWORD> looksThenEnd(19, 100);
    looksThenEnd.push_back(250);
    EXPECT_EQ(sleeps, looksThenEnd) << "20 looks 100 ms apart, the play, its end step";
    EXPECT_EQ(signaller.CurrentSoundSettings().builtIn, 1);
    EXPECT_EQ(signaller.CurrentSoundSettings().customres, Signaller::kFallbackResource);
    EXPECT_EQ(signaller.CurrentSoundSettings().repeat, 1);
    EXPECT_EQ(signaller.CurrentSoundSettings().volume, 70);
    const Recording recording = Recording::Read();
    const std::vector<Tone> tones = recording.Tones();
    ASSERT_EQ(tones.size(), 1u);
    EXPECT_TRUE(OnePlayOf(800, tones[0])) << tones[0].soundingMs << " ms";
    EXPECT_GT(recording.ShareAt(tones[0], 880), 0.3) << "the built-in ring's 880 Hz";
    EXPECT_LT(recording.ShareAt(tones[0], 440), 0.05);
}

// A built-in sound the program lacks rings the default one at least 10 times, 10 points louder.
TEST_F(SignallerSoundTest, MissingResourceRingsTheDefaultTenTimesLouder) {
    Signaller signaller;
    NotifySink sink;
    ItemSoundSettings settings = BuiltInSound(299, 1, 0);
    settings.volume = 50;
    RecordSleeps();
    const size_t slept = SleepCount();
    ASSERT_TRUE(signaller.StartSound(settings, sink.Hwnd(), Module(), true, false));
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 60000));
    EXPECT_EQ(signaller.CurrentSoundSettings().repeat, 10);
    EXPECT_EQ(signaller.CurrentSoundSettings().volume, 60);
    double sounding = 0;
    // Loud stretches unbridged: the short gaps between plays stay out.
    for (const Tone& tone : Recording::Read().Tones(500, 0)) sounding += tone.soundingMs;
    EXPECT_GT(sounding, 10 * (800 - kToneShortMs)) << "ten plays of the 0.8 s ring";
    EXPECT_LE(sounding, 10 * (800 + kToneLongMs)) << "ten plays of the 0.8 s ring";
    // Without pauses: the ring's thread slept only its end step, no slice between two plays.
    std::vector<DWORD> sleeps;
    for (const SleepCall& sleep : SleepsFrom(slept)) sleeps.push_back(sleep.ms);
    EXPECT_EQ(sleeps, std::vector<DWORD>{250}) << "the end step's sleep alone";
}

// The caller may forbid the fallback: then nothing rings.
TEST_F(SignallerSoundTest, ForbiddenFallbackRingsNothing) {
    Signaller signaller;
    NotifySink sink;
    EXPECT_FALSE(signaller.StartSound(BuiltInSound(299, 1, 0), sink.Hwnd(), Module(), true, true));
    sink.Pump(600);
    EXPECT_TRUE(sink.Of(kSoundEnded).empty());
}

// An empty or damaged file exists, so no fallback: nothing plays, nothing is posted, the
// device volume is as before.
TEST_F(SignallerSoundTest, EmptyOrDamagedFileFailsTheStart) {
    Signaller signaller;
    NotifySink sink;
    for (const wchar_t* file : {L"empty.wav", L"damaged.mp3"}) {
        SetDevicePercent(35);
        ItemSoundSettings settings = FileSound(DeviceSound(file), 3, 1);
        settings.asctime = 20;
        const DWORD started = GetTickCount();
        EXPECT_FALSE(signaller.StartSound(settings, sink.Hwnd(), Module(), true, false)) << file;
        EXPECT_LT(GetTickCount() - started, 3000u) << file;
        EXPECT_FALSE(signaller.IsPlaying());
        EXPECT_EQ(DevicePercent(), 35) << file;
    }
    sink.Pump(600);
    EXPECT_TRUE(sink.Of(kSoundEnded).empty());
    EXPECT_TRUE(Recording::Read().Tones().empty());
}

// A folder rings one of its sound files, picked by the tick count.
TEST_F(SignallerSoundTest, FolderRingsOneOfItsFiles) {
    const std::wstring wav = DeviceSound(L"tone440.wav", L"a.wav");
    const std::wstring mp3 = DeviceSound(L"tone440.mp3", L"b.mp3");
    DeviceSound(L"damaged.mp3", L"notes.txt");
    Signaller signaller;
    NotifySink sink;
    ASSERT_TRUE(signaller.StartSound(FileSound(L"\\Sounds", 1, 0), sink.Hwnd(), Module(), true, false));
    const std::wstring picked = signaller.CurrentSoundSettings().custom.CStr();
    EXPECT_TRUE(picked == wav || picked == mp3) << std::string(picked.begin(), picked.end());
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 5000));
    const Recording recording = Recording::Read();
    ASSERT_EQ(recording.Tones().size(), 1u);
    EXPECT_GT(recording.ShareAt(recording.Tones()[0], 440), 0.6);
}

// Repeat 0 plays nothing, yet ends like a ring: volume back, end message with wParam 0.
TEST_F(SignallerSoundTest, RepeatZeroPlaysNothingButEnds) {
    SetDevicePercent(55);
    Signaller signaller;
    NotifySink sink;
    ASSERT_TRUE(signaller.StartSound(FileSound(DeviceSound(L"tone440.wav"), 0, 2), sink.Hwnd(), Module(), true, false));
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 3000));
    EXPECT_EQ(sink.Of(kSoundEnded)[0].wParam, 0u);
    EXPECT_EQ(DevicePercent(), 55);
    EXPECT_TRUE(Recording::Read().Tones().empty());
}

}  // namespace
