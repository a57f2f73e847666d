#pragma once
// The recorder's file writer: owns the output file and writes what the codec hands its
// sink, on a thread of its own, so a slow card never holds up the capture.
#include "CriticalSection.h"
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
    // What is written reaches the file system at least this often, so a recording cut off
    // by a reset or a power loss keeps all but its last moments.
    static constexpr DWORD kFlushEveryMs = 2000;

    // How the file is written and closed: fwrite and fclose, unless a test puts a failing
    // or blocking one in their place.
    using WriteFunction = size_t (*)(const void*, size_t, size_t, FILE*);
    using CloseFunction = int (*)(FILE*);
    static WriteFunction writeFile;
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
    // For a thread that did not end when asked (stuck in a write to a card that does not
    // answer): its reports go nowhere from now on, and it deletes this object when it ends.
    // The caller forgets the object.
    void Abandon();

    std::atomic<int64_t> postedBytes{0};
    std::atomic<int32_t> postedBlocks{0};
    std::atomic<int64_t> receivedBytes{0};
    std::atomic<int32_t> receivedBlocks{0};
    std::atomic<int64_t> writtenBytes{0};
    std::atomic<int32_t> writtenBlocks{0};
    std::atomic<bool> active{false};
    std::atomic<bool> error{false};
    // The last recording's file was created.
    std::atomic<bool> opened{false};

protected:
    void OnMessage(const MSG& message) override;
    void OnLoopEnd() override;

private:
    enum Ending { kRunning, kEnded, kAbandoned };

    void Report(bool isError, int value);
    void Fail(int code);
    void Open(wchar_t* fileName);
    void SeekTo(long offset, int origin);
    void WriteBlock(void* buffer, uint32_t length);
    void Close();

    CriticalSection callbackLock_;
    RecorderThreadCallbacks* callbacks_;
    std::atomic<int> ending_{kRunning};
    FILE* file_ = nullptr;
    // Where the next write goes (-1: unknown after a failed write) and how far the file
    // was written; after a failure only writes inside it (the size patches) are made.
    int64_t position_ = 0;
    int64_t end_ = 0;
    DWORD lastFlush_ = 0;
};
