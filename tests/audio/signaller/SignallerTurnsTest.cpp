// Sounds of several windows taking turns: one taken over waits for the newer one, a stop
// of a waiting one is reported once, and a waiting one whose window has gone stays gone.
#include <gtest/gtest.h>

#include <memory>

#include "Signaller.h"
#include "SignallerTestSupport.h"

using namespace signallertest;

namespace {

DWORD Begin(Signaller& signaller, const NotifySink& sink, int repeat) {
    return signaller.BeginSound(BuiltInSound(Signaller::kFallbackResource, repeat, 0), sink.Hwnd(),
                                GetModuleHandleW(nullptr), true, false);
}

// Pumps the thread's messages until `done`, or 20 s.
template <class Done>
bool PumpUntil(NotifySink& sink, Done done) {
    for (int step = 0; step < 1000; ++step) {
        if (done()) return true;
        sink.Pump(20);
    }
    return done();
}

}  // namespace

// The older sound is stopped by its window right after a newer one took the loudspeaker
// over, while the sound thread is still making way: its window hears of the stop once,
// and the newer sound plays to its end.
TEST(SignallerTurnsTest, AStopWhileMakingWayIsReportedOnce) {
    Signaller signaller;
    NotifySink older, newer;
    ASSERT_NE(0u, Begin(signaller, older, 20));
    ASSERT_TRUE(PumpUntil(newer, [&] { return signaller.IsPlayingFor(older.Hwnd()); }));
    ASSERT_NE(0u, Begin(signaller, newer, 1));
    signaller.StopSound(older.Hwnd());
    ASSERT_TRUE(PumpUntil(newer, [&] { return !newer.Of(kSoundEnded).empty(); }));
    EXPECT_EQ(0u, newer.Of(kSoundEnded)[0].wParam);
    ASSERT_TRUE(PumpUntil(newer, [&] { return !signaller.SoundThreadRunning(); }));
    older.Pump(100);
    ASSERT_EQ(1u, older.Of(kSoundEnded).size()) << "the stop was reported twice";
    EXPECT_EQ(1u, older.Of(kSoundEnded)[0].wParam);
}

// The window of a sound that waits behind a newer one is destroyed without stopping it:
// once the newer one is over, nothing plays again.
TEST(SignallerTurnsTest, AWaitingSoundWhoseWindowWentDoesNotComeBack) {
    Signaller signaller;
    auto gone = std::make_unique<NotifySink>();
    NotifySink newer;
    ASSERT_NE(0u, Begin(signaller, *gone, 20));
    ASSERT_TRUE(PumpUntil(newer, [&] { return signaller.IsPlayingFor(gone->Hwnd()); }));
    ASSERT_NE(0u, Begin(signaller, newer, 1));
    gone.reset();
    ASSERT_TRUE(PumpUntil(newer, [&] { return !newer.Of(kSoundEnded).empty(); }));
    bool playedAgain = false;
    EXPECT_TRUE(PumpUntil(newer, [&] {
        playedAgain = playedAgain || signaller.IsPlaying();
        return !signaller.SoundThreadRunning();
    })) << "the sound thread went on";
    EXPECT_FALSE(playedAgain) << "the sound of a window that is gone played again";
}
