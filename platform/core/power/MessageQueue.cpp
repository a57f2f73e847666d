// The device's message queues, kept in the process that made them. A queue's handle is
// a manual-reset event that is set exactly while a message waits, so readers can wait
// on it together with other objects.
#include "msgqueue.h"
#include "MessageQueueTable.h"

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace {

struct Message {
    std::vector<BYTE> bytes;
    DWORD flags;
};

struct Queue {
    HANDLE waiting = nullptr;  // the queue's handle
    DWORD maxMessages = 0;
    DWORD maxBytes = 0;
    std::mutex guard;
    std::deque<Message> messages;
};

class QueueTable {
public:
    static QueueTable& Instance() {
        static QueueTable table;
        return table;
    }
    std::shared_ptr<Queue> Find(HANDLE handle) {
        std::lock_guard<std::mutex> hold(guard_);
        auto it = queues_.find(handle);
        return it == queues_.end() ? nullptr : it->second;
    }
    void Add(const std::shared_ptr<Queue>& queue) {
        std::lock_guard<std::mutex> hold(guard_);
        queues_[queue->waiting] = queue;
    }
    std::shared_ptr<Queue> Remove(HANDLE handle) {
        std::lock_guard<std::mutex> hold(guard_);
        auto it = queues_.find(handle);
        if (it == queues_.end()) return nullptr;
        std::shared_ptr<Queue> queue = it->second;
        queues_.erase(it);
        return queue;
    }

private:
    std::mutex guard_;
    std::map<HANDLE, std::shared_ptr<Queue>> queues_;
};

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

// Takes the oldest message when there is one; false when the queue is empty.
bool TakeOldest(Queue& q, Message* out) {
    std::lock_guard<std::mutex> hold(q.guard);
    if (q.messages.empty()) return false;
    *out = std::move(q.messages.front());
    q.messages.pop_front();
    if (q.messages.empty()) ResetEvent(q.waiting);
    return true;
}

}  // namespace

HANDLE CreateMsgQueue(LPCWSTR lpName, LPMSGQUEUEOPTIONS lpOptions) {
    if (lpName) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (!lpOptions || lpOptions->dwSize != sizeof(MSGQUEUEOPTIONS) || lpOptions->cbMaxMessage == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<Queue> queue(new (std::nothrow) Queue);
    if (!queue) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    queue->waiting = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!queue->waiting) return nullptr;
    queue->maxMessages = lpOptions->dwMaxMessages;
    queue->maxBytes = lpOptions->cbMaxMessage;
    QueueTable::Instance().Add(queue);
    return queue->waiting;
}

BOOL ReadMsgQueue(HANDLE hMsgQ, LPVOID lpBuffer, DWORD cbBufferSize, LPDWORD lpNumberOfBytesRead, DWORD dwTimeout,
                  DWORD* pdwFlags) {
    std::shared_ptr<Queue> queue = QueueTable::Instance().Find(hMsgQ);
    if (!queue) return Fail(ERROR_INVALID_HANDLE);
    if (!lpBuffer || !lpNumberOfBytesRead) return Fail(ERROR_INVALID_PARAMETER);
    const ULONGLONG start = GetTickCount64();
    Message message;
    while (!TakeOldest(*queue, &message)) {
        DWORD wait = dwTimeout;
        if (dwTimeout != INFINITE) {
            ULONGLONG spent = GetTickCount64() - start;
            if (spent >= dwTimeout) return Fail(ERROR_TIMEOUT);
            wait = DWORD(dwTimeout - spent);
        }
        // Another reader may take the message first; then this one waits again.
        if (WaitForSingleObject(queue->waiting, wait) == WAIT_FAILED) return FALSE;
    }
    if (message.bytes.size() > cbBufferSize) return Fail(ERROR_INSUFFICIENT_BUFFER);
    if (!message.bytes.empty()) memcpy(lpBuffer, message.bytes.data(), message.bytes.size());
    *lpNumberOfBytesRead = DWORD(message.bytes.size());
    if (pdwFlags) *pdwFlags = message.flags;
    return TRUE;
}

BOOL WriteMsgQueue(HANDLE hMsgQ, LPVOID lpBuffer, DWORD cbDataSize, DWORD, DWORD dwFlags) {
    std::shared_ptr<Queue> queue = QueueTable::Instance().Find(hMsgQ);
    if (!queue) return Fail(ERROR_INVALID_HANDLE);
    if (!lpBuffer && cbDataSize) return Fail(ERROR_INVALID_PARAMETER);
    if (cbDataSize > queue->maxBytes) return Fail(ERROR_INSUFFICIENT_BUFFER);
    const BYTE* bytes = static_cast<const BYTE*>(lpBuffer);
    std::lock_guard<std::mutex> hold(queue->guard);
    if (queue->maxMessages && queue->messages.size() >= queue->maxMessages) return Fail(ERROR_TIMEOUT);
    queue->messages.push_back(Message{std::vector<BYTE>(bytes, bytes + cbDataSize), dwFlags & MSGQUEUE_MSGALERT});
    SetEvent(queue->waiting);
    return TRUE;
}

bool MessageQueue_Exists(HANDLE queue) { return QueueTable::Instance().Find(queue) != nullptr; }

BOOL CloseMsgQueue(HANDLE hMsgQ) {
    std::shared_ptr<Queue> queue = QueueTable::Instance().Remove(hMsgQ);
    if (!queue) return Fail(ERROR_INVALID_HANDLE);
    CloseHandle(queue->waiting);
    return TRUE;
}
