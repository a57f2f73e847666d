// "wma" files that the shell's sound player refuses, through the program's sound-file player.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "AudioCodec.h"
#include "CodecFactoryTable.h"
#include "DeviceAudio.h"
#include "DeviceClock.h"
#include "DeviceWmaDecoder.h"
#include "SharedSoundPlayer.h"
#include "Signaller.h"
#include "SignallerTestSupport.h"
#include "SoundPlayer.h"
#include "TestPrograms.h"

using namespace signallertest;

namespace {

class SignallerPlayerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
        ASSERT_TRUE(DeviceControl_SetSoundOpenRefused(TRUE));
    }
    HMODULE Module() const { return GetModuleHandleW(nullptr); }
};

bool DeviceDecodesWma(const std::wstring& path) {
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(CodecFactoryTable::kWma));
    codec->SetFileName(path.c_str());
    return codec->OpenRead() == AudioCodec::kOk;
}

// Rings `path` twice with a pause of a second between, through the player as a WMA file
// or not: each play heard whole, once, a pause of its four slices between them, one end
// message, and the ring playing all along, the pause included.
void RingsTwiceAndPlaysThroughThePause(const std::wstring& path, bool wma) {
    Signaller signaller;
    NotifySink sink;
    RecordSleeps();
    ASSERT_TRUE(signaller.StartSound(FileSound(path, 2, 1), sink.Hwnd(), GetModuleHandleW(nullptr), true, false));
    ASSERT_NE(SharedSoundPlayer::Get(), nullptr);
    EXPECT_EQ(wma, SharedSoundPlayer::Get()->Info().isWma);
    const std::vector<RingSample> ring = WatchRing(signaller, sink, 40000);
    ASSERT_EQ(sink.Of(kSoundEnded).size(), 1u);
    EXPECT_EQ(sink.Of(kSoundEnded)[0].wParam, 0u);
    const Recording recording = Recording::Read();
    const std::vector<Tone> tones = recording.Tones();
    ASSERT_EQ(tones.size(), 2u);
    for (const Tone& tone : tones) {
        // The file's 0.5 s, less the player's fades.
        EXPECT_TRUE(OnePlayOf(500, tone)) << tone.soundingMs << " ms";
        EXPECT_GT(recording.ShareAt(tone, 440), 0.8);
    }
    EXPECT_GE(tones[1].startMs - tones[0].endMs, 1000 - 10) << "the silence between the plays";
    const std::vector<Pause> pauses = PausesOf(ring);
    ASSERT_EQ(pauses.size(), 1u);
    ExpectPauseOf(1, pauses[0]);
    size_t inPause = 0;
    for (const RingSample& sample : ring) {
        const double at = recording.MsAt(sample.tick);
        if (at >= tones.back().endMs - 20) continue;
        EXPECT_TRUE(sample.playing) << "not playing at " << at << " ms";
        inPause += at > tones.front().endMs + 100 && at < tones.back().startMs - 100;
    }
    EXPECT_GT(inPause, 10u) << "samples in the pause";
    EXPECT_FALSE(signaller.IsPlaying());
}

}  // namespace

// A 440 Hz WMA tone (ffmpeg's), through the device's decoder.
TEST_F(SignallerPlayerTest, WmaRingsThroughTheSoundFilePlayer) {
    const std::wstring path = DeviceSound(L"tone440.wma", L"ring.wma");
    if (!DeviceDecodesWma(path)) GTEST_SKIP() << "the device's WMA decoder takes no WMA stream here (see the README)";
    RingsTwiceAndPlaysThroughThePause(path, true);
}

// The player takes a file by its content: a WAV tone under a "wma" name rings through it too.
TEST_F(SignallerPlayerTest, AWavUnderAWmaNameRingsThroughThePlayer) {
    RingsTwiceAndPlaysThroughThePause(DeviceSound(L"tone440.wav", L"ring.wma"), false);
}

// Without the decoder library the player refuses the file and the engine cannot read it:
// nothing rings and the caller hears so at once.
TEST_F(SignallerPlayerTest, WithoutTheDecoderAWmaRingFailsCleanly) {
    ASSERT_TRUE(testsupport::RemoveDeviceLibrary(WMADECODER_LIBRARY));
    Signaller signaller;
    NotifySink sink;
    EXPECT_FALSE(signaller.StartSound(FileSound(DeviceSound(L"tone440.wma", L"ring.wma"), 1, 0), sink.Hwnd(), Module(),
                                      true, false));
    ASSERT_NE(SharedSoundPlayer::Get(), nullptr);
    EXPECT_EQ(SoundPlayer::kNone, SharedSoundPlayer::Get()->GetState());
    sink.Pump(500);
    EXPECT_TRUE(sink.Of(kSoundEnded).empty());
    EXPECT_TRUE(Recording::Read().Tones().empty());
}
