#include "CodecFactoryTable.h"

#include "Gsm610WavCodec.h"
#include "Mp3EncoderCodec.h"
#include "PcmWavCodec.h"
#include "WmaCodec.h"

#include <new>

namespace {
template <typename Codec>
AudioCodec* Make() {
    return new (std::nothrow) Codec();
}

const CodecFactoryTable::Factory kFactories[CodecFactoryTable::kSlots] = {
    Make<PcmWavCodec>,     // 0
    Make<Mp3EncoderCodec>,  // 1
    nullptr,               // 2
    nullptr,               // 3
    Make<Gsm610WavCodec>,  // 4
    nullptr,               // 5
    nullptr,               // 6
    Make<WmaCodec>,        // 7
};
}  // namespace

CodecFactoryTable::Factory CodecFactoryTable::At(int id) {
    return id >= 0 && id < kSlots ? kFactories[id] : nullptr;
}

AudioCodec* CodecFactoryTable::Create(int id) {
    Factory factory = At(id);
    return factory ? factory() : nullptr;
}
