// "wma" files that the shell's sound player refuses, through the program's sound-file player.
#include <gtest/gtest.h>

#include <memory>

#include "AudioCodec.h"
#include "CodecFactoryTable.h"
#include "DeviceAudio.h"
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

}  // namespace

// Two plays of a 440 Hz WMA tone (ffmpeg's), each heard whole, playing all along, one end message.
TEST_F(SignallerPlayerTest, WmaRingsThroughTheSoundFilePlayer) {
    const std::wstring path = DeviceSound(L"tone440.wma", L"ring.wma");
    if (!DeviceDecodesWma(path)) GTEST_SKIP() << "the device's WMA decoder takes no WMA stream here (see the README)";
    Signaller signaller;
    NotifySink sink;
    ASSERT_TRUE(signaller.StartSound(FileSound(path, 2, 1), sink.Hwnd(), Module(), true, false));
    ASSERT_NE(SharedSoundPlayer::Get(), nullptr);
    EXPECT_TRUE(SharedSoundPlayer::Get()->Info().isWma);
    bool sawPlaying = false;
    const DWORD start = GetTickCount();
    while (!sink.WaitFor(kSoundEnded, 1, 20) && GetTickCount() - start < 40000) sawPlaying |= signaller.IsPlaying();
    ASSERT_EQ(sink.Of(kSoundEnded).size(), 1u);
    EXPECT_EQ(sink.Of(kSoundEnded)[0].wParam, 0u);
    EXPECT_TRUE(sawPlaying);
    const Recording recording = Recording::Read();
    const std::vector<Tone> tones = recording.Tones();
    ASSERT_EQ(tones.size(), 2u);
    for (const Tone& tone : tones) {
        EXPECT_NEAR(tone.Length(), 500, 150);
        EXPECT_GT(recording.ShareAt(tone, 440), 0.9);
    }
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
