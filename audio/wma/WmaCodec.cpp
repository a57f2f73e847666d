#include "WmaCodec.h"

#include "PlainMediaBuffer.h"
#include "WavFormat.h"

#include <mmreg.h>

#include <algorithm>
#include <cstring>

// msdmo.dll's media-type helpers (the toolchain's header declares them without C linkage).
extern "C" {
HRESULT WINAPI MoInitMediaType(DMO_MEDIA_TYPE* type, DWORD formatBytes);
HRESULT WINAPI MoFreeMediaType(DMO_MEDIA_TYPE* type);
}

namespace {
// MEDIATYPE_Audio, and the audio subtype of a format tag: {tag-0000-0010-8000-00AA00389B71}.
const GUID kAudioMajorType = {0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
// FORMAT_WaveFormatEx {05589F81-C356-11CE-BF01-00AA0055595A}.
const GUID kWaveFormatExType = {0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagWmaV2 = 353;
// The library decoder of a device without the ASFCodecs key wants these bytes of a
// WMA v2 stream's 10 extra bytes cleared.
constexpr uint16_t kWmaV2ExtraSize = 10;
constexpr uint32_t kWaveFormatBytes = 18;
constexpr uint32_t kSmallOutputBytes = 0x1FFFD;
constexpr uint32_t kOutputSlackBytes = 4096;
constexpr uint32_t kMaxReadAheadBytes = 1u << 22;

GUID AudioSubtype(uint16_t tag) {
    GUID subtype = kAudioMajorType;
    subtype.Data1 = tag;
    return subtype;
}

void FillWaveFormat(WAVEFORMATEX* format, uint16_t tag, uint16_t channels, uint32_t rate, uint32_t avgBytes,
                    uint16_t blockAlign, uint16_t bits, uint16_t extraSize) {
    format->wFormatTag = tag;
    format->nChannels = channels;
    format->nSamplesPerSec = rate;
    format->nAvgBytesPerSec = avgBytes;
    format->nBlockAlign = blockAlign;
    format->wBitsPerSample = bits;
    format->cbSize = extraSize;
}

// A stream the player cannot play is refused before any size is worked out from its figures
// (the playable rates keep them far inside 32 bits).
bool PlayableStream(const AsfAudioFormat& format) {
    return format.channels > 0 && format.sampleRate >= wav::kMinSampleRate && format.sampleRate <= wav::kMaxSampleRate;
}

void SetTypeFields(DMO_MEDIA_TYPE* type, uint16_t tag) {
    type->majortype = kAudioMajorType;
    type->subtype = AudioSubtype(tag);
    type->bFixedSizeSamples = TRUE;
    type->bTemporalCompression = FALSE;
    type->lSampleSize = 0;
    type->formattype = kWaveFormatExType;
}
}  // namespace

WmaCodec::~WmaCodec() { CloseRead(); }

int WmaCodec::OpenRead() {
    CloseRead();
    if (!WmaDecoder_Create(&decoder_)) return kCannotOpen;
    if (!file_.OpenRead(fileName_)) {
        CloseRead();
        return kCannotOpen;
    }
    reader_.reset(new (std::nothrow) StdioFileReader(file_.Get()));
    if (!reader_ || !reader_->HasBuffer()) {
        CloseRead();
        return kCannotOpen;
    }
    reader_->SetCapacity(kHeaderReadBytes);
    asf_.SetReader(reader_.get());
    if (!asf_.Open() || !PlayableStream(asf_.Format()) || !SetInputType() || !SetOutputType()) {
        CloseRead();
        return kCannotOpen;
    }
    const uint32_t outputBytes = OutputBufferBytes();
    if (outputBytes == 0 || FAILED(PlainMediaBuffer::Create(outputBytes, &output_))) {
        CloseRead();
        return kCannotOpen;
    }
    resourcesAllocated_ = SUCCEEDED(decoder_.object->AllocateStreamingResources());
    const AsfAudioFormat& format = asf_.Format();
    SetFormat(static_cast<int32_t>(format.sampleRate), std::min<int32_t>(format.channels, 2), 16);
    handedOut_ = 0;
    framesToSkip_ = 0;
    SetReadAhead();
    return kOk;
}

bool WmaCodec::SetInputType() {
    const AsfAudioFormat& format = asf_.Format();
    if (FAILED(MoInitMediaType(&inputType_, kWaveFormatBytes + format.extraSize))) return false;
    auto* wave = reinterpret_cast<WAVEFORMATEX*>(inputType_.pbFormat);
    FillWaveFormat(wave, format.formatTag, format.channels, format.sampleRate, format.avgBytesPerSec, format.blockAlign,
                   format.bitsPerSample, format.extraSize);
    uint8_t* extra = inputType_.pbFormat + kWaveFormatBytes;
    if (format.extraSize) memcpy(extra, format.extra.get(), format.extraSize);
    if (WmaDecoder_HasDecoderLibrary() && AsfCodecs_IsRegistered() == 9 && format.formatTag == kTagWmaV2 &&
        format.extraSize == kWmaV2ExtraSize)
        extra[0] = extra[1] = extra[8] = extra[9] = 0;
    SetTypeFields(&inputType_, format.formatTag);
    if (SUCCEEDED(decoder_.object->SetInputType(0, &inputType_, 0))) return true;
    MoFreeMediaType(&inputType_);
    inputType_ = DMO_MEDIA_TYPE();
    return false;
}

bool WmaCodec::SetOutputType() {
    const AsfAudioFormat& format = asf_.Format();
    if (FAILED(MoInitMediaType(&outputType_, kWaveFormatBytes))) {
        MoFreeMediaType(&inputType_);
        inputType_ = DMO_MEDIA_TYPE();
        return false;
    }
    typesSet_ = true;
    const uint16_t channels = std::min<uint16_t>(format.channels, 2);
    const uint16_t blockAlign = static_cast<uint16_t>(channels * 2);
    FillWaveFormat(reinterpret_cast<WAVEFORMATEX*>(outputType_.pbFormat), kTagPcm, channels, format.sampleRate,
                   format.sampleRate * blockAlign, blockAlign, 16, 0);
    SetTypeFields(&outputType_, kTagPcm);
    return SUCCEEDED(decoder_.object->SetOutputType(0, &outputType_, 0));
}

uint32_t WmaCodec::OutputBufferBytes() {
    const AsfAudioFormat& format = asf_.Format();
    const auto* output = reinterpret_cast<const WAVEFORMATEX*>(outputType_.pbFormat);
    // About four input blocks' output, but at most a second of the stream's (or the default),
    // whatever the file's byte rates claim: no WMA block decodes to more, and what a buffer
    // cannot hold the decoder hands out over several calls.
    const uint64_t most = std::max<uint64_t>(output->nAvgBytesPerSec, kDefaultOutputBytes) + kOutputSlackBytes;
    uint64_t bytes = kDefaultOutputBytes;
    if (format.blockAlign && format.avgBytesPerSec) {
        const uint64_t scaled = static_cast<uint64_t>(format.blockAlign) * output->nAvgBytesPerSec /
                                format.avgBytesPerSec * 4;
        if (scaled >= kSmallOutputBytes) bytes = std::min(scaled, most);
    }
    DWORD size = 0, alignment = 0;
    if (FAILED(decoder_.object->GetOutputSizeInfo(0, &size, &alignment))) return 0;
    if (size != 0) bytes = AsfCodecs_IsRegistered() == 9 ? size : static_cast<uint64_t>(size) + kOutputSlackBytes;
    // A decoder that wants more for one output than a second of it is not given it.
    return bytes <= most ? static_cast<uint32_t>(bytes) : 0;
}

void WmaCodec::SetReadAhead() {
    if (bufferMs_ <= 0 || asf_.DataBytes() <= 0) return;
    uint64_t bytes = static_cast<uint64_t>(asf_.DataBytes());
    if (asf_.DurationMs() > 0 && bufferMs_ < asf_.DurationMs())
        bytes = bytes * static_cast<uint64_t>(bufferMs_) / static_cast<uint64_t>(asf_.DurationMs());
    reader_->SetCapacity(static_cast<uint32_t>(std::clamp<uint64_t>(bytes, kHeaderReadBytes, kMaxReadAheadBytes)));
}

bool WmaCodec::TakeDecoded(uint8_t* destination, uint32_t* wanted, uint32_t* copied) {
    BYTE* data = nullptr;
    DWORD bufferLength = 0;
    if (FAILED(output_->GetBufferAndLength(&data, &bufferLength))) return false;
    const uint32_t length = static_cast<uint32_t>(bufferLength);
    const uint32_t frameBytes = static_cast<uint32_t>(channels_) * 2;
    if (framesToSkip_ > 0) {
        const uint32_t skipFrames = std::min(framesToSkip_, (length - handedOut_) / frameBytes);
        handedOut_ += skipFrames * frameBytes;
        framesToSkip_ -= skipFrames;
        if (framesToSkip_ > 0) handedOut_ = length;  // a partial frame left: nothing more here
    }
    const uint32_t take = std::min(length - handedOut_, *wanted);
    memcpy(destination + *copied, data + handedOut_, take);
    handedOut_ += take;
    *copied += take;
    *wanted -= take;
    return true;
}

int WmaCodec::FeedNextObject() {
    AsfMediaObject object;
    if (!asf_.ReadObject(&object)) return 1;
    PlainMediaBuffer* input = nullptr;
    if (FAILED(PlainMediaBuffer::Wrap(object.data, object.size, &input))) return kReadWriteFailed;
    const HRESULT result = decoder_.object->ProcessInput(0, input, 0, 0, 0);
    input->Release();
    return FAILED(result) ? kReadWriteFailed : 0;
}

int WmaCodec::Read(void* destination, uint32_t* frames) {
    const uint32_t frameBytes = static_cast<uint32_t>(channels_) * 2;
    if (!decoder_.object || !output_ || frameBytes == 0) {
        *frames = 0;
        return kReadWriteFailed;
    }
    auto* out = static_cast<uint8_t*>(destination);
    uint32_t wanted = *frames * frameBytes;
    uint32_t copied = 0;
    int result = kOk;
    while (wanted > 0) {
        if (handedOut_ < output_->Length() && !TakeDecoded(out, &wanted, &copied)) {
            result = kReadWriteFailed;
            break;
        }
        if (wanted == 0) break;
        output_->SetLength(0);
        handedOut_ = 0;
        DMO_OUTPUT_DATA_BUFFER buffer = {output_, 0, 0, 0};
        DWORD status = 0;
        const HRESULT produced = decoder_.object->ProcessOutput(0, 1, &buffer, &status);
        if (produced == S_OK && output_->Length() > 0) continue;
        const int fed = FeedNextObject();
        if (fed == kReadWriteFailed) result = kReadWriteFailed;
        // No object (the end, or a damaged packet): deliver what there is.
        if (fed != 0) break;
    }
    *frames = copied / frameBytes;
    return result;
}

int WmaCodec::Seek(int32_t frame) {
    if (!decoder_.object || !output_ || sampleRate_ <= 0) return kReadWriteFailed;
    const int32_t ms = static_cast<int32_t>(static_cast<int64_t>(std::max(frame, 0)) * 1000 / sampleRate_);
    const int32_t skipMs = asf_.SeekMS(ms);
    framesToSkip_ = static_cast<uint32_t>(static_cast<int64_t>(skipMs) * sampleRate_ / 1000);
    // What the decoder still holds belongs before the new position.
    decoder_.object->Flush();
    output_->SetLength(0);
    handedOut_ = 0;
    return kOk;
}

int WmaCodec::Write(const void*, uint32_t) { return kReadWriteFailed; }
int WmaCodec::CloseWrite() { return kReadWriteFailed; }

int WmaCodec::CloseRead() {
    const bool hadDecoder = decoder_.object != nullptr;
    if (resourcesAllocated_ && decoder_.object) decoder_.object->FreeStreamingResources();
    resourcesAllocated_ = false;
    if (typesSet_) {
        MoFreeMediaType(&inputType_);
        MoFreeMediaType(&outputType_);
        inputType_ = DMO_MEDIA_TYPE();
        outputType_ = DMO_MEDIA_TYPE();
        typesSet_ = false;
    }
    if (output_) output_->Release();
    output_ = nullptr;
    WmaDecoder_Release(&decoder_);
    asf_.Reset();
    asf_.SetReader(nullptr);
    reader_.reset();
    file_.Close();
    return hadDecoder ? kOk : kReadWriteFailed;
}
