// Tags: every field lame and oggenc wrote comes back, ID3v1 and ID3v2 layouts and their
// corner cases, and crafted tags that would send a scan past the file.
#include <gtest/gtest.h>

#include "ReaderTestSupport.h"
#include "aural_tag.h"
#include "system_file.h"

using namespace readertest;

namespace {

class AuralTagTest : public ReaderTest {
 protected:
  // Reads the tags of an in-memory file.
  bool Read(const std::string& bytes, SoundTag** tags, int* endPosition = nullptr) {
    SoundFile* f = AuralFile_Open(bytes.data(), kSoundFileMemory, static_cast<int>(bytes.size()));
    EXPECT_NE(f, nullptr);
    if (!f) return false;
    const BOOL ok = SoundTag_ReadFileTags(f, tags);
    if (endPosition) *endPosition = AuralFile_Tell(f);
    AuralFile_Close(f);
    return ok != FALSE;
  }
  static std::string Text(const SoundTag* tags, const char* name, int type = kSoundTagAnyType) {
    const void* data = nullptr;
    int length = 0;
    if (!SoundTag_Find(tags, name, type, &data, &length)) return "<none>";
    return std::string(static_cast<const char*>(data), length);
  }
  static std::string Id3v1(const std::string& title, const std::string& comment, uint8_t genre) {
    std::string b = "TAG" + title;
    b.resize(3 + 30, '\0');
    b.resize(3 + 90, '\0');
    b += "2001";
    b += comment;
    b.resize(127, '\0');
    b.push_back(static_cast<char>(genre));
    return b;
  }
  static std::string Id3v2(int major, const std::string& frames, uint8_t flags = 0) {
    std::string h = "ID3";
    h.push_back(static_cast<char>(major));
    h.push_back('\0');
    h.push_back(static_cast<char>(flags));
    const uint32_t n = static_cast<uint32_t>(frames.size());
    for (int shift : {21, 14, 7, 0}) h.push_back(static_cast<char>((n >> shift) & 0x7F));
    return h + frames;
  }
  static std::string Frame3(const char* id, const std::string& data) {
    std::string f(id, 3);
    for (int shift : {16, 8, 0}) f.push_back(static_cast<char>((data.size() >> shift) & 0xFF));
    return f + data;
  }
  static std::string Frame4(const std::string& id, const std::string& data) {
    std::string f = id;
    for (int shift : {24, 16, 8, 0}) f.push_back(static_cast<char>((data.size() >> shift) & 0xFF));
    f += std::string(2, '\0');
    return f + data;
  }
};

}  // namespace

TEST_F(AuralTagTest, EveryFieldTheToolsWroteComesBack) {
  SoundStream* v2 = AuralStream_Open(Path("mp3_128_stereo.mp3").c_str(), 0, 0, 0);
  ASSERT_NE(v2, nullptr) << SoundError;
  // lame writes UTF-16 text frames: encoding 1, a byte-order mark, the text.
  const auto utf16 = [](const std::string& text) {
    std::string s("\x01\xFF\xFE", 3);
    for (char c : text) s += std::string(1, c) + '\0';
    return s;
  };
  EXPECT_EQ(Text(v2->tags, "TIT2", kSoundTagId3v2), utf16("Stereo Title"));
  EXPECT_EQ(Text(v2->tags, "TPE1", kSoundTagId3v2), utf16("Stereo Artist"));
  EXPECT_STREQ(v2->ringSample->name, "Stereo Artist - Stereo Title");
  EXPECT_TRUE(AuralStream_Close(v2));

  SoundStream* v1 = AuralStream_Open(Path("mp3_64_mono.mp3").c_str(), 0, 0, 0);
  ASSERT_NE(v1, nullptr) << SoundError;
  const std::pair<const char*, std::string> fields[] = {
      {"TITLE", "Mono Title"}, {"ARTIST", "Mono Artist"}, {"ALBUM", "Mono Album"},
      {"YEAR", "2024"},        {"COMMENT", "A comment"},  {"TRACK", "7"}};
  for (const auto& f : fields) EXPECT_EQ(Text(v1->tags, f.first, kSoundTagId3v1), f.second + '\0') << f.first;
  EXPECT_NE(Text(v1->tags, "GENRE", kSoundTagId3v1), "<none>");
  EXPECT_STREQ(v1->ringSample->name, "Mono Artist - Mono Title");
  EXPECT_TRUE(AuralStream_Close(v1));

  SoundStream* ogg = AuralStream_Open(Path("ogg_stereo.ogg").c_str(), 0, 0, 0);
  ASSERT_NE(ogg, nullptr) << SoundError;
  EXPECT_EQ(Text(ogg->tags, "title", kSoundTagVorbisComment), "Ogg Title");
  EXPECT_EQ(Text(ogg->tags, "ARTIST", kSoundTagVorbisComment), "Ogg Artist");
  EXPECT_EQ(Text(ogg->tags, "mood", kSoundTagVorbisComment), "calm");
  EXPECT_STREQ(ogg->ringSample->name, "Ogg Artist - Ogg Title");
  EXPECT_TRUE(AuralStream_Close(ogg));
}

TEST_F(AuralTagTest, Id3LayoutsAndOrder) {
  const std::string audio(400, '\x55');
  // ID3v2.3 at the start (a frame with a byte of 0x80 in its ID is passed over), ID3v1
  // with a track number at the end: end tags first.
  const std::string v23 = Id3v2(3, Frame4("TIT2", std::string("\0Start", 6)) + Frame4(std::string("T\x80XX", 4), "x") +
                                       Frame4("TPE1", std::string("\0Who", 4)) + std::string(20, '\0'));
  std::string comment(30, '\0');
  comment.replace(0, 4, "note");
  comment[29] = 7;
  const std::string file = v23 + audio + Id3v1("End title", comment, 12);
  SoundTag* tags = nullptr;
  int end = 0;
  ASSERT_TRUE(Read(file, &tags, &end));
  EXPECT_EQ(end, static_cast<int>(v23.size())) << "the file is left behind the leading tag";
  std::vector<std::string> names;
  for (SoundTag* t = tags; t; t = t->next) names.push_back(t->name);
  EXPECT_EQ(names, (std::vector<std::string>{"TITLE", "YEAR", "COMMENT", "TRACK", "GENRE", "TIT2", "TPE1"}));
  EXPECT_EQ(Text(tags, "TRACK"), std::string("7", 2));
  EXPECT_EQ(Text(tags, "GENRE"), std::string("12", 3));
  EXPECT_EQ(Text(tags, "title", kSoundTagId3v2), "<none>");
  EXPECT_EQ(Text(tags, "title", kSoundTagId3v1), std::string("End title", 10));
  EXPECT_TRUE(SoundTag_FreeList(&tags));
  EXPECT_EQ(tags, nullptr);
  EXPECT_FALSE(SoundTag_FreeList(&tags));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);

  // ID3v2.2: three-character IDs and sizes.
  ASSERT_TRUE(Read(Id3v2(2, Frame3("TT2", std::string("\0Old", 4))) + audio, &tags));
  ASSERT_NE(tags, nullptr);
  EXPECT_STREQ(tags->name, "TT2");
  EXPECT_EQ(tags->length, 4);
  SoundTag_FreeList(&tags);
}

TEST_F(AuralTagTest, ID3v1FieldsWithoutTerminatorStopAtTheirWidth) {
  std::string block = "TAG" + std::string(30, 'T') + std::string(30, 'A') + std::string(30, 'L') + "1999" +
                      std::string(30, 'C');
  block.push_back('\x01');
  SoundTag* tags = nullptr;
  ASSERT_TRUE(Read(std::string(300, '\0') + block, &tags));
  EXPECT_EQ(Text(tags, "TITLE"), std::string(30, 'T') + '\0');
  EXPECT_EQ(Text(tags, "COMMENT"), std::string(30, 'C') + '\0');
  EXPECT_EQ(Text(tags, "TRACK"), "<none>");
  SoundTag_FreeList(&tags);
}

TEST_F(AuralTagTest, CraftedTagsCannotRunPastTheFile) {
  // A footer claiming a tag larger than the file, a file made only of "TAG" blocks, and a
  // leading tag whose size passes the end: each scan ends.
  std::string footer = "3DI";
  footer += std::string("\x04\x00\x10\x7F\x7F\x7F\x7F", 7);
  SoundTag* tags = nullptr;
  EXPECT_TRUE(Read(std::string(50, 'x') + footer, &tags));
  EXPECT_EQ(tags, nullptr);
  std::string blocks;
  for (int i = 0; i < 40; ++i) blocks += Id3v1("t", "", 1);
  EXPECT_TRUE(Read(blocks, &tags));
  int count = 0;
  for (SoundTag* t = tags; t; t = t->next) ++count;
  EXPECT_EQ(count, 40 * 2 * 3) << "each block (title, year, genre) once from the end, once from the start";
  SoundTag_FreeList(&tags);
  const std::string huge = Id3v2(4, Frame4("TIT2", std::string(5000, 'x')));
  EXPECT_TRUE(Read(huge.substr(0, 300), &tags));
  EXPECT_EQ(tags, nullptr) << "a frame that cannot be read whole is dropped";

  SoundFile* f = AuralFile_Open(huge.data(), kSoundFileMemory, 300);
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(SoundTag_SkipLeading(f));
  EXPECT_EQ(AuralFile_Tell(f), 300);
  AuralFile_Close(f);
}

TEST_F(AuralTagTest, CommentsAndLookUps) {
  char a[] = "TITLE=Song", b[] = "no separator", c[] = "Empty=";
  char* comments[] = {a, b, c};
  SoundTag* tags = nullptr;
  ASSERT_TRUE(SoundTag_AddComments(comments, 3, &tags));
  EXPECT_EQ(Text(tags, "title"), "Song");
  EXPECT_EQ(Text(tags, "EMPTY"), "");
  EXPECT_EQ(Text(tags, "no separator"), "<none>");
  EXPECT_FALSE(SoundTag_AddComments(comments, 3, nullptr));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_FALSE(SoundTag_Find(nullptr, "TITLE", -1, nullptr, nullptr));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  SoundTag_FreeList(&tags);
}
