// Files whose lists hold tens of thousands of entries: WAV cue points with their labels,
// AIFF markers, ID3v2 frames and Vorbis comments. Each opens in processor time that grows
// with the file, not with the square of its list (the loading thread's own time, which a
// busy machine does not add to), and its list comes out in the order adding the entries
// one by one gives: ascending offsets, of equal offsets the later made first.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "BenchClock.h"
#include "ReaderTestSupport.h"
#include "StreamTestSupport.h"
#include "aural_tag.h"

using namespace readertest;
using streamtest::Chunk;
using streamtest::Put16;
using streamtest::Put32;

namespace {

// Far above what these opens take, far below what walking each list from its head took
// (15 to 45 s).
constexpr double kMostSeconds = 3.0;

template <typename Work>
double SecondsOf(Work&& work) {
  const double start = bench::ThreadSeconds();
  work();
  return bench::ThreadSeconds() - start;
}

std::vector<std::string> Names(SoundStream* s) {
  std::vector<std::string> names;
  for (SoundSyncPoint* p = s->syncList->next; p != AuralSync_Tail(s->syncList); p = p->next) names.push_back(p->name);
  return names;
}

// The names of points made in order with `offsets`, as the list holds them.
std::vector<std::string> Expected(const std::vector<uint32_t>& offsets, const std::vector<std::string>& names) {
  std::vector<size_t> order(offsets.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return offsets[a] != offsets[b] ? offsets[a] < offsets[b] : a > b; });
  std::vector<std::string> out;
  for (size_t i : order) out.push_back(names[i]);
  return out;
}

std::string Id3v2Frames(int frames) {
  std::string body;
  for (int i = 0; i < frames; ++i) body += std::string("TXXX\0\0\0\x01\0\0", 10) + static_cast<char>('a' + i % 26);
  const uint32_t n = static_cast<uint32_t>(body.size());
  std::string tag = std::string("ID3\x03\0\0", 6);
  for (int shift : {21, 14, 7, 0}) tag += static_cast<char>((n >> shift) & 0x7F);
  return tag + body;
}

void Be16(std::string& s, uint16_t v) { s += static_cast<char>(v >> 8), s += static_cast<char>(v); }
void Be32(std::string& s, uint32_t v) { Be16(s, static_cast<uint16_t>(v >> 16)), Be16(s, static_cast<uint16_t>(v)); }
std::string AiffChunk(const char* id, const std::string& body) {
  std::string c(id, 4);
  Be32(c, static_cast<uint32_t>(body.size()));
  return c + body + (body.size() % 2 ? std::string(1, '\0') : "");
}

class LongLists : public ReaderTest {};

}  // namespace

TEST_F(LongLists, CuePointsAndLabelsOpenInTimeLinearInTheFile) {
  // 100,000 cue points in descending order, pairs of them on one offset, each named by a
  // label (4.6 MB); every tenth label names a point that comes later in the file.
  constexpr uint32_t kPoints = 100000;
  std::string cue, labels = "adtl";
  Put32(cue, kPoints);
  std::vector<uint32_t> offsets;
  std::vector<std::string> names;
  for (uint32_t i = 0; i < kPoints; ++i) {
    offsets.push_back((kPoints - i) / 2);
    names.push_back("p" + std::to_string(i));
    Put32(cue, i + 1);
    Put32(cue, offsets.back());
    cue += "data";
    Put32(cue, 0), Put32(cue, 0);
    Put32(cue, offsets.back());
  }
  for (uint32_t i = 0; i < kPoints; ++i) {
    std::string labl;
    Put32(labl, i + 1);
    labl += names[i] + '\0';
    Chunk(labels, "labl", labl);
  }
  std::string chunks;
  Chunk(chunks, "cue ", cue);
  Chunk(chunks, "LIST", labels);
  const std::string wav = streamtest::BuildWav(1, 8000, 1000, chunks);
  SoundStream* s = nullptr;
  const double seconds = SecondsOf([&] { s = AuralStream_Open(wav.data(), SoundMode::FromMemory, 0, static_cast<int>(wav.size())); });
  ASSERT_NE(s, nullptr) << SoundError;
  std::printf("%u cue points with labels (%zu bytes): open %.3f s of the thread\n", kPoints, wav.size(), seconds);
  RecordProperty("cue_open_seconds", std::to_string(seconds));
  EXPECT_LT(seconds, kMostSeconds);
  EXPECT_EQ(Names(s), Expected(offsets, names));
  EXPECT_TRUE(AuralStream_Close(s));
}

TEST_F(LongLists, MarkersTagsAndCommentsOpenInTimeLinearInTheFile) {
  // 65,535 AIFF markers at scattered positions (910 KB).
  constexpr int kMarkers = 65535;
  constexpr uint32_t kFrames = 8192;
  std::string mark;
  Be16(mark, kMarkers);
  std::vector<uint32_t> positions;
  std::vector<std::string> names;
  uint32_t r = 7;
  for (int i = 0; i < kMarkers; ++i) {
    positions.push_back((r = r * 1103515245 + 12345) >> 20);
    names.push_back(std::to_string(100000 + i));
    Be16(mark, static_cast<uint16_t>(i + 1));
    Be32(mark, positions.back());
    mark += static_cast<char>(names.back().size()) + names.back();
    if (names.back().size() % 2 == 0) mark += '\0';  // the count byte and the name take an even number
  }
  std::string comm;
  Be16(comm, 1);
  Be32(comm, kFrames);
  Be16(comm, 16);
  comm += std::string("\x40\x0B\xFA\0\0\0\0\0\0\0", 10);  // 8000 Hz
  const std::string body = "AIFF" + AiffChunk("COMM", comm) + AiffChunk("MARK", mark) +
                           AiffChunk("SSND", std::string(8 + 2 * kFrames, '\0'));
  std::string aiff = "FORM";
  Be32(aiff, static_cast<uint32_t>(body.size()));
  aiff += body;
  SoundStream* s = nullptr;
  double seconds = SecondsOf([&] { s = AuralStream_Open(aiff.data(), SoundMode::FromMemory, 0, static_cast<int>(aiff.size())); });
  ASSERT_NE(s, nullptr) << SoundError;
  std::printf("%d AIFF markers (%zu bytes): open %.3f s of the thread\n", kMarkers, aiff.size(), seconds);
  RecordProperty("marker_open_seconds", std::to_string(seconds));
  EXPECT_LT(seconds, kMostSeconds);
  EXPECT_EQ(Names(s), Expected(positions, names));
  EXPECT_TRUE(AuralStream_Close(s));

  // An ID3v2 tag of 100,000 one-byte frames in front of a WAV file (1.1 MB).
  constexpr int kFramesInTag = 100000;
  const std::string tagged = Id3v2Frames(kFramesInTag) + streamtest::BuildWav(1, 8000, 1000);
  seconds = SecondsOf([&] { s = AuralStream_Open(tagged.data(), SoundMode::FromMemory, 0, static_cast<int>(tagged.size())); });
  ASSERT_NE(s, nullptr) << SoundError;
  std::printf("ID3v2 tag of %d frames (%zu bytes): open %.3f s of the thread\n", kFramesInTag, tagged.size(), seconds);
  RecordProperty("id3_open_seconds", std::to_string(seconds));
  EXPECT_LT(seconds, kMostSeconds);
  int tags = 0;
  for (const SoundTag* t = s->tags; t; t = t->next, ++tags) {
    if (tags % 9973 == 0) {
      EXPECT_EQ(static_cast<const char*>(t->data)[0], 'a' + tags % 26) << tags;
    }
  }
  EXPECT_EQ(tags, kFramesInTag) << "every frame, in the file's order";
  EXPECT_EQ(s->lengthSamples, 1000) << "the sound behind the tag";
  EXPECT_TRUE(AuralStream_Close(s));

  // 100,000 Vorbis comments, the way the Ogg reader adds them.
  std::vector<std::string> text;
  for (int i = 0; i < 100000; ++i) text.push_back("C" + std::to_string(i) + "=v");
  std::vector<char*> comments;
  for (std::string& c : text) comments.push_back(&c[0]);
  SoundTag* list = nullptr;
  seconds = SecondsOf([&] { EXPECT_TRUE(SoundTag_AddComments(comments.data(), static_cast<int>(comments.size()), &list)); });
  std::printf("100000 comments: %.3f s of the thread\n", seconds);
  EXPECT_LT(seconds, kMostSeconds);
  const void* data = nullptr;
  int length = 0;
  EXPECT_TRUE(SoundTag_Find(list, "C99999", kSoundTagVorbisComment, &data, &length));
  EXPECT_TRUE(SoundTag_FreeList(&list));
}
