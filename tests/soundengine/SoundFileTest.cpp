// The file layer: memory blocks, windows, the buffered system file, the caller's
// callbacks and big-endian items, checked against the bytes a plain copy gives.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "SoundTestSupport.h"
#include "TestFiles.h"
#include "TestPaths.h"
#include "system_file.h"

using namespace soundtest;

namespace {

std::string Pattern(int n) {
  std::string s(n, '\0');
  uint32_t x = 12345;
  for (char& c : s) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
  return s;
}

// A file of `bytes` in this test's device root, named by its device path.
std::string DeviceFile(const char* name, const std::string& bytes) {
  const std::string ce = std::string("\\") + name;
  EXPECT_TRUE(testsupport::WriteBytes(testsupport::DevicePath(std::wstring(ce.begin(), ce.end())), bytes));
  return ce;
}

class SoundFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetEngineRequests(); }
  void TearDown() override {
    Aural_SetFileCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
    Aural_Close();
    EXPECT_EQ(SoundMem_GetState().allocationsInUse, 0);
  }
};

// Callbacks over one in-memory file, counting their calls.
struct CallbackFile {
  static std::string data;
  static int pos, opens, closes;
  static void* Open(const char* name) {
    ++opens;
    return std::strcmp(name, "song") == 0 ? &data : nullptr;
  }
  static void Close(void*) { ++closes; }
  static int Read(void* buffer, int n, void*) {
    int m = static_cast<int>(data.size()) - pos;
    if (n < m) m = n;
    if (m < 0) m = 0;
    std::memcpy(buffer, data.data() + pos, m);
    pos += m;
    return m;
  }
  static int Seek(void*, int offset, int whence) {
    pos = offset + (whence == 1 ? pos : whence == 2 ? static_cast<int>(data.size()) : 0);
    return 0;
  }
  static int Tell(void*) { return pos; }
};
std::string CallbackFile::data;
int CallbackFile::pos, CallbackFile::opens, CallbackFile::closes;

}  // namespace

TEST_F(SoundFileTest, MemoryFileStopsAtItsEndAndRefusesBadArguments) {
  const std::string bytes = Pattern(300);
  EXPECT_EQ(AuralFile_Open(bytes.data(), kSoundFileMemory, 0), nullptr);
  EXPECT_EQ(AuralFile_Open(nullptr, kSoundFileMemory, 10), nullptr);
  SoundFile* f = AuralFile_Open(bytes.data(), kSoundFileMemory, 300);
  ASSERT_NE(f, nullptr);
  char out[400];
  std::memset(out, 0x55, sizeof out);
  EXPECT_EQ(AuralFile_Seek(f, 250, 0), 250);
  EXPECT_EQ(AuralFile_Read(out, 1, 100, f), 50) << "only what remains";
  EXPECT_EQ(std::memcmp(out, bytes.data() + 250, 50), 0);
  EXPECT_EQ(static_cast<uint8_t>(out[50]), 0x55) << "nothing written past the delivered bytes";
  EXPECT_EQ(AuralFile_Read(out, 1, 10, f), 0);
  EXPECT_EQ(AuralFile_Seek(f, 1000, 0), 300) << "a seek beyond the end stops at the length";
  EXPECT_EQ(AuralFile_Seek(f, -1000, 1), 0);
  EXPECT_EQ(AuralFile_Seek(f, -10, 2), 290);
  EXPECT_EQ(AuralFile_Seek(f, 0, 3), -1);
  EXPECT_EQ(AuralFile_Read(out, 0, 4, f), 4) << "item size 0 counts as 1";
  EXPECT_EQ(AuralFile_Read(out, 2, -3, f), 0);
  EXPECT_EQ(AuralFile_Read(nullptr, 1, 4, f), -1);
  EXPECT_EQ(AuralFile_Read(out, 1, 4, nullptr), -1);
  EXPECT_EQ(AuralFile_Seek(nullptr, 0, 0), -1);
  EXPECT_EQ(AuralFile_Tell(nullptr), 0);
  AuralFile_Close(f);
}

TEST_F(SoundFileTest, WindowShiftsSeeksAndCutsReads) {
  const std::string bytes = Pattern(400);
  SoundFile* f = AuralFile_Open(bytes.data(), kSoundFileMemory, 400);
  ASSERT_NE(f, nullptr);
  f->startOffset = 100;
  f->endOffset = 199;
  EXPECT_EQ(AuralFile_Seek(f, 0, 0), 100);
  char out[200];
  EXPECT_EQ(AuralFile_Read(out, 1, 150, f), 100);
  EXPECT_EQ(std::memcmp(out, bytes.data() + 100, 100), 0);
  EXPECT_EQ(AuralFile_Tell(f), 100);
  EXPECT_EQ(AuralFile_Read(out, 1, 1, f), 0) << "nothing past the window";
  EXPECT_EQ(AuralFile_Seek(f, -4, 2), 196) << "the end is the window's end";
  EXPECT_EQ(AuralFile_Read(out, 4, 3, f), 4) << "whole items only";
  EXPECT_EQ(AuralFile_Seek(f, 500, 0), 199) << "capped at the window's last byte";
  AuralFile_Close(f);
}

TEST_F(SoundFileTest, BufferedFileReadsWholeBuffersStraightAndSeeksInsideItsBuffer) {
  const std::string bytes = Pattern(10000);
  const std::string name = DeviceFile("buffered.bin", bytes);
  SoundFile* f = AuralFile_Open(name.c_str(), kSoundFileBuffered, 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->length, 10000);
  std::vector<char> out(6000);
  ASSERT_EQ(AuralFile_Read(out.data(), 1, 5000, f), 5000);
  EXPECT_EQ(std::memcmp(out.data(), bytes.data(), 5000), 0);
  EXPECT_EQ(f->bufferOffset, 904) << "4096 bytes straight, 904 from a refilled buffer";
  EXPECT_EQ(f->bufferStale, 0);
  EXPECT_EQ(AuralFile_Seek(f, -10, 1), 4990);
  EXPECT_EQ(f->bufferOffset, 894) << "the seek stays in the buffer";
  EXPECT_EQ(f->bufferStale, 0);
  ASSERT_EQ(AuralFile_Read(out.data(), 1, 20, f), 20);
  EXPECT_EQ(std::memcmp(out.data(), bytes.data() + 4990, 20), 0);

  // Any mix of seeks and reads gives the file's bytes, and the end stops a read.
  uint32_t x = 7;
  for (int i = 0; i < 300; ++i) {
    x = x * 1103515245u + 12345u;
    const int at = static_cast<int>((x >> 8) % 10500), n = static_cast<int>((x >> 4) % 5000);
    const int expectAt = at > 10000 ? 10000 : at;
    ASSERT_EQ(AuralFile_Seek(f, at, 0), expectAt);
    const int expectN = n < 10000 - expectAt ? n : 10000 - expectAt;
    ASSERT_EQ(AuralFile_Read(out.data(), 1, n, f), expectN) << at << " " << n;
    ASSERT_EQ(std::memcmp(out.data(), bytes.data() + expectAt, expectN), 0) << at << " " << n;
    ASSERT_EQ(AuralFile_Tell(f), expectAt + expectN);
  }
  AuralFile_Close(f);
}

TEST_F(SoundFileTest, SystemFilesOpenByDevicePathAndFailCleanly) {
  const std::string bytes = Pattern(3000);
  const std::string name = DeviceFile("plain.bin", bytes);
  EXPECT_EQ(AuralFile_Open("\\missing.bin", kSoundFileSystem, 0), nullptr);
  EXPECT_EQ(AuralFile_Open("\\missing.bin", kSoundFileBuffered, 0), nullptr);
  EXPECT_EQ(SysFile_Open(name.c_str(), "wb"), nullptr) << "read-only layer";
  SoundFile* f = AuralFile_Open(name.c_str(), kSoundFileSystem, 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->length, 3000);
  char out[3100];
  EXPECT_EQ(AuralFile_Seek(f, 2990, 0), 2990);
  EXPECT_EQ(AuralFile_Read(out, 1, 100, f), 10);
  EXPECT_EQ(std::memcmp(out, bytes.data() + 2990, 10), 0);
  EXPECT_EQ(AuralFile_Tell(f), 3000);
  AuralFile_Close(f);

  // A buffered file that shrinks after the open reports a failed read, not old bytes.
  SoundFile* b = AuralFile_Open(name.c_str(), kSoundFileBuffered, 0);
  ASSERT_NE(b, nullptr);
  const std::wstring host = testsupport::DevicePath(L"\\plain.bin");
  HANDLE h = CreateFileW(host.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    SetFilePointer(h, 100, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
    EXPECT_EQ(AuralFile_Seek(b, 2048, 0), 2048);
    EXPECT_EQ(AuralFile_Read(out, 1, 500, b), -1);
    EXPECT_EQ(b->readError, 1);
  }
  AuralFile_Close(b);
}

TEST_F(SoundFileTest, CallbackFilesUseAllFiveCallbacks) {
  CallbackFile::data = Pattern(1000);
  CallbackFile::pos = CallbackFile::opens = CallbackFile::closes = 0;
  EXPECT_EQ(AuralFile_Open("song", kSoundFileCallbacks, 0), nullptr) << "no callbacks installed";
  ASSERT_NE(Aural_SetFileCallbacks(CallbackFile::Open, CallbackFile::Close, CallbackFile::Read, CallbackFile::Seek,
                                   CallbackFile::Tell),
            nullptr);
  EXPECT_EQ(AuralFile_Open("other", kSoundFileCallbacks, 0), nullptr);
  SoundFile* f = AuralFile_Open("song", kSoundFileCallbacks, 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->length, 1000);
  EXPECT_EQ(CallbackFile::pos, 0) << "put back at the start after measuring";
  char out[100];
  AuralFile_Seek(f, 990, 0);
  EXPECT_EQ(AuralFile_Read(out, 1, 50, f), 10);
  EXPECT_EQ(std::memcmp(out, CallbackFile::data.data() + 990, 10), 0);
  EXPECT_EQ(AuralFile_Tell(f), 1000);
  AuralFile_Close(f);
  EXPECT_EQ(CallbackFile::opens, 2);
  EXPECT_EQ(CallbackFile::closes, 1);
}

TEST_F(SoundFileTest, BigEndianModeSwapsTwoAndFourByteItems) {
  const uint8_t bytes[] = {0x12, 0x34, 0x01, 0x02, 0x03, 0x04, 0xAA, 0xBB};
  SoundFile* f = AuralFile_Open(bytes, kSoundFileMemory, sizeof bytes);
  ASSERT_NE(f, nullptr);
  f->kind |= kSoundFileBigEndian;
  EXPECT_EQ(AuralFile_ReadU16(f), 0x1234);
  uint32_t v = 0;
  EXPECT_EQ(AuralFile_Read(&v, 4, 1, f), 4);
  EXPECT_EQ(v, 0x01020304u);
  uint8_t raw[2];
  EXPECT_EQ(AuralFile_Read(raw, 1, 2, f), 2);
  EXPECT_EQ(raw[0], 0xAA) << "single bytes stay";
  EXPECT_EQ(AuralFile_ReadU16(f), 0) << "nothing left";
  EXPECT_EQ(AuralFile_ReadU16(nullptr), 0);
  AuralFile_Close(f);
}
