// The loudspeaker goes away in the middle of a ring: the shell's player rings the rest of
// it, or, where it refuses, the ring keeps its time silently and its window hears so; a
// loudspeaker that takes no write at all hands the ring to the shell's player at once.
#include <gtest/gtest.h>

#include "DeviceClock.h"
#include "Signaller.h"
#include "SignallerTestSupport.h"

using namespace signallertest;

namespace {
constexpr DWORD kGoneAfterMs = 2000;
// The built-in 0.8 s sound four times, a second apart: 6.2 s.
constexpr int kPlays = 4;
constexpr DWORD kPlayMs = 800;
constexpr DWORD kRingMs = kPlays * kPlayMs + (kPlays - 1) * 1000;
// What the loudspeaker records of a play it heard whole, less an encoder's quiet edges.
constexpr double kWholePlayMs = kPlayMs - 50;

class SignallerOutputLossTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
        ASSERT_TRUE(DeviceControl_SetSoundPlayMs(kPlayMs));
    }
    DWORD Ring(Signaller& signaller, NotifySink& sink) {
        return signaller.BeginSound(BuiltInSound(Signaller::kFallbackResource, kPlays, 1), sink.Hwnd(),
                                    GetModuleHandleW(nullptr), true, false);
    }
    // Whether the signaller said it plays, sampled until the end message.
    std::vector<std::pair<DWORD, bool>> Follow(Signaller& signaller, NotifySink& sink) {
        std::vector<std::pair<DWORD, bool>> playing;
        const DWORD began = GetTickCount();
        while (!Ended(sink) && GetTickCount() - began < 40000) {
            playing.emplace_back(DeviceClock_GetTickCount(), signaller.IsPlaying());
            sink.Pump(20);
        }
        return playing;
    }
    static bool Ended(const NotifySink& sink) {
        for (const Posted& p : sink.Of(kSoundEnded))
            if (p.wParam == 0) return true;
        return false;
    }
};

}  // namespace

// Two seconds in, the loudspeaker's output goes: the plays it had not finished ring on
// the shell's player, the one it cut from its beginning, and the ring ends as it would
// have; from the first of those plays to its end step the signaller says it plays.
TEST_F(SignallerOutputLossTest, TheShellsPlayerRingsWhatTheLoudspeakerCouldNot) {
    Signaller signaller;
    NotifySink sink;
    const DWORD first = CallCount();
    const DWORD started = DeviceClock_GetTickCount();
    ASSERT_TRUE(DeviceControl_FailSpeakerWrites(TRUE, started + kGoneAfterMs));
    ASSERT_NE(0u, Ring(signaller, sink));
    const std::vector<std::pair<DWORD, bool>> playing = Follow(signaller, sink);
    ASSERT_TRUE(Ended(sink)) << "the ring never ended";
    EXPECT_EQ(1u, sink.Of(kSoundEnded).size()) << "one message: its end";

    const Recording recording = Recording::Read();
    const std::vector<Tone> tones = recording.Tones();
    ASSERT_FALSE(tones.empty()) << "the loudspeaker rang first";
    size_t whole = 0;
    for (const Tone& tone : tones) whole += tone.soundingMs > kWholePlayMs;
    const std::vector<DEVICE_CALL> plays = CallsOf(DEVICE_CALL_SND_PLAY, first);
    EXPECT_EQ(size_t(kPlays) - whole, plays.size()) << whole << " whole plays on the loudspeaker";
    ASSERT_FALSE(plays.empty());
    // Until the end step stops the shell's player.
    const std::vector<DEVICE_CALL> stops = CallsOf(DEVICE_CALL_SND_STOP, first);
    ASSERT_EQ(1u, stops.size());
    for (const auto& sample : playing)
        if (LONG(sample.first - plays.front().tick) > 0 && LONG(sample.first - stops[0].tick) < 0) {
            EXPECT_TRUE(sample.second) << "not playing at " << sample.first;
        }
    EXPECT_FALSE(signaller.IsPlaying());
}

// The shell's player refuses as well: the window hears that nothing sounds, the signaller
// says nothing plays from then on, and the end comes when the ring's own time is over.
TEST_F(SignallerOutputLossTest, WhereNothingCanSoundTheRingKeepsItsTimeSilently) {
    ASSERT_TRUE(DeviceControl_SetSoundOpenRefused(TRUE));
    Signaller signaller;
    NotifySink sink;
    const DWORD started = DeviceClock_GetTickCount();
    ASSERT_TRUE(DeviceControl_FailSpeakerWrites(TRUE, started + kGoneAfterMs));
    const DWORD id = Ring(signaller, sink);
    ASSERT_NE(0u, id);
    const std::vector<std::pair<DWORD, bool>> playing = Follow(signaller, sink);
    ASSERT_TRUE(Ended(sink)) << "the ring never ended";
    const std::vector<Posted> messages = sink.Of(kSoundEnded);
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ(Signaller::kSoundSilenced, messages[0].wParam);
    EXPECT_GE(LONG(messages[0].tick - started), LONG(kGoneAfterMs));
    EXPECT_GE(LONG(messages[1].tick - started), LONG(kRingMs)) << "the end came before the ring's time was over";
    for (const auto& sample : playing)
        if (LONG(sample.first - messages[0].tick) >= 0) {
            EXPECT_FALSE(sample.second) << "playing at " << sample.first;
        }
}

// A loudspeaker that takes no write from the start: the shell's player rings after the
// engine's first attempt, not after its twenty (1.9 s of waits between them).
TEST_F(SignallerOutputLossTest, ALoudspeakerThatTakesNoWriteHandsTheRingOverAtOnce) {
    Signaller signaller;
    NotifySink sink;
    const DWORD first = CallCount();
    const DWORD started = DeviceClock_GetTickCount();
    ASSERT_TRUE(DeviceControl_FailSpeakerWrites(TRUE, started));
    ASSERT_NE(0u, signaller.BeginSound(BuiltInSound(Signaller::kFallbackResource, 1, 0), sink.Hwnd(),
                                       GetModuleHandleW(nullptr), true, false));
    ASSERT_TRUE(sink.WaitFor(kSoundEnded, 1, 20000));
    EXPECT_EQ(0u, sink.Of(kSoundEnded)[0].wParam);
    const std::vector<DEVICE_CALL> plays = CallsOf(DEVICE_CALL_SND_PLAY, first);
    ASSERT_EQ(1u, plays.size());
    EXPECT_LT(LONG(plays[0].tick - started), 19 * 100) << "the shell's player waited for the engine's attempts";
    EXPECT_TRUE(Recording::Read().Tones().empty());
}
