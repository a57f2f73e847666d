#pragma once
// The recorder's capture thread: owns the wave input device, receives its buffers as
// thread messages, runs the level filter over them and hands them to the engine.
#include "WorkerThread.h"

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <cstdint>

class GainFilter;
class RecorderEngine;

class CaptureThread : public WorkerThread {
public:
    static constexpr int kBuffers = 4;
    static constexpr UINT kStopMessage = kFirstMessage;           // 1025
    static constexpr UINT kCloseMessage = kFirstMessage + 2;      // 1027
    static constexpr UINT kStartTimeoutMessage = kFirstMessage + 4;  // 1029
    static constexpr DWORD kStartTimeoutMs = 1000;

    enum State { kIdle = 0, kStarting = 1, kCapturing = 2, kStopping = 3 };

    // Checks the device; error() is 1 without any input device or the capability
    // query's result, and then no thread is started.
    CaptureThread(RecorderEngine* engine, int device, GainFilter* levelFilter);
    ~CaptureThread() override;

    // On the caller's thread: opens and starts the device and waits until its first
    // buffer came back (at most about a second). 0 or the capture error code.
    int OpenDevice(int32_t sampleRate, int32_t channels, int32_t bits, uint32_t samplesPerBuffer);

    int Error() const { return error_; }
    int GetState() const { return state_; }

protected:
    void OnMessage(const MSG& message) override;

private:
    struct BufferTag {
        int number;
        HWAVEIN device;
    };

    void OnBufferDone(WAVEHDR* header);
    void Deliver(void* buffer, uint32_t bytes);
    bool QueueBuffer(int n);
    void ReleaseBuffers();
    void CloseDevice();
    void SetErrorOnce(int code);

    RecorderEngine* engine_;
    int device_;
    GainFilter* levelFilter_;
    WAVEINCAPSW caps_ = {};
    std::atomic<int> error_{0};
    std::atomic<int> state_{kIdle};
    WAVEHDR headers_[kBuffers] = {};
    BufferTag tags_[kBuffers] = {};
    bool queued_[kBuffers] = {};
    uint32_t bufferBytes_ = 0;
    uint32_t allocationBytes_ = 0;
    uint32_t samplesPerBuffer_ = 0;
    HWAVEIN handle_ = nullptr;
    WAVEFORMATEX format_ = {};
    bool eightBit_ = false;
};
