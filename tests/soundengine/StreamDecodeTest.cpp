// Block decoders: IMA ADPCM nibbles worked out by hand, saturation and the step index
// bounds, bad headers, the stereo group layout, the 36-byte layout and its channels,
// and which ADPCM layouts are accepted.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sound_decode.h"

namespace {

std::vector<uint8_t> Block(int16_t first, uint8_t index, int bytes, uint8_t fill) {
  std::vector<uint8_t> b(bytes, fill);
  b[0] = static_cast<uint8_t>(first);
  b[1] = static_cast<uint8_t>(first >> 8);
  b[2] = index;
  b[3] = 0;
  return b;
}

}  // namespace

TEST(StreamDecode, MonoBlockStartsWithItsHeaderAndFollowsTheNibbles) {
  std::vector<uint8_t> b = Block(100, 0, 256, 0x00);
  b[4] = 0x74;  // low nibble 4 first, then 7
  std::vector<int16_t> out(505, -1);
  ASSERT_EQ(Ima_DecodeMono(b.data(), out.data(), 1, 256, 505, 1), 1);
  EXPECT_EQ(out[0], 100) << "the first sample is the header's";
  // nibble 4 at step 7: diff = 0 + 7 = 7 -> 107, index 0 + 2 = 2 (step 9)
  EXPECT_EQ(out[1], 107);
  // nibble 7 at step 9: diff = 1 + 9 + 4 + 2 = 16 -> 123, index 2 + 8 = 10 (step 19)
  EXPECT_EQ(out[2], 123);
  // nibble 0 at step 19: diff = 2 -> 125, index 9
  EXPECT_EQ(out[3], 125);
  EXPECT_NE(out[504], -1) << "505 samples from 256 bytes";

  // A stride spreads the samples out without touching the gaps.
  std::vector<int16_t> wide(505 * 2, 0x5555);
  ASSERT_EQ(Ima_DecodeMono(b.data(), wide.data(), 1, 256, 505, 2), 1);
  EXPECT_EQ(wide[2], 107);
  EXPECT_EQ(wide[1], 0x5555);
}

TEST(StreamDecode, PredictorSaturatesAndTheStepIndexStaysInItsRange) {
  std::vector<uint8_t> up = Block(32000, 88, 36, 0x77);  // largest positive steps
  std::vector<int16_t> out(65);
  ASSERT_EQ(Ima_DecodeMono(up.data(), out.data(), 1, 36, 65, 1), 1);
  for (int i = 1; i < 65; ++i) EXPECT_EQ(out[i], 32767) << i;
  std::vector<uint8_t> down = Block(-32000, 88, 36, 0xFF);
  ASSERT_EQ(Ima_DecodeMono(down.data(), out.data(), 1, 36, 65, 1), 1);
  for (int i = 1; i < 65; ++i) EXPECT_EQ(out[i], -32768) << i;
  // Nibble 0 lowers the index every time; at 0 it stays there (step 7: diff 0).
  std::vector<uint8_t> calm = Block(5, 3, 36, 0x00);
  ASSERT_EQ(Ima_DecodeMono(calm.data(), out.data(), 1, 36, 65, 1), 1);
  EXPECT_EQ(out[64], 5 + 1 + 1 + 1) << "steps 10, 9 and 8 add 1 each; at index 0 step 7 adds nothing";
}

TEST(StreamDecode, ABadStepIndexStopsAtItsBlock) {
  std::vector<uint8_t> two = Block(1, 0, 36, 0);
  std::vector<uint8_t> bad = Block(2, 89, 36, 0);
  two.insert(two.end(), bad.begin(), bad.end());
  std::vector<int16_t> out(130, 7);
  EXPECT_EQ(Ima_DecodeMono(two.data(), out.data(), 2, 36, 65, 1), 1);
  EXPECT_EQ(out[65], 7) << "nothing written for the bad block";
  EXPECT_EQ(Ima_DecodeStereo(bad.data(), out.data(), 1, 36, 9), 0);
  EXPECT_EQ(Ima_DecodeMono(nullptr, out.data(), 1, 36, 65, 1), 0);
  EXPECT_EQ(Ima_DecodeMono(two.data(), out.data(), 1, 4, 65, 1), 0) << "no room for a header";
}

TEST(StreamDecode, StereoGroupsAlternateFourBytesPerSide) {
  std::vector<uint8_t> b(8 + 8, 0);
  b[0] = 10;  // left 10, index 0
  b[4] = 20;  // right 20, index 0
  b[8] = 0x04;  // left nibbles: 4, 0, then zeros
  b[12] = 0x0C;  // right nibbles: 12 (negative 4), then zeros
  std::vector<int16_t> out(9 * 2);
  ASSERT_EQ(Ima_DecodeStereo(b.data(), out.data(), 1, 16, 9), 1);
  EXPECT_EQ(out[0], 10);
  EXPECT_EQ(out[1], 20);
  EXPECT_EQ(out[2], 17) << "left +7";
  EXPECT_EQ(out[3], 13) << "right -7";
  // Both continue at step 9 with nibble 0: diff 1.
  EXPECT_EQ(out[4], 18);
  EXPECT_EQ(out[5], 14);
}

TEST(StreamDecode, ThirtySixByteBlocksGiveSixtyFourSamplesPerChannel) {
  // Three channels, each its own 36-byte block, interleaved in the output.
  std::vector<uint8_t> in;
  for (int c = 0; c < 3; ++c) {
    std::vector<uint8_t> b = Block(static_cast<int16_t>(1000 * (c + 1)), 0, 36, 0);
    in.insert(in.end(), b.begin(), b.end());
  }
  std::vector<int16_t> out(64 * 3 + 8, 0x1234);
  EXPECT_EQ(SoundConv_DecodeIma36(in.data(), static_cast<int>(in.size()), out.data(), 64 * 3 * 2, 3, true), 64 * 3 * 2);
  EXPECT_EQ(out[0], 1000);
  EXPECT_EQ(out[1], 2000);
  EXPECT_EQ(out[2], 3000);
  EXPECT_EQ(out[64 * 3], 0x1234) << "64 samples per channel, not 65";
  EXPECT_EQ(SoundConv_DecodeIma36(in.data(), static_cast<int>(in.size()), out.data(), 100, 3, true), 0)
      << "no room for a whole block";
  EXPECT_EQ(SoundConv_DecodeIma36(in.data(), 36, out.data(), 128, 1, false), 128);
}

TEST(StreamDecode, OnlyLayoutsTheBlocksCanHoldAreAccepted) {
  EXPECT_TRUE(Ima_LayoutValid(1, 256, 505));
  EXPECT_TRUE(Ima_LayoutValid(2, 512, 505));
  EXPECT_TRUE(Ima_LayoutValid(1, 36, 64));
  EXPECT_TRUE(Ima_LayoutValid(2, 72, 64));
  EXPECT_TRUE(Ima_LayoutValid(1, 36, 65));
  EXPECT_FALSE(Ima_LayoutValid(1, 256, 506)) << "more samples than the bytes hold";
  EXPECT_FALSE(Ima_LayoutValid(1, 256, 2000));
  EXPECT_FALSE(Ima_LayoutValid(1, 256, 64)) << "64 only in 36-byte blocks";
  EXPECT_FALSE(Ima_LayoutValid(2, 36, 64));
  EXPECT_FALSE(Ima_LayoutValid(2, 260, 253)) << "stereo data in whole groups";
  EXPECT_FALSE(Ima_LayoutValid(3, 108, 64));
  EXPECT_FALSE(Ima_LayoutValid(1, 4, 1));
  EXPECT_FALSE(Ima_LayoutValid(1, 0, 0));
}

TEST(StreamDecode, AppendKeepsTheTerminatorAndTheLimit) {
  char s[16] = "ab";
  SoundStr_AppendN(s, "cdef", 2);
  EXPECT_STREQ(s, "abcd");
  SoundStr_AppendN(s, "xyz", 0);
  EXPECT_STREQ(s, "abcd");
  SoundStr_AppendN(s, "xy", 10);
  EXPECT_STREQ(s, "abcdxy");
}
