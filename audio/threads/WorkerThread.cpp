#include "WorkerThread.h"

WorkerThread::~WorkerThread() { StopAndJoin(); }

bool WorkerThread::StartThread() {
    if (thread_) return true;
    thread_.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, &threadId_));
    if (!thread_) threadId_ = 0;
    return thread_.Valid();
}

DWORD WINAPI WorkerThread::ThreadMain(void* self) {
    auto* thread = static_cast<WorkerThread*>(self);
    MSG message;
    // The queue exists from here on, so posts stop being refused.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        try {
            thread->OnMessage(message);
        } catch (...) {
            // A failing message must not end the thread: later posts would then wait forever.
        }
    }
    thread->OnLoopEnd();
    return 0;
}

BOOL WorkerThread::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!thread_) return FALSE;
    for (;;) {
        const BOOL posted = PostThreadMessageW(threadId_, message, wParam, lParam);
        if (posted) return posted;
        // A thread that ended would refuse every retry.
        if (WaitForSingleObject(thread_.Get(), 0) == WAIT_OBJECT_0) return FALSE;
        Sleep(1);
    }
}

void WorkerThread::Stop() {
    if (thread_) Post(WM_QUIT, 0, 0);
}

void WorkerThread::StopAndJoin() { StopAndJoin(INFINITE); }

bool WorkerThread::StopAndJoin(DWORD timeoutMs) {
    if (!thread_) return true;
    Stop();
    if (WaitForSingleObject(thread_.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
    ForgetThread();
    return true;
}

void WorkerThread::ForgetThread() {
    threadId_ = 0;
    thread_.Reset();
}
