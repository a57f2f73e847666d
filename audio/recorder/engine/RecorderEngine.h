#pragma once
// Turns the microphone's input into a file on three threads: the capture thread (wave
// input and the level filter), the processing thread (filter chain and codec) and the
// file writer. Buffers travel between them inside thread messages; each has one owner
// at a time. One lock guards the flags, the error code and the posting of stops.
#include "CriticalSection.h"
#include "RecorderThreadCallbacks.h"

#include <atomic>
#include <cstdint>
#include <memory>

class CaptureThread;
class FileWriterThread;
class FilterChain;
class GainFilter;
class ProcessingThread;
struct RecordRequest;

class RecorderEngine : private RecorderThreadCallbacks {
public:
    static constexpr int kMaxBlocksBehind = 499;
    static constexpr int kMemoryCheckEvery = 10;
    static constexpr uint64_t kPlentyOfMemory = 500000;
    static constexpr uint64_t kLowMemory = 100000;
    static constexpr uint64_t kReservedBytes = 100000;
    static constexpr int kMaxOutputDirectory = 260;
    // A writer that falls this far behind (a slow or stalled card) ends the recording
    // before it eats the memory: bytes or blocks waiting for it, or seconds (of capture and
    // of the tick count) during which it took nothing that waited.
    static constexpr int64_t kMaxWriterBacklogBytes = 4 << 20;
    static constexpr int32_t kMaxWriterBlocksBehind = 2000;
    static constexpr int kWriterStallSeconds = 5;
    // How long a close waits for a writer that has stopped moving.
    static constexpr DWORD kWriterStallMs = 3000;

    // Called with the context and the code the recording ended with.
    using ClientNotification = void (*)(void* context, int code);

    RecorderEngine();
    ~RecorderEngine() override;
    RecorderEngine(const RecorderEngine&) = delete;
    RecorderEngine& operator=(const RecorderEngine&) = delete;

    // Makes the three threads with the input device the settings hold now.
    int Start(GainFilter* levelFilter, FilterChain* chain);
    // Under the lock: opens the capture when the engine has one and it is not open yet;
    // 0 marks the engine busy. Samples per buffer follow the rate (2048 at 22050 Hz).
    int OpenCapture(int32_t sampleRate, int32_t channels, int32_t bits);
    static uint32_t SamplesPerBuffer(int32_t sampleRate);
    // Starts writing the request's file; 19 for an incomplete request, 18 without an
    // open capture.
    int Record(RecordRequest* request);
    // Asks the capture to stop (once) and waits until it has closed: 0, or 18 when
    // there is nothing to stop.
    int Stop();
    // Sets the stop request so that the next block ends the recording.
    void RequestFinish();
    // Waits until the recording's file is closed, as long as its threads keep moving:
    // false when they took nothing for kWriterStallMs.
    bool WaitUntilClosed();
    // The last recording's file was created.
    bool FileOpened() const;
    void SetClient(void* context, ClientNotification notification);

    // Called on the capture thread.
    void OnCapturedData(void* buffer, uint32_t bytes);
    void OnCaptureClosed(int code);

    // The room left, as recording time by the codec's format (/ 1024): 0 when no room is
    // left, -1 when unknown or plenty. Called under the lock.
    int32_t RemainingSpace();

    CriticalSection& Lock() { return lock_; }
    CaptureThread* Capture() const { return capture_.get(); }
    ProcessingThread* Processing() const { return processing_.get(); }
    FileWriterThread* Writer() const { return writer_.get(); }
    bool IsBusy() const { return busy_; }
    bool IsRecording() const { return recording_; }
    bool WriterActive() const { return writerActive_; }
    bool ProcessingActive() const { return processingActive_; }
    int ErrorCode() const { return errorCode_; }
    const wchar_t* OutputDirectory() const { return outputDirectory_; }
    int32_t Ratio() const { return ratio_; }

private:
    void OnThreadState(Thread thread, bool active) override;
    void OnThreadError(Thread thread, int code) override;
    // Ends the recording with the code: the processing thread stops, the client hears it.
    void EndRecording(int code);
    bool MemoryLow();
    // The writer's backlog, with this block counted in the capture it waited through.
    bool WriterBehind(uint32_t bytes);
    int64_t TimeOf(int64_t bytes) const;

    std::unique_ptr<CaptureThread> capture_;
    std::unique_ptr<FileWriterThread> writer_;
    std::unique_ptr<ProcessingThread> processing_;
    CriticalSection lock_;

    int32_t estimate_ = -1;
    int64_t available_ = 0;
    int32_t bufferedTime_ = 0;
    int64_t lastRatioTotal_ = 0;
    int32_t ratio_ = 0;
    wchar_t outputDirectory_[kMaxOutputDirectory + 1] = {};
    std::atomic<bool> busy_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> recording_{false};
    std::atomic<bool> stopPending_{false};
    std::atomic<int> errorCode_{0};
    std::atomic<bool> writerActive_{false};
    std::atomic<bool> processingActive_{false};
    int64_t sizeLimit_ = -1;
    int64_t captureBytesPerSecond_ = 0;
    int64_t writerSeen_ = 0;
    int64_t capturedSinceWriterMoved_ = 0;
    DWORD writerStillSince_ = 0;
    void* clientContext_ = nullptr;
    ClientNotification clientNotification_ = nullptr;
    int32_t memoryCountdown_ = 0;
};
