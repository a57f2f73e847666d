#include "LoadBoundWma.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "AudioCodec.h"
#include "CASFWMAReader.h"
#include "CodecFactoryTable.h"
#include "StdioFile.h"

namespace {

// Every block carries its size in front of it, so the count follows frees too.
constexpr size_t kHeaderBytes = 16;
std::atomic<int64_t> g_inUse{0}, g_highWater{0};

void* Counted(size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeaderBytes));
  if (!block) return nullptr;
  *reinterpret_cast<size_t*>(block) = size;
  const int64_t now = g_inUse += static_cast<int64_t>(size);
  for (int64_t high = g_highWater; now > high && !g_highWater.compare_exchange_weak(high, now);) {
  }
  return block + kHeaderBytes;
}

void Uncounted(void* p) {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - kHeaderBytes;
  g_inUse -= static_cast<int64_t>(*reinterpret_cast<size_t*>(block));
  std::free(block);
}

template <typename Work>
int64_t HeapPeakOf(Work&& work) {
  const int64_t before = g_inUse;
  g_highWater = before;
  work();
  return g_highWater - before;
}

// The codec's reads until the data end (a damaged object ends them too).
void DecodeToEnd(AudioCodec* codec) {
  std::vector<int16_t> block(4096 * 2);
  for (;;) {
    uint32_t frames = 4096;
    if (codec->Read(block.data(), &frames) != 0 || frames == 0) break;
  }
}

}  // namespace

void* operator new(size_t size) {
  if (void* p = Counted(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Counted(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Counted(size); }
void operator delete(void* p) noexcept { Uncounted(p); }
void operator delete[](void* p) noexcept { Uncounted(p); }
void operator delete(void* p, size_t) noexcept { Uncounted(p); }
void operator delete[](void* p, size_t) noexcept { Uncounted(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Uncounted(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Uncounted(p); }

namespace loadbound {

bool WmaDecoderOpens(const std::wstring& path) {
  std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(CodecFactoryTable::kWma));
  return codec && codec->SetFileName(path.c_str()) && codec->OpenRead() == AudioCodec::kOk;
}

WmaLoad LoadWma(const std::wstring& path, bool decode) {
  WmaLoad load;
  load.peak = HeapPeakOf([&] {
    StdioFile file;
    if (!file.OpenRead(path.c_str())) return;
    StdioFileReader reader(file.Get());
    CASFWMAReader asf;
    asf.SetReader(&reader);
    load.read = asf.Open();
    AsfMediaObject object;
    while (load.read && asf.ReadObject(&object)) delete[] object.data;
  });
  if (!decode) return load;
  const int64_t codecPeak = HeapPeakOf([&] {
    std::unique_ptr<AudioCodec> codec(CodecFactoryTable::Create(CodecFactoryTable::kWma));
    codec->SetFileName(path.c_str());
    codec->SetBufferMs(400);
    load.decoded = codec->OpenRead() == AudioCodec::kOk;
    if (load.decoded) DecodeToEnd(codec.get());
  });
  if (codecPeak > load.peak) load.peak = codecPeak;
  return load;
}

}  // namespace loadbound
