// The encoder's constant code tables and window against the libmad decoder's own.
#include "LibmadTables.h"
#include "Mp3CodeTables.h"

#include <gtest/gtest.h>

TEST(Mp3Tables, HuffmanCodesAndWindowAreTheDecoders) {
    for (int table = 1; table < 32; ++table) {
        const Mp3PairTable& ours = kMp3PairTables[table];
        if (table == 4 || table == 14) {
            EXPECT_EQ(0, ours.size) << table;
            continue;
        }
        EXPECT_EQ(mad_huff_pair_table[table].linbits, ours.linbits) << table;
        const std::vector<libmadtables::Code> codes = libmadtables::PairCodes(table, ours.size);
        for (int i = 0; i < ours.size * ours.size; ++i) {
            ASSERT_NE(0, codes[i].length) << "table " << table << " value " << i;
            EXPECT_EQ(codes[i].length, Mp3CodeLength(ours.codes[i])) << "table " << table << " value " << i;
            EXPECT_EQ(codes[i].bits, Mp3CodeBits(ours.codes[i])) << "table " << table << " value " << i;
        }
    }
    for (int table = 0; table < 2; ++table) {
        const std::vector<libmadtables::Code> codes = libmadtables::QuadCodes(table);
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(codes[i].length, Mp3CodeLength(kMp3QuadCodes[table][i])) << table << " " << i;
            EXPECT_EQ(codes[i].bits, Mp3CodeBits(kMp3QuadCodes[table][i])) << table << " " << i;
        }
    }
    const std::vector<double> window = libmadtables::SynthesisWindow();
    for (int i = 0; i < 512; ++i) {
        // The measured window lies on the standard's grid of 2^-16.
        ASSERT_NEAR(window[i], std::round(window[i]), 0.01) << i;
        EXPECT_EQ(std::lround(window[i]), kMp3AnalysisWindow[i]) << i;
    }
}
