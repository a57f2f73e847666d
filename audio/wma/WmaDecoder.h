#pragma once
// The WMA decoder object: from the device's decoder library "wmadecoder.dll", else from
// "wma9prodecoder.dll", else from COM.
#include <windows.h>
#include <mediaobj.h>

struct WmaDecoderRef {
    enum Source { kWmaDecoderDll = 0, kWma9ProDll = 1, kCom = 2 };

    IMediaObject* object = nullptr;
    int source = kWmaDecoderDll;
};

// Releases what the reference holds, then obtains a decoder; true when one came.
bool WmaDecoder_Create(WmaDecoderRef* decoder);
// A library's decoder is given back through its QueryUnloadCodecDMO, a COM one released.
void WmaDecoder_Release(WmaDecoderRef* decoder);
// True when "wmadecoder.dll" exports CreateCodecDMO.
bool WmaDecoder_HasDecoderLibrary();

// 9 when HKLM "SOFTWARE\Microsoft\MediaPlayer\ASFCodecs" cannot be opened, 10 when it can.
int AsfCodecs_IsRegistered();
