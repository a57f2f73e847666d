#pragma once
// The input panel of the simulated device.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct tagSIPINFO {
    DWORD cbSize;
    DWORD fdwFlags;
    RECT rcVisibleDesktop;
    RECT rcSipRect;
    DWORD dwImDataSize;
    void* pvImData;
} SIPINFO;

#define SIPF_OFF 0x00000000
#define SIPF_ON  0x00000001

#define SPI_SETSIPINFO 224
#define SPI_GETSIPINFO 225
#define SETTINGCHANGE_RESET 0x3002

BOOL SipGetInfo(SIPINFO* info);
BOOL SipShowIM(DWORD flags);

#ifdef __cplusplus
}
#endif
