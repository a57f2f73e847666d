#pragma once
// The simulated device's phone: its telephony line devices (the radio's own one is
// named "Cellular Line"), each with an equipment state (radio full or minimum, that is
// flight mode) and its network registration, the cellular line's calls being those the
// shell publishes; the SIM with its PIN; and the trust level
// the device gives programs. All of it lives in the device state. A fresh device is a
// phone with one "Cellular Line", its radio on and registered, and a SIM without PIN.
// Only what the program calls is here. Do not include the desktop's tapi.h beside
// this header: its records of the same names differ.
#include <windows.h>

// Telephony (TAPI). Handles are the layer's own small numbers, valid in their process.
DECLARE_HANDLE(HLINEAPP);
DECLARE_HANDLE(HLINE);
typedef void(CALLBACK* LINECALLBACK)(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                                     DWORD_PTR param2, DWORD_PTR param3);

#define TAPI_API_VERSION_2_0 0x00020000
#define LINEEQUIPSTATE_MINIMUM 1  // radio off: flight mode
#define LINEEQUIPSTATE_FULL 5     // radio on
#define LINEREGMODE_AUTOMATIC 1
#define LINECALLPRIVILEGE_NONE 1
#define LINECALLPRIVILEGE_MONITOR 2
#define LINEMEDIAMODE_INTERACTIVEVOICE 0x00000004
// Line callback messages and the call state the screen saver listens for.
#define LINE_CALLSTATE 2
#define LINE_APPNEWCALL 23
#define LINECALLSTATE_CONNECTED 0x00000100
#define LINESTRINGFORMAT_UNICODE 3

// Results: 0 or one of these (negative as LONG).
#define LINEERR_BADDEVICEID 0x80000002
#define LINEERR_INCOMPATIBLEAPIVERSION 0x8000000C
#define LINEERR_INVALAPPHANDLE 0x80000015
#define LINEERR_INVALLINEHANDLE 0x8000002B
#define LINEERR_INVALPARAM 0x80000032
#define LINEERR_OPERATIONFAILED 0x80000048
#define LINEERR_STRUCTURETOOSMALL 0x8000004D
#define LINEERR_RESOURCEUNAVAIL 0x80000047

// A line device's capabilities. The line's name (UTF-16 with its terminator) follows
// the fixed part at dwLineNameOffset from the record's start; when dwTotalSize is too
// small for it, only dwNeededSize tells the size to ask with.
typedef struct LineDevCaps {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwPermanentLineID;
    DWORD dwStringFormat;
    DWORD dwLineNameSize;  // bytes, terminator included
    DWORD dwLineNameOffset;
    BYTE reserved[264];
} LINEDEVCAPS;
static_assert(sizeof(LINEDEVCAPS) == 292, "line capabilities record");

// A line device's status (the fixed part of TAPI 2.0; the layer fills no variable part).
typedef struct LineDevStatus {
    DWORD dwTotalSize;
    DWORD dwNeededSize;
    DWORD dwUsedSize;
    DWORD dwNumOpens;
    DWORD dwOpenMediaModes;
    DWORD dwNumActiveCalls;  // calls neither idle nor on hold: ringing, dialling or connected
    DWORD dwNumOnHoldCalls;
    DWORD dwNumOnHoldPendCalls;
    DWORD dwLineFeatures;
    DWORD dwNumCallCompletions;
    DWORD dwRingMode;
    DWORD dwSignalLevel;
    DWORD dwBatteryLevel;
    DWORD dwRoamMode;
    DWORD dwDevStatusFlags;
    DWORD dwTerminalModesSize;
    DWORD dwTerminalModesOffset;
    DWORD dwDevSpecificSize;
    DWORD dwDevSpecificOffset;
    DWORD dwAvailableMediaModes;
    DWORD dwAppInfoSize;
    DWORD dwAppInfoOffset;
} LINEDEVSTATUS;
static_assert(sizeof(LINEDEVSTATUS) == 88, "line status record");

typedef struct LineExtensionId {
    DWORD dwExtensionID0, dwExtensionID1, dwExtensionID2, dwExtensionID3;
} LINEEXTENSIONID;

// SIM.
DECLARE_HANDLE(HSIM);
typedef void(CALLBACK* SIMCALLBACK)(DWORD notifyCode, const void* data, DWORD dataSize, DWORD param);
#define SIM_LOCKEDSTATE_READY 1
#define SIM_LOCKEDSTATE_SIM_PIN 2  // the SIM waits for its PIN
#define SIM_E_NOSIM ((HRESULT)0x8800002BL)
#define SIM_E_INCORRECTPASSWORD ((HRESULT)0x88000029L)
#define SIM_E_NOTREADY ((HRESULT)0x8800003AL)
// Window class of the phone shell's PIN prompt, which it shows while the SIM waits for
// its PIN. The layer runs no phone shell: tests stand in for the prompt.
#define SIM_PIN_PROMPT_CLASS L"PhonePinPrompt"

// Trust levels of CeGetCurrentTrust.
#define OEM_CERTIFY_FALSE 0
#define OEM_CERTIFY_RUN 1
#define OEM_CERTIFY_TRUST 2

#ifdef __cplusplus
extern "C" {
#endif

LONG lineInitialize(HLINEAPP* lineApp, HINSTANCE instance, LINECALLBACK callback, LPCWSTR appName,
                    LPDWORD numDevs);
// Only API version 2.0 is offered.
LONG lineNegotiateAPIVersion(HLINEAPP lineApp, DWORD deviceId, DWORD lowVersion, DWORD highVersion,
                             LPDWORD apiVersion, LINEEXTENSIONID* extensionId);
LONG lineGetDevCaps(HLINEAPP lineApp, DWORD deviceId, DWORD apiVersion, DWORD extVersion, LINEDEVCAPS* caps);
LONG lineOpen(HLINEAPP lineApp, DWORD deviceId, HLINE* line, DWORD apiVersion, DWORD extVersion,
              DWORD_PTR callbackInstance, DWORD privileges, DWORD mediaModes, const void* callParams);
// Switching a line's radio to full makes a SIM with PIN wait for it again; to anything
// less it leaves the network.
LONG lineSetEquipmentState(HLINE line, DWORD state);
// The line's status; dwTotalSize is the caller's size, at least the fixed part.
// The calls on the "Cellular Line" are those of the shell's published call state.
LONG lineGetLineDevStatus(HLINE line, LINEDEVSTATUS* status);
// Registers on the network; LINEERR_OPERATIONFAILED while the radio is not full.
LONG lineRegister(HLINE line, DWORD registerMode, LPCWSTR operatorName, DWORD operatorFormat);
LONG lineClose(HLINE line);
// Closes the application and every line it opened.
LONG lineShutdown(HLINEAPP lineApp);

// SIM_E_NOSIM without a SIM.
HRESULT SimInitialize(DWORD flags, SIMCALLBACK callback, DWORD param, HSIM* sim);
HRESULT SimGetPhoneLockedState(HSIM sim, LPDWORD lockedState);
// Enters the PIN while the SIM waits for it: S_OK for the right one (the SIM is then
// ready), SIM_E_INCORRECTPASSWORD for another, SIM_E_NOTREADY while it waits for none.
HRESULT SimUnlockPhone(HSIM sim, LPCWSTR password, LPCWSTR newPassword);
HRESULT SimDeinitialize(HSIM sim);

// The trust level of the running program.
DWORD CeGetCurrentTrust(void);

// For tests. Lines: replaces the line devices by these names (at most 8), each radio
// full and registered. A line's equipment state (0 for no such line), whether it is
// registered and how often lineRegister registered it.
BOOL DeviceControl_SetTelephonyLines(const wchar_t* const* names, DWORD count);
DWORD DeviceControl_GetLineEquipmentState(DWORD deviceId);
BOOL DeviceControl_GetLineRegistered(DWORD deviceId);
DWORD DeviceControl_GetLineRegistrations(DWORD deviceId);
// SIM: present or not, with a PIN (null or empty: none asked). Its locked state and
// how often SimUnlockPhone was called.
BOOL DeviceControl_SetSim(BOOL present, const wchar_t* pin);
DWORD DeviceControl_GetSimLockedState(void);
DWORD DeviceControl_GetSimUnlockAttempts(void);
// The trust level CeGetCurrentTrust answers.
BOOL DeviceControl_SetTrustLevel(DWORD trust);
// The phone's call state as the shell publishes it: HKEY_LOCAL_MACHINE
// "System\State\Phone" "Status" (0x00010000 incoming, 0x00020000 active,
// 0x20000000 outgoing call). Watchers of the value are told.
BOOL DeviceControl_SetPhoneStatus(DWORD status);
// The shell publishes an idle phone from the start: "Status" 0 unless set.
BOOL DevicePhone_EnsureStatus(void);

#ifdef __cplusplus
}
#endif
