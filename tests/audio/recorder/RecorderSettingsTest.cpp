// The recorder settings record: its defaults and first key, and how child keys are named.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "RecorderSettings.h"

#include <cstring>

TEST(RecorderSettings, StartsWithItsDefaultsUnderItsFirstKey) {
    ASSERT_FALSE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, L"Software\\Quobalt"));
    RecorderSettings settings;
    EXPECT_TRUE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, L"Software\\Quobalt"));
    ASSERT_TRUE(settings.key && settings.key->IsOpen());
    EXPECT_EQ(L"Software\\Quobalt", settings.key->Path());

    EXPECT_EQ(44100, settings.outputFormat.sampleRate);
    EXPECT_EQ(2, settings.outputFormat.channels);
    EXPECT_EQ(16, settings.outputFormat.bitsPerSample);
    EXPECT_EQ(300, settings.capture.number);
    EXPECT_EQ(44100, settings.capture.sampleRate);
    EXPECT_EQ(2, settings.capture.channels);
    EXPECT_EQ(16, settings.capture.bitsPerSample);
    EXPECT_EQ(-1, settings.inputDevice);
    EXPECT_EQ(0, settings.codecId);
    const Mp3CodecSettings zero;
    EXPECT_EQ(0, memcmp(&zero, &settings.mp3, sizeof zero));
    EXPECT_EQ(0, settings.mp3.enabled);
    EXPECT_EQ(0, settings.equalizer.on);
    for (int gain : settings.equalizer.gains) EXPECT_EQ(0, gain);
    EXPECT_EQ(0, settings.playback.fadeInMs);
    EXPECT_EQ(0, settings.playback.fadeOutMs);
    EXPECT_EQ(400, settings.playback.streamBufferMs);
    EXPECT_EQ(44100, settings.playback.sampleRate);
    EXPECT_FALSE(settings.capture8Bit);
}

TEST(RegKey, ChildPathsJoinWithOneBackslash) {
    RegKey parent(L"Software\\Quobalt");
    auto child = RegKey_OpenChild(parent, L"Recorder");
    EXPECT_EQ(L"Software\\Quobalt\\Recorder", child->Path());
    EXPECT_TRUE(child->IsOpen());
    EXPECT_TRUE(testsupport::RegistryKeyExists(HKEY_CURRENT_USER, L"Software\\Quobalt\\Recorder"));

    RegKey slash(L"Software\\Ostrel\\");
    EXPECT_EQ(L"Software\\Ostrel\\Orvalen", RegKey_OpenChild(slash, L"Orvalen")->Path());
    RegKey forward(L"Software/");
    EXPECT_EQ(L"Software/Quobalt", RegKey_OpenChild(forward, L"Quobalt")->Path());
}
