// The ASF header objects: file properties, content description and the audio stream.
#include "CASFWMAReader.h"

#include <cstring>
#include <new>

namespace {
// Header object: size 8, object count 4, two reserved bytes.
constexpr long kHeaderFieldsBytes = 14;
// Data object: file id 16, total packets 8, reserved 2.
constexpr long kDataFieldsBytes = 26;
constexpr long kObjectHeaderBytes = 24;
constexpr uint32_t kBroadcastFlag = 1;
constexpr uint32_t kBroadcastMaxPacket = 0x400000;
constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagExtensible = 8192;
constexpr int64_t kHundredNsPerMs = 10000;
}  // namespace

uint8_t CASFWMAReader::Read8() {
    uint8_t b = 0xFF;
    reader_->Read(&b, 1);
    return b;
}

uint16_t CASFWMAReader::Read16() {
    uint8_t b[2] = {0xFF, 0xFF};
    reader_->Read(b, 2);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint32_t CASFWMAReader::Read32() {
    uint8_t b[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    reader_->Read(b, 4);
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
}

uint64_t CASFWMAReader::Read64() {
    const uint64_t low = Read32();
    return low | static_cast<uint64_t>(Read32()) << 32;
}

AsfGuid CASFWMAReader::ReadGuid() {
    AsfGuid guid;
    memset(guid.bytes, 0xFF, sizeof guid.bytes);
    reader_->Read(guid.bytes, sizeof guid.bytes);
    return guid;
}

void CASFWMAReader::Skip(long bytes) { reader_->SetPosition(reader_->Position() + bytes); }

long CASFWMAReader::Position() const { return reader_->Position(); }

bool CASFWMAReader::Open() {
    if (!reader_) return false;
    Reset();
    fileSize_ = reader_->Size();
    reader_->SetPosition(0);
    if (ReadGuid() != asf::kHeader) return false;
    Skip(kHeaderFieldsBytes);
    while (!reader_->AtEnd() && Position() < fileSize_) {
        const long objectStart = Position();
        const AsfGuid id = ReadGuid();
        const uint32_t size = static_cast<uint32_t>(Read64());
        if (reader_->AtEnd()) return false;
        if (id == asf::kData) {
            Skip(kDataFieldsBytes);
            dataStart_ = Position();
            if (dataStart_ > fileSize_) return false;
            // The packets end with the data object, or with the file when its size is not kept.
            const int64_t declaredEnd = static_cast<int64_t>(objectStart) + size;
            dataEnd_ = size > kObjectHeaderBytes && declaredEnd <= fileSize_ ? static_cast<long>(declaredEnd) : fileSize_;
            packetSize_ = minPacketSize_ == maxPacketSize_ && minPacketSize_ > 0 ? minPacketSize_ : 1;
            ClearPacketState();
            reader_->SetPosition(dataStart_);
            return audioFound_;
        }
        const int32_t remaining = static_cast<int32_t>(size) - kObjectHeaderBytes;
        if (remaining < 0) return false;
        const long body = Position();
        if (id == asf::kFileProperties)
            ReadFileProperties();
        else if (id == asf::kContentDescription)
            ReadContentDescription();
        else if (id == asf::kStreamProperties && !audioFound_)
            ReadStreamProperties();
        const int64_t next = static_cast<int64_t>(body) + remaining;
        if (next > fileSize_) return false;
        reader_->SetPosition(static_cast<long>(next));
    }
    return false;
}

bool CASFWMAReader::ReadFileProperties() {
    Skip(32);  // file id, file size, creation date
    dataPacketCount_ = static_cast<uint32_t>(Read64());
    playDuration_ = Read64();
    Skip(8);  // send duration
    preroll_ = Read32();
    Skip(4);
    fileFlags_ = Read32();
    minPacketSize_ = Read32();
    maxPacketSize_ = Read32();
    Read32();  // maximum bitrate
    if (fileFlags_ & kBroadcastFlag) {
        broadcast_ = true;
        if (static_cast<int32_t>(minPacketSize_) < 1) minPacketSize_ = 0;
        if (static_cast<int32_t>(maxPacketSize_) < 1) maxPacketSize_ = kBroadcastMaxPacket;
        durationMs_ = -1;
    } else {
        durationMs_ = (static_cast<int64_t>(playDuration_) - static_cast<int64_t>(preroll_) * kHundredNsPerMs) /
                      kHundredNsPerMs;
    }
    return !reader_->AtEnd();
}

void CASFWMAReader::ReadContentDescription() {
    uint16_t lengths[5];
    for (uint16_t& length : lengths) length = Read16();
    std::wstring* texts[5] = {&title_, &author_, &rights_, &description_, &rating_};
    for (int i = 0; i < 5; ++i) {
        if (lengths[i] == 0 || reader_->AtEnd()) continue;
        std::wstring text(lengths[i] / 2, L'\0');
        for (wchar_t& c : text) c = static_cast<wchar_t>(Read16());
        if (lengths[i] & 1) Skip(1);
        // The stored texts carry their terminator.
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        *texts[i] = std::move(text);
    }
}

void CASFWMAReader::ReadStreamProperties() {
    const AsfGuid streamType = ReadGuid();
    const AsfGuid correctionType = ReadGuid();
    const int64_t timeOffset = static_cast<int64_t>(Read64());
    const uint32_t typeBytes = Read32();
    Read32();  // error correction data length
    const uint16_t flags = Read16();
    Skip(4);
    if (reader_->AtEnd()) return;
    streamTimeOffsetMs_ = static_cast<int32_t>(timeOffset / kHundredNsPerMs - preroll_);
    streamNumber_ = flags & 0x7F;
    if (streamType != asf::kAudioMedia) return;
    const long typeStart = Position();
    ReadWaveFormat(typeBytes);
    const int64_t typeEnd = static_cast<int64_t>(typeStart) + typeBytes;
    if (typeEnd > fileSize_) return;
    reader_->SetPosition(static_cast<long>(typeEnd));
    spreadSpan_ = 0;
    if (correctionType == asf::kAudioSpread) {
        spreadSpan_ = Read8();
        spreadPacketLength_ = Read16();
        spreadChunkLength_ = Read16();
        Skip(Read16());  // silence data
        if (spreadChunkLength_ == 0 || spreadPacketLength_ / spreadChunkLength_ <= 1) spreadSpan_ = 0;
    }
    audioFound_ = format_.formatTag >= kFirstWmaTag && format_.formatTag <= kLastWmaTag;
}

void CASFWMAReader::ReadWaveFormat(uint32_t typeBytes) {
    format_.extra.reset();
    format_.extraSize = 0;
    if (typeBytes <= 15) return;
    format_.formatTag = Read16();
    format_.channels = Read16();
    format_.sampleRate = Read32();
    format_.avgBytesPerSec = Read32();
    format_.blockAlign = Read16();
    format_.bitsPerSample = Read16();
    uint32_t left = typeBytes - 16;
    if (left > 1) {
        const uint16_t extraSize = Read16();
        left -= 2;
        if (extraSize > 0 && extraSize <= left) {
            format_.extra.reset(new (std::nothrow) uint8_t[extraSize]);
            if (format_.extra && reader_->Read(format_.extra.get(), extraSize) == extraSize)
                format_.extraSize = extraSize;
            else
                format_.extra.reset();
        }
    }
    // A PCM format written as an extensible tag is plain PCM.
    const uint32_t pcmAlign = static_cast<uint32_t>(format_.bitsPerSample) * format_.channels / 8;
    if (format_.formatTag > kTagExtensible && format_.blockAlign == pcmAlign &&
        format_.avgBytesPerSec == format_.blockAlign * format_.sampleRate)
        format_.formatTag = kTagPcm;
    if (format_.formatTag == kTagPcm) {
        format_.validBits = static_cast<uint16_t>(format_.bitsPerSample - 1);
        format_.bitsPerSample = static_cast<uint16_t>((format_.bitsPerSample + 7) / 8 * 8);
        format_.blockAlign = static_cast<uint16_t>(format_.bitsPerSample / 8 * format_.channels);
        format_.avgBytesPerSec = format_.blockAlign * format_.sampleRate;
    }
}

void CASFWMAReader::Reset() {
    DropAssembly();
    format_ = AsfAudioFormat();
    title_.clear();
    author_.clear();
    rights_.clear();
    description_.clear();
    rating_.clear();
    audioFound_ = false;
    broadcast_ = false;
    durationMs_ = 0;
    dataPacketCount_ = 0;
    minPacketSize_ = maxPacketSize_ = 0;
    spreadSpan_ = 0;
    dataStart_ = dataEnd_ = 0;
    ClearPacketState();
}
