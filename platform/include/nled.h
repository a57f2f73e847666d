#pragma once
// The notification LED driver (coredll.dll, bound by name): the device's LEDs by number,
// among them the vibrator, which reports a cycle adjust of -1.
#include <windows.h>

// Info ids of NLedGetDeviceInfo and NLedSetDevice.
#define NLED_COUNT_INFO_ID 0
#define NLED_SUPPORTS_INFO_ID 1
#define NLED_SETTINGS_INFO_ID 2

// States of NLED_SETTINGS_INFO.OffOnBlink.
#define NLED_OFF 0
#define NLED_ON 1
#define NLED_BLINK 2

// A cycle adjust of this value marks the vibrator.
#define NLED_VIBRATOR_CYCLE_ADJUST (-1)

typedef struct NledCountInfo {
    UINT cLeds;
} NLED_COUNT_INFO;

typedef struct NledSupportsInfo {
    UINT LedNum;
    LONG lCycleAdjust;
    BOOL fAdjustTotalCycleTime;
    BOOL fAdjustOnTime;
    BOOL fAdjustOffTime;
    BOOL fMetaCycleOn;
    BOOL fMetaCycleOff;
} NLED_SUPPORTS_INFO;

typedef struct NledSettingsInfo {
    UINT LedNum;
    INT OffOnBlink;
    LONG TotalCycleTime;
    LONG OnTime;
    LONG OffTime;
    INT MetaCycleOn;
    INT MetaCycleOff;
} NLED_SETTINGS_INFO;

static_assert(sizeof(NLED_COUNT_INFO) == 4, "NLED count record");
static_assert(sizeof(NLED_SUPPORTS_INFO) == 28, "NLED supports record");
static_assert(sizeof(NLED_SETTINGS_INFO) == 28, "NLED settings record");

// NLedGetDeviceInfo(NLED_COUNT_INFO_ID, count) or (NLED_SUPPORTS_INFO_ID, supports with
// LedNum set); NLedSetDevice(NLED_SETTINGS_INFO_ID, settings). FALSE with
// ERROR_INVALID_PARAMETER for another id or an LED the device lacks.
typedef BOOL (*NLedGetDeviceInfoFunction)(UINT infoId, void* output);
typedef BOOL (*NLedSetDeviceFunction)(UINT infoId, void* input);
