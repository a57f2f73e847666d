// Seeking by time: estimate the packet from the file's duration, step back until the
// first object found there lies before the target, then walk forward to the last object
// that begins at or before it.
#include "CASFWMAReader.h"

#include <algorithm>

namespace {
// How many packets a probe may read ahead, and how far one step back goes.
constexpr long kProbePackets = 8;
// Steps back before giving up and walking from where the last step left off.
constexpr int kMaxStepsBack = 64;
}  // namespace

void CASFWMAReader::PositionAtPacket(long packet, int objectsToDrop) {
    ClearPacketState();
    nextPacket_ = packet;
    dropObjects_ = objectsToDrop;
    reader_->SetPosition(packet);
}

long CASFWMAReader::AlignToPacket(long position) const {
    if (position <= dataStart_ || packetSize_ <= 1) return dataStart_;
    const int64_t packet = packetSize_;
    return static_cast<long>(dataStart_ + (static_cast<int64_t>(position) - dataStart_) / packet * packet);
}

bool CASFWMAReader::FirstObjectAt(long packet, AsfMediaObject* object) {
    PositionAtPacket(packet, 0);
    const long probeEnd = DataAhead(packet, kProbePackets * static_cast<int64_t>(std::max<uint32_t>(maxPacketSize_, 1)));
    return ReadObject(object, probeEnd, true);
}

int32_t CASFWMAReader::SeekMS(int32_t ms) {
    if (!reader_ || !audioFound_) return 0;
    if (ms <= 0 || durationMs_ <= 0) {
        PositionAtPacket(dataStart_, 0);
        return 0;
    }
    const int64_t target = std::min<int64_t>(ms, durationMs_);
    long start = AlignToPacket(dataStart_ + static_cast<long>(static_cast<int64_t>(DataBytes()) * target / durationMs_));
    const int64_t step = kProbePackets * static_cast<int64_t>(std::max<uint32_t>(packetSize_, 1));
    AsfMediaObject object;
    for (int i = 0; start > dataStart_ && i < kMaxStepsBack; ++i) {
        if (FirstObjectAt(start, &object) && object.timeMs <= target) break;
        start = AlignToPacket(static_cast<long>(std::max<int64_t>(static_cast<int64_t>(start) - step, dataStart_)));
    }

    PositionAtPacket(start, 0);
    long bestPacket = start;
    int32_t bestTime = 0;
    int bestDrop = 0;
    bool found = false;
    long packet = -1;
    int inPacket = 0;
    while (ReadObject(&object, -1, true)) {
        if (object.packet != packet) {
            packet = object.packet;
            inPacket = 0;
        }
        if (object.timeMs > target) break;
        bestPacket = object.packet;
        bestTime = object.timeMs;
        bestDrop = inPacket++;
        found = true;
    }
    if (!found) {
        PositionAtPacket(start, 0);
        return 0;
    }
    // Objects that begin earlier in the same packet are passed over by the next reads.
    PositionAtPacket(bestPacket, bestDrop);
    return static_cast<int32_t>(target - bestTime);
}
