// IT sample decompression. Each block starts with its byte count; inside it, samples are
// differences of a width that escape codes change on the way.
#include "format_it.h"

#include <cstring>

#include "aural_engine.h"
#include "sound_alloc.h"

static constexpr char kSoundFileTag[] = "src/format_it";

namespace {

constexpr int kWorkPadding = 1024;

// Reads bits least significant first; refuses to pass the block's bytes.
class BitReader {
 public:
  BitReader(const uint8_t* data, int bytes) : data_(data), bits_(static_cast<int64_t>(bytes) * 8) {}
  bool Read(int width, uint32_t* value) {
    if (position_ + width > bits_) return false;
    uint32_t v = 0;
    for (int i = 0; i < width; ++i, ++position_)
      v |= static_cast<uint32_t>((data_[position_ >> 3] >> (position_ & 7)) & 1) << i;
    *value = v;
    return true;
  }

 private:
  const uint8_t* data_;
  int64_t bits_;
  int64_t position_ = 0;
};

// One decompressor for both widths: T the sample type, `kTopWidth` its full width + 1.
template <typename T, int kTopWidth, int kBlockSamples, int kWidthBits>
int Decompress(const uint8_t* in, int64_t left, T* out, int count, bool it215) {
  std::memset(out, 0, sizeof(T) * static_cast<size_t>(count > 0 ? count : 0));
  constexpr int kBits = kTopWidth - 1;
  constexpr uint32_t kMask = (1u << kBits) - 1;
  int produced = 0;
  while (produced < count) {
    if (left < 2) return 0;
    const int n = in[0] | in[1] << 8;
    in += 2;
    left -= 2;
    if (n > left) return 0;
    auto* work = static_cast<uint8_t*>(SOUND_CALLOC(static_cast<size_t>(n) + kWorkPadding));
    if (!work) {
      SoundError_Set(kSoundErrNoMemory);
      return 0;
    }
    std::memcpy(work, in, static_cast<size_t>(n));
    in += n;
    left -= n;
    BitReader bits(work, n);
    const int block = count - produced < kBlockSamples ? count - produced : kBlockSamples;
    int width = kTopWidth;
    T first = 0, second = 0;
    bool ok = true;
    for (int done = 0; done < block;) {
      uint32_t v;
      if (width < 1 || width > kTopWidth || !bits.Read(width, &v)) {
        ok = false;
        break;
      }
      if (width <= 6) {
        if (v == 1u << (width - 1)) {
          uint32_t m;
          if (!bits.Read(kWidthBits, &m)) {
            ok = false;
            break;
          }
          const int next = static_cast<int>(m) + 1;
          width = next < width ? next : next + 1;
          continue;
        }
      } else if (width < kTopWidth) {
        const uint32_t border = (kMask >> (kTopWidth - width)) - (kTopWidth == 9 ? 4 : 8);
        if (v > border && v <= border + (kTopWidth == 9 ? 8 : 16)) {
          const int next = static_cast<int>(v - border);
          width = next < width ? next : next + 1;
          continue;
        }
      } else if (v & (1u << kBits)) {
        width = static_cast<int>((v + 1) & 0xFF);
        continue;
      }
      // A difference, sign-extended from its width (the top width counts as full).
      const int used = width < kTopWidth ? width : kBits;
      const int shift = 32 - used;
      const int32_t delta = static_cast<int32_t>(v << shift) >> shift;
      first = static_cast<T>(first + delta);
      second = static_cast<T>(second + first);
      out[produced + done] = it215 ? second : first;
      ++done;
    }
    SOUND_FREE(work);
    if (!ok) return 0;
    produced += block;
  }
  return 1;
}

}  // namespace

int ItSample_Decompress8(const void* source, int64_t sourceBytes, int8_t* destination, int sampleCount, bool it215) {
  if (!source || !destination || sampleCount < 0) return 0;
  return Decompress<int8_t, 9, 0x8000, 3>(static_cast<const uint8_t*>(source), sourceBytes, destination, sampleCount,
                                          it215);
}

int ItSample_Decompress16(const void* source, int64_t sourceBytes, int16_t* destination, int sampleCount,
                          bool it215) {
  if (!source || !destination || sampleCount < 0) return 0;
  return Decompress<int16_t, 17, 0x4000, 4>(static_cast<const uint8_t*>(source), sourceBytes, destination,
                                            sampleCount, it215);
}

int64_t ItSample_MaxFrames(const void* source, int64_t sourceBytes, bool sixteenBit, int64_t wanted,
                           int64_t* usedBytes) {
  const auto* in = static_cast<const uint8_t*>(source);
  const int64_t blockSamples = sixteenBit ? 0x4000 : 0x8000;
  int64_t frames = 0, used = 0;
  // Each block holds its byte count first; every sample takes at least one bit of it.
  for (int64_t left = in ? sourceBytes : 0; left >= 2 && frames < wanted;) {
    const int64_t n = in[0] | in[1] << 8;
    if (n > left - 2) break;  // the decompressor refuses a block the data cannot hold
    frames += n * 8 < blockSamples ? n * 8 : blockSamples;
    in += 2 + n;
    left -= 2 + n;
    used += 2 + n;
  }
  if (usedBytes) *usedBytes = used;
  return frames < wanted ? frames : wanted;
}
