// The codec base answers, the codec table and the frame assembler.
#include <gtest/gtest.h>

#include "AudioCodec.h"
#include "CodecFactoryTable.h"
#include "FrameAssembler.h"
#include "Gsm610WavCodec.h"
#include "Mp3EncoderCodec.h"
#include "PcmWavCodec.h"
#include "WmaCodec.h"

#include <memory>
#include <string>

TEST(AudioCodec, TheBaseAnswersWhatACodecDoesNotSupport) {
    AudioCodec codec;
    uint32_t frames = 10;
    char byte = 0;
    EXPECT_EQ(10, codec.OpenRead());
    EXPECT_EQ(10, codec.OpenWrite());
    EXPECT_EQ(11, codec.Read(&byte, &frames));
    EXPECT_EQ(11, codec.Write(&byte, 1));
    EXPECT_EQ(12, codec.Seek(0));
    EXPECT_EQ(0, codec.CloseRead());
    EXPECT_EQ(0, codec.CloseWrite());

    EXPECT_TRUE(codec.SetFileName(std::wstring(259, L'a').c_str()));
    EXPECT_FALSE(codec.SetFileName(std::wstring(260, L'b').c_str()));
    EXPECT_EQ(std::wstring(259, L'a'), codec.FileName());
}

TEST(CodecFactoryTable, MakesTheWavMp3AndWmaCodecsAndNothingForOtherIds) {
    std::unique_ptr<AudioCodec> pcm(CodecFactoryTable::Create(0));
    std::unique_ptr<AudioCodec> mp3(CodecFactoryTable::Create(1));
    std::unique_ptr<AudioCodec> gsm(CodecFactoryTable::Create(4));
    std::unique_ptr<AudioCodec> wma(CodecFactoryTable::Create(7));
    EXPECT_NE(nullptr, dynamic_cast<PcmWavCodec*>(pcm.get()));
    EXPECT_NE(nullptr, dynamic_cast<Mp3EncoderCodec*>(mp3.get()));
    EXPECT_NE(nullptr, dynamic_cast<Gsm610WavCodec*>(gsm.get()));
    EXPECT_NE(nullptr, dynamic_cast<WmaCodec*>(wma.get()));
    for (int id : {-1, 2, 3, 5, 6, 8, 1000}) EXPECT_EQ(nullptr, CodecFactoryTable::Create(id)) << id;
}

namespace {
std::string Frame(const uint8_t* frame, uint32_t bytes) { return std::string(reinterpret_cast<const char*>(frame), bytes); }
}  // namespace

TEST(FrameAssembler, CutsWholeFramesAndKeepsTheRestForTheNextInput) {
    const std::string input = "abcdefghij";
    for (bool multiple : {true, false}) {
        SCOPED_TRACE(multiple ? "multiple frames" : "one frame at a time");
        FrameAssembler assembler;
        ASSERT_TRUE(assembler.Init(4, multiple));
        const uint8_t* frame = nullptr;
        uint32_t bytes = 0;
        bool own = true;
        std::string out;
        assembler.SetInput(reinterpret_cast<const uint8_t*>(input.data()), 10);
        while (assembler.Next(&frame, &bytes, &own)) {
            EXPECT_FALSE(own) << "whole frames come straight from the input";
            EXPECT_EQ(0u, bytes % 4);
            if (multiple) {
                EXPECT_EQ(8u, bytes);
            }
            out += Frame(frame, bytes);
        }
        EXPECT_EQ("abcdefgh", out);
        EXPECT_EQ(2u, assembler.Pending());

        // The begun frame is completed from the next input, in the assembler's own buffer.
        const std::string more = "KLMNOPQ";
        assembler.SetInput(reinterpret_cast<const uint8_t*>(more.data()), 7);
        ASSERT_TRUE(assembler.Next(&frame, &bytes, &own));
        EXPECT_TRUE(own);
        EXPECT_EQ("ijKL", Frame(frame, bytes));
        ASSERT_TRUE(assembler.Next(&frame, &bytes, &own));
        EXPECT_EQ("MNOP", Frame(frame, bytes));
        EXPECT_FALSE(assembler.Next(&frame, &bytes, &own));
        EXPECT_EQ(1u, assembler.Pending());
        EXPECT_EQ(std::string("Q\0\0\0", 4), Frame(assembler.TakePaddedFrame(), 4));
        EXPECT_EQ(0u, assembler.Pending());
        EXPECT_EQ(nullptr, assembler.TakePaddedFrame());
    }
}
