// The allocator: header accounting, pool first fit, reallocation in place and the
// refusal of sizes that would wrap.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "aural.h"
#include "system_memory.h"

namespace {

constexpr char kTag[] = "tests/soundengine/MemoryTest";

// A pool of exactly `blocks` blocks of 64 bytes (16 bytes hold the map, then aligned blocks).
struct alignas(16) Pool {
  uint8_t bytes[16 + 8 * 64];
};

class PoolMode : public ::testing::Test {
 protected:
  void Use(int blocks) { ASSERT_TRUE(SoundMem_UsePool(pool_.bytes, 16 + blocks * 64, 64)); }
  void TearDown() override { EXPECT_TRUE(SoundMem_UseCallbacks(nullptr, nullptr, nullptr)); }
  Pool pool_ = {};
};

}  // namespace

TEST(SoundMemory, HeaderModeAccountsEveryBlockAndRestoresOnFree) {
  const SoundMemState& s = SoundMem_GetState();
  const int64_t bytes = s.bytesInUse;
  const int32_t live = s.allocationsInUse;

  void* zero = SoundMem_Alloc(nullptr, 0, kTag);
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(reinterpret_cast<const SoundMemHeader*>(static_cast<uint8_t*>(zero) - 16)->size, 0);
  EXPECT_EQ(s.allocationsInUse, live + 1);

  auto* block = static_cast<uint8_t*>(SoundMem_Calloc(100, kTag, __LINE__));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(block[i], 0) << i;
  EXPECT_EQ(s.bytesInUse, bytes + 100);
  std::memset(block, 0x5A, 100);

  block = static_cast<uint8_t*>(SoundMem_Realloc(block, 300, kTag));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[99], 0x5A);
  EXPECT_EQ(s.bytesInUse, bytes + 300);
  EXPECT_GE(s.bytesHighWater, bytes + 300);

  SoundMem_Free(block, kTag, __LINE__);
  SoundMem_Free(zero, kTag, __LINE__);
  SoundMem_Free(nullptr, kTag, __LINE__);
  EXPECT_EQ(s.bytesInUse, bytes);
  EXPECT_EQ(s.allocationsInUse, live);
}

TEST(SoundMemory, SizesThatWouldWrapAreRefused) {
  const SoundMemState& s = SoundMem_GetState();
  const int64_t bytes = s.bytesInUse;
  EXPECT_EQ(SoundMem_Alloc(nullptr, SIZE_MAX - 8, kTag), nullptr);
  EXPECT_EQ(SoundMem_Alloc(nullptr, SIZE_MAX, kTag), nullptr);
  EXPECT_EQ(SoundMem_Calloc(static_cast<size_t>(INT32_MAX), kTag, __LINE__), nullptr);
  void* block = SoundMem_Alloc(nullptr, 16, kTag);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(SoundMem_Realloc(block, SIZE_MAX - 15, kTag), nullptr);
  EXPECT_EQ(s.bytesInUse, bytes + 16) << "a refused reallocation keeps the old block";
  SoundMem_Free(block, kTag, __LINE__);
  EXPECT_EQ(s.bytesInUse, bytes);
}

TEST_F(PoolMode, FirstFitTakesWholeBlocksWithTheHeader) {
  Use(4);
  const SoundMemState& s = SoundMem_GetState();
  EXPECT_EQ(s.blockCount, 4);
  void* a = SoundMem_Alloc(nullptr, 100, kTag);  // 116 bytes with the header: 2 blocks
  void* b = SoundMem_Alloc(nullptr, 100, kTag);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(static_cast<uint8_t*>(a), s.poolBase + 16);
  EXPECT_EQ(static_cast<uint8_t*>(b), s.poolBase + 2 * 64 + 16);
  EXPECT_EQ(s.blocksInUse, 4);
  EXPECT_EQ(SoundMem_Alloc(nullptr, 1, kTag), nullptr) << "the pool is full";
  EXPECT_EQ(s.blocksHighWater, 4);
  EXPECT_EQ(s.poolBytesHighWater, 256);
  EXPECT_EQ(s.poolWasteHighWater, 256 - 200);

  SoundMem_Free(a, kTag, __LINE__);
  void* c = SoundMem_Alloc(nullptr, 40, kTag);  // 56 bytes: one block, the first free one
  EXPECT_EQ(static_cast<uint8_t*>(c), s.poolBase + 16);
  SoundMem_Free(b, kTag, __LINE__);
  SoundMem_Free(c, kTag, __LINE__);
  EXPECT_EQ(s.blocksInUse, 0);
  EXPECT_EQ(s.bytesInUse, 0);
}

TEST_F(PoolMode, ReallocationGrowsInPlaceOrMovesWithItsContents) {
  Use(6);
  const SoundMemState& s = SoundMem_GetState();
  auto* a = static_cast<uint8_t*>(SoundMem_Alloc(nullptr, 40, kTag));
  for (int i = 0; i < 40; ++i) a[i] = static_cast<uint8_t>(i);
  auto* grown = static_cast<uint8_t*>(SoundMem_Realloc(a, 100, kTag));
  EXPECT_EQ(grown, a) << "free blocks behind it let the block grow where it is";
  EXPECT_EQ(s.blocksInUse, 2);

  // A block in the way: the reallocation moves (up) and keeps the bytes.
  void* wall = SoundMem_Alloc(nullptr, 40, kTag);
  ASSERT_EQ(static_cast<uint8_t*>(wall), s.poolBase + 2 * 64 + 16);
  auto* moved = static_cast<uint8_t*>(SoundMem_Realloc(grown, 150, kTag));
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(moved, s.poolBase + 3 * 64 + 16);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(moved[i], i) << i;

  // Growing where the run behind it is too short: the block moves down over its own
  // old place and the bytes survive the overlapping copy.
  SoundMem_Free(wall, kTag, __LINE__);
  EXPECT_EQ(SoundMem_Alloc(nullptr, 300, kTag), nullptr) << "no run of 6 blocks is free";
  EXPECT_EQ(SoundMem_Realloc(moved, 400, kTag), nullptr);
  EXPECT_EQ(s.blocksInUse, 3) << "a failed reallocation keeps the block";
  auto* down = static_cast<uint8_t*>(SoundMem_Realloc(moved, 250, kTag));
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(down, s.poolBase + 16);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(down[i], i) << i;
  EXPECT_EQ(s.blocksInUse, 5);
  SoundMem_Free(down, kTag, __LINE__);
  EXPECT_EQ(s.blocksInUse, 0);
}

TEST_F(PoolMode, ConfigurationChangesOnlyWhileNothingIsAllocated) {
  Use(2);
  void* a = SoundMem_Alloc(nullptr, 10, kTag);
  ASSERT_NE(a, nullptr);
  EXPECT_FALSE(SoundMem_UseCallbacks(nullptr, nullptr, nullptr));
  EXPECT_FALSE(SoundMem_UsePool(pool_.bytes, sizeof(pool_.bytes), 64));
  SoundMem_Free(a, kTag, __LINE__);
  EXPECT_FALSE(SoundMem_UsePool(pool_.bytes, sizeof(pool_.bytes), 60)) << "blocks keep 16-byte alignment";
}

TEST(SoundMemory, ListAppendWalksToTheLastItem) {
  struct Item {
    Item* next;
    int value;
  };
  Item a = {reinterpret_cast<Item*>(0x1), 1}, b = {nullptr, 2}, c = {nullptr, 3};
  void* head = nullptr;
  EXPECT_TRUE(SoundList_Append(&head, &a));
  EXPECT_EQ(head, &a);
  EXPECT_EQ(a.next, nullptr);
  EXPECT_TRUE(SoundList_Append(&head, &b));
  EXPECT_TRUE(SoundList_Append(&head, &c));
  EXPECT_EQ(a.next, &b);
  EXPECT_EQ(b.next, &c);
  SoundError = 0;
  EXPECT_FALSE(SoundList_Append(nullptr, &a));
  EXPECT_EQ(SoundError, kSoundErrInvalidParam);
  EXPECT_FALSE(SoundList_Append(&head, nullptr));
}
