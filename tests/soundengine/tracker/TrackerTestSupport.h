#pragma once
// Helpers of the tracker tests: an engine with a song loaded from built bytes and stepped
// tick by tick, the reference data of openmpt123, and the measures the comparisons use
// (20 ms loudness envelopes, pitch tracks).
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "SoundTestSupport.h"
#include "TrackerFixtures.h"
#include "TrackerRender.h"
#include "music_song.h"

namespace trackertest {

constexpr int kTickFrames = 882;  // 20 ms: one tick at 125 BPM

// An engine on the non-realtime output with one song loaded from memory.
class SongTest : public ::testing::Test {
 protected:
  void SetUp() override {
    soundtest::ResetEngineRequests(kSoundOutputNonRealtime, kMixerC);
    ASSERT_TRUE(Aural_Init(44100, 32));
  }
  void TearDown() override {
    Music_FreeSong(&song_);
    Aural_Close();
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0) << "songs free everything they allocate";
  }
  MusicSong* Load(const std::vector<uint8_t>& bytes, uint32_t mode = SoundMode::NoLoop) {
    Music_FreeSong(&song_);
    bytes_ = bytes;
    return Music_LoadSong(&song_, bytes_.data(), mode | SoundMode::FromMemory, 0, static_cast<int>(bytes_.size()),
                          nullptr, 0);
  }
  // Loads and starts, or fails the test.
  void Play(const std::vector<uint8_t>& bytes) {
    ASSERT_NE(Load(bytes), nullptr) << SoundError;
    ASSERT_TRUE(Music_StartSong(&song_));
  }
  // Runs the song's tick function once, as the music unit does at a tick boundary.
  void Tick(int count = 1) {
    for (int i = 0; i < count; ++i) song_.tickFunction(&song_);
  }
  MusicVoice* Voice(int channel) {
    SoundLink* head = &song_.channels[channel].voices;
    return head->next == head ? nullptr : reinterpret_cast<MusicVoice*>(head->next);
  }
  MusicSong song_ = {};
  std::vector<uint8_t> bytes_;
};

// The reference step's data.
inline std::string RefPath(const std::string& relative) { return std::string(TrackerFixtures::kDirectory) + relative; }

inline std::string ReadText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// Empty when the references are there, else the reason the step gave.
inline std::string ReferencesMissing() {
  const std::string status = ReadText(RefPath("status"));
  if (status.rfind("ok", 0) == 0) return "";
  return status.empty() ? "the tracker reference step has not run" : status;
}

// Empty when openmpt123's view of the built effect modules is there (it needs no archive).
inline std::string BuiltReferencesMissing() {
  if (GetFileAttributesA(RefPath("built\\done").c_str()) != INVALID_FILE_ATTRIBUTES) return "";
  const std::string status = ReadText(RefPath("status"));
  return status.empty() ? "the tracker reference step has not run" : status;
}

// openmpt123's length in seconds; negative when it could not play the file.
inline double OpenmptLength(const std::string& module) {
  const std::string text = ReadText(module + ".length");
  return text.empty() || text[0] == 'n' ? -1 : std::atof(text.c_str());
}

inline std::vector<std::string> FilesIn(const std::string& folder, const char* pattern) {
  std::vector<std::string> files;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((folder + pattern).c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return files;
  do files.push_back(folder + d.cFileName);
  while (FindNextFileA(h, &d));
  FindClose(h);
  return files;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  const std::string s = ReadText(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

// 20 ms RMS of the mono mix (or, `stereo`, of both channels together: surround
// channels cancel in a mono mix), linear (full scale 1.0), window by window.
class Envelope {
 public:
  explicit Envelope(bool stereo = false) : stereo_(stereo) {}
  void Add(const int16_t* frames, int count) {
    for (int i = 0; i < count; ++i) {
      const double l = frames[2 * i] / 32768.0, r = frames[2 * i + 1] / 32768.0;
      const double v = (l + r) * 0.5;
      sum_ += stereo_ ? (l * l + r * r) * 0.5 : v * v;
      if (++n_ == kTickFrames) {
        values.push_back(std::sqrt(sum_ / kTickFrames));
        sum_ = 0;
        n_ = 0;
      }
    }
  }
  std::vector<double> values;

 private:
  bool stereo_;
  double sum_ = 0;
  int n_ = 0;
};

// An envelope written in dB, one window per line ("-inf" for silence).
inline std::vector<double> EnvelopeFromDb(const std::string& text) {
  std::vector<double> v;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) v.push_back(line.find("inf") != std::string::npos ? 0.0 : std::pow(10.0, std::atof(line.c_str()) / 20));
  return v;
}

inline double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const size_t n = std::min(a.size(), b.size());
  if (n < 2) return 0;
  double ma = 0, mb = 0;
  for (size_t i = 0; i < n; ++i) ma += a[i], mb += b[i];
  ma /= n;
  mb /= n;
  double c = 0, va = 0, vb = 0;
  for (size_t i = 0; i < n; ++i) {
    c += (a[i] - ma) * (b[i] - mb);
    va += (a[i] - ma) * (a[i] - ma);
    vb += (b[i] - mb) * (b[i] - mb);
  }
  return va > 0 && vb > 0 ? c / std::sqrt(va * vb) : (va == vb ? 1 : 0);
}

// Frequency of the mono mix in each 20 ms window, from the spacing of its rising zero
// crossings (interpolated within the frame); 0 where fewer than three crossings fall.
inline std::vector<double> PitchTrack(const std::vector<int16_t>& stereo) {
  std::vector<double> track;
  const size_t frames = stereo.size() / 2;
  for (size_t w = 0; w + kTickFrames <= frames; w += kTickFrames) {
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t i = w + 1; i < w + kTickFrames; ++i) {
      const double a = stereo[2 * i - 2] + stereo[2 * i - 1], b = stereo[2 * i] + stereo[2 * i + 1];
      if (a < 0 && b >= 0) {
        const double t = static_cast<double>(i - 1) + a / (a - b);
        if (first < 0) first = t;
        last = t;
        ++crossings;
      }
    }
    track.push_back(crossings >= 3 ? (crossings - 1) * 44100.0 / (last - first) : 0);
  }
  return track;
}

// The whole render of a module as stereo frames.
inline tracker::RenderResult RenderAll(const std::vector<uint8_t>& bytes, std::vector<int16_t>* pcm, int mixerType,
                                       double maxSeconds = 60) {
  tracker::RenderOptions o;
  o.memory = bytes.data();
  o.memoryBytes = static_cast<int>(bytes.size());
  o.mixerType = mixerType;
  o.maxSeconds = maxSeconds;
  return tracker::Render(nullptr, o, [&](const int16_t* f, int n) { pcm->insert(pcm->end(), f, f + 2 * n); });
}

}  // namespace trackertest
