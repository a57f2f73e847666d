#pragma once
// Point-to-point message queues of the device: a reader waits on the queue's handle
// (WaitForSingleObject and its kin), which is signalled while a message is waiting,
// and reads whole messages. The layer's queues live in the process that creates them
// (unnamed); the power manager writes its notifications into them (pm.h).
#include <windows.h>

typedef struct MsgQueueOptions {
    DWORD dwSize;         // sizeof(MSGQUEUEOPTIONS)
    DWORD dwFlags;        // 0
    DWORD dwMaxMessages;  // messages the queue holds at most; 0: no limit
    DWORD cbMaxMessage;   // longest message in bytes
    BOOL bReadAccess;     // the handle is the reading end
} MSGQUEUEOPTIONS, *LPMSGQUEUEOPTIONS;

// ReadMsgQueue flag: the message was written as an alert.
#define MSGQUEUE_MSGALERT 0x00000001

#ifdef __cplusplus
extern "C" {
#endif

// A new queue; null with ERROR_INVALID_PARAMETER for bad options, ERROR_NOT_SUPPORTED
// for a name. One handle serves both ends; CloseMsgQueue frees it.
HANDLE CreateMsgQueue(LPCWSTR lpName, LPMSGQUEUEOPTIONS lpOptions);
// Takes the oldest message, waiting up to dwTimeout ms (INFINITE: for good). FALSE with
// ERROR_TIMEOUT when none came, ERROR_INSUFFICIENT_BUFFER when it does not fit (it is
// dropped), ERROR_INVALID_HANDLE for anything but a queue.
BOOL ReadMsgQueue(HANDLE hMsgQ, LPVOID lpBuffer, DWORD cbBufferSize, LPDWORD lpNumberOfBytesRead, DWORD dwTimeout,
                  DWORD* pdwFlags);
// Appends a message without waiting: FALSE with ERROR_TIMEOUT when the queue is full,
// ERROR_INSUFFICIENT_BUFFER when the message is longer than the queue takes.
BOOL WriteMsgQueue(HANDLE hMsgQ, LPVOID lpBuffer, DWORD cbDataSize, DWORD dwTimeout, DWORD dwFlags);
BOOL CloseMsgQueue(HANDLE hMsgQ);

#ifdef __cplusplus
}
#endif
