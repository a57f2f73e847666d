#include "Mp3GranuleCoder.h"

#include "Mp3CodeTables.h"

#include <cmath>
#include <cstdlib>
#include <initializer_list>

using namespace mp3;

namespace {

// 2^(-i/4) in Q16: the fine part of the quantiser step.
constexpr int64_t kStepFactor[4] = {65536, 55109, 46341, 38968};
// The step factor times the peak (in 1/256) above which values would leave the table.
constexpr int64_t kLargestScaledPeak = 415231;
constexpr int kPowerEntries = 4096;
// Beyond this many doublings every line quantises to 0.
constexpr int kSilentExponent = 40;
// The rate loop lowers the step only while more than this many bits are left unused.
constexpr int kSlackBits = 64;

// i^(3/4), rounded: the quantiser's companding.
const int16_t* PowerTable() {
    static const auto table = [] {
        static int16_t values[kPowerEntries];
        for (int i = 0; i < kPowerEntries; ++i) values[i] = static_cast<int16_t>(std::lround(std::pow(i, 0.75)));
        return values;
    }();
    return table;
}

int Magnitude(int16_t v) { return v < 0 ? -v : v; }

// Bits of the pairs [from, to) in one table, sign bits included.
int PairBits(int table, const int16_t* values, int from, int to) {
    const Mp3PairTable& t = kMp3PairTables[table];
    int bits = 0;
    for (int i = from; i < to; i += 2) {
        int x = Magnitude(values[i]), y = Magnitude(values[i + 1]);
        bits += (x != 0) + (y != 0);
        if (t.linbits > 0) {
            if (x >= 15) {
                x = 15;
                bits += t.linbits;
            }
            if (y >= 15) {
                y = 15;
                bits += t.linbits;
            }
        }
        bits += Mp3CodeLength(t.codes[x * t.size + y]);
    }
    return bits;
}

// The cheapest of the candidate tables; on a tie the first listed wins.
int Cheapest(std::initializer_list<int> tables, const int16_t* values, int from, int to, int* bits) {
    int best = 0;
    *bits = -1;
    for (int table : tables) {
        const int b = PairBits(table, values, from, to);
        if (*bits < 0 || b < *bits) {
            *bits = b;
            best = table;
        }
    }
    return best;
}

// First escape table of a family whose linbits cover the largest value.
int FirstCovering(int first, int largest) {
    for (int table = first; table < first + 8; ++table)
        if ((1 << kMp3PairTables[table].linbits) - 1 >= largest - 15) return table;
    return first + 7;
}

int ChooseTable(const int16_t* values, int from, int to, int* bits) {
    int largest = 0;
    for (int i = from; i < to; ++i)
        if (Magnitude(values[i]) > largest) largest = Magnitude(values[i]);
    if (largest == 0) {
        *bits = 0;
        return 0;
    }
    if (largest == 1) return Cheapest({1}, values, from, to, bits);
    if (largest == 2) return Cheapest({3, 2}, values, from, to, bits);
    if (largest == 3) return Cheapest({6, 5}, values, from, to, bits);
    if (largest <= 5) return Cheapest({7, 8, 9}, values, from, to, bits);
    if (largest <= 7) return Cheapest({10, 11, 12}, values, from, to, bits);
    if (largest <= 15) return Cheapest({15, 13}, values, from, to, bits);
    return Cheapest({FirstCovering(16, largest), FirstCovering(24, largest)}, values, from, to, bits);
}

int QuadBits(int table, const int16_t* values, int from, int to) {
    int bits = 0;
    for (int i = from; i < to; i += 4) {
        int index = 0;
        for (int j = 0; j < 4; ++j) {
            const int v = Magnitude(values[i + j]);
            index = index << 1 | v;
            bits += v;
        }
        bits += Mp3CodeLength(kMp3QuadCodes[table][index]);
    }
    return bits;
}

// Quantises every line; false when the step is so fine that the peak would leave the table.
bool Quantise(const Mp3Filterbank::Granule& granule, int lineCount, int step, int16_t* values) {
    const int exponent = step >> 2;
    const int64_t factor = kStepFactor[step & 3];
    for (int i = lineCount; i < kLinesPerGranule; ++i) values[i] = 0;
    if (exponent >= kSilentExponent) {
        for (int i = 0; i < lineCount; ++i) values[i] = 0;
        return true;
    }
    if (factor * ((granule.peak + 256) / 256) > kLargestScaledPeak << exponent) return false;
    const int shift = 16 + exponent;
    const int64_t half = int64_t{1} << (shift - 1);
    const int16_t* power = PowerTable();
    for (int i = 0; i < lineCount; ++i) {
        const int32_t line = granule.lines[i];
        int64_t index = (factor * std::abs(line) + half) >> shift;
        if (index >= kPowerEntries) index = kPowerEntries - 1;
        values[i] = static_cast<int16_t>(line < 0 ? -power[index] : power[index]);
    }
    return true;
}

}  // namespace

int Mp3GranuleCoder::Code(const Mp3Filterbank::Granule& granule, int lineCount, int step,
                          Mp3GranuleChannel* out) const {
    out->step = step;
    out->blockScale = granule.blockScale;
    out->peak = granule.peak;
    int16_t* values = out->values;
    if (!Quantise(granule, lineCount, step, values)) {
        out->bits = kRefusedBits;
        return kRefusedBits;
    }
    // From the top: zero pairs, then the quadruples of values no larger than 1.
    int end = kLinesPerGranule;
    while (end >= 2 && values[end - 1] == 0 && values[end - 2] == 0) end -= 2;
    int bigEnd = end;
    while (bigEnd >= 4 && Magnitude(values[bigEnd - 1]) <= 1 && Magnitude(values[bigEnd - 2]) <= 1 &&
           Magnitude(values[bigEnd - 3]) <= 1 && Magnitude(values[bigEnd - 4]) <= 1)
        bigEnd -= 4;
    out->count1End = end;
    out->bigValues = bigEnd / 2;
    const int bitsA = QuadBits(0, values, bigEnd, end);
    const int bitsB = QuadBits(1, values, bigEnd, end);
    out->count1TableSelect = bitsA < bitsB ? 0 : 1;
    int bits = bitsA < bitsB ? bitsA : bitsB;

    int band = 0;
    while (band < kLongBands && bandStart_[band] < bigEnd) ++band;
    out->region0Count = kRegion0Count[band];
    out->region1Count = kRegion1Count[band];
    const int region1 = bandStart_[out->region0Count + 1];
    const int region2 = bandStart_[out->region0Count + out->region1Count + 2];
    out->region1Start = region1 < bigEnd ? region1 : bigEnd;
    out->region2Start = region2 < bigEnd ? region2 : bigEnd;
    const int bounds[4] = {0, out->region1Start, out->region2Start, bigEnd};
    for (int r = 0; r < 3; ++r) {
        int regionBits = 0;
        out->tableSelect[r] = ChooseTable(values, bounds[r], bounds[r + 1], &regionBits);
        bits += regionBits;
    }
    out->bits = bits;
    return bits;
}

void Mp3GranuleCoder::Fit(const Mp3Filterbank::Granule& granule, int lineCount, int budget,
                          Mp3GranuleChannel* out) const {
    int step = out->step < 0 ? 0 : out->step;
    int bits = Code(granule, lineCount, step, out);
    while (bits < budget - kSlackBits && step > 0) {
        step = step > 2 ? step - 2 : 0;
        bits = Code(granule, lineCount, step, out);
    }
    while (bits > budget) bits = Code(granule, lineCount, ++step, out);
    out->part23Length = bits;
    const int gain = step - granule.blockScale + kGainOffset;
    out->globalGain = gain < 0 ? 0 : gain > 255 ? 255 : gain;
}

void Mp3GranuleCoder::PrepareStuffing(int stuffing, Mp3GranuleChannel* coded) const {
    const int zeroLines = kLinesPerGranule - coded->count1End;
    if (coded->count1TableSelect == 0 || stuffing % 4 == 0 || stuffing >= zeroLines) return;
    const int bigEnd = coded->bigValues * 2;
    const int extra = QuadBits(0, coded->values, bigEnd, coded->count1End) -
                      QuadBits(1, coded->values, bigEnd, coded->count1End);
    if (extra > stuffing) return;
    coded->count1TableSelect = 0;
    coded->bits += extra;
}

void Mp3GranuleCoder::WriteMainData(const Mp3GranuleChannel& coded, Mp3BitWriter* writer) {
    const int start = writer->Position();
    const int16_t* values = coded.values;
    const int bounds[4] = {0, coded.region1Start, coded.region2Start, coded.bigValues * 2};
    for (int r = 0; r < 3; ++r) {
        const Mp3PairTable& table = kMp3PairTables[coded.tableSelect[r]];
        if (table.size == 0) continue;
        for (int i = bounds[r]; i < bounds[r + 1]; i += 2) {
            const int x = Magnitude(values[i]), y = Magnitude(values[i + 1]);
            const int cx = table.linbits > 0 && x > 15 ? 15 : x;
            const int cy = table.linbits > 0 && y > 15 ? 15 : y;
            const uint32_t code = table.codes[cx * table.size + cy];
            writer->Put(Mp3CodeBits(code), Mp3CodeLength(code));
            if (table.linbits > 0 && cx == 15) writer->Put(static_cast<uint32_t>(x - 15), table.linbits);
            if (x != 0) writer->Put(values[i] < 0, 1);
            if (table.linbits > 0 && cy == 15) writer->Put(static_cast<uint32_t>(y - 15), table.linbits);
            if (y != 0) writer->Put(values[i + 1] < 0, 1);
        }
    }
    for (int i = coded.bigValues * 2; i < coded.count1End; i += 4) {
        int index = 0;
        for (int j = 0; j < 4; ++j) index = index << 1 | Magnitude(values[i + j]);
        const uint32_t code = kMp3QuadCodes[coded.count1TableSelect][index];
        writer->Put(Mp3CodeBits(code), Mp3CodeLength(code));
        for (int j = 0; j < 4; ++j)
            if (values[i + j] != 0) writer->Put(values[i + j] < 0, 1);
    }
    // Ones after the coded lines decode as zero quadruples.
    writer->PutOnes(coded.part23Length - (writer->Position() - start));
}
