#pragma once
// The recorder's file writer: owns the output file and writes what the codec hands its
// sink, on a thread of its own, so a slow card never holds up the capture.
#include "FileWriterSink.h"
#include "RecorderThreadCallbacks.h"
#include "WorkerThread.h"

#include <atomic>
#include <cstdint>
#include <cstdio>

class FileWriterThread : public WorkerThread, public FileWriterSink {
public:
    static constexpr UINT kWriteMessage = kFirstMessage;      // buffer, byte count
    static constexpr UINT kCloseMessage = kFirstMessage + 1;  //
    static constexpr UINT kOpenMessage = kFirstMessage + 2;   // malloc'd file name
    static constexpr UINT kSeekMessage = kFirstMessage + 3;   // offset, origin

    // How the file is closed: fclose, unless a test puts a failing close in its place.
    using CloseFunction = int (*)(FILE*);
    static CloseFunction closeFile;

    explicit FileWriterThread(RecorderThreadCallbacks* callbacks);
    ~FileWriterThread() override;

    // FileWriterSink, called on the processing thread: both only queue work.
    void Write(void* buffer, uint32_t length) override;
    void Seek(long offset, int origin) override;

    // Opens the named file (a device path); the thread frees the name.
    void PostOpen(wchar_t* fileName);
    void PostClose();
    // Before a recording: active, no error, counters cleared.
    void Begin();

    std::atomic<int32_t> postedBytes{0};
    std::atomic<int32_t> postedBlocks{0};
    std::atomic<int32_t> receivedBytes{0};
    std::atomic<int32_t> receivedBlocks{0};
    std::atomic<int32_t> writtenBytes{0};
    std::atomic<int32_t> writtenBlocks{0};
    std::atomic<bool> active{false};
    std::atomic<bool> error{false};

protected:
    void OnMessage(const MSG& message) override;

private:
    void Fail(int code);
    void Open(wchar_t* fileName);
    void WriteBlock(void* buffer, uint32_t length);
    void Close();

    RecorderThreadCallbacks* callbacks_;
    FILE* file_ = nullptr;
};
