#pragma once
// The recorder's processing thread: runs the filter chain over the captured blocks and
// encodes them with the recording's codec, whose output goes to the file writer.
#include "RecorderThreadCallbacks.h"
#include "WorkerThread.h"

#include <atomic>
#include <cstdint>

class AudioCodec;
class FileWriterThread;
class FilterChain;
struct RecordRequest;

class ProcessingThread : public WorkerThread {
public:
    static constexpr UINT kDataMessage = kFirstMessage;       // buffer, byte count
    static constexpr UINT kStartMessage = kFirstMessage + 1;  // RecordRequest
    static constexpr UINT kStopMessage = kFirstMessage + 2;   //

    ProcessingThread(FileWriterThread* writer, FilterChain* chain, RecorderThreadCallbacks* callbacks);
    ~ProcessingThread() override;

    // Before a recording: the codec that will encode it, counters and error cleared.
    void Begin(AudioCodec* codec);

    std::atomic<int64_t> postedBytes{0};
    std::atomic<int32_t> postedBlocks{0};
    std::atomic<int64_t> processedBytes{0};
    std::atomic<int32_t> processedBlocks{0};
    std::atomic<bool> active{false};
    std::atomic<bool> error{false};
    // The codec in use (not owned); set on the user-interface thread before the start.
    std::atomic<AudioCodec*> codec{nullptr};

protected:
    void OnMessage(const MSG& message) override;

private:
    void Fail(int code);
    void StartRecording(const RecordRequest* request);
    void ProcessBlock(void* buffer, uint32_t bytes);
    void StopRecording();

    FileWriterThread* writer_;
    FilterChain* chain_;
    RecorderThreadCallbacks* callbacks_;
    int32_t channels_ = 1;
    bool codecOpen_ = false;
};
