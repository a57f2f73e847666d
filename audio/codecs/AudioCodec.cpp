#include "AudioCodec.h"

#include <cwchar>

int AudioCodec::OpenWrite() { return kCannotOpen; }
int AudioCodec::OpenRead() { return kCannotOpen; }
int AudioCodec::Write(const void*, uint32_t) { return kReadWriteFailed; }
int AudioCodec::Read(void*, uint32_t*) { return kReadWriteFailed; }
int AudioCodec::CloseWrite() { return kOk; }
int AudioCodec::CloseRead() { return kOk; }
int AudioCodec::Seek(int32_t) { return kSeekNotSupported; }

bool AudioCodec::SetFileName(const wchar_t* name) {
    if (!name || wcslen(name) > static_cast<size_t>(kMaxFileName)) return false;
    wcscpy(fileName_, name);
    return true;
}

void AudioCodec::SetFormat(int32_t sampleRate, int32_t channels, int32_t bitsPerSample) {
    sampleRate_ = sampleRate;
    channels_ = channels;
    bitsPerSample_ = bitsPerSample;
}
