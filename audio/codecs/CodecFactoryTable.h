#pragma once
// Makes a codec object from its codec id, the number the recorder settings and the
// player keep. Ids 2, 3, 5, 6 and 8 on have no codec.
class AudioCodec;

class CodecFactoryTable {
public:
    static constexpr int kPcmWav = 0;
    static constexpr int kMp3Encoder = 1;
    static constexpr int kGsm610Wav = 4;
    static constexpr int kWma = 7;
    static constexpr int kSlots = 8;

    using Factory = AudioCodec* (*)();

    // The factory at the id, or null.
    static Factory At(int id);
    // A new codec, or null when the id has none or memory runs out.
    static AudioCodec* Create(int id);
};
