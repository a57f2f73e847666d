// RIFF WAVE for streams: the chunk walk (format, data, cue points with labels, the first
// sampler loop), the probe, and decoding: 8- and 16-bit PCM straight through, IMA ADPCM
// and 24- or 32-bit PCM inside the engine, every other codec through the platform's
// Audio Compression Manager.
#include "format_wav.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstring>

#include "aural_engine.h"
#include "aural_sample.h"
#include "format_wav_cue.h"
#include "sound_alloc.h"
#include "sound_decode.h"
#include "sound_reader.h"
#include "system_file.h"

static constexpr char kSoundFileTag[] = "src/format_wav";

namespace {

constexpr int kChunkHeaderBytes = 8;
constexpr int kCueRecordBytes = 24;
constexpr int kCueOffsetAt = 20;
constexpr int kSmplBytes = 60;
constexpr int kSmplLoopStartAt = 44;
constexpr int kSmplLoopEndAt = 48;
constexpr int kReadBufferTarget = 2048;
constexpr int kMaxLabel = 255;
constexpr int kWavTagMsAdpcm = 2, kWavTagALaw = 6, kWavTagMuLaw = 7, kWavTagGsm610 = 0x31;
constexpr int kMsAdpcmHeaderBytes = 7;
constexpr int kGsmBlockBytes = 65, kGsmBlockSamples = 320;
// Codecs whose layout the reader does not know decode no byte to more than this (GSM
// 6.10, the densest the platform converts, gives under 10).
constexpr int kMostBytesPerCodedByte = 12;

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
bool Is(const uint8_t* id, const char* name) { return std::memcmp(id, name, 4) == 0; }

bool ReadAt(SoundFile* f, int64_t offset, void* buffer, int bytes) {
  if (offset < 0 || offset > INT32_MAX) return false;
  AuralFile_Seek(f, static_cast<int>(offset), 0);
  return AuralFile_Read(buffer, 1, bytes, f) == bytes;
}

void ReadLabels(SoundFile* f, int64_t list, int64_t listSize, WavCues* cues) {
  // Sub-chunks start behind the list type; offsets count from the list's data.
  for (int64_t sub = 4; sub + 4 < listSize;) {
    uint8_t h[kChunkHeaderBytes + 4];
    const int64_t at = list + sub;
    if (!ReadAt(f, at, h, kChunkHeaderBytes)) return;
    const int64_t size = U32(h + 4);
    if (Is(h, "labl") && size >= 4 && AuralFile_Read(h + kChunkHeaderBytes, 1, 4, f) == 4 &&
        at + kChunkHeaderBytes + 4 <= INT32_MAX) {
      const int64_t text = size - 4 < kMaxLabel ? size - 4 : kMaxLabel;
      if (!WavCues_AddLabel(cues, U32(h + kChunkHeaderBytes), static_cast<int32_t>(at + kChunkHeaderBytes + 4),
                            static_cast<int32_t>(text)))
        return;
    }
    sub += kChunkHeaderBytes + size + (size & 1);
  }
}

// Opens a conversion from the file's format to the PCM format the manager suggests.
// False when the platform has no converter for it.
bool OpenConversion(const uint8_t* format, int formatBytes, HACMSTREAM* stream, WAVEFORMATEX* pcm) {
  // The manager reads cbSize extra bytes behind the 18-byte header: they must be there.
  const int extra = formatBytes >= 18 ? U16(format + 16) : 0;
  if (formatBytes < 16 || 18 + extra > (formatBytes > kWavFormatMinCopy ? formatBytes : kWavFormatMinCopy)) return false;
  auto* source = reinterpret_cast<WAVEFORMATEX*>(const_cast<uint8_t*>(format));
  *pcm = WAVEFORMATEX{};
  pcm->wFormatTag = WAVE_FORMAT_PCM;
  if (acmFormatSuggest(nullptr, source, pcm, sizeof *pcm, ACM_FORMATSUGGESTF_WFORMATTAG) != 0) return false;
  if ((pcm->wBitsPerSample != 8 && pcm->wBitsPerSample != 16) || (pcm->nChannels != 1 && pcm->nChannels != 2) ||
      pcm->nSamplesPerSec == 0)
    return false;
  return acmStreamOpen(stream, nullptr, source, pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) == 0;
}

// The most decoded bytes (16-bit samples) one block of a codec the platform converts can
// hold, by the codec's own layout; 0 when the block align cannot hold a block of it. The
// converter's own figure follows the header's claims (an MS ADPCM block of 1 byte
// "holding" 65535 samples a channel) and is only believed up to this.
int64_t MostBlockBytes(const uint8_t* format, int formatBytes, int tag, int channels, int blockAlign) {
  const int64_t c = channels;
  switch (tag) {
    case kWavTagMsAdpcm: {
      // Per channel a 7-byte header holding two samples, then two samples a byte; the
      // coefficient sets follow the samples per block and their count in the extra bytes.
      const int extra = formatBytes >= 22 ? U16(format + 16) : 0;
      const int coefficients = formatBytes >= 22 ? U16(format + 20) : 0;
      if (blockAlign < kMsAdpcmHeaderBytes * c || coefficients < 1 || 4 + 4 * coefficients > extra) return 0;
      return (2 + (blockAlign - kMsAdpcmHeaderBytes * c) * 2 / c) * c * 2;
    }
    case kWavTagALaw:
    case kWavTagMuLaw:
      return blockAlign % c == 0 ? int64_t{blockAlign} * 2 : 0;  // a byte a sample
    case kWavTagGsm610:
      return c == 1 && blockAlign % kGsmBlockBytes == 0 ? blockAlign / kGsmBlockBytes * kGsmBlockSamples * 2 : 0;
    default:
      return int64_t{blockAlign} * kMostBytesPerCodedByte;
  }
}

DWORD ConvertedSize(HACMSTREAM stream, int sourceBytes) {
  DWORD out = 0;
  if (sourceBytes <= 0 || acmStreamSize(stream, static_cast<DWORD>(sourceBytes), &out, ACM_STREAMSIZEF_SOURCE) != 0)
    return 0;
  return out;
}

}  // namespace

BOOL WavFormat_ReadChunks(SoundFile* f, WavFormatBlock* format, int* dataOffset, int* dataBytes, int* factSamples,
                          SoundSyncPoint* syncList, int* loopPoints) {
  if (format) *format = WavFormatBlock{};
  const int start = AuralFile_Tell(f);
  // No size read from the file is trusted beyond it: nothing is read or allocated for
  // bytes the file does not hold.
  const int64_t fileEnd = static_cast<int64_t>(start) + AuralFile_Remaining(f);
  uint8_t riff[12];
  if (AuralFile_Read(riff, 1, sizeof riff, f) != static_cast<int>(sizeof riff) || !Is(riff, "RIFF")) {
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
  // The RIFF size counts from byte 8: a chunk header ending there is still inside.
  const int64_t riffEnd = static_cast<int64_t>(start) + kChunkHeaderBytes + U32(riff + 4);
  int64_t foundData = -1, foundSize = 0;
  bool haveFormat = false;
  WavCues cues = {};
  for (int64_t off = start + 12; off < riffEnd && off + kChunkHeaderBytes <= fileEnd;) {
    uint8_t h[kChunkHeaderBytes];
    if (!ReadAt(f, off, h, sizeof h)) break;
    const int64_t declared = U32(h + 4);
    const int64_t body = off + kChunkHeaderBytes;
    const int64_t size = declared < fileEnd - body ? declared : fileEnd - body;  // what the file holds
    if (Is(h, "fmt ")) {
      if (format && !haveFormat) {
        const int want = size < kWavFormatMaxBytes ? static_cast<int>(size) : kWavFormatMaxBytes;
        const int got = AuralFile_Read(format->bytes, 1, want, f);
        format->size = got > 0 ? got : 0;
      }
      haveFormat = true;
    } else if (Is(h, "fact")) {
      uint8_t v[4];
      if (factSamples && size >= 4 && AuralFile_Read(v, 1, 4, f) == 4) *factSamples = static_cast<int>(U32(v));
    } else if (Is(h, "data")) {
      if (foundData < 0) foundData = body - start, foundSize = size;
    } else if (Is(h, "cue ") && syncList) {
      uint8_t v[4];
      if (size >= 4 && AuralFile_Read(v, 1, 4, f) == 4) {
        // A count the chunk cannot hold is cut to what it holds.
        uint32_t count = U32(v);
        if (count > static_cast<uint32_t>(size / kCueRecordBytes)) count = static_cast<uint32_t>(size / kCueRecordBytes);
        for (uint32_t i = 0; i < count; ++i) {
          uint8_t r[kCueRecordBytes];
          if (AuralFile_Read(r, 1, sizeof r, f) != static_cast<int>(sizeof r)) break;
          if (!WavCues_AddPoint(&cues, U32(r + kCueOffsetAt), U32(r))) break;
        }
      }
    } else if (Is(h, "LIST") && syncList) {
      uint8_t type[4];
      if (AuralFile_Read(type, 1, 4, f) == 4 && Is(type, "adtl")) ReadLabels(f, body, size, &cues);
    } else if (Is(h, "smpl") && loopPoints) {
      uint8_t s[kSmplBytes];
      if (AuralFile_Read(s, 1, sizeof s, f) == kSmplBytes) {
        loopPoints[0] = static_cast<int>(U32(s + kSmplLoopStartAt));
        loopPoints[1] = static_cast<int>(U32(s + kSmplLoopEndAt));
      }
    }
    off = body + declared + (declared & 1);
  }
  if (syncList) WavCues_Finish(&cues, f, syncList);
  WavCues_Free(&cues);
  if (foundData < 0) {
    if (format) format->size = 0;
    if (dataOffset) *dataOffset = 0;
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
  if (format && !haveFormat) {
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
  if (dataOffset) *dataOffset = static_cast<int>(foundData);
  if (dataBytes) *dataBytes = static_cast<int>(foundSize);
  return TRUE;
}

void WavFormat_Close(void* state) {
  auto* s = static_cast<WavDecodeState*>(state);
  if (!s) return;
  if (s->acmStream) acmStreamClose(static_cast<HACMSTREAM>(s->acmStream), 0);
  SOUND_FREE(s);
}

BOOL WavFormat_Open(SoundFile* f, uint32_t mode, SoundReaderInfo* info, SoundSyncPoint* syncList) {
  using namespace SoundMode;
  AuralFile_Seek(f, 0, 0);
  WavFormatBlock fmt;
  int dataOffset = 0, dataBytes = 0;
  int loop[2] = {0, 0};
  if (!WavFormat_ReadChunks(f, &fmt, &dataOffset, &dataBytes, nullptr, syncList, loop)) return FALSE;
  const uint8_t* format = fmt.bytes;
  int tag = U16(format);
  if (tag == kWavTagExtensible) tag = U16(format + 24);
  const int channels = U16(format + 2);
  const int rate = static_cast<int>(U32(format + 4));
  int blockAlign = U16(format + 12);
  const int bits = U16(format + 14);
  const int samplesPerBlock = U16(format + 18);
  const bool pcm = tag == kWavTagPcm && (bits == 8 || bits == 16);
  // 24- and 32-bit PCM, which the platform's converter does not take: the engine keeps
  // the top 16 bits of each sample.
  const bool widePcm = tag == kWavTagPcm && (bits == 24 || bits == 32) && blockAlign == channels * bits / 8;
  const bool ima = (tag == kWavTagImaAdpcm || tag == kWavTagImaAdpcm36) && bits == 4;
  // MPEG data belongs to the MPEG reader. Channel layouts beyond stereo and impossible
  // rates or blocks are refused rather than decoded past their buffers.
  bool ok = fmt.size >= 16 && tag != kWavTagMpeg && tag != kWavTagMpegLayer3 && (channels == 1 || channels == 2) &&
            SoundReader_PlayableRate(rate) && blockAlign > 0;
  if (ok && ima) ok = Ima_LayoutValid(channels, blockAlign, samplesPerBlock);
  // PCM of other widths (12 bits, say) is refused, and compressed data needs some data.
  if (ok && (tag == kWavTagPcm ? !pcm && !widePcm : dataBytes <= 0)) ok = false;
  HACMSTREAM acm = nullptr;
  WAVEFORMATEX acmPcm = {};
  const int64_t mostBlockOut = ok && !pcm && !widePcm && !ima ? MostBlockBytes(format, fmt.size, tag, channels, blockAlign) : 0;
  if (ok && !pcm && !widePcm && !ima) ok = mostBlockOut > 0 && OpenConversion(format, fmt.size, &acm, &acmPcm);
  const DWORD acmBlockOut = acm ? ConvertedSize(acm, blockAlign) : 0;
  if (ok && acm && (acmBlockOut == 0 || acmBlockOut % acmPcm.nBlockAlign != 0 || acmBlockOut > mostBlockOut)) ok = false;
  if (!ok) {
    if (acm) acmStreamClose(acm, 0);
    SoundError_Set(kSoundErrUnknownFormat);
    return FALSE;
  }
  // Decoded data keeps a copy of its format block behind the state, in the same block.
  const size_t formatCopy = pcm ? 0 : sizeof fmt.bytes;
  auto* state = static_cast<WavDecodeState*>(SOUND_CALLOC(sizeof(WavDecodeState) + formatCopy));
  if (!state) {
    if (acm) acmStreamClose(acm, 0);
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  if (formatCopy) {
    state->format = reinterpret_cast<uint8_t*>(state + 1);
    std::memcpy(state->format, fmt.bytes, formatCopy);
  }
  state->widePcmBytes = widePcm ? static_cast<uint8_t>(bits / 8) : 0;
  state->formatTag = tag;
  state->channels = acm ? acmPcm.nChannels : channels;
  state->acmStream = acm;
  const int outBytesPerSample = pcm ? bits / 8 : acm ? acmPcm.wBitsPerSample / 8 : 2;
  if (pcm) blockAlign = channels * outBytesPerSample;  // a header's value cannot be trusted for rounding
  // Whole frames only: a file cut short may end inside one.
  if (pcm || widePcm) dataBytes -= dataBytes % blockAlign;
  state->blockAlign = blockAlign;
  state->samplesPerBlock =
      pcm || widePcm ? 1 : acm ? static_cast<int>(acmBlockOut / acmPcm.nBlockAlign) : samplesPerBlock;

  *info = SoundReaderInfo{};
  info->mode = mode & ~0x1F8u;
  info->mode |= outBytesPerSample == 1 ? (Pcm8 | Unsigned) : (Pcm16 | Signed);
  info->mode |= state->channels == 1 ? Mono : Stereo;
  info->rate = acm ? static_cast<int>(acmPcm.nSamplesPerSec) : rate;
  info->dataOffset = dataOffset;
  info->dataBytes = dataBytes;
  info->blockAlign = blockAlign;
  info->samplesPerBlock = state->samplesPerBlock;
  info->channels = state->channels;
  info->state = state;
  info->decode = WavFormat_Decode;
  info->close = WavFormat_Close;
  info->loopStart = loop[0];
  info->loopEnd = loop[1];
  info->lengthMs = -1;
  if (pcm) {
    info->decodedBytes = dataBytes;
  } else {
    const int64_t blockOut = acm ? static_cast<int64_t>(acmBlockOut)
                                 : static_cast<int64_t>(state->samplesPerBlock) * channels * 2;
    const int64_t decoded = static_cast<int64_t>(dataBytes / blockAlign) * blockOut;
    info->decodedBytes = decoded > INT32_MAX ? INT32_MAX : static_cast<int>(decoded);
    int read = blockAlign;
    while (read < kReadBufferTarget) read *= 2;
    info->readBufferSize = read;
    int64_t decode = dataBytes > 0 ? (static_cast<int64_t>(read) * decoded / dataBytes * 3 + 3) / 2 : 0;
    // Never less than the blocks of one full read give.
    if (decode < read / blockAlign * blockOut) decode = read / blockAlign * blockOut;
    info->decodeBufferSize = static_cast<int>(decode);
    state->adpcm36 = 0;
  }
  return TRUE;
}

BOOL RawFormat_Open(SoundFile* f, uint32_t mode, SoundReaderInfo* info) {
  using namespace SoundMode;
  auto* state = static_cast<WavDecodeState*>(SOUND_CALLOC(sizeof(WavDecodeState)));
  if (!state) {
    SoundError_Set(kSoundErrNoMemory);
    return FALSE;
  }
  if (!(mode & (Pcm8 | Pcm16))) mode |= Pcm8;
  if (!(mode & (Mono | Stereo))) mode |= Mono;
  *info = SoundReaderInfo{};
  info->mode = mode & ~MultiChannel;
  info->rate = 44100;
  info->dataOffset = 0;
  info->dataBytes = info->decodedBytes = AuralFile_Remaining(f);
  info->blockAlign = ((mode & Pcm16) ? 2 : 1) * ((mode & Stereo) ? 2 : 1);
  info->samplesPerBlock = 1;
  info->channels = (mode & Stereo) ? 2 : 1;
  info->state = state;
  info->decode = WavFormat_Decode;
  info->close = WavFormat_Close;
  info->lengthMs = -1;
  return TRUE;
}

int WavFormat_DecodeBlock(WavDecodeState* s, const uint8_t* input, int inputBytes, void* output, int room) {
  if (!s || s->blockAlign <= 0 || inputBytes <= 0 || room <= 0) return 0;
  if (s->widePcmBytes) {
    // Little-endian samples: their top 16 bits are their last two bytes.
    const int width = s->widePcmBytes;
    int samples = inputBytes / s->blockAlign * s->channels;
    if (samples > room / 2) samples = room / 2 / s->channels * s->channels;
    auto* out = static_cast<uint8_t*>(output);
    for (int i = 0; i < samples; ++i) {
      out[2 * i] = input[i * width + width - 2];
      out[2 * i + 1] = input[i * width + width - 1];
    }
    return samples * 2;
  }
  if (s->acmStream) {
    auto acm = static_cast<HACMSTREAM>(s->acmStream);
    // Whole blocks only, and no more than the output can take.
    int blocks = inputBytes / s->blockAlign;
    const DWORD blockOut = ConvertedSize(acm, s->blockAlign);
    if (blockOut > 0 && blocks > static_cast<int>(room / blockOut)) blocks = static_cast<int>(room / blockOut);
    while (blocks > 0 && ConvertedSize(acm, blocks * s->blockAlign) > static_cast<DWORD>(room)) --blocks;
    if (blocks <= 0) return 0;
    ACMSTREAMHEADER h = {};
    h.cbStruct = sizeof h;
    h.pbSrc = const_cast<uint8_t*>(input);
    h.cbSrcLength = static_cast<DWORD>(blocks * s->blockAlign);
    h.pbDst = static_cast<uint8_t*>(output);
    h.cbDstLength = static_cast<DWORD>(room);
    if (acmStreamPrepareHeader(acm, &h, 0) != 0) return 0;
    const bool ok = acmStreamConvert(acm, &h, ACM_STREAMCONVERTF_BLOCKALIGN) == 0;
    acmStreamUnprepareHeader(acm, &h, 0);
    return ok && h.cbDstLengthUsed <= static_cast<DWORD>(room) ? static_cast<int>(h.cbDstLengthUsed) : 0;
  }
  const int blockOut = s->samplesPerBlock * s->channels * 2;
  int blocks = inputBytes / s->blockAlign;
  if (blocks > room / blockOut) blocks = room / blockOut;
  if (blocks <= 0) return 0;
  auto* out = static_cast<int16_t*>(output);
  if (s->samplesPerBlock == kImaSamplesPerBlock36 && s->blockAlign == kImaBlockBytes36 * s->channels)
    return SoundConv_DecodeIma36(input, blocks * s->blockAlign, out, blocks * blockOut, s->channels, s->adpcm36 != 0);
  const int done = s->channels == 1 ? Ima_DecodeMono(input, out, blocks, s->blockAlign, s->samplesPerBlock, 1)
                                    : Ima_DecodeStereo(input, out, blocks, s->blockAlign, s->samplesPerBlock);
  return done * blockOut;
}

BOOL WavFormat_Decode(SoundStream* stream, void* readBuffer, int readBufferSize, void* output, int* byteCount) {
  auto* s = static_cast<WavDecodeState*>(stream->ringSample ? stream->ringSample->user : nullptr);
  return WavFormat_DecodeWith(stream, s, readBuffer, readBufferSize, output, byteCount);
}

BOOL WavFormat_DecodeWith(SoundStream* stream, WavDecodeState* s, void* readBuffer, int readBufferSize, void* output,
                          int* byteCount) {
  SoundFile* f = stream->file;
  const int room = *byteCount;
  *byteCount = 0;
  if (!s || !f || room < 0) return FALSE;
  int64_t remaining = static_cast<int64_t>(stream->dataOffset) + stream->dataBytes - AuralFile_Tell(f);
  if (remaining < 0) remaining = 0;
  if (s->format) {
    int want = readBufferSize < remaining ? readBufferSize : static_cast<int>(remaining);
    if (want <= 0 || !readBuffer) return FALSE;
    const int got = AuralFile_Read(readBuffer, 1, want, f);
    if (got > 0) *byteCount = WavFormat_DecodeBlock(s, static_cast<uint8_t*>(readBuffer), got, output, room);
    if (got < want) {
      stream->readShort = 1;
      return FALSE;
    }
    return TRUE;
  }
  int n = room;
  bool cut = false;
  if (n > remaining) n = static_cast<int>(remaining), cut = true;
  const int item = (stream->mode & SoundMode::Pcm16) ? 2 : 1;
  int got = n > 0 ? AuralFile_Read(output, item, n / item, f) : 0;
  if (got < 0) got = 0;
  *byteCount = got;
  if (got < n / item * item) stream->readShort = 1;
  return !cut && got == n;
}
