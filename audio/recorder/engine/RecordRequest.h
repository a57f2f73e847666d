#pragma once
// What the front end hands the engine for one recording.
#include <cstdint>

class AudioCodec;

struct RecordRequest {
    wchar_t* fileName = nullptr;  // malloc'd copy; the file writer frees it
    AudioCodec* codec = nullptr;  // not owned
    int32_t sizeLimit = -1;       // bytes; <= 0: none
};
