#pragma once
// The device's notification engine: notifications that start a program of the device
// at a moment of the device clock, or whenever the device's clock or time zone is set.
// They belong to the device, not to the process that set them: they outlive it and are
// kept in the device state. The device's notification service (started by the layer
// when a notification is set) starts the programs.
#include <windows.h>

// Trigger types.
#define CNT_EVENT 1  // start the application on a system event (dwEvent)
#define CNT_TIME 2   // start the application at stStartTime (device local time)

// System events of CNT_EVENT triggers.
#define NOTIFICATION_EVENT_NONE 0
#define NOTIFICATION_EVENT_TIME_CHANGE 1   // the device clock was set
#define NOTIFICATION_EVENT_DEVICE_CHANGE 7 // kept and listed, never raised here
#define NOTIFICATION_EVENT_TZ_CHANGE 12    // the device time zone was set

// What starts the application. The 32-bit record of the device is 52 bytes; this
// build's has the same fields with pointer-sized strings. dwSize is not checked.
typedef struct CeNotificationTrigger {
    DWORD dwSize;
    DWORD dwType;             // CNT_EVENT or CNT_TIME
    DWORD dwEvent;            // NOTIFICATION_EVENT_* for CNT_EVENT
    WCHAR* lpszApplication;   // device path of the program ("\Windows\x.exe" or a bare name)
    WCHAR* lpszArguments;     // the program's whole command text (may be null)
    SYSTEMTIME stStartTime;   // CNT_TIME: device local time to start at
    SYSTEMTIME stEndTime;     // kept, unused
} CE_NOTIFICATION_TRIGGER, *PCE_NOTIFICATION_TRIGGER;

// A notification the user sees. The service shows nothing; it is kept and listed
// as given (24 bytes in the device's 32-bit layout).
typedef struct CeUserNotification {
    DWORD ActionFlags;
    WCHAR* pwszDialogTitle;
    WCHAR* pwszDialogText;
    WCHAR* pwszSound;
    DWORD nMaxSound;
    DWORD dwReserved;
} CE_USER_NOTIFICATION, *PCE_USER_NOTIFICATION;

// What CeGetUserNotification fills in: this header, then the trigger, the user
// notification (when the notification has one) and the strings, all in the caller's
// buffer; pcent, pceun and the string pointers point into that buffer.
typedef struct CeNotificationInfoHeader {
    HANDLE hNotification;
    DWORD dwStatus;                 // 0 pending; nonzero: has fired
    CE_NOTIFICATION_TRIGGER* pcent;
    CE_USER_NOTIFICATION* pceun;    // null when the notification has none
} CE_NOTIFICATION_INFO_HEADER, *PCE_NOTIFICATION_INFO_HEADER;

#ifdef __cplusplus
extern "C" {
#endif

// hNotification 0 creates a notification and returns its handle. A nonzero handle
// replaces that notification in place: same handle, same place in the list, pending
// again. A time trigger needs a valid stStartTime; a trigger needs an application or
// a user notification. 0 on failure (ERROR_INVALID_PARAMETER, ERROR_INVALID_HANDLE for
// an unknown handle, ERROR_OUTOFMEMORY when the device holds its maximum).
HANDLE CeSetUserNotificationEx(HANDLE hNotification, CE_NOTIFICATION_TRIGGER* pcnt, CE_USER_NOTIFICATION* pceun);
// The handles of every notification of the device, oldest first; an update in place
// keeps a handle's place. *pcHandlesNeeded gets the count. With a null array and
// cHandles 0 it only counts (TRUE); an array too small fails with ERROR_INSUFFICIENT_BUFFER.
BOOL CeGetUserNotificationHandles(HANDLE* rghNotifications, DWORD cHandles, LPDWORD pcHandlesNeeded);
// Copies one notification into pBuffer (layout above). *pcBytesNeeded gets the size it
// needs; a buffer too small fails with ERROR_INSUFFICIENT_BUFFER. An unknown handle
// fails with ERROR_INVALID_HANDLE and a needed size of 0.
BOOL CeGetUserNotification(HANDLE hNotification, DWORD cBufferSize, LPDWORD pcBytesNeeded, LPBYTE pBuffer);
// Removes the notification (and its record in the notification database).
BOOL CeClearUserNotification(HANDLE hNotification);

#ifdef __cplusplus
}
#endif
