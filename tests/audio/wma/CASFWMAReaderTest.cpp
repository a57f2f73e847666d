// The ASF reader over ffmpeg's files and damaged copies of them. The counting operator new
// below serves the whole test program: it gives the most memory the reader held.
#include <gtest/gtest.h>
#include <windows.h>

#include "CASFWMAReader.h"
#include "StdioFile.h"
#include "WmaTestSupport.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

namespace {

std::atomic<int64_t> inUse{0}, highWater{0};
constexpr size_t kSizeHeader = 16;  // keeps the blocks 16-byte aligned

void* Allocate(size_t bytes) {
    auto* block = static_cast<uint8_t*>(std::malloc(bytes + kSizeHeader));
    if (!block) return nullptr;
    *reinterpret_cast<size_t*>(block) = bytes;
    const int64_t now = inUse += static_cast<int64_t>(bytes);
    for (int64_t high = highWater; now > high && !highWater.compare_exchange_weak(high, now);) {
    }
    return block + kSizeHeader;
}

void Release(void* p) {
    if (!p) return;
    auto* block = static_cast<uint8_t*>(p) - kSizeHeader;
    inUse -= static_cast<int64_t>(*reinterpret_cast<size_t*>(block));
    std::free(block);
}

// Bytes above what was held before `work` ran, at their highest.
template <typename Work>
int64_t PeakOf(Work&& work) {
    const int64_t before = inUse;
    highWater = before;
    work();
    return highWater - before;
}

}  // namespace

void* operator new(size_t bytes) {
    if (void* p = Allocate(bytes)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t bytes) { return operator new(bytes); }
void* operator new(size_t bytes, const std::nothrow_t&) noexcept { return Allocate(bytes); }
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept { return Allocate(bytes); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }

using namespace wmatest;

namespace {

// A reader over a file of the test's own.
struct AsfFile {
    StdioFile file;
    std::unique_ptr<StdioFileReader> reader;
    CASFWMAReader asf;

    bool Open(const std::wstring& path) {
        if (!file.OpenRead(path.c_str())) return false;
        reader.reset(new StdioFileReader(file.Get()));
        asf.SetReader(reader.get());
        return asf.Open();
    }
    std::vector<AsfMediaObject> Objects(bool skipData = false) {
        std::vector<AsfMediaObject> objects;
        AsfMediaObject object;
        while (asf.ReadObject(&object, -1, skipData)) objects.push_back(object);
        return objects;
    }
};

void Free(std::vector<AsfMediaObject>& objects) {
    for (AsfMediaObject& object : objects) delete[] object.data;
}

std::wstring Copy(const std::string& bytes, const wchar_t* name) {
    const std::wstring path = testsupport::DeviceRoot() + L"\\" + name;
    testsupport::WriteBytes(path, bytes);
    return path;
}

uint32_t Le32(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 | static_cast<uint8_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}
void Put16(std::string& b, size_t at, uint16_t v) {
    b[at] = static_cast<char>(v);
    b[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

}  // namespace

TEST(CASFWMAReader, ReadsTheHeaderAndObjectsFfprobeReportsOfFfmpegFiles) {
    for (const Fixture& fixture : Fixtures()) {
        SCOPED_TRACE(testing::Message() << std::string(fixture.name, fixture.name + wcslen(fixture.name)));
        const Facts facts = ProbeFacts(fixture.name);
        ASSERT_GT(facts.rate, 0);
        AsfFile f;
        ASSERT_TRUE(f.Open(Path(fixture.name, L".wma")));
        const AsfAudioFormat& format = f.asf.Format();
        EXPECT_EQ(fixture.tag, format.formatTag);
        EXPECT_EQ(facts.rate, static_cast<int>(format.sampleRate));
        EXPECT_EQ(facts.channels, format.channels);
        EXPECT_GT(format.blockAlign, 0);
        EXPECT_EQ(fixture.tag == 0x160 ? 4 : 10, format.extraSize);
        EXPECT_NEAR(facts.durationMs, f.asf.DurationMs(), 1);
        EXPECT_FALSE(f.asf.Broadcast());
        // ffmpeg writes a spread of span 1: nothing to de-interleave.
        EXPECT_EQ(0, f.asf.SpreadSpan());
        ASSERT_EQ(f.asf.MinPacketSize(), f.asf.MaxPacketSize());
        EXPECT_EQ(f.asf.DataBytes() / static_cast<long>(f.asf.MinPacketSize()), static_cast<long>(f.asf.DataPacketCount()));
        EXPECT_EQ(L"Morning Bell", f.asf.Title());
        EXPECT_EQ(L"Orvalen Tests", f.asf.Author());
        EXPECT_EQ(L"", f.asf.Description());  // ffmpeg keeps its comment elsewhere
        EXPECT_EQ(L"", f.asf.Rating());

        std::vector<AsfMediaObject> objects = f.Objects();
        EXPECT_EQ(static_cast<size_t>(facts.objects), objects.size());
        int32_t lastTime = -1;
        for (const AsfMediaObject& object : objects) {
            EXPECT_EQ(format.blockAlign, object.size);
            EXPECT_GE(object.timeMs, lastTime);
            lastTime = object.timeMs;
        }
        Free(objects);
    }
}

TEST(CASFWMAReader, EveryTruncationEndsTheParseOrTheWalkWithoutHanging) {
    const std::string whole = Bytes(Path(L"wmav2_2_22050", L".wma"));
    AsfFile full;
    ASSERT_TRUE(full.Open(Path(L"wmav2_2_22050", L".wma")));
    const size_t dataStart = static_cast<size_t>(full.asf.DataStart());
    const size_t allObjects = full.Objects(true).size();
    for (size_t length = 0; length < whole.size(); length += length < dataStart + 64 ? 1 : 97) {
        AsfFile f;
        const std::wstring path = Copy(whole.substr(0, length), L"cut.wma");
        const bool opened = f.Open(path);
        EXPECT_EQ(length >= dataStart, opened) << length;
        std::vector<AsfMediaObject> objects = f.Objects();
        EXPECT_LE(objects.size(), allObjects) << length;
        Free(objects);
    }
}

TEST(CASFWMAReader, MediaObjectsHoldNoMoreThanTheDataAhead) {
    // ffmpeg's file cut to its header and first packet, whose first payload claims a media
    // object of 16 MB.
    AsfFile whole;
    ASSERT_TRUE(whole.Open(Path(L"wmav2_1_22050", L".wma")));
    const size_t dataStart = static_cast<size_t>(whole.asf.DataStart());
    const uint16_t blockAlign = whole.asf.Format().blockAlign;
    std::string file = Bytes(Path(L"wmav2_1_22050", L".wma")).substr(0, dataStart + whole.asf.MinPacketSize());
    size_t sizeAt = dataStart;
    while (sizeAt < dataStart + 32 && Le32(file, sizeAt) != blockAlign) ++sizeAt;
    ASSERT_NE(sizeAt, dataStart + 32) << "the first payload's object size";
    Put32(file, sizeAt, 0xFFFFFF);

    AsfFile f;
    ASSERT_TRUE(f.Open(Copy(file, L"claims.wma")));
    std::vector<AsfMediaObject> objects;
    const int64_t peak = PeakOf([&] { objects = f.Objects(); });
    printf("%zu-byte file: peak %lld bytes, %zu objects\n", file.size(), static_cast<long long>(peak), objects.size());
    RecordProperty("object_peak_bytes", std::to_string(peak));
    EXPECT_LT(peak, static_cast<int64_t>(2 * file.size()));
    EXPECT_FALSE(objects.empty()) << "the whole objects after the damaged one";
    for (const AsfMediaObject& object : objects) EXPECT_EQ(blockAlign, object.size);
    Free(objects);
}

TEST(CASFWMAReader, DeinterleavesSpreadObjectsOfTheRightSizeOnly) {
    const std::string whole = Bytes(Path(L"wmav2_1_22050", L".wma"));
    AsfFile plain;
    ASSERT_TRUE(plain.Open(Path(L"wmav2_1_22050", L".wma")));
    std::vector<AsfMediaObject> source = plain.Objects();
    ASSERT_FALSE(source.empty());
    const uint32_t size = source[0].size;
    uint16_t span = 2;
    while (size % span) ++span;
    ASSERT_LT(span, 256) << "object size " << size;
    const uint16_t packetLength = static_cast<uint16_t>(size / span);

    // The spread record follows the stream's WAVEFORMATEX: span, packet and chunk length.
    const char spreadGuid[] = "\x50\xcd\xc3\xbf\x8f\x61\xcf\x11\x8b\xb2\x00\xaa\x00\xb4\xe2\x20";
    const size_t guidAt = whole.find(std::string(spreadGuid, 16));
    ASSERT_NE(std::string::npos, guidAt);
    const size_t typeBytes = Le32(whole, guidAt + 16 + 8);
    const size_t spreadAt = guidAt + 16 + 8 + 4 + 4 + 2 + 4 + typeBytes;
    auto withSpread = [&](uint8_t s, uint16_t packet, uint16_t chunk) {
        std::string bytes = whole;
        bytes[spreadAt] = static_cast<char>(s);
        Put16(bytes, spreadAt + 1, packet);
        Put16(bytes, spreadAt + 3, chunk);
        return bytes;
    };

    AsfFile spread;
    ASSERT_TRUE(spread.Open(Copy(withSpread(static_cast<uint8_t>(span), packetLength, 1), L"spread.wma")));
    EXPECT_EQ(span, spread.asf.SpreadSpan());
    std::vector<AsfMediaObject> mixed = spread.Objects();
    ASSERT_EQ(source.size(), mixed.size());
    for (size_t i = 0; i < source.size(); ++i) {
        ASSERT_EQ(size, mixed[i].size);
        bool same = true;
        for (uint32_t k = 0; k < size && same; ++k)
            same = mixed[i].data[k] == source[i].data[k / span + (k % span) * packetLength];
        EXPECT_TRUE(same) << "object " << i;
    }

    // A packet length that does not make up the object: the objects pass through whole.
    AsfFile wrongSize;
    ASSERT_TRUE(wrongSize.Open(Copy(withSpread(static_cast<uint8_t>(span), packetLength - 1, 1), L"wrong.wma")));
    std::vector<AsfMediaObject> passed = wrongSize.Objects();
    ASSERT_EQ(source.size(), passed.size());
    for (size_t i = 0; i < source.size(); ++i)
        EXPECT_EQ(0, memcmp(source[i].data, passed[i].data, size)) << "object " << i;
    Free(source);
    Free(mixed);
    Free(passed);
}

TEST(CASFWMAReader, SeeksToTheObjectBeforeATime) {
    AsfFile f;
    ASSERT_TRUE(f.Open(Path(L"wmav2_2_44100", L".wma")));
    std::vector<AsfMediaObject> all = f.Objects(true);
    ASSERT_GT(all.size(), 10u);

    EXPECT_EQ(0, f.asf.SeekMS(0));
    AsfMediaObject first;
    ASSERT_TRUE(f.asf.ReadObject(&first));
    EXPECT_EQ(all[0].timeMs, first.timeMs);
    delete[] first.data;

    for (size_t i : {size_t(3), all.size() / 2, all.size() - 1}) {
        const int32_t target = all[i].timeMs + 10;
        const int32_t skip = f.asf.SeekMS(target);
        AsfMediaObject next;
        ASSERT_TRUE(f.asf.ReadObject(&next)) << i;
        EXPECT_EQ(all[i].timeMs, next.timeMs) << i;
        EXPECT_EQ(target, next.timeMs + skip) << i;
        delete[] next.data;
    }
}

namespace {

struct Walk {
    std::wstring path;
    bool opened = false;
    static DWORD WINAPI Run(void* self) {
        auto* w = static_cast<Walk*>(self);
        AsfFile f;
        w->opened = f.Open(w->path);
        f.Objects(true);
        f.asf.SeekMS(1000);
        f.Objects(true);
        return 0;
    }
};

}  // namespace

TEST(CASFWMAReader, PacketSizesNearTwoToTheThirtyTwoEndEveryWalk) {
    // ffmpeg's file whose packets all claim a size past 2^31, the first of them damaged:
    // the step over it overflowed 32 bits and the walk began again at it, for ever.
    AsfFile plain;
    ASSERT_TRUE(plain.Open(Path(L"wmav2_2_22050", L".wma")));
    const size_t dataStart = static_cast<size_t>(plain.asf.DataStart());
    std::string whole = Bytes(Path(L"wmav2_2_22050", L".wma"));
    whole[dataStart] = '\x81';  // error correction flags no packet has
    const size_t props = whole.find(std::string("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16));
    ASSERT_NE(props, std::string::npos);
    constexpr size_t kMinPacketAt = 24 + 68, kMaxPacketAt = 24 + 72;
    ASSERT_EQ(Le32(whole, props + kMinPacketAt), Le32(whole, props + kMaxPacketAt));
    for (uint32_t size : {0x7FFFFF00u, 0x80000100u, 0xFFFFFF00u}) {
        std::string file = whole;
        Put32(file, props + kMinPacketAt, size);
        Put32(file, props + kMaxPacketAt, size);
        Walk walk;
        walk.path = Copy(file, L"huge_packets.wma");
        // On a thread of its own, so a walk that never ends fails the test rather than hangs it
        // (a walk of this file takes milliseconds).
        HANDLE thread = CreateThread(nullptr, 0, Walk::Run, &walk, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        const bool ended = WaitForSingleObject(thread, 60000) == WAIT_OBJECT_0;
        if (!ended) TerminateThread(thread, 1);
        CloseHandle(thread);
        EXPECT_TRUE(ended) << std::hex << size << ": the walk went round for ever";
        EXPECT_TRUE(walk.opened) << std::hex << size;
    }
}
