#pragma once
// The base of the recorder's threads: a thread driven by thread messages, with a posting
// operation that never drops a message and a stop that joins. A derived class starts the
// thread at the end of its constructor and joins it at the start of its destructor, so
// the thread never sees a half-built or half-destroyed object.
#include <windows.h>

#include "ScopedHandle.h"

class WorkerThread {
public:
    // Message numbers of the derived threads start here.
    static constexpr UINT kFirstMessage = WM_USER + 1;

    virtual ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Posts to the thread's queue, retrying every millisecond while the queue refuses.
    // Nothing happens without a thread; 0 when the thread has ended.
    BOOL Post(UINT message, WPARAM wParam, LPARAM lParam);
    // Asks the thread to leave its loop (WM_QUIT); does not wait.
    virtual void Stop();
    // Stop, then wait up to timeoutMs: true (thread forgotten) when it ended in time.
    bool StopAndJoin(DWORD timeoutMs);
    bool HasThread() const { return thread_.Valid(); }
    DWORD ThreadId() const { return threadId_; }

protected:
    WorkerThread() = default;
    // False when the thread could not be created (posts are then ignored).
    bool StartThread();
    HANDLE ThreadHandle() const { return thread_.Get(); }
    // Stop, then wait for the thread's end without limit and forget it.
    void StopAndJoin();
    // Forgets the thread without waiting for it (the thread itself, before it deletes its object).
    void ForgetThread();
    // Runs on the thread for every message but WM_QUIT; no exception may leave it.
    virtual void OnMessage(const MSG& message) = 0;
    // Runs on the thread after its last message; the object may delete itself here.
    virtual void OnLoopEnd() {}

private:
    static DWORD WINAPI ThreadMain(void* self);

    ScopedHandle thread_;
    DWORD threadId_ = 0;
};
