// "wma" files through the shell's sound player, every sound through it when the device's
// audio does not open, and the shell's sound profile around a ring.
#include <gtest/gtest.h>

#include "DeviceAudio.h"
#include "SharedSoundPlayer.h"
#include "Signaller.h"
#include "SoundPlayer.h"
#include "SignallerTestSupport.h"
#include "TestFiles.h"
#include "TestPaths.h"

using namespace signallertest;

namespace {

class SignallerPlatformSoundTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
        ASSERT_TRUE(DeviceControl_SetSoundPlayMs(500));
    }
    HMODULE Module() const { return GetModuleHandleW(nullptr); }
};

// A name ending in "wma" plays through the player: three plays 1 s apart (each 500 ms
// long, as the device's player is set), playing all along, then closed and one end message.
TEST_F(SignallerPlatformSoundTest, WmaPlaysThroughTheShellsPlayer) {
    EXPECT_TRUE(Sound_HasSndApi());
    const DWORD first = CallCount();
    Signaller signaller;
    NotifySink sink;
    RecordSleeps();
    const size_t slept = SleepCount();
    ASSERT_TRUE(signaller.StartSound(FileSound(DeviceSound(L"tone440.wav", L"ring.wma"), 3, 1), sink.Hwnd(), Module(),
                                     true, false));
    // Playing until the end step stops the player (the stop is recorded before the sound goes).
    int samples = 0, notPlaying = 0;
    const DWORD start = GetTickCount();
    while (!sink.WaitFor(kSoundEnded, 1, 20) && GetTickCount() - start < 40000) {
        const bool playing = signaller.IsPlaying();
        if (!CallsOf(DEVICE_CALL_SND_STOP, first).empty()) continue;
        ++samples;
        notPlaying += !playing;
    }
    ASSERT_EQ(sink.Of(kSoundEnded).size(), 1u);
    EXPECT_EQ(sink.Of(kSoundEnded)[0].wParam, 0u);
    EXPECT_GT(samples, 20);
    EXPECT_EQ(notPlaying, 0);
    EXPECT_EQ(CallsOf(DEVICE_CALL_SND_OPEN, first).size(), 1u);
    const std::vector<DEVICE_CALL> plays = CallsOf(DEVICE_CALL_SND_PLAY, first);
    ASSERT_EQ(plays.size(), 3u);
    // Each play starts once the one before has played (500 ms) and its pause (1 s, its four
    // slices) is over.
    const std::vector<SleepCall> sleeps = SleepsFrom(slept);
    for (size_t i = 1; i < plays.size(); ++i) {
        EXPECT_GE(plays[i].tick - plays[i - 1].tick, 500u + 1000u - 1u) << "play " << i;
        std::vector<DWORD> slices;
        for (const SleepCall& sleep : sleeps)
            if (LONG(sleep.tick - plays[i - 1].tick) >= 0 && LONG(plays[i].tick - sleep.tick) >= 0) slices.push_back(sleep.ms);
        EXPECT_EQ(slices, std::vector<DWORD>(4, 250)) << "the pause before play " << i;
    }
    EXPECT_EQ(CallsOf(DEVICE_CALL_SND_STOP, first).size(), 1u);
    EXPECT_EQ(CallsOf(DEVICE_CALL_SND_CLOSE, first).size(), 1u);
    EXPECT_EQ(DeviceControl_GetOpenSounds(), 0u);
    EXPECT_TRUE(Recording::Read().Tones().empty()) << "the engine stayed silent";
}

// The device's audio does not open at all (held elsewhere): once the sound engine's start
// attempts are over, the shell's player rings the sound, a file as itself and the built-in
// sound from a file written with it, nothing on the loudspeaker.
TEST_F(SignallerPlatformSoundTest, WhenTheAudioDoesNotOpenTheShellsPlayerRings) {
    ASSERT_TRUE(DeviceControl_SetWaveOutFailure(DEVICE_WAVEOUT_NOTHING_OPENS));
    Signaller signaller;
    NotifySink sink;
    DWORD first = CallCount();
    ASSERT_TRUE(signaller.StartSound(BuiltInSound(Signaller::kFallbackResource, 2, 0), sink.Hwnd(), Module(), true,
                                     false));
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 10000));
    ASSERT_EQ(CallsOf(DEVICE_CALL_SND_OPEN, first).size(), 1u);
    EXPECT_EQ(CallsOf(DEVICE_CALL_SND_OPEN, first)[0].result, S_OK);
    EXPECT_EQ(CallsOf(DEVICE_CALL_SND_PLAY, first).size(), 2u);
    HRSRC resource = FindResourceW(Module(), MAKEINTRESOURCEW(Signaller::kFallbackResource), L"WAVE");
    ASSERT_NE(resource, nullptr);
    const std::string sound(static_cast<const char*>(LockResource(LoadResource(Module(), resource))),
                            SizeofResource(Module(), resource));
    std::string written;
    ASSERT_TRUE(testsupport::ReadBytes(testsupport::DevicePath(L"\\Temp\\Orvalen sound 200.wav"), &written));
    EXPECT_TRUE(written == sound) << "the shell's player got another sound";

    first = CallCount();
    ASSERT_TRUE(signaller.StartSound(FileSound(DeviceSound(L"tone440.wav"), 1, 0), sink.Hwnd(), Module(), true, false));
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 2, 10000));
    EXPECT_EQ(CallsOf(DEVICE_CALL_SND_OPEN, first).size(), 1u);
    EXPECT_EQ(CallsOf(DEVICE_CALL_SND_PLAY, first).size(), 1u);
    EXPECT_TRUE(Recording::Read().Tones().empty());
}

// Refused by the shell's player, a WAV named "wma" goes to the sound-file player; once
// that is destroyed (as the recorder dialog does) it is not made again and the engine
// stream takes the file. Upper-case "WMA" goes to the engine at once.
TEST_F(SignallerPlatformSoundTest, RefusedWmaGoesToTheFilePlayerThenTheEngine) {
    Signaller signaller;
    NotifySink sink;
    DWORD first = CallCount();
    ASSERT_TRUE(signaller.StartSound(FileSound(DeviceSound(L"tone440.wav", L"loud.WMA"), 1, 0), sink.Hwnd(), Module(),
                                     true, false));
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 5000));
    EXPECT_TRUE(CallsOf(DEVICE_CALL_SND_OPEN, first).empty());
    EXPECT_EQ(SharedSoundPlayer::Get(), nullptr);
    ASSERT_TRUE(DeviceControl_SetSoundOpenRefused(TRUE));
    first = CallCount();
    ASSERT_TRUE(signaller.StartSound(FileSound(DeviceSound(L"tone440.wav", L"ring.wma"), 1, 0), sink.Hwnd(), Module(),
                                     true, false));
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 2, 5000));
    ASSERT_EQ(CallsOf(DEVICE_CALL_SND_OPEN, first).size(), 1u);
    EXPECT_LT(CallsOf(DEVICE_CALL_SND_OPEN, first)[0].result, 0);
    ASSERT_NE(SharedSoundPlayer::Get(), nullptr);
    EXPECT_TRUE(SharedSoundPlayer::Get()->Info().isWav);
    SharedSoundPlayer::Destroy();
    ASSERT_TRUE(signaller.StartSound(FileSound(DeviceSound(L"tone440.wav", L"ring.wma"), 1, 0), sink.Hwnd(), Module(),
                                     true, false));
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 3, 5000));
    EXPECT_EQ(SharedSoundPlayer::Get(), nullptr);
    EXPECT_EQ(Recording::Read().Tones().size(), 3u);
}

// With respectsys on this route the device volume rises from 3 % of the user's 40 % to
// `volume` percent of it; the 40 % come back.
TEST_F(SignallerPlatformSoundTest, RespectSysRisesOnAShareOfTheDeviceVolume) {
    SetDevicePercent(40);
    const DWORD first = CallCount();
    Signaller signaller;
    NotifySink sink;
    ItemSoundSettings settings = FileSound(DeviceSound(L"tone440.wav", L"ring.wma"), 4, 1);
    settings.respectsys = 1;
    settings.volume = 50;
    settings.asctime = 3;
    ASSERT_TRUE(signaller.StartSound(settings, sink.Hwnd(), Module(), true, false));
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 40000));
    const std::vector<DEVICE_CALL> volumes = CallsOf(DEVICE_CALL_VOLUME, first);
    ASSERT_GE(volumes.size(), 3u);
    EXPECT_EQ(PercentOf(volumes.front().a), 40 * 3 / 100);
    int top = 0;
    for (const DEVICE_CALL& c : volumes) top = std::max(top, PercentOf(c.a));
    EXPECT_EQ(top, 40);
    EXPECT_EQ(PercentOf(volumes[volumes.size() - 2].a), 40 * 50 / 100);
    EXPECT_EQ(PercentOf(volumes.back().a), 40);
}

// On a device with a vibrator the all-events sound is switched on for the ring and put
// back after it; a profile that cannot be read is left exactly as it is.
TEST_F(SignallerPlatformSoundTest, ProfileSoundIsOnForTheRingAndRestored) {
    SNDFILEINFO vibrate = {};
    wcscpy(vibrate.szPathName, L"\\Windows\\alarm.wav");
    vibrate.sstType = SND_SOUNDTYPE_VIBRATE;
    ASSERT_EQ(Device_SndSetSound(SND_EVENT_ALL, &vibrate, TRUE), S_OK);
    Signaller signaller;
    ASSERT_TRUE(signaller.HasVibrator());
    NotifySink sink;
    ASSERT_TRUE(signaller.StartSound(FileSound(DeviceSound(L"tone440.wav"), 1, 0), sink.Hwnd(), Module(), true, false));
    EXPECT_EQ(DeviceControl_GetSoundType(), DWORD(SND_SOUNDTYPE_ON));
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 5000));
    EXPECT_EQ(DeviceControl_GetSoundType(), DWORD(SND_SOUNDTYPE_VIBRATE));
    SNDFILEINFO after = {};
    ASSERT_EQ(Device_SndGetSound(SND_EVENT_ALL, &after), S_OK);
    EXPECT_STREQ(after.szPathName, L"\\Windows\\alarm.wav");

    ASSERT_TRUE(DeviceControl_SetSoundProfileReadable(FALSE));
    ASSERT_TRUE(signaller.StartSound(FileSound(DeviceSound(L"tone440.wav"), 1, 0), sink.Hwnd(), Module(), true, false));
    EXPECT_EQ(DeviceControl_GetSoundType(), DWORD(SND_SOUNDTYPE_VIBRATE)) << "nothing written over an unread setting";
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 2, 5000));
    ASSERT_TRUE(DeviceControl_SetSoundProfileReadable(TRUE));
    ASSERT_EQ(Device_SndGetSound(SND_EVENT_ALL, &after), S_OK);
    EXPECT_EQ(after.sstType, DWORD(SND_SOUNDTYPE_VIBRATE));
    EXPECT_STREQ(after.szPathName, L"\\Windows\\alarm.wav");
}

}  // namespace
