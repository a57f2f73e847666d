#include <gtest/gtest.h>

#include "AudioCodec.h"
#include "CodecFactoryTable.h"
#include "DeviceAudio.h"
#include "PlayerFades.h"
#include "PlayerTestSupport.h"
#include "DeviceWmaDecoder.h"
#include "TestPaths.h"
#include "TestPrograms.h"
#include "TestSupport.h"

#include <tlhelp32.h>
#include <windows.h>

#include <climits>
#include <cmath>
#include <memory>

using namespace playertest;

namespace {
std::wstring DeviceFile(const wchar_t* name, const std::string& bytes) {
    const std::wstring path = testsupport::DeviceRoot() + L"\\" + name;
    testsupport::WriteBytes(path, bytes);
    return path;
}

std::string Bytes(const std::wstring& path) {
    std::string bytes;
    testsupport::ReadBytes(path, &bytes);
    return bytes;
}

int ThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {sizeof entry};
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

// The codec's own decoding of the whole file, interleaved.
std::vector<int16_t> CodecPcm(int codecId, const std::wstring& path, int* channels) {
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(codecId));
    codec->SetFileName(path.c_str());
    std::vector<int16_t> pcm;
    if (codec->OpenRead() != 0) return pcm;
    *channels = codec->Channels();
    std::vector<int16_t> block(4096 * *channels);
    for (;;) {
        uint32_t frames = 4096;
        codec->Read(block.data(), &frames);
        if (frames == 0) break;
        pcm.insert(pcm.end(), block.begin(), block.begin() + frames * *channels);
    }
    codec->CloseRead();
    return pcm;
}
}  // namespace

TEST(SoundPlayer, LoadTakesWavAndWmaAndRefusesWhatTheEngineReadsOrNothingKnows) {
    SoundPlayer player;
    EXPECT_EQ(SoundPlayer::kNone, player.GetState());
    EXPECT_FALSE(player.Load(L"\\nothing here.wma"));
    EXPECT_EQ(SoundPlayer::kNone, player.GetState());
    EXPECT_FALSE(player.Load(DeviceFile(L"tiny.wav", "RI").c_str()));
    EXPECT_FALSE(player.Load(DeviceFile(L"tiny", "RI").c_str()));  // to the WMA probe, which refuses
    EXPECT_FALSE(player.Load(DeviceFile(L"song.ogg.wma", "OggS and more bytes").c_str()));
    // RIFF magic rules over the name: a WAVE format the player cannot decode stays refused.
    std::string adpcm = Bytes(Fixture(L"pcm16_stereo.wav"));
    adpcm[20] = 2;
    EXPECT_FALSE(player.Load(DeviceFile(L"adpcm.wma", adpcm).c_str()));
    // A WMA file's bytes under an MP3 name belong to the engine.
    EXPECT_FALSE(player.Load(DeviceFile(L"bell.mp3", Bytes(Fixture(L"wmav2_1_22050.wma"))).c_str()));

    ASSERT_TRUE(player.Load(Fixture(L"wmav2_2_44100.wma").c_str()));
    EXPECT_EQ(SoundPlayer::kStopped, player.GetState());
    const SoundFileInfo& info = player.Info();
    EXPECT_TRUE(info.recognised && info.isWma && !info.isWav);
    EXPECT_EQ(44100, info.wmaRate);
    EXPECT_EQ(2, info.wmaChannels);
    EXPECT_EQ(L"Morning Bell", info.texts[0]);
    EXPECT_EQ(L"Orvalen Tests", info.texts[1]);
    EXPECT_EQ(L"", info.texts[3]);
    EXPECT_EQ(static_cast<long>(Bytes(Fixture(L"wmav2_2_44100.wma")).size()), info.fileSize);

    ASSERT_TRUE(player.Load(Fixture(L"gsm_8000.wav").c_str()));
    EXPECT_TRUE(player.Info().isWav);
    EXPECT_EQ(CodecFactoryTable::kGsm610Wav, player.Info().wavCodecId);
}

TEST(SoundPlayer, WithoutTheDecoderLibraryAWmaFileIsRefused) {
    ASSERT_TRUE(testsupport::RemoveDeviceLibrary(WMADECODER_LIBRARY));
    UsePlayback(22050);
    SoundPlayer player;
    EXPECT_FALSE(player.Load(Fixture(L"wmav2_1_22050.wma").c_str()));
    EXPECT_EQ(SoundPlayer::kNone, player.GetState());
}

TEST(SoundPlayer, PlaysWavPcmAndGsmAsTheCodecDecodesThem) {
    struct Case {
        const wchar_t* file;
        int codecId;
        int rate;
        const wchar_t* soxReading;  // 16-bit mono raw; else the codec's own decoding
    };
    for (const Case& c : {Case{L"pcm16_stereo.wav", CodecFactoryTable::kPcmWav, 44100, nullptr},
                          Case{L"pcm8_mono.wav", CodecFactoryTable::kPcmWav, 8000, L"pcm8_mono16.raw"},
                          Case{L"gsm_8000.wav", CodecFactoryTable::kGsm610Wav, 8000, nullptr}}) {
        SCOPED_TRACE(testing::Message() << std::string(c.file, c.file + wcslen(c.file)));
        UsePlayback(c.rate);
        int channels = 1;
        std::vector<int16_t> pcm;
        if (c.soxReading) {
            const std::string raw = Bytes(Fixture(c.soxReading));
            pcm.resize(raw.size() / 2);
            memcpy(pcm.data(), raw.data(), pcm.size() * 2);
        } else {
            pcm = CodecPcm(c.codecId, Fixture(c.file), &channels);
        }
        ASSERT_FALSE(pcm.empty());
        SoundPlayer player;
        Capture capture;
        ASSERT_TRUE(StartRendered(player, Fixture(c.file), &capture));
        RenderToEnd(player);
        EXPECT_EQ(SoundPlayer::kStopped, player.GetState());
        const size_t frames = pcm.size() / channels;
        // Where the file's first frame lands: the offset near the first sound that fits best.
        // Each side's gain (a mono channel's pan shares need not be equal).
        auto gainAt = [&](size_t first, int ch) {
            double gain = 0, weight = 0;
            for (size_t f = 0; f < frames; ++f) {
                const int16_t in = pcm[f * channels + (channels == 2 ? ch : 0)];
                gain += double((ch ? capture.right : capture.left)[first + f]) * in;
                weight += double(in) * in;
            }
            return gain / weight;
        };
        auto worstAt = [&](size_t first) {
            int worst = 0;
            for (int ch = 0; ch < 2; ++ch) {
                const double gain = gainAt(first, ch);
                for (size_t f = 0; f < frames; ++f) {
                    const int16_t in = pcm[f * channels + (channels == 2 ? ch : 0)];
                    const int32_t out = (ch ? capture.right : capture.left)[first + f];
                    worst = std::max(worst, std::abs(out - static_cast<int32_t>(std::lround(in * gain))));
                }
            }
            return worst;
        };
        const size_t sound = FirstSound(capture.left);
        ASSERT_GE(capture.left.size(), sound + frames + 64);
        size_t first = sound;
        int worst = INT_MAX;
        for (size_t candidate = sound > 64 ? sound - 64 : 0; candidate <= sound; ++candidate) {
            const int w = worstAt(candidate);
            if (w < worst) worst = w, first = candidate;
        }
        const double gain = gainAt(first, 0);
        // A mono channel sits in the middle, so each side has its pan share of it.
        EXPECT_GT(gain, channels == 2 ? 0.95 : 0.3);
        EXPECT_LE(gain, 1.0);
        EXPECT_LE(worst, 1);
        player.RequestStop();
    }
}

TEST(SoundPlayer, FadesFollowTheirRampsToTheFirstAndLastFrame) {
    const int rate = 22050;
    const int fadeInMs = 200, fadeOutMs = 300;
    // Where the file's first frame lands in the output, from a run without fades.
    size_t first = 0;
    {
        UsePlayback(rate);
        SoundPlayer plain;
        Capture raw;
        ASSERT_TRUE(StartRendered(plain, Fixture(L"player_level.wav"), &raw));
        RenderToEnd(plain);
        first = FirstSound(raw.left);
    }
    UsePlayback(rate, fadeInMs, fadeOutMs);
    SoundPlayer player;
    Capture capture;
    ASSERT_TRUE(StartRendered(player, Fixture(L"player_level.wav"), &capture));
    RenderToEnd(player);
    const int32_t total = static_cast<int32_t>(player.Info().wavFrames);
    const int32_t fi = fadeInMs * rate / 1000, fo = fadeOutMs * rate / 1000;
    // The gain of each frame as the ramps give it, in 1/256.
    auto expected = [&](int32_t f) {
        int32_t g = 256;
        if (f < fi) g = std::min((f * (0xFF0000 / fi)) >> 16, 255);
        if (f >= total - fo) g = std::min(g, std::max(0x1000000 - (f - (total - fo)) * (0xFF0000 / fo), 0) >> 16);
        return g;
    };
    // Where the fade-in ends the fade-out begins, at full gain.
    const double level = capture.left[first + fi];
    ASSERT_GT(level, 1000);
    int misses = 0;
    for (int32_t f = 0; f < total; ++f) {
        const double got = capture.left[first + f] / level * 256;
        const int32_t lo = std::min({expected(std::max(f - 1, 0)), expected(f), expected(std::min(f + 1, total - 1))});
        const int32_t hi = std::max({expected(std::max(f - 1, 0)), expected(f), expected(std::min(f + 1, total - 1))});
        if (got < lo - 1.5 || got > hi + 1.5) ++misses;
    }
    EXPECT_EQ(0, misses);
    EXPECT_LE(std::abs(capture.left[first]), 1);                               // first frame of the fade-in
    EXPECT_NEAR(level * 254 / 256, capture.left[first + fi - 1], level / 64);  // its last frame
    EXPECT_NEAR(level, capture.left[first + total - fo], level / 64);          // the fade-out's first
    EXPECT_LE(std::abs(capture.left[first + total - 1]), level / 64);          // and last frame
}

// A fade-in of more than 2^23 frames: halfway through it the gain is a half, not negative.
TEST(SoundPlayer, AFadeInOfMoreThan2To23FramesKeepsItsRamp) {
    FadeFrames fades;
    fades.fadeIn = 1 << 24;
    fades.total = 1 << 25;
    int16_t frame[2] = {10000, 10000};
    PlayerFades_Apply(frame, 1, 2, 1 << 23, fades);
    EXPECT_EQ(5000, frame[0]);
    EXPECT_EQ(5000, frame[1]);
}

// A file may deliver more frames than its header counts (a WMA file does, by a decoder
// frame or two): past the counted end the fade-out keeps the gain at 0.
TEST(SoundPlayer, FramesPastTheCountedEndStaySilentUnderTheFadeOut) {
    FadeFrames fades;
    fades.fadeOut = 500;
    fades.total = 1000;
    for (int32_t first : {900, 1000, 2048, 4096}) {
        std::vector<int16_t> block(2 * 1024, 10000);
        PlayerFades_Apply(block.data(), 1024, 2, first, fades);
        for (int32_t f = 0; f < 1024; ++f) {
            const int32_t at = first + f;
            if (at >= fades.total) {
                ASSERT_EQ(0, block[2 * f]) << "frame " << at;
            }
            ASSERT_GE(block[2 * f], 0) << "frame " << at;
        }
    }
    UsePlayback(44100, 0, 300);
    SoundPlayer player;
    Capture capture;
    if (!StartRendered(player, Fixture(L"wmav2_2_44100.wma"), &capture))
        GTEST_SKIP() << "the device's WMA decoder takes no WMA stream here (see the README)";
    RenderToEnd(player);
    const size_t first = FirstSound(capture.left);
    const size_t counted = static_cast<size_t>(player.Info().wmaDurationMs) * 44100 / 1000;
    ASSERT_GT(capture.left.size(), first + counted);
    int32_t loudestAfter = 0;
    for (size_t i = first + counted + 64; i < capture.left.size(); ++i)
        loudestAfter = std::max({loudestAfter, std::abs(capture.left[i]), std::abs(capture.right[i])});
    EXPECT_LE(loudestAfter, 2) << "nothing sounds after the faded end";
}

TEST(SoundPlayer, TwoHundredRoundsToTheEndLeaveNoStreamOrThread) {
    UsePlayback(22050);
    SoundPlayer player;
    Capture capture;
    int finished = 0;
    player.SetFinishedCallback([](void* user, int status) { *static_cast<int*>(user) += status == 0; }, &finished);
    if (!StartRendered(player, Fixture(L"wmav2_1_22050.wma"), &capture))
        GTEST_SKIP() << "the device's WMA decoder takes no WMA stream here (see the README)";
    RenderToEnd(player);
    const int threads = ThreadCount();
    const DWORD handlesBefore = [] { DWORD n = 0; GetProcessHandleCount(GetCurrentProcess(), &n); return n; }();
    for (int round = 1; round < 200; ++round) {
        capture.left.clear();
        capture.right.clear();
        ASSERT_TRUE(player.StartIfIdle()) << round;
        RenderToEnd(player);
        ASSERT_EQ(SoundPlayer::kStopped, player.GetState()) << round;
    }
    EXPECT_EQ(200, finished);
    player.RequestStop();
    EXPECT_LE(ThreadCount(), threads + 2);
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    EXPECT_LE(handles, handlesBefore + 20);
}

TEST(SoundPlayer, AWmaFileHoldsItsToneThroughTheEngine) {
    UsePlayback(44100);
    SoundPlayer player;
    Capture capture;
    if (!StartRendered(player, Fixture(L"wmav2_2_44100.wma"), &capture))
        GTEST_SKIP() << "the device's WMA decoder takes no WMA stream here (see the README)";
    RenderToEnd(player);
    const size_t first = FirstSound(capture.left);
    ASSERT_GT(capture.left.size(), first + 44100);
    // 440 Hz on the left, 660 Hz on the right, at 0.6 of ffmpeg's sine source (1/8 of full scale).
    for (int ch = 0; ch < 2; ++ch) {
        const std::vector<int32_t>& s = ch ? capture.right : capture.left;
        const double hz = ch ? 660 : 440;
        double c = 0, q = 0, power = 0;
        const size_t from = first + 4410, count = 22050;
        for (size_t i = 0; i < count; ++i) {
            const double w = 2 * kPi * hz * double(i) / 44100;
            c += s[from + i] * std::cos(w);
            q += s[from + i] * std::sin(w);
            power += double(s[from + i]) * s[from + i];
        }
        const double amplitude = 2 * std::sqrt(c * c + q * q) / count;
        const double share = (amplitude * amplitude / 2) / (power / count);
        EXPECT_NEAR(0.6 * 32767 / 8, amplitude, 0.05 * 32767 / 8) << ch;
        EXPECT_GT(share, 0.99) << ch;
    }
}
