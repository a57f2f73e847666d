#include "Gsm610WavCodec.h"

#include "WavFormat.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

using namespace wav;

static_assert(sizeof(WAVEFORMATEX) == 18, "extra format bytes follow at offset 18");

namespace {
// Suggestion flags: tag, channels, rate and bits fixed.
constexpr DWORD kSuggestAllFixed = ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS |
                                   ACM_FORMATSUGGESTF_NSAMPLESPERSEC | ACM_FORMATSUGGESTF_WBITSPERSAMPLE;
// The reader never buffers more than this, whatever the buffer time asks for.
constexpr uint64_t kMaxReadAhead = 16u << 20;

void FillGsmFormat(uint8_t* record, uint16_t channels, uint32_t rate, uint32_t avgBytesPerSec) {
    auto* format = reinterpret_cast<WAVEFORMATEX*>(record);
    format->wFormatTag = kTagGsm610;
    format->nChannels = channels;
    format->nSamplesPerSec = rate;
    format->nAvgBytesPerSec = avgBytesPerSec;
    format->nBlockAlign = kGsmBlockAlign;
    format->wBitsPerSample = 0;
    format->cbSize = kGsmExtraSize;
    PutLe16(record + sizeof(WAVEFORMATEX), kGsmSamplesPerBlock);
}
}  // namespace

void Gsm610WavCodec::MakeWriteFormats(uint32_t rate, WAVEFORMATEX* source,
                                      uint8_t (&destination)[kWriteFormatBytes]) const {
    *source = {};
    source->wFormatTag = kTagPcm;
    source->nChannels = 1;
    source->nSamplesPerSec = rate;
    source->wBitsPerSample = static_cast<WORD>(bitsPerSample_);
    source->nBlockAlign = static_cast<WORD>(bitsPerSample_ / 8);
    source->nAvgBytesPerSec = rate * source->nBlockAlign;
    memset(destination, 0, sizeof destination);
    auto* gsm = reinterpret_cast<WAVEFORMATEX*>(destination);
    gsm->wFormatTag = kTagGsm610;
    if (acmFormatSuggest(nullptr, source, gsm, sizeof destination, kSuggestAllFixed) == 0 &&
        gsm->cbSize <= sizeof destination - sizeof(WAVEFORMATEX))
        return;
    memset(destination, 0, sizeof destination);
    FillGsmFormat(destination, source->nChannels, rate,
                  static_cast<uint32_t>(uint64_t{rate} * source->nChannels * kGsmBlockAlign / kGsmSamplesPerBlock));
}

int Gsm610WavCodec::OpenWrite() {
    if (!sink_ || (channels_ != 1 && channels_ != 2) || sampleRate_ <= 0 || bitsPerSample_ <= 0) return kCannotOpen;
    uint32_t rate = static_cast<uint32_t>(sampleRate_);
    WAVEFORMATEX source;
    uint8_t destination[kWriteFormatBytes];
    MakeWriteFormats(rate, &source, destination);
    const auto* gsm = reinterpret_cast<const WAVEFORMATEX*>(destination);
    if (acm_.Open(&source, gsm) != 0) {
        rate = (rate + kRateStep / 2) / kRateStep * kRateStep;
        MakeWriteFormats(rate, &source, destination);
        if (acm_.Open(&source, gsm) != 0) return kCannotOpen;
    }
    assembler_.reset(new (std::nothrow) FrameAssembler());
    if (!assembler_ || !assembler_->Init(kGsmSamplesPerBlock * InputFrameBytes(), true)) {
        assembler_.reset();
        acm_.Close();
        return kOutOfMemory;
    }
    dataBytes_ = 0;
    samples_ = 0;
    const int result = WriteHeader(*gsm);
    if (result != kOk) {
        assembler_.reset();
        acm_.Close();
    }
    return result;
}

int Gsm610WavCodec::WriteHeader(const WAVEFORMATEX& format) {
    const uint32_t extra = format.cbSize;
    uint8_t fmtSize[4];
    PutLe32(fmtSize, extra + 18);
    std::vector<uint8_t> record(18 + extra);
    FormatRecord fields;
    fields.formatTag = format.wFormatTag;
    fields.channels = format.nChannels;
    fields.samplesPerSec = format.nSamplesPerSec;
    fields.avgBytesPerSec = format.nAvgBytesPerSec;
    fields.blockAlign = format.nBlockAlign;
    fields.bitsPerSample = format.wBitsPerSample;
    uint8_t head[kFormatRecordBytes];
    fields.Encode(head);
    memcpy(record.data(), head, sizeof head);
    PutLe16(record.data() + 16, format.cbSize);
    memcpy(record.data() + 18, reinterpret_cast<const uint8_t*>(&format) + sizeof(WAVEFORMATEX), extra);
    headerLength_ = extra + 54;
    uint8_t riff[16], fact[12], data[8];
    PutChunkHeader(riff, "RIFF", kUnfinishedSize);
    memcpy(riff + 8, "WAVEfmt ", 8);
    // The "fact" chunk has its true size from the start, and a sample count of 0 (none
    // known) until the close: readers step over it to the data.
    PutChunkHeader(fact, "fact", 4);
    PutLe32(fact + 8, 0);
    PutChunkHeader(data, "data", kUnfinishedSize);
    const bool written = FileWriterSink_WriteCopy(sink_, riff, sizeof riff) &&
                         FileWriterSink_WriteCopy(sink_, fmtSize, sizeof fmtSize) &&
                         FileWriterSink_WriteCopy(sink_, record.data(), static_cast<uint32_t>(record.size())) &&
                         FileWriterSink_WriteCopy(sink_, fact, sizeof fact) &&
                         FileWriterSink_WriteCopy(sink_, data, sizeof data);
    return written ? kOk : kOutOfMemory;
}

int Gsm610WavCodec::EncodeRun(const uint8_t* pcm, uint32_t bytes) {
    const uint8_t* source = pcm;
    uint32_t sourceBytes = bytes;
    if (channels_ == 2) {
        const uint32_t frames = bytes / 4;
        try {
            mono_.resize(static_cast<size_t>(frames) * 2);
        } catch (const std::bad_alloc&) {
            return kOutOfMemory;
        }
        for (uint32_t i = 0; i < frames; ++i) {
            const int left = static_cast<int16_t>(Le16(pcm + 4 * i));
            const int right = static_cast<int16_t>(Le16(pcm + 4 * i + 2));
            PutLe16(mono_.data() + 2 * i, static_cast<uint16_t>((left + right) >> 1));
        }
        source = mono_.data();
        sourceBytes = frames * 2;
    }
    uint32_t outBytes = 0;
    if (!acm_.DestinationSize(sourceBytes, &outBytes)) return kCannotOpen;
    void* out = malloc(outBytes ? outBytes : 1);
    if (!out) return kOutOfMemory;
    uint32_t used = 0;
    const int result = acm_.Convert(source, sourceBytes, out, outBytes, &used);
    if (result != kOk) {
        free(out);
        return result;
    }
    sink_->Write(out, used);
    dataBytes_ += used;
    return kOk;
}

int Gsm610WavCodec::Write(const void* pcm, uint32_t bytes) {
    if (!acm_.IsOpen() || !assembler_) return kReadWriteFailed;
    assembler_->SetInput(static_cast<const uint8_t*>(pcm), bytes);
    const uint8_t* run = nullptr;
    uint32_t runBytes = 0;
    bool own = false;
    while (assembler_->Next(&run, &runBytes, &own)) {
        const int result = EncodeRun(run, runBytes);
        if (result != kOk) return result;
        samples_ += runBytes / InputFrameBytes();
    }
    return kOk;
}

int Gsm610WavCodec::CloseWrite() {
    if (!acm_.IsOpen() || !assembler_) return kOk;
    int result = kOk;
    const uint32_t pending = assembler_->Pending();
    if (pending > 0) {
        samples_ += pending / InputFrameBytes();
        result = EncodeRun(assembler_->TakePaddedFrame(), assembler_->Capacity());
    }
    assembler_.reset();
    acm_.Close();
    if (result != kOk) return result;
    uint8_t dataLength[4], fact[8], riffSize[4];
    PutLe32(dataLength, dataBytes_);
    PutLe32(fact, 4);
    PutLe32(fact + 4, samples_);
    PutLe32(riffSize, headerLength_ + dataBytes_ - 4);
    sink_->Seek(static_cast<long>(headerLength_), 0);
    if (!FileWriterSink_WriteCopy(sink_, dataLength, sizeof dataLength)) return kOutOfMemory;
    sink_->Seek(static_cast<long>(headerLength_ - 12), 0);
    if (!FileWriterSink_WriteCopy(sink_, fact, sizeof fact)) return kOutOfMemory;
    sink_->Seek(4, 0);
    if (!FileWriterSink_WriteCopy(sink_, riffSize, sizeof riffSize)) return kOutOfMemory;
    return kOk;
}

int Gsm610WavCodec::OpenRead() {
    CloseRead();
    int result = input_.Open(fileName_, kTagGsm610);
    if (result != kOk) return result;
    const FormatRecord& file = input_.Format();
    // The driver checks the byte rate against the block size, so it is derived, not copied:
    // writers round it differently.
    uint8_t gsm[sizeof(WAVEFORMATEX) + kGsmExtraSize] = {};
    FillGsmFormat(gsm, file.channels, file.samplesPerSec,
                  static_cast<uint32_t>(uint64_t{file.samplesPerSec} * kGsmBlockAlign / kGsmSamplesPerBlock));
    const auto* source = reinterpret_cast<const WAVEFORMATEX*>(gsm);

    uint8_t destination[kReadFormatBytes] = {};
    auto* pcm = reinterpret_cast<WAVEFORMATEX*>(destination);
    pcm->wFormatTag = kTagPcm;
    const bool suggested =
        acmFormatSuggest(nullptr, const_cast<WAVEFORMATEX*>(source), pcm, sizeof destination,
                         ACM_FORMATSUGGESTF_WFORMATTAG) == 0 &&
        pcm->wBitsPerSample == 16 && pcm->nChannels == file.channels && pcm->nSamplesPerSec == file.samplesPerSec;
    if (!suggested) {
        // Blocks are decoded into 16-bit buffers of this codec's own size, so nothing else will do.
        *pcm = {};
        pcm->wFormatTag = kTagPcm;
        pcm->nChannels = file.channels;
        pcm->nSamplesPerSec = file.samplesPerSec;
        pcm->nAvgBytesPerSec = file.samplesPerSec * file.channels * 2;
        pcm->nBlockAlign = 2;
        pcm->wBitsPerSample = 16;
    }
    pcmBlockBytes_ = kGsmSamplesPerBlock * file.channels * 2;
    pcmBlock_.reset(new (std::nothrow) uint8_t[pcmBlockBytes_]);
    gsmBlock_.reset(new (std::nothrow) uint8_t[kGsmBlockAlign]);
    if (!pcmBlock_ || !gsmBlock_) {
        CloseRead();
        return kOutOfMemory;
    }
    // Whole GSM blocks for the buffer time the user asked for.
    const uint64_t readAhead =
        uint64_t{static_cast<uint32_t>(std::max(bufferMs_, 0))} * file.samplesPerSec / 1000 / kGsmSamplesPerBlock *
        kGsmBlockAlign;
    input_.Reader().SetCapacity(static_cast<uint32_t>(std::min(readAhead, kMaxReadAhead)));
    SetFormat(static_cast<int32_t>(file.samplesPerSec), file.channels, 16);
    if (acm_.Open(source, pcm) != 0) {
        CloseRead();
        return kCannotOpen;
    }
    position_ = 0;
    taken_ = kGsmSamplesPerBlock;  // no decoded block yet
    return kOk;
}

int Gsm610WavCodec::DecodeNextBlock(uint8_t* pcm) {
    const uint32_t got = input_.Reader().Read(gsmBlock_.get(), kGsmBlockAlign);
    if (got == 0) return kNoMoreData;
    memset(gsmBlock_.get() + got, 0, kGsmBlockAlign - got);
    uint32_t used = 0;
    if (acm_.Convert(gsmBlock_.get(), kGsmBlockAlign, pcm, pcmBlockBytes_, &used) != kOk) return kReadWriteFailed;
    memset(pcm + used, 0, pcmBlockBytes_ - std::min(used, pcmBlockBytes_));
    return kOk;
}

int Gsm610WavCodec::Read(void* destination, uint32_t* frames) {
    if (!input_.IsOpen() || !acm_.IsOpen()) {
        *frames = 0;
        return kReadWriteFailed;
    }
    const uint32_t frameBytes = pcmBlockBytes_ / kGsmSamplesPerBlock;
    const uint32_t wanted = std::min(*frames, input_.Frames() - std::min(position_, input_.Frames()));
    auto* out = static_cast<uint8_t*>(destination);
    uint32_t done = std::min(wanted, kGsmSamplesPerBlock - taken_);
    memcpy(out, pcmBlock_.get() + taken_ * frameBytes, done * frameBytes);
    taken_ += done;
    int result = kOk;
    while (done < wanted) {
        const uint32_t rest = wanted - done;
        const bool wholeBlock = rest >= kGsmSamplesPerBlock;
        const int decoded = DecodeNextBlock(wholeBlock ? out + done * frameBytes : pcmBlock_.get());
        if (decoded == kNoMoreData) break;
        if (decoded != kOk) {
            result = kReadWriteFailed;
            break;
        }
        if (wholeBlock) {
            done += kGsmSamplesPerBlock;
        } else {
            memcpy(out + done * frameBytes, pcmBlock_.get(), rest * frameBytes);
            taken_ = rest;
            done += rest;
        }
    }
    position_ += done;
    *frames = done;
    return result;
}

int Gsm610WavCodec::Seek(int32_t frame) {
    if (!input_.IsOpen() || !acm_.IsOpen()) return kReadWriteFailed;
    int64_t target = frame;
    if (target >= input_.Frames()) target = static_cast<int64_t>(input_.Frames()) - 1;
    if (target < 0) target = 0;
    const uint32_t block = static_cast<uint32_t>(target) / kGsmSamplesPerBlock;
    input_.Reader().SetPosition(input_.DataStart() + static_cast<int64_t>(block) * kGsmBlockAlign);
    taken_ = kGsmSamplesPerBlock;
    if (DecodeNextBlock(pcmBlock_.get()) != kOk) return kReadWriteFailed;
    position_ = static_cast<uint32_t>(target);
    taken_ = position_ - block * kGsmSamplesPerBlock;
    return kOk;
}

int Gsm610WavCodec::CloseRead() {
    pcmBlock_.reset();
    gsmBlock_.reset();
    input_.Close();
    acm_.Close();
    return kOk;
}
