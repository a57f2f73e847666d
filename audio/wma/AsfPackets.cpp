// The data packets: packet headers, payloads and the reassembly of the audio stream's
// media objects.
#include "CASFWMAReader.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
// A payload needs more than this many bytes of its packet: a smaller rest is padding.
constexpr long kMinPayloadBytes = 17;
constexpr uint8_t kErrorCorrectionPresent = 0x80;
constexpr uint32_t kMaxPayloadBytes = 0x10000000;
// Larger media objects are no audio of ours and are dropped.
constexpr uint32_t kMaxObjectSize = 0x1000000;
constexpr uint8_t kSinglePayloadFlags = 0x80;

unsigned CodedBits(uint8_t flags, int shift) { return (flags >> shift) & 3u; }
}  // namespace

uint32_t CASFWMAReader::ReadCoded(unsigned lengthType) {
    switch (lengthType) {
    case 1: return Read8();
    case 2: return Read16();
    case 3: return Read32();
    default: return 0;
    }
}

void CASFWMAReader::ClearPacketState() {
    inPacket_ = false;
    nextPacket_ = dataStart_;
    payloadsLeft_ = 0;
    groupEnd_ = 0;
    dropObjects_ = 0;
    DropAssembly();
}

void CASFWMAReader::DropAssembly() {
    object_.reset();
    assembled_ = 0;
    objectSize_ = 0;
}

long CASFWMAReader::DataAhead(long position, int64_t bytes) const {
    const int64_t at = static_cast<int64_t>(position) + std::max<int64_t>(bytes, 1);
    return static_cast<long>(std::max<int64_t>(std::min<int64_t>(at, dataEnd_), position + int64_t{1}));
}

bool CASFWMAReader::StartPacket(long position) {
    reader_->SetPosition(position);
    packetStart_ = position;
    inPacket_ = ParsePacketHeader();
    if (!inPacket_) {
        // A damaged header: with a fixed packet size the next one is known; else step on.
        nextPacket_ = DataAhead(position, packetSize_ > 1 ? packetSize_ : Position() - position);
    }
    return inPacket_;
}

bool CASFWMAReader::ParsePacketHeader() {
    uint8_t first = Read8();
    uint8_t lengthType = first;
    if (first & kErrorCorrectionPresent) {
        if (first != 0x82 && first != 0x90) return false;
        Skip(first & 0x0F);
        lengthType = Read8();
        if (lengthType & kErrorCorrectionPresent) return false;
    }
    lengthTypeFlags_ = lengthType;
    propertyFlags_ = Read8();
    const unsigned packetLengthType = CodedBits(lengthType, 5);
    const uint32_t packetLength = packetLengthType ? ReadCoded(packetLengthType) : maxPacketSize_;
    if (packetLength <= 7 || packetLength > maxPacketSize_) return false;
    ReadCoded(CodedBits(lengthType, 1));  // sequence
    const uint32_t padding = ReadCoded(CodedBits(lengthType, 3));
    if (padding >= maxPacketSize_) return false;
    sendTime_ = Read32();
    Read16();  // duration
    if (lengthType & 1) {
        payloadFlags_ = Read8();
        payloadsLeft_ = payloadFlags_ & 0x3F;
    } else {
        payloadFlags_ = kSinglePayloadFlags;
        payloadsLeft_ = 1;
    }
    if (reader_->AtEnd()) return false;
    const int64_t headerBytes = Position() - packetStart_;
    int64_t payloadBytes = static_cast<int64_t>(packetLength) - padding - headerBytes;
    if (payloadBytes < 0 || payloadBytes >= kMaxPayloadBytes) payloadBytes = 0;
    int64_t paddingToSkip = padding;
    if (packetLength < minPacketSize_) paddingToSkip += minPacketSize_ - packetLength;
    payloadEnd_ = static_cast<long>(std::min<int64_t>(Position() + payloadBytes, dataEnd_));
    nextPacket_ = static_cast<long>(std::min<int64_t>(payloadEnd_ + paddingToSkip, dataEnd_));
    if (nextPacket_ <= packetStart_) nextPacket_ = packetStart_ + 1;
    return true;
}

bool CASFWMAReader::ReadObject(AsfMediaObject* object, long stopPosition, bool skipData) {
    *object = AsfMediaObject();
    if (!reader_ || !audioFound_) return false;
    for (;;) {
        if (groupEnd_ > 0) {
            if (NextGroupObject(object, skipData)) return true;
            continue;
        }
        const bool packetDone = !inPacket_ || payloadsLeft_ == 0 || payloadEnd_ - Position() < kMinPayloadBytes;
        if (packetDone) {
            const long at = std::max(nextPacket_, dataStart_);
            if (at >= dataEnd_) {
                inPacket_ = false;
                nextPacket_ = dataEnd_;
                return false;
            }
            if (stopPosition >= 0 && at >= stopPosition) return false;
            StartPacket(at);
            continue;
        }
        if (ReadPayload(object, skipData)) {
            if (dropObjects_ > 0) {
                --dropObjects_;
                delete[] object->data;
                *object = AsfMediaObject();
                continue;
            }
            return true;
        }
    }
}

bool CASFWMAReader::ReadPayload(AsfMediaObject* object, bool skipData) {
    --payloadsLeft_;
    const uint8_t streamByte = Read8();
    const bool key = (streamByte & 0x80) != 0;
    const bool ours = (streamByte & 0x7F) == streamNumber_;
    ReadCoded(CodedBits(propertyFlags_, 4));  // media object number
    const uint32_t offset = ReadCoded(CodedBits(propertyFlags_, 2));
    const uint32_t replicated = ReadCoded(CodedBits(propertyFlags_, 0));
    uint32_t objectSize = 0;
    int64_t time = 0;
    bool compressed = false;
    if (replicated >= 2) {
        objectSize = Read32();
        time = Read32();
        if (replicated > 8) Skip(static_cast<long>(replicated - 8));
    } else if (replicated == 1) {
        compressed = true;
        time = offset;
        groupDelta_ = Read8();
    }
    long left = payloadEnd_ - Position();
    uint32_t length = static_cast<uint32_t>(std::max(0L, left));
    if (lengthTypeFlags_ & 1) length = ReadCoded(CodedBits(payloadFlags_, 6));
    left = payloadEnd_ - Position();
    if (reader_->AtEnd() || left < 0 || length > static_cast<uint32_t>(left)) {
        // The payload does not fit its packet: the rest of the packet is lost.
        payloadsLeft_ = 0;
        reader_->SetPosition(payloadEnd_);
        return false;
    }
    const long dataStart = Position();
    if (compressed) {
        groupEnd_ = dataStart + static_cast<long>(length);
        groupOurs_ = ours;
        groupKey_ = key;
        groupTime_ = time;
        return false;
    }
    bool complete = false;
    if (ours) complete = AddFragment(offset, length, objectSize, time, key, skipData);
    reader_->SetPosition(dataStart + static_cast<long>(length));
    if (!complete) return false;
    if (!skipData && spreadSpan_ >= 2) Deinterleave();
    object->keyFrame = objectKey_;
    object->data = object_.release();
    object->size = objectSize_;
    object->timeMs = objectTimeMs_;
    object->packet = objectPacket_;
    assembled_ = 0;
    objectSize_ = 0;
    return true;
}

// A compressed payload holds whole objects, each after a one-byte length.
bool CASFWMAReader::NextGroupObject(AsfMediaObject* object, bool skipData) {
    const long left = groupEnd_ - Position();
    const uint32_t length = left > 0 ? Read8() : 0;
    if (left <= 1 || length == 0 || static_cast<long>(length) > left - 1 || reader_->AtEnd()) {
        reader_->SetPosition(std::max(groupEnd_, Position()));
        groupEnd_ = 0;
        return false;
    }
    const int64_t time = groupTime_;
    groupTime_ += groupDelta_;
    const long dataStart = Position();
    reader_->SetPosition(dataStart + static_cast<long>(length));
    if (!groupOurs_) return false;
    object->keyFrame = groupKey_;
    object->size = length;
    object->timeMs = static_cast<int32_t>(std::max<int64_t>(0, time + streamTimeOffsetMs_));
    object->packet = packetStart_;
    if (skipData) return true;
    object->data = new (std::nothrow) uint8_t[length];
    reader_->SetPosition(dataStart);
    if (!object->data || reader_->Read(object->data, length) != length) {
        delete[] object->data;
        *object = AsfMediaObject();
        reader_->SetPosition(dataStart + static_cast<long>(length));
        return false;
    }
    return true;
}

bool CASFWMAReader::AddFragment(uint32_t offset, uint32_t length, uint32_t objectSize, int64_t time, bool key,
                                bool skipData) {
    if (offset != assembled_) {
        DropAssembly();
        if (offset != 0) return false;
    }
    if (offset == 0) {
        // The object's bytes all lie in the packets ahead: a size the rest of the data cannot
        // hold is no object (nor an allocation) of ours.
        const uint64_t ahead = static_cast<uint64_t>(std::max(0L, dataEnd_ - Position()));
        if (objectSize == 0 || objectSize > kMaxObjectSize || objectSize > ahead) return false;
        objectSize_ = objectSize;
        objectTimeMs_ = static_cast<int32_t>(std::max<int64_t>(0, time + streamTimeOffsetMs_));
        objectKey_ = key;
        objectPacket_ = packetStart_;
        if (!skipData) {
            object_.reset(new (std::nothrow) uint8_t[objectSize]);
            if (!object_) {
                DropAssembly();
                return false;
            }
        }
    }
    if (objectSize != objectSize_ || length > objectSize_ - assembled_) {
        DropAssembly();
        return false;
    }
    if (!skipData && reader_->Read(object_.get() + assembled_, length) != length) {
        DropAssembly();
        return false;
    }
    assembled_ += length;
    return assembled_ == objectSize_;
}

// Audio spread wrote the object's chunks column by column over span rows; only an object
// of exactly span virtual packets is read back, anything else passes through unchanged.
void CASFWMAReader::Deinterleave() {
    const uint32_t chunk = spreadChunkLength_;
    const uint32_t chunksPerPacket = spreadPacketLength_ / chunk;
    if (spreadPacketLength_ % chunk != 0 || objectSize_ != static_cast<uint32_t>(spreadSpan_) * spreadPacketLength_)
        return;
    std::unique_ptr<uint8_t[]> out(new (std::nothrow) uint8_t[objectSize_]);
    if (!out) return;
    const uint32_t chunks = objectSize_ / chunk;
    for (uint32_t k = 0; k < chunks; ++k) {
        const uint32_t source = k / spreadSpan_ + (k % spreadSpan_) * chunksPerPacket;
        memcpy(out.get() + k * chunk, object_.get() + source * chunk, chunk);
    }
    object_ = std::move(out);
}
