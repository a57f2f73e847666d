// The read-ahead reader: refills from the logical position, short reads at the end, the
// end-relative seek, skips that cost no system call, and chunk bounds.
#include <gtest/gtest.h>

#include "FileReader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A file in memory that counts what the reader asks of it.
class MemoryReader : public FileReader {
public:
    explicit MemoryReader(size_t size) {
        for (size_t i = 0; i < size; ++i) file.push_back(static_cast<char>(i * 7 + i / 251));
    }
    std::string file;
    std::vector<int64_t> refillOffsets;
    std::vector<uint32_t> refillSizes;

protected:
    uint32_t RawRead(void* buffer, uint32_t n) override {
        refillOffsets.push_back(raw_);
        refillSizes.push_back(n);
        const size_t take = raw_ < static_cast<int64_t>(file.size()) ? std::min<size_t>(n, file.size() - raw_) : 0;
        memcpy(buffer, file.data() + raw_, take);
        raw_ += static_cast<int64_t>(take);
        return static_cast<uint32_t>(take);
    }
    bool RawSeek(int64_t offset, int origin) override {
        raw_ = origin == kFromEnd ? static_cast<int64_t>(file.size()) + offset : origin == kFromCurrent ? raw_ + offset : offset;
        return raw_ >= 0;
    }
    int64_t RawTell() override { return raw_; }

private:
    int64_t raw_ = 0;
};

std::string ReadString(FileReader& reader, uint32_t n) {
    std::string out(n, '\0');
    out.resize(reader.Read(&out[0], n));
    return out;
}

}  // namespace

TEST(FileReader, RefillsFromThePositionAndStopsShortAtTheEnd) {
    MemoryReader reader(25000);
    ASSERT_TRUE(reader.HasBuffer());
    EXPECT_EQ(reader.file.substr(0, 10000), ReadString(reader, 10000));
    // Across the end of the buffered data: the rest of the buffer, then a refill where it ended.
    EXPECT_EQ(reader.file.substr(10000, 1000), ReadString(reader, 1000));
    EXPECT_EQ((std::vector<int64_t>{0, 10240}), reader.refillOffsets);
    EXPECT_FALSE(reader.AtEnd());

    // Past the end: the bytes that exist, and the end flag until the next seek.
    reader.SetPosition(24990);
    EXPECT_EQ(reader.file.substr(24990), ReadString(reader, 100));
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ("", ReadString(reader, 10));
    EXPECT_EQ(24992, reader.Seek(-8, FileReader::kFromEnd));
    EXPECT_FALSE(reader.AtEnd());
    EXPECT_EQ(25000, reader.Seek(8, FileReader::kFromCurrent));
    EXPECT_EQ(25000, reader.Size());
}

TEST(FileReader, SkipsCostNoReadAndALargerCapacityTakesEffectAtTheNextRefill) {
    MemoryReader reader(100000);
    EXPECT_EQ(reader.file.substr(0, 4), ReadString(reader, 4));
    reader.SetPosition(5000);  // inside the buffer: no refill
    EXPECT_EQ(reader.file.substr(5000, 4), ReadString(reader, 4));
    EXPECT_EQ(1u, reader.refillOffsets.size());

    reader.SetCapacity(30000);
    reader.SetPosition(60000);
    EXPECT_EQ(reader.file.substr(60000, 20000), ReadString(reader, 20000));
    EXPECT_EQ((std::vector<uint32_t>{10240, 30000}), reader.refillSizes);
    EXPECT_EQ((std::vector<int64_t>{0, 60000}), reader.refillOffsets);

    // A position before the file fails the refill instead of reading anything.
    reader.SetPosition(-5);
    EXPECT_EQ("", ReadString(reader, 4));
    EXPECT_TRUE(reader.AtEnd());
}

TEST(FileReader, ChunkReadsStayInsideTheChunk) {
    MemoryReader reader(64);
    ChunkReader chunk{&reader, 10};
    char bytes[16];
    EXPECT_FALSE(chunk.Read(bytes, 11)) << "more than is left: nothing read";
    EXPECT_EQ(0, reader.Position());
    EXPECT_TRUE(chunk.Read(bytes, 6));
    EXPECT_EQ(0, memcmp(bytes, reader.file.data(), 6));
    EXPECT_EQ(4u, chunk.left);
    EXPECT_FALSE(chunk.Skip(5));
    EXPECT_TRUE(chunk.Skip(4));
    EXPECT_EQ(10, reader.Position());
    EXPECT_EQ(0u, chunk.left);

    // A chunk that claims more than the file holds reports the short read.
    ChunkReader tail{&reader, 100};
    reader.SetPosition(60);
    EXPECT_FALSE(tail.Read(bytes, 8));
    EXPECT_EQ(96u, tail.left);
}
