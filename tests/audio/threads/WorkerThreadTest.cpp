// The worker thread base: every posted message arrives in order even while the thread is
// slow to take them, the destructor joins, and a missing or ended thread never blocks a post.
#include <gtest/gtest.h>

#include "ScopedHandle.h"
#include "WorkerThread.h"

#include <vector>

namespace {

class RecordingThread : public WorkerThread {
public:
    explicit RecordingThread(bool start = true) {
        if (start) StartThread();
    }
    ~RecordingThread() override { StopAndJoin(); }

    // A copy of the thread handle that outlives the object.
    HANDLE DuplicateThread() const {
        HANDLE copy = nullptr;
        HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, ThreadId());
        if (thread) {
            DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
            CloseHandle(thread);
        }
        return copy;
    }

    std::vector<WPARAM> received;  // touched by the thread only until it is joined

protected:
    void OnMessage(const MSG& message) override {
        // The first message keeps the thread busy while the queue fills up.
        if (received.empty()) Sleep(200);
        if (message.message == kFirstMessage) received.push_back(message.wParam);
    }
};

}  // namespace

TEST(WorkerThread, DeliversEveryPostInOrderAndItsDestructorJoins) {
    constexpr WPARAM kPosts = 30000;  // more than a Windows thread queue holds
    auto* thread = new RecordingThread();
    ASSERT_TRUE(thread->HasThread());
    ScopedHandle joined(thread->DuplicateThread());
    ASSERT_TRUE(joined);
    for (WPARAM i = 0; i < kPosts; ++i) ASSERT_TRUE(thread->Post(WorkerThread::kFirstMessage, i, 0));
    std::vector<WPARAM> received;
    // Stop, join, then look at what the thread recorded.
    thread->Stop();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(joined.Get(), 60000));
    received.swap(thread->received);
    delete thread;
    ASSERT_EQ(kPosts, received.size());
    for (WPARAM i = 0; i < kPosts; ++i)
        if (received[i] != i) FAIL() << "message " << i << " arrived as " << received[i];
}

TEST(WorkerThread, TheDestructorReturnsOnlyAfterTheThreadHasEnded) {
    auto* thread = new RecordingThread();
    ScopedHandle handle(thread->DuplicateThread());
    ASSERT_TRUE(handle);
    thread->Post(WorkerThread::kFirstMessage, 1, 0);  // busy for a while
    delete thread;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(handle.Get(), 0));
}

TEST(WorkerThread, PostsToAMissingOrEndedThreadReturnAtOnce) {
    {
        RecordingThread none(false);
        EXPECT_FALSE(none.HasThread());
        EXPECT_FALSE(none.Post(WorkerThread::kFirstMessage, 1, 0));
    }  // and its destructor has nothing to wait for

    RecordingThread ended;
    ScopedHandle handle(ended.DuplicateThread());
    ended.Stop();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(handle.Get(), 60000));
    EXPECT_FALSE(ended.Post(WorkerThread::kFirstMessage, 2, 0));
}
