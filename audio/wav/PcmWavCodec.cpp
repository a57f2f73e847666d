#include "PcmWavCodec.h"

#include "RecorderSettings.h"
#include "WavFormat.h"

#include <cstdlib>
#include <cstring>

using namespace wav;

int PcmWavCodec::OpenWrite() {
    if (!sink_ || (channels_ != 1 && channels_ != 2) || (bitsPerSample_ != 8 && bitsPerSample_ != 16) ||
        sampleRate_ <= 0)
        return kCannotOpen;
    eightBitOutput_ = RecorderSettings_Global().capture8Bit;
    dataBytes_ = 0;
    const uint16_t bits = eightBitOutput_ ? 8 : static_cast<uint16_t>(bitsPerSample_);
    FormatRecord format;
    format.formatTag = kTagPcm;
    format.channels = static_cast<uint16_t>(channels_);
    format.samplesPerSec = static_cast<uint32_t>(sampleRate_);
    format.blockAlign = static_cast<uint16_t>(channels_ * (bits / 8));
    format.avgBytesPerSec = format.samplesPerSec * format.blockAlign;
    format.bitsPerSample = bits;
    uint8_t record[kFormatRecordBytes];
    format.Encode(record);
    uint8_t riff[16], fmtSize[4], data[8];
    PutChunkHeader(riff, "RIFF", kUnfinishedSize);
    memcpy(riff + 8, "WAVEfmt ", 8);
    PutLe32(fmtSize, kFormatRecordBytes);
    PutChunkHeader(data, "data", kUnfinishedSize);
    const bool written = FileWriterSink_WriteCopy(sink_, riff, sizeof riff) &&
                         FileWriterSink_WriteCopy(sink_, fmtSize, sizeof fmtSize) &&
                         FileWriterSink_WriteCopy(sink_, record, sizeof record) &&
                         FileWriterSink_WriteCopy(sink_, data, sizeof data);
    return written ? kOk : kOutOfMemory;
}

int PcmWavCodec::Write(const void* pcm, uint32_t bytes) {
    if (!sink_) return kReadWriteFailed;
    if (eightBitOutput_ && bitsPerSample_ == 16) {
        // Each 16-bit sample keeps its high byte, made unsigned.
        const uint32_t samples = bytes / 2;
        auto* out = static_cast<uint8_t*>(malloc(samples ? samples : 1));
        if (!out) return kOutOfMemory;
        const auto* in = static_cast<const uint8_t*>(pcm);
        for (uint32_t i = 0; i < samples; ++i) out[i] = static_cast<uint8_t>(in[2 * i + 1] ^ 0x80);
        sink_->Write(out, samples);
        dataBytes_ += samples;
        return kOk;
    }
    if (!FileWriterSink_WriteCopy(sink_, pcm, bytes)) return kOutOfMemory;
    dataBytes_ += bytes;
    return kOk;
}

int PcmWavCodec::CloseWrite() {
    if (!sink_) return kOk;
    const uint32_t pad = (4 - dataBytes_ % 4) % 4;
    const uint8_t zeros[4] = {};
    uint8_t dataLength[4], riffSize[4];
    PutLe32(dataLength, dataBytes_);
    PutLe32(riffSize, dataBytes_ + pad + 36);
    if (pad > 0 && !FileWriterSink_WriteCopy(sink_, zeros, pad)) return kOutOfMemory;
    sink_->Seek(kDataLengthOffset, 0);
    if (!FileWriterSink_WriteCopy(sink_, dataLength, sizeof dataLength)) return kOutOfMemory;
    sink_->Seek(kRiffSizeOffset, 0);
    if (!FileWriterSink_WriteCopy(sink_, riffSize, sizeof riffSize)) return kOutOfMemory;
    return kOk;
}

int PcmWavCodec::OpenRead() {
    const int result = input_.Open(fileName_, kTagPcm);
    if (result != kOk) return result;
    SetFormat(static_cast<int32_t>(input_.Format().samplesPerSec), input_.Format().channels, 16);
    return kOk;
}

uint32_t PcmWavCodec::FrameBytes() const {
    return (input_.Format().bitsPerSample == 8 ? 1u : 2u) * (input_.Format().channels == 1 ? 1u : 2u);
}

int PcmWavCodec::Read(void* destination, uint32_t* frames) {
    if (!input_.IsOpen()) {
        *frames = 0;
        return kReadWriteFailed;
    }
    FileReader& reader = input_.Reader();
    const uint32_t frameBytes = FrameBytes();
    // The padding our writer adds, and chunks after the data, are not samples.
    const int64_t used = reader.Position() - input_.DataStart();
    const int64_t left = used < 0 ? 0 : static_cast<int64_t>(input_.Frames()) - used / frameBytes;
    uint32_t wanted = *frames;
    if (left <= 0)
        wanted = 0;
    else if (wanted > left)
        wanted = static_cast<uint32_t>(left);
    if (input_.Format().bitsPerSample != 8) {
        const uint32_t got = reader.Read(destination, wanted * frameBytes);
        *frames = got / frameBytes;
        return kOk;
    }
    // 8-bit files are read into the second half of the 16-bit room and widened in place
    // from the front, as sox plays them: the unsigned byte, centred, as the high byte.
    auto* out = static_cast<int16_t*>(destination);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(out) + wanted * frameBytes;
    const uint32_t got = reader.Read(bytes, wanted * frameBytes);
    for (uint32_t i = 0; i < got; ++i) out[i] = static_cast<int16_t>((bytes[i] - 128) * 256);
    *frames = got / frameBytes;
    return kOk;
}

int PcmWavCodec::Seek(int32_t frame) {
    if (!input_.IsOpen()) return kReadWriteFailed;
    if (frame < 0) frame = 0;
    const uint32_t target = static_cast<uint32_t>(frame) < input_.Frames() ? static_cast<uint32_t>(frame)
                                                                          : input_.Frames();
    input_.Reader().SetPosition(input_.DataStart() + static_cast<int64_t>(target) * FrameBytes());
    return kOk;
}

int PcmWavCodec::CloseRead() {
    input_.Close();
    return kOk;
}
