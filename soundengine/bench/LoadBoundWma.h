#pragma once
// WMA files as the sound-file player reads them (audio/wma): the ASF reader's walk over
// every media object, and the WMA codec's open and decode to the end where the device's
// decoder library is found. The most the program's heap held above what it held before
// (the benchmark's own operator new counts it; the decoder library's heap is its own).
#include <cstdint>
#include <string>

namespace loadbound {

struct WmaLoad {
  int64_t peak = 0;
  bool read = false;     // the ASF reader found an audio stream
  bool decoded = false;  // the codec opened it
};

// True when the codec opens `path` (a real WMA file) with a decoder.
bool WmaDecoderOpens(const std::wstring& path);
// `decode`: the codec opens and decodes too.
WmaLoad LoadWma(const std::wstring& path, bool decode);

}  // namespace loadbound
