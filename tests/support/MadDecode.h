#pragma once
// Decodes an MPEG audio stream in memory with libmad, counting every error it reports.
// Header only: for the tests that link libmad.
#include <mad.h>

#include <cstdint>
#include <string>
#include <vector>

namespace mp3test {

struct MadDecoded {
    int frames = 0;
    int layer = 0;
    int errors = 0;  // any error but the end of the data
    int channels = 0;
    unsigned sampleRate = 0;
    unsigned long bitrate = 0;  // of the last frame, bit/s
    std::vector<int16_t> samples;  // interleaved
};

inline int16_t MadToPcm(mad_fixed_t v) {
    v += 1L << (MAD_F_FRACBITS - 16);
    if (v >= MAD_F_ONE) v = MAD_F_ONE - 1;
    if (v < -MAD_F_ONE) v = -MAD_F_ONE;
    return static_cast<int16_t>(v >> (MAD_F_FRACBITS + 1 - 16));
}

// With cutOff the file may end inside a frame (a recording cut off): that frame is not
// one of the file's, whether libmad fails on it or decodes it from the guard's zeros.
inline MadDecoded DecodeWithLibmad(const std::string& file, bool cutOff = false) {
    constexpr size_t kMaxFrameBytes = 1441;
    // libmad reads a little past the last frame.
    std::vector<unsigned char> bytes(file.begin(), file.end());
    bytes.resize(bytes.size() + MAD_BUFFER_GUARD, 0);
    MadDecoded decoded;
    mad_stream stream;
    mad_frame frame;
    mad_synth synth;
    mad_stream_init(&stream);
    mad_frame_init(&frame);
    mad_synth_init(&synth);
    mad_stream_buffer(&stream, bytes.data(), bytes.size());
    for (;;) {
        if (mad_frame_decode(&frame, &stream) != 0) {
            if (stream.error == MAD_ERROR_BUFLEN) break;
            // The guard bytes after the last frame are not a frame.
            if (stream.this_frame >= bytes.data() + file.size()) break;
            if (cutOff && stream.this_frame + kMaxFrameBytes > bytes.data() + file.size()) break;
            ++decoded.errors;
            if (MAD_RECOVERABLE(stream.error)) continue;
            break;
        }
        if (cutOff && stream.next_frame > bytes.data() + file.size()) break;
        ++decoded.frames;
        decoded.layer = frame.header.layer;
        decoded.channels = MAD_NCHANNELS(&frame.header);
        decoded.sampleRate = frame.header.samplerate;
        decoded.bitrate = frame.header.bitrate;
        mad_synth_frame(&synth, &frame);
        for (unsigned i = 0; i < synth.pcm.length; ++i)
            for (int ch = 0; ch < synth.pcm.channels; ++ch)
                decoded.samples.push_back(MadToPcm(synth.pcm.samples[ch][i]));
    }
    mad_frame_finish(&frame);
    mad_stream_finish(&stream);
    return decoded;
}

}  // namespace mp3test
