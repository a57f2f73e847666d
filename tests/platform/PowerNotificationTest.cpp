// Message queues and the power manager's notifications written into them; the device's
// thread priorities on the host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "kfuncs.h"
#include "msgqueue.h"
#include "pm.h"

namespace {

MSGQUEUEOPTIONS Options(DWORD messages, DWORD bytes) { return MSGQUEUEOPTIONS{sizeof(MSGQUEUEOPTIONS), 0, messages, bytes, TRUE}; }

struct Notice {
    DWORD message, flags;
    std::wstring name;
    bool operator==(const Notice& o) const { return message == o.message && flags == o.flags && name == o.name; }
};

// Reads what the queue holds within `ms` (the notifications come from another thread).
std::vector<Notice> Drain(HANDLE queue, DWORD ms) {
    std::vector<Notice> seen;
    BYTE buffer[300];
    DWORD read = 0, flags = 0;
    while (ReadMsgQueue(queue, buffer, sizeof buffer, &read, ms, &flags)) {
        const POWER_BROADCAST* b = reinterpret_cast<const POWER_BROADCAST*>(buffer);
        EXPECT_EQ(12 + b->Length, read);
        seen.push_back(Notice{b->Message, b->Flags, b->Length ? b->SystemPowerState : L""});
    }
    return seen;
}

}  // namespace

TEST(MessageQueue, KeepsWholeMessagesInOrderAndSignalsWhileOneWaits) {
    MSGQUEUEOPTIONS bad = Options(2, 8);
    bad.dwSize = 19;
    EXPECT_EQ(nullptr, CreateMsgQueue(nullptr, &bad));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    MSGQUEUEOPTIONS options = Options(2, 8);
    EXPECT_EQ(nullptr, CreateMsgQueue(L"named", &options));

    HANDLE queue = CreateMsgQueue(nullptr, &options);
    ASSERT_TRUE(queue);
    EXPECT_EQ(DWORD(WAIT_TIMEOUT), WaitForSingleObject(queue, 0));
    char first[] = "first", second[] = "2nd", toolong[] = "123456789";
    EXPECT_TRUE(WriteMsgQueue(queue, first, 5, 0, 0));
    EXPECT_TRUE(WriteMsgQueue(queue, second, 3, 0, MSGQUEUE_MSGALERT));
    EXPECT_FALSE(WriteMsgQueue(queue, first, 5, 0, 0));
    EXPECT_EQ(DWORD(ERROR_TIMEOUT), GetLastError());
    EXPECT_FALSE(WriteMsgQueue(queue, toolong, 9, 0, 0));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(DWORD(WAIT_OBJECT_0), WaitForSingleObject(queue, 0));

    char buffer[8] = {};
    DWORD read = 0, flags = 7;
    ASSERT_TRUE(ReadMsgQueue(queue, buffer, sizeof buffer, &read, 0, &flags));
    EXPECT_EQ("first", std::string(buffer, read));
    EXPECT_EQ(0u, flags);
    // Too small a buffer loses the message.
    EXPECT_FALSE(ReadMsgQueue(queue, buffer, 2, &read, 0, &flags));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(DWORD(WAIT_TIMEOUT), WaitForSingleObject(queue, 0));
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(ReadMsgQueue(queue, buffer, sizeof buffer, &read, 100, &flags));
    EXPECT_EQ(DWORD(ERROR_TIMEOUT), GetLastError());
    EXPECT_GE(GetTickCount64() - start, 90u);

    EXPECT_TRUE(CloseMsgQueue(queue));
    EXPECT_FALSE(ReadMsgQueue(queue, buffer, sizeof buffer, &read, 0, &flags));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
}

class PowerNotifications : public testsupport::FreshDeviceTest {};

TEST_F(PowerNotifications, EveryStateChangeArrivesInOrderWithResumeAfterSleep) {
    MSGQUEUEOPTIONS options = Options(5, 276);
    HANDLE all = CreateMsgQueue(nullptr, &options), resumes = CreateMsgQueue(nullptr, &options);
    ASSERT_TRUE(all && resumes);
    EXPECT_EQ(nullptr, RequestPowerNotifications(reinterpret_cast<HANDLE>(1), POWER_NOTIFY_ALL));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    HANDLE allNotes = RequestPowerNotifications(all, POWER_NOTIFY_ALL);
    HANDLE resumeNotes = RequestPowerNotifications(resumes, PBT_RESUME);
    ASSERT_TRUE(allNotes && resumeNotes);

    // In quick succession: each one is told.
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_SUSPEND, POWER_FORCE));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_ON, POWER_FORCE));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(L"useridle", 0, 0));
    const std::vector<Notice> expected = {{PBT_TRANSITION, POWER_STATE_SUSPEND, L"suspend"},
                                          {PBT_RESUME, 0, L""},
                                          {PBT_TRANSITION, POWER_STATE_ON, L"on"},
                                          {PBT_TRANSITION, POWER_STATE_IDLE, L"useridle"}};
    EXPECT_EQ(expected, Drain(all, 3000));
    EXPECT_EQ(std::vector<Notice>{expected[1]}, Drain(resumes, 100));

    EXPECT_TRUE(StopPowerNotifications(allNotes));
    EXPECT_FALSE(StopPowerNotifications(allNotes));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetSystemPowerState(nullptr, POWER_STATE_ON, 0));
    Sleep(300);
    EXPECT_TRUE(Drain(all, 0).empty());
    EXPECT_TRUE(StopPowerNotifications(resumeNotes));
    CloseMsgQueue(all);
    CloseMsgQueue(resumes);
}

TEST(ThreadPriority, DevicePrioritiesMapToTheHostsScale) {
    HANDLE self = GetCurrentThread();
    EXPECT_TRUE(CeSetThreadPriority(self, 140));
    EXPECT_EQ(THREAD_PRIORITY_ABOVE_NORMAL, GetThreadPriority(self));
    EXPECT_TRUE(CeSetThreadPriority(self, 253));
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, GetThreadPriority(self));
    EXPECT_TRUE(CeSetThreadPriority(self, 251));
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(self));
    EXPECT_FALSE(CeSetThreadPriority(self, 256));
}
