#pragma once
// Power manager of the simulated device. The device is on, idle, running unattended
// (screen off, woken by a notification or kept up by requests), suspended or off; the
// state, the unattended requests, the AC line and the idle-timer resets are kept in the
// device state. Nothing here touches the host's power.
#include <windows.h>

// System power states (flags of GetSystemPowerState / SetSystemPowerState).
#define POWER_STATE_ON 0x00010000
#define POWER_STATE_OFF 0x00020000
#define POWER_STATE_IDLE 0x00100000
#define POWER_STATE_SUSPEND 0x00200000
#define POWER_STATE_UNATTENDED 0x00400000  // running with the screen off; neither ON nor IDLE
#define POWER_STATE_PASSWORD 0x10000000

// SetSystemPowerState option: change the state even while unattended requests are held.
#define POWER_FORCE 0x00001000
// Device-power flag: the device argument is a name.
#define POWER_NAME 0x00000001
// The power manager lists the devices it manages (WLAN adapters among them) as value
// names under this key of HKEY_LOCAL_MACHINE.
#define PM_DEVICE_STATE_KEY L"System\\CurrentControlSet\\Control\\Power\\State"

// Power states of a device ("BKL1:" the backlight, "WAV1:" the audio codec): D0 full on
// to D4 off; PwrDeviceUnspecified gives the device back to the power manager.
typedef enum CeDevicePowerState {
    PwrDeviceUnspecified = -1,
    D0 = 0,
    D1,
    D2,
    D3,
    D4,
    PwrDeviceMaximum
} CEDEVICE_POWER_STATE;

// PowerPolicyNotify messages.
#define PPN_UNATTENDEDMODE 3

// The user-activity timer: its named event, set while the user is active (the power
// manager makes it when the device starts), and its registry key under
// HKEY_LOCAL_MACHINE with "Timeout" in seconds.
#define USER_ACTIVITY_EVENT L"PowerManager/UserActivity_Active"
#define USER_ACTIVITY_TIMER_KEY L"System\\CurrentControlSet\\Control\\Power\\ActivityTimers\\UserActivity"
#define USER_ACTIVITY_TIMEOUT_VALUE L"Timeout"

// Kinds of power notification (RequestPowerNotifications) and the message that carries
// one: Length is the byte count of the state's name, its terminator included.
#define PBT_TRANSITION 0x00000001
#define PBT_RESUME 0x00000002
#define POWER_NOTIFY_ALL 0xFFFFFFFF
typedef struct PowerBroadcast {
    DWORD Message;
    DWORD Flags;
    DWORD Length;
    WCHAR SystemPowerState[1];
} POWER_BROADCAST, *PPOWER_BROADCAST;

// Battery state as the device reports it; only ACLineStatus is kept (AC_LINE_OFFLINE 0,
// AC_LINE_ONLINE 1, AC_LINE_UNKNOWN 0xFF, as the desktop headers define them).
typedef struct SystemPowerStatusEx {
    BYTE ACLineStatus;
    BYTE BatteryFlag;
    BYTE BatteryLifePercent;
    BYTE Reserved1;
    DWORD BatteryLifeTime;
    DWORD BatteryFullLifeTime;
    BYTE Reserved2;
    BYTE BackupBatteryFlag;
    BYTE BackupBatteryLifePercent;
    BYTE Reserved3;
    DWORD BackupBatteryLifeTime;
    DWORD BackupBatteryFullLifeTime;
} SYSTEM_POWER_STATUS_EX, *PSYSTEM_POWER_STATUS_EX;

#ifdef __cplusplus
extern "C" {
#endif

// PPN_UNATTENDEDMODE with TRUE takes one unattended-mode request, FALSE gives one of
// this process's back (FALSE, ERROR_INVALID_PARAMETER when it holds none). Requests
// are counted per process; those of a process that has ended are given back for it.
// While any is held a suspend without POWER_FORCE leaves the device unattended, and
// an unattended device suspends once the last request is given back.
// Other messages fail with ERROR_NOT_SUPPORTED.
BOOL PowerPolicyNotify(DWORD message, DWORD data);

// The current state's name ("on", "useridle", "unattended", "suspend", "off"; pBuffer
// may be null) and flags. ERROR_SUCCESS, or ERROR_INSUFFICIENT_BUFFER for a short buffer.
DWORD GetSystemPowerState(LPWSTR pBuffer, DWORD Length, PDWORD pFlags);
// Sets the state by name (when given) or by one POWER_STATE_* flag. ERROR_SUCCESS, or
// ERROR_INVALID_PARAMETER for an unknown state. The desktop's SetSystemPowerState
// (BOOL, BOOL) acts on the host: this name replaces it for our code.
DWORD Device_SetSystemPowerState(LPCWSTR pwsSystemState, DWORD StateFlags, DWORD Options);
#define SetSystemPowerState Device_SetSystemPowerState

// Battery and AC line; fUpdate is ignored (the state is always current).
BOOL GetSystemPowerStatusEx(PSYSTEM_POWER_STATUS_EX pstatus, BOOL fUpdate);
// Restarts the idle timers; counted (DeviceControl_GetIdleTimerResets).
void SystemIdleTimerReset(void);

// Device power (DevicePower.cpp). Only named devices (POWER_NAME) are known; each call is
// recorded with its time (DeviceSignals.h).
// A requirement keeps the named device at least at `DeviceState` while it is held; null
// with ERROR_INVALID_PARAMETER for a device that is not named or an unknown state,
// ERROR_OUTOFMEMORY when the device holds too many. The handle is not a kernel handle:
// give it back with ReleasePowerRequirement (ERROR_SUCCESS, or ERROR_INVALID_HANDLE).
// Requirements of a process that has ended are given back for it.
HANDLE SetPowerRequirement(PVOID pvDevice, CEDEVICE_POWER_STATE DeviceState, ULONG DeviceFlags, PVOID pvSystemState,
                           ULONG StateFlags);
DWORD ReleasePowerRequirement(HANDLE h);
// Forces the named device into a state, or PwrDeviceUnspecified: back to the power
// manager. ERROR_SUCCESS or ERROR_INVALID_PARAMETER.
DWORD SetDevicePower(PVOID pvDevice, DWORD dwDeviceFlags, CEDEVICE_POWER_STATE dwState);
// The state the device should take next; accepted and recorded, nothing more.
DWORD DevicePowerNotify(PVOID pvDevice, CEDEVICE_POWER_STATE DeviceState, DWORD Flags);

// Power notifications: the power manager writes one POWER_BROADCAST message into the
// queue (msgqueue.h) for every change of the system power state (PBT_TRANSITION, Flags
// the new state, the state's name after it) and, when the device comes back from
// suspend or off, a PBT_RESUME before it. Only the kinds in `Flags` are sent. A queue
// that is full drops the message. The handle is not a kernel handle: give it back with
// StopPowerNotifications.
HANDLE RequestPowerNotifications(HANDLE hMsgQ, DWORD Flags);
BOOL StopPowerNotifications(HANDLE h);

#ifdef __cplusplus
}
#endif
