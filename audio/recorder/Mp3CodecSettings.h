#pragma once
// The MP3 writer's options as the "MP3Codec" registry value stores them (32 bytes).
#include <cstddef>
#include <cstdint>

struct Mp3CodecSettings {
    uint8_t enabled = 0;  // 0: MP3 writing is refused
    uint8_t unused1[3] = {};
    // 0: a two-channel capture is mixed down and encoded as one channel; else two channels.
    int32_t channelMode = 0;
    int32_t bitrateKbps = 0;
    uint8_t unused2[20] = {};
};
static_assert(sizeof(Mp3CodecSettings) == 32, "the \"MP3Codec\" value is 32 bytes");
static_assert(offsetof(Mp3CodecSettings, channelMode) == 4 && offsetof(Mp3CodecSettings, bitrateKbps) == 8,
              "the \"MP3Codec\" fields sit at bytes 4 and 8");
