#pragma once
// Reads Advanced Systems Format files that carry Windows Media Audio: the header objects,
// the first audio stream of a WMA format, then that stream's media objects one by one,
// reassembled from payload fragments and de-interleaved when the stream uses audio
// spread. Numbers in the file are little-endian. A damaged file ends the header parse
// with false or the object walk early; the walk never leaves the data object and always
// moves forward, so no file makes it loop.
#include "AsfGuid.h"
#include "FileReader.h"

#include <cstdint>
#include <memory>
#include <string>

// The audio stream's WAVEFORMATEX, normalised.
struct AsfAudioFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t blockAlign = 0;
    uint16_t validBits = 0;
    uint16_t bitsPerSample = 0;
    uint32_t avgBytesPerSec = 0;
    std::unique_ptr<uint8_t[]> extra;
    uint16_t extraSize = 0;
};

// One media object of the audio stream; data is allocated with new[] and owned by the caller.
struct AsfMediaObject {
    bool keyFrame = false;
    uint8_t* data = nullptr;
    uint32_t size = 0;
    int32_t timeMs = 0;
    long packet = -1;  // where the packet holding the object's first byte starts
};

class CASFWMAReader {
public:
    // Format tags of the WMA family: 0x160 (v1) to 0x163 (lossless).
    static constexpr uint16_t kFirstWmaTag = 352;
    static constexpr uint16_t kLastWmaTag = 355;

    CASFWMAReader() = default;
    ~CASFWMAReader() { Reset(); }
    CASFWMAReader(const CASFWMAReader&) = delete;
    CASFWMAReader& operator=(const CASFWMAReader&) = delete;

    // The reader the file is read through (not owned), positioned anywhere.
    void SetReader(FileReader* reader) { reader_ = reader; }
    // Parses the header; true when an audio stream of a WMA format was found and the
    // position is at the first data packet.
    bool Open();
    // The next complete media object of the audio stream; false (object empty) at the end
    // of the data. With skipData only the packet and the time are produced. With a stop
    // position (>= 0) the walk also ends at the first packet that starts at or after it.
    bool ReadObject(AsfMediaObject* object, long stopPosition = -1, bool skipData = false);
    // Stands at a packet before the target and answers the ms of the stream that lie
    // between that packet's next object and the target (0 at the start of the data).
    int32_t SeekMS(int32_t ms);
    // Frees the current object, the format's extra data and the texts.
    void Reset();

    const AsfAudioFormat& Format() const { return format_; }
    bool AudioFound() const { return audioFound_; }
    uint32_t DataPacketCount() const { return dataPacketCount_; }
    int64_t DurationMs() const { return durationMs_; }  // -1 for broadcast files
    bool Broadcast() const { return broadcast_; }
    uint32_t PrerollMs() const { return preroll_; }
    uint32_t MinPacketSize() const { return minPacketSize_; }
    uint32_t MaxPacketSize() const { return maxPacketSize_; }
    long DataStart() const { return dataStart_; }
    long DataEnd() const { return dataEnd_; }
    // Bytes of the data object (its packets).
    long DataBytes() const { return dataEnd_ - dataStart_; }
    int StreamNumber() const { return streamNumber_; }
    uint8_t SpreadSpan() const { return spreadSpan_; }
    const std::wstring& Title() const { return title_; }
    const std::wstring& Author() const { return author_; }
    const std::wstring& Rights() const { return rights_; }
    const std::wstring& Description() const { return description_; }
    const std::wstring& Rating() const { return rating_; }

private:
    // Header (AsfHeader.cpp).
    bool ReadFileProperties();
    void ReadContentDescription();
    void ReadStreamProperties();
    void ReadWaveFormat(uint32_t typeBytes);
    // Packets and payloads (AsfPackets.cpp).
    void ClearPacketState();
    bool StartPacket(long position);
    bool ParsePacketHeader();
    // One payload: true with a complete object in `object`.
    bool ReadPayload(AsfMediaObject* object, bool skipData);
    bool NextGroupObject(AsfMediaObject* object, bool skipData);
    bool AddFragment(uint32_t offset, uint32_t length, uint32_t objectSize, int64_t time, bool key, bool skipData);
    void Deinterleave();
    void DropAssembly();
    // Seeking (AsfSeek.cpp).
    void PositionAtPacket(long packet, int objectsToDrop);
    long AlignToPacket(long position) const;
    bool FirstObjectAt(long packet, AsfMediaObject* object);
    // Little-endian reads; missing bytes read as 0xFF, as the checks after them expect.
    uint8_t Read8();
    uint16_t Read16();
    uint32_t Read32();
    uint64_t Read64();
    uint32_t ReadCoded(unsigned lengthType);
    AsfGuid ReadGuid();
    void Skip(long bytes);
    long Position() const;
    // `bytes` past `position` in the data, in 64 bits (packet sizes reach 2^32): never past
    // the data's end, and never behind the position, so every walk ends.
    long DataAhead(long position, int64_t bytes) const;

    FileReader* reader_ = nullptr;
    long fileSize_ = 0;

    AsfAudioFormat format_;
    int32_t streamTimeOffsetMs_ = 0;
    int streamNumber_ = 0;
    uint8_t spreadSpan_ = 0;
    uint16_t spreadPacketLength_ = 0;
    uint16_t spreadChunkLength_ = 0;

    // The object being assembled.
    std::unique_ptr<uint8_t[]> object_;
    uint32_t assembled_ = 0;
    uint32_t objectSize_ = 0;
    int32_t objectTimeMs_ = 0;
    bool objectKey_ = false;
    long objectPacket_ = -1;

    uint32_t dataPacketCount_ = 0;
    uint64_t playDuration_ = 0;
    bool broadcast_ = false;
    uint32_t preroll_ = 0;
    uint32_t fileFlags_ = 0;
    uint32_t minPacketSize_ = 0;
    uint32_t maxPacketSize_ = 0;
    int64_t durationMs_ = 0;
    long dataStart_ = 0;
    long dataEnd_ = 0;
    uint32_t packetSize_ = 1;
    std::wstring title_, author_, rights_, description_, rating_;

    // Packet parse state.
    bool inPacket_ = false;
    long packetStart_ = 0;
    long payloadEnd_ = 0;   // end of the packet's payload bytes
    long nextPacket_ = 0;   // after the padding
    uint8_t lengthTypeFlags_ = 0;
    uint8_t propertyFlags_ = 0;
    uint32_t sendTime_ = 0;
    uint8_t payloadFlags_ = 0;
    uint32_t payloadsLeft_ = 0;
    // A compressed payload's group of whole objects.
    long groupEnd_ = 0;
    bool groupOurs_ = false;
    bool groupKey_ = false;
    int64_t groupTime_ = 0;
    uint8_t groupDelta_ = 0;
    // Whole objects of the stream to pass over after a seek placed the reader at a packet.
    int dropObjects_ = 0;

    bool audioFound_ = false;
};
