// The recorder engine with its three threads on the device's real wave input (under Wine
// a sox-made tone): how recordings end, and the files they leave.
#include <gtest/gtest.h>

#include "DeviceControl.h"
#include "DeviceFiles.h"
#include "FileWriterThread.h"
#include "FilterChain.h"
#include "GainFilter.h"
#include "PcmWavCodec.h"
#include "Mp3EncoderCodec.h"
#include "ProcessingThread.h"
#include "RecordRequest.h"
#include "RecorderCodes.h"
#include "RecorderEngine.h"
#include "RecorderSettings.h"
#include "CodecFactoryTable.h"
#include "TestSupport.h"

#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr DWORD kWaitMs = 20000;

struct Ends {
    std::atomic<int> count{0};
    std::atomic<int> first{-1};
    std::atomic<int> last{-1};
    static void Notify(void* context, int code) {
        auto* ends = static_cast<Ends*>(context);
        if (ends->count == 0) ends->first = code;
        ends->last = code;
        ++ends->count;
    }
};

wchar_t* HeapName(const std::wstring& name) {
    auto* copy = static_cast<wchar_t*>(malloc((name.size() + 1) * sizeof(wchar_t)));
    wcscpy(copy, name.c_str());
    return copy;
}

std::wstring HostPath(const std::wstring& devicePath) {
    wchar_t mapped[MAX_PATH];
    return Device_MapPath(devicePath.c_str(), mapped, MAX_PATH) ? mapped : L"";
}

// An engine recording 22050 Hz mono from the device's capture into one file.
class RecorderEngineTest : public testing::Test {
protected:
    void SetUp() override {
        RecorderSettings& settings = RecorderSettings_Global();
        settings.capture = {100, 22050, 1, 16};
        settings.mp3.enabled = 1;
        settings.mp3.bitrateKbps = 96;
        ASSERT_EQ(0, engine_.Start(&level_, &chain_));
        engine_.SetClient(&ends_, Ends::Notify);
        CreateDirectoryW(HostPath(L"\\My Documents").c_str(), nullptr);
    }
    void TearDown() override { engine_.Stop(); }

    void Open() { ASSERT_EQ(0, engine_.OpenCapture(22050, 1, 16)); }
    int Record(const std::wstring& name, AudioCodec* codec) {
        request_.fileName = HeapName(name);
        request_.codec = codec;
        return engine_.Record(&request_);
    }
    bool Ended() {
        return testsupport::PollUntil(kWaitMs, [&] { return ends_.count > 0; });
    }
    // Both threads of the recording are done: the file is closed.
    bool Written() {
        return testsupport::PollUntil(kWaitMs, [&] { return !engine_.ProcessingActive() && !engine_.WriterActive(); });
    }

    GainFilter level_;
    FilterChain chain_;
    // Made before the engine, so they outlive the threads that encode with them.
    PcmWavCodec pcm_;
    Mp3EncoderCodec mp3_;
    RecorderEngine engine_;
    RecordRequest request_;
    Ends ends_;
};

}  // namespace

// A stop mid-recording: the end code is 0, the WAV's sizes match its data and its data is
// every byte the capture handed on. (Wine's capture of ALSA's null device is not paced by a
// clock, so the data's length says nothing of the time recorded here.)
TEST_F(RecorderEngineTest, AStopLeavesAWholeWavOfTheTimeRecorded) {
    Open();
    ASSERT_EQ(0, Record(L"\\My Documents\\stop.wav", &pcm_));
    Sleep(1500);
    ASSERT_EQ(0, engine_.Stop());
    EXPECT_FALSE(engine_.IsBusy());
    ASSERT_TRUE(Ended());
    EXPECT_EQ(0, ends_.last);
    ASSERT_TRUE(Written());
    std::string bytes;
    ASSERT_TRUE(testsupport::ReadBytes(HostPath(L"\\My Documents\\stop.wav"), &bytes));
    ASSERT_GT(bytes.size(), 44u);
    uint32_t riff = 0, data = 0;
    memcpy(&riff, &bytes[4], 4);
    memcpy(&data, &bytes[40], 4);
    EXPECT_EQ(bytes.size() - 8, riff);
    EXPECT_LE(bytes.size() - 44 - data, 3u);  // padded to 4 bytes
    EXPECT_GT(data, 0u);
    EXPECT_EQ(static_cast<uint32_t>(engine_.Processing()->processedBytes.load()), data);
    // The second Stop has nothing to stop.
    EXPECT_EQ(RecorderCode::kWrongState, engine_.Stop());
}

// 100000 free bytes or fewer: the first block ends the recording with "no room".
TEST_F(RecorderEngineTest, AFullVolumeEndsAtTheFirstBlockWithNoRoom) {
    ASSERT_TRUE(DeviceControl_SetDiskFreeBytes(100000));
    Open();
    ASSERT_EQ(0, Record(L"\\My Documents\\full.wav", &pcm_));
    ASSERT_TRUE(Ended());
    EXPECT_EQ(RecorderCode::kNoRoom, ends_.last);
    EXPECT_EQ(0, engine_.Processing()->postedBlocks.load());  // nothing went on
    EXPECT_TRUE(Written());
}

// A folder that does not exist: the writer cannot open the file, the recording ends with 7
// and no file is made.
TEST_F(RecorderEngineTest, AnUnwritableFolderEndsWithOpenFailedAndNoFile) {
    Open();
    ASSERT_EQ(0, Record(L"\\No Such Folder\\x.wav", &pcm_));
    ASSERT_TRUE(Ended());
    EXPECT_EQ(RecorderCode::kFileOpenFailed, ends_.last);
    EXPECT_TRUE(Written());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(HostPath(L"\\No Such Folder\\x.wav").c_str()));
}

// More than 2 MiB processed: the room estimate keeps its ratio (computed in 64 bits), so
// the recording goes on.
TEST_F(RecorderEngineTest, TheRoomEstimateHoldsBeyondTwoMebibytes) {
    ASSERT_TRUE(DeviceControl_SetDiskFreeBytes(50u << 20));
    Open();
    ASSERT_EQ(0, Record(L"\\My Documents\\long.wav", &pcm_));
    ASSERT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return engine_.Processing()->processedBlocks > 0; }));
    const int32_t big = 3 << 20;
    engine_.Processing()->processedBytes += big;
    engine_.Writer()->postedBytes += big;
    engine_.Writer()->receivedBytes += big;
    {
        CriticalSectionScope scope(engine_.Lock());
        EXPECT_GT(engine_.RemainingSpace(), 0);
        EXPECT_NEAR(engine_.Ratio(), 1024, 16);
    }
    const int32_t blocks = engine_.Processing()->postedBlocks;
    ASSERT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return engine_.Processing()->postedBlocks > blocks + 3; }));
    EXPECT_TRUE(engine_.IsRecording());
    EXPECT_EQ(0, ends_.count);
}

namespace {
// The stream's last bytes fail to reach the volume when it closes.
int FailingClose(FILE* file) {
    fclose(file);
    return EOF;
}

struct FailingCloseScope {
    FailingCloseScope() { FileWriterThread::closeFile = FailingClose; }
    ~FailingCloseScope() { FileWriterThread::closeFile = fclose; }
};
}  // namespace

// A failure at the close is a failed write: the client hears 8 after the recording's own
// end (0 from the stop).
TEST_F(RecorderEngineTest, AFailedFinalWriteEndsWithWriteFailed) {
    FailingCloseScope failing;
    Open();
    ASSERT_EQ(0, Record(L"\\My Documents\\close.mp3", &mp3_));
    ASSERT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return engine_.Processing()->processedBlocks >= 2; }));
    ASSERT_EQ(0, engine_.Stop());
    ASSERT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return ends_.count >= 2; }));
    EXPECT_EQ(0, ends_.first);
    EXPECT_EQ(RecorderCode::kFileWriteFailed, ends_.last);
}

namespace {
struct WriterEvents : RecorderThreadCallbacks {
    std::atomic<int> error{0};
    std::atomic<bool> active{false};
    void OnThreadState(Thread, bool value) override { active = value; }
    void OnThreadError(Thread, int code) override { error = code; }
};
}  // namespace

TEST(FileWriterThread, AFailedCloseIsAFailedWrite) {
    FailingCloseScope failing;
    CreateDirectoryW(HostPath(L"\\My Documents").c_str(), nullptr);
    WriterEvents events;
    FileWriterThread writer(&events);
    writer.Begin();
    writer.PostOpen(HeapName(L"\\My Documents\\close.wav"));
    ASSERT_TRUE(FileWriterSink_WriteCopy(&writer, "0123456789", 10));
    writer.PostClose();
    ASSERT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return !events.active; }));
    EXPECT_EQ(10, writer.writtenBytes.load());
    EXPECT_EQ(RecorderCode::kFileWriteFailed, events.error.load());
}

namespace {
// Writes through fwrite, but the third call fails (a card that filled up).
std::atomic<int> writeCalls{0};
size_t ThirdWriteFails(const void* buffer, size_t size, size_t count, FILE* file) {
    return ++writeCalls == 3 ? 0 : fwrite(buffer, size, count, file);
}
}  // namespace

// After a failed write the data ends there, but the codec's size patches still go in.
TEST(FileWriterThread, AFailedWriteKeepsTheSizePatches) {
    writeCalls = 0;
    FileWriterThread::writeFile = ThirdWriteFails;
    CreateDirectoryW(HostPath(L"\\My Documents").c_str(), nullptr);
    WriterEvents events;
    {
        FileWriterThread writer(&events);
        writer.Begin();
        writer.PostOpen(HeapName(L"\\My Documents\\patched.wav"));
        for (const char* piece : {"AAAA", "BBBB", "CCCC", "DDDD"}) ASSERT_TRUE(FileWriterSink_WriteCopy(&writer, piece, 4));
        writer.Seek(0, 0);
        ASSERT_TRUE(FileWriterSink_WriteCopy(&writer, "ZZ", 2));
        writer.Seek(6, 0);
        ASSERT_TRUE(FileWriterSink_WriteCopy(&writer, "ZZZ", 3));  // would grow the file: not written
        writer.PostClose();
        ASSERT_TRUE(testsupport::PollUntil(kWaitMs, [&] { return !events.active; }));
    }
    FileWriterThread::writeFile = fwrite;
    EXPECT_EQ(RecorderCode::kFileWriteFailed, events.error.load());
    std::string bytes;
    ASSERT_TRUE(testsupport::ReadBytes(HostPath(L"\\My Documents\\patched.wav"), &bytes));
    EXPECT_EQ("ZZAABBBB", bytes);
}

namespace {
// Every write waits until the test lets it go: a card that stopped answering.
struct StalledCard {
    static HANDLE release;
    static HANDLE closed;
    static size_t Write(const void* buffer, size_t size, size_t count, FILE* file) {
        WaitForSingleObject(release, INFINITE);
        return fwrite(buffer, size, count, file);
    }
    static int Close(FILE* file) {
        const int result = fclose(file);
        SetEvent(closed);
        return result;
    }
    StalledCard() {
        release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        FileWriterThread::writeFile = Write;
        FileWriterThread::closeFile = Close;
    }
    ~StalledCard() {
        // The writer left behind ends with its last write and close.
        SetEvent(release);
        WaitForSingleObject(closed, kWaitMs);
        FileWriterThread::writeFile = fwrite;
        FileWriterThread::closeFile = fclose;
        CloseHandle(release);
        CloseHandle(closed);
    }
};
HANDLE StalledCard::release = nullptr;
HANDLE StalledCard::closed = nullptr;
}  // namespace

// A card that stops answering: the recording ends with "writer behind" once the writer
// has taken nothing for five seconds (of capture, and of the tick count: Wine's capture
// runs ahead of the clock), so what waits for the card, as the recorder counts it, stays
// far below its bound; the close and the engine's end do not wait for the card, and the
// file, once the card answers again, is whole.
TEST(RecorderEngine, AStalledCardEndsTheRecordingWithinSecondsAndNothingWaitsForIt) {
    RecorderSettings& settings = RecorderSettings_Global();
    settings.capture = {100, 22050, 1, 16};
    CreateDirectoryW(HostPath(L"\\My Documents").c_str(), nullptr);
    StalledCard card;
    GainFilter level;
    FilterChain chain;
    PcmWavCodec pcm;
    Ends ends;
    RecordRequest request;
    auto* engine = new RecorderEngine;
    ASSERT_EQ(0, engine->Start(&level, &chain));
    engine->SetClient(&ends, Ends::Notify);
    ASSERT_EQ(0, engine->OpenCapture(22050, 1, 16));
    request.fileName = HeapName(L"\\My Documents\\stalled.wav");
    request.codec = &pcm;
    ASSERT_EQ(0, engine->Record(&request));
    const bool ended = testsupport::PollUntil(60000, [&] { return ends.count > 0; });
    if (!ended) SetEvent(StalledCard::release);  // not to hang the rest of the test
    ASSERT_TRUE(ended);
    EXPECT_EQ(RecorderCode::kWriterBehind, ends.first.load());
    ASSERT_EQ(0, engine->Stop());
    EXPECT_FALSE(engine->WaitUntilClosed()) << "the card still does not answer";
    const int64_t captured = engine->Processing()->postedBytes;
    const int64_t waiting = engine->Writer()->postedBytes - engine->Writer()->receivedBytes;
    const int64_t perSecond = 22050 * 2;
    EXPECT_GT(captured, RecorderEngine::kWriterStallSeconds * perSecond);
    EXPECT_LT(captured, RecorderEngine::kMaxWriterBacklogBytes);
    EXPECT_LE(waiting, captured + 100);  // the header and the sizes besides the samples
    delete engine;  // leaves the writer behind
    SetEvent(StalledCard::release);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(StalledCard::closed, kWaitMs));
    std::unique_ptr<AudioCodec> reader(CodecFactoryTable::Create(CodecFactoryTable::kPcmWav));
    reader->SetFileName(HostPath(L"\\My Documents\\stalled.wav").c_str());
    ASSERT_EQ(0, reader->OpenRead());
    uint32_t frames = 1 << 20;
    std::vector<int16_t> samples(frames);
    ASSERT_EQ(0, reader->Read(samples.data(), &frames));
    EXPECT_EQ(static_cast<uint32_t>(captured / 2), frames);
    reader->CloseRead();
}
