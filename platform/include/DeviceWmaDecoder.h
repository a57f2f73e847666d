#pragma once
// The device's WMA decoder library "wmadecoder.dll" (standins/): its CreateCodecDMO hands
// out the host's own WMA decoder object as a DirectX Media Object (over its Media
// Foundation side when it has one); QueryUnloadCodecDMO releases every decoder it handed
// out. Without a host decoder no object comes.
#include <windows.h>
#include <mediaobj.h>

#define WMADECODER_LIBRARY L"wmadecoder.dll"

#ifdef __cplusplus
extern "C" {
#endif

HRESULT WINAPI Device_CreateCodecDMO(IMediaObject** object);
HRESULT WINAPI Device_QueryUnloadCodecDMO();

#ifdef __cplusplus
}
#endif
