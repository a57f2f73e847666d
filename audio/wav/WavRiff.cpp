#include "WavRiff.h"

#include <algorithm>

using namespace wav;

bool WavRiff::Open(FormatRecord* format) {
    FileReader& reader = *body_.reader;
    const int64_t size = reader.Size();
    reader.SetPosition(0);
    if (size < kMinFileBytes) return false;
    uint8_t header[8];
    if (reader.Read(header, sizeof header) != sizeof header || !IsFourCc(header, "RIFF")) return false;
    const uint32_t riffSize = Le32(header + 4);
    uint32_t bodyBytes = static_cast<uint32_t>(std::min<int64_t>(size - 8, UINT32_MAX));
    // A RIFF size of 36 or less in a longer file is what an unfinished writer leaves: the file rules.
    if (riffSize > 36 || size == kMinFileBytes) bodyBytes = std::min(bodyBytes, riffSize);
    body_.left = bodyBytes;
    uint8_t wave[4];
    if (!body_.Read(wave, sizeof wave) || !IsFourCc(wave, "WAVE")) return false;
    return FindChunks(Walk::kToFormat, format, nullptr);
}

bool WavRiff::FindChunks(Walk mode, FormatRecord* format, uint32_t* dataLength) {
    for (int chunk = 0; chunk < kMaxChunks; ++chunk) {
        uint8_t id[4], sizeBytes[4];
        if (!body_.Read(id, sizeof id) || !body_.Read(sizeBytes, sizeof sizeBytes)) return false;
        const uint32_t size = Le32(sizeBytes);
        if (IsFourCc(id, "fmt ") && mode == Walk::kToFormat) {
            if (size < kFormatRecordBytes || size > body_.left) return false;
            body_.left -= size;
            formatRest_.left = size;
            formatPad_ = size & 1;
            uint8_t record[kFormatRecordBytes];
            if (!formatRest_.Read(record, sizeof record)) return false;
            *format = FormatRecord::Decode(record);
            return format->blockAlign != 0 && format->avgBytesPerSec != 0;
        }
        if (IsFourCc(id, "fact")) {
            uint8_t count[4];
            if (size < sizeof count || !body_.Read(count, sizeof count)) return false;
            factCount_ = Le32(count);
            factSeen_ = true;
            if (!body_.Skip(size - sizeof count)) return false;
            SkipPad(size);
            continue;
        }
        if (IsFourCc(id, "data")) {
            if (mode == Walk::kToFormat) return false;
            *dataLength = size == 0 || size > body_.left ? body_.left : size;
            return true;
        }
        if (!body_.Skip(size)) return false;
        SkipPad(size);
    }
    return false;
}

void WavRiff::SkipPad(uint32_t chunkSize) {
    // A chunk of odd size is followed by a pad byte; a file that ends right after the
    // chunk may lack it.
    if ((chunkSize & 1) && body_.left > 0) body_.Skip(1);
}

bool WavRiff::SkipRestOfFormat() {
    if (!formatRest_.Skip(formatRest_.left)) return false;
    if (formatPad_) SkipPad(1);
    return true;
}

// Rates the engine cannot play are refused (0 among them: durations divide by it).
static bool PlayableRate(uint32_t rate) { return rate >= kMinSampleRate && rate <= kMaxSampleRate; }

bool WavRiff::CheckPcm(const FormatRecord& format) {
    if (format.formatTag != kTagPcm || !PlayableRate(format.samplesPerSec)) return false;
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16) return false;
    if (format.channels != 1 && format.channels != 2) return false;
    return SkipRestOfFormat();
}

bool WavRiff::CheckGsm(const FormatRecord& format) {
    if (format.formatTag != kTagGsm610 || !PlayableRate(format.samplesPerSec)) return false;
    if (format.channels != 1 || format.blockAlign != kGsmBlockAlign) return false;
    uint8_t extra[4];  // extra size, samples per block
    if (!formatRest_.Read(extra, sizeof extra) || Le16(extra + 2) != kGsmSamplesPerBlock) return false;
    return SkipRestOfFormat();
}

uint32_t WavRiff::PcmFrameCount(const FormatRecord& format, uint32_t dataLength) {
    const uint32_t frameBytes = format.channels * ((format.bitsPerSample + 7u) / 8u);
    return frameBytes ? dataLength / frameBytes : 0;
}

uint32_t WavRiff::GsmFrameCount(const FormatRecord& format, uint32_t dataLength) const {
    if (format.blockAlign == 0) return 0;
    uint64_t frames = static_cast<uint64_t>(dataLength / format.blockAlign) * kGsmSamplesPerBlock;
    if (factSeen_ && factCount_ != 0 && factCount_ < frames) frames = factCount_;
    // Frame positions are signed 32-bit for the codecs' users.
    return static_cast<uint32_t>(std::min<uint64_t>(frames, INT32_MAX));
}

uint64_t WavRiff::DurationMs(uint32_t frames, uint32_t sampleRate) {
    return sampleRate ? static_cast<uint64_t>(frames) * 1000u / sampleRate : 0;
}
