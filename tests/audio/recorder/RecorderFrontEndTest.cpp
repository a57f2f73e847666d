// The recorder's front end: its settings in the registry, filters included, and the
// answers of its operations when there is nothing to do.
#include <gtest/gtest.h>

#include "DenoiseFilter.h"
#include "DeviceFiles.h"
#include "FileWriterThread.h"
#include "FilterChain.h"
#include "GainFilter.h"
#include "OscilloscopeFilter.h"
#include "ProcessingThread.h"
#include "Recorder.h"
#include "RecorderCodes.h"
#include "RecorderEngine.h"
#include "RecorderSettings.h"
#include "SilenceFilter.h"
#include "TestSupport.h"

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace {

const std::wstring kKey = kRecorderKeyPath;

struct Stored {
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

Stored Read(const wchar_t* value) {
    Stored stored;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return stored;
    DWORD size = 0;
    RegQueryValueExW(key, value, nullptr, &stored.type, nullptr, &size);
    stored.bytes.resize(size);
    if (size) RegQueryValueExW(key, value, nullptr, &stored.type, stored.bytes.data(), &size);
    RegCloseKey(key);
    return stored;
}

void WriteRaw(const wchar_t* value, const void* data, DWORD size) {
    ASSERT_TRUE(testsupport::WriteRegistryRaw(HKEY_CURRENT_USER, kKey, value, REG_BINARY, data, size));
}

template <typename Record>
void Write(const wchar_t* value, const Record& record) {
    WriteRaw(value, &record, sizeof record);
}

class RecorderFrontEndTest : public testing::Test {
protected:
    void TearDown() override { Recorder_Shutdown(); }
};

}  // namespace

// Every value round-trips as REG_BINARY of its own size.
TEST_F(RecorderFrontEndTest, EverySettingRoundTripsAsBinaryOfItsSize) {
    Recorder_Init();
    RecorderSettings& s = RecorderSettings_Global();
    s.outputFormat = {8000, 1, 8};
    s.capture = {7, 11025, 1, 8};
    s.inputDevice = 0;
    s.codecId = 4;
    s.mp3.enabled = 1;
    s.mp3.channelMode = 1;
    s.mp3.bitrateKbps = 128;
    s.equalizer.on = 1;
    for (int band = 0; band < EqualizerSettings::kBands; ++band) s.equalizer.gains[band] = band * 10 - 40;
    s.playback = {100, 200, 300, 22050};
    RecorderFilters& f = Recorder_Filters();
    f.gain->gainOn = true;
    f.gain->multiplier = 2048;
    f.gain->threshold = 20;
    f.gain->hold = 100;
    f.silence->silenceNumber = 5;
    f.oscilloscope->Resize(128);
    f.denoise->denoise = false;
    f.chain->SetSlot(f.denoise, 0);
    f.chain->SetSlot(f.oscilloscope, 2);
    Recorder_SaveSettings();

    const std::pair<const wchar_t*, size_t> sizes[] = {
        {L"VERSION", 4}, {L"OutputFormat", 12}, {L"WaveInDevicesSettingsActive", 4},
        {L"WaveInDevicesSettingsSetting", 16}, {L"WaveInCodec", 4}, {L"MP3Codec", 32}, {L"EqualizerOn", 4},
        {L"Equalizer32", 4}, {L"Equalizer16000", 4}, {L"Playback", 16}, {L"FiltersCount", 4}, {L"Filters", 12},
        {L"FilterMultiplier", 4}, {L"FilterSilence", 4}, {L"FilterOcsilloscope", 4}, {L"FilterVoiceActivator", 8},
        {L"FilterDenoise", 4}};
    for (const auto& value : sizes) {
        const Stored stored = Read(value.first);
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), stored.type) << value.first;
        EXPECT_EQ(value.second, stored.bytes.size()) << value.first;
    }
    // Gain on, voice activator off, filters in slots 0 and 2.
    const Stored list = Read(L"Filters");
    ASSERT_EQ(12u, list.bytes.size());
    int32_t entries[3];
    memcpy(entries, list.bytes.data(), 12);
    EXPECT_EQ(-1, entries[0]);
    EXPECT_EQ(0, entries[1]);
    EXPECT_EQ(2, entries[2]);

    // A fresh start reads back what was saved.
    Recorder_Shutdown();
    s.outputFormat = {};
    s.capture = {};
    s.codecId = 0;
    s.mp3 = {};
    s.equalizer = {};
    s.playback = {};
    Recorder_Init();
    EXPECT_EQ(3, s.version);
    EXPECT_EQ(8000, s.outputFormat.sampleRate);
    EXPECT_EQ(8, s.outputFormat.bitsPerSample);
    EXPECT_EQ(7, s.capture.number);
    EXPECT_EQ(11025, s.capture.sampleRate);
    EXPECT_EQ(4, s.codecId);
    EXPECT_EQ(1, s.mp3.enabled);
    EXPECT_EQ(1, s.mp3.channelMode);
    EXPECT_EQ(128, s.mp3.bitrateKbps);
    EXPECT_EQ(1, s.equalizer.on);
    EXPECT_EQ(50, s.equalizer.gains[9]);
    EXPECT_EQ(22050, s.playback.sampleRate);
    EXPECT_EQ(100, s.playback.fadeInMs);
    RecorderFilters& g = Recorder_Filters();
    EXPECT_TRUE(g.gain->gainOn);
    EXPECT_FALSE(g.gain->voiceActivatorOn);
    EXPECT_EQ(2048, g.gain->multiplier);
    EXPECT_EQ(20, g.gain->threshold);
    EXPECT_EQ(100, g.gain->hold);
    EXPECT_EQ(5, g.silence->silenceNumber);
    EXPECT_EQ(128, g.oscilloscope->Length());
    EXPECT_FALSE(g.denoise->denoise);
    EXPECT_EQ(g.denoise, g.chain->Slot(0));
    EXPECT_EQ(nullptr, g.chain->Slot(1));
    EXPECT_EQ(g.oscilloscope, g.chain->Slot(2));
}

// Values that are short, or missing, take the defaults; MP3 options need layout 3.
TEST_F(RecorderFrontEndTest, ShortOrMissingValuesTakeTheDefaults) {
    const int32_t two = 2;
    Write(L"VERSION", two);
    const int16_t shortValue = 7;
    Write(L"OutputFormat", shortValue);
    Write(L"Playback", shortValue);
    Write(L"WaveInCodec", shortValue);
    Write(L"EqualizerOn", shortValue);
    const int32_t device = 0;
    Write(L"WaveInDevicesSettingsActive", device);
    const int32_t eight[2] = {1, 2};
    Write(L"WaveInDevicesSettingsSetting", eight);
    Mp3CodecSettings mp3;
    mp3.enabled = 1;
    mp3.bitrateKbps = 64;
    Write(L"MP3Codec", mp3);
    Recorder_Init();
    const RecorderSettings& s = RecorderSettings_Global();
    EXPECT_EQ(2, s.version);
    EXPECT_EQ(44100, s.outputFormat.sampleRate);
    EXPECT_EQ(2, s.outputFormat.channels);
    EXPECT_EQ(400, s.playback.streamBufferMs);
    EXPECT_EQ(44100, s.playback.sampleRate);
    EXPECT_EQ(0, s.codecId);
    EXPECT_EQ(0, s.equalizer.on);
    EXPECT_EQ(300, s.capture.number);
    EXPECT_EQ(44100, s.capture.sampleRate);
    EXPECT_EQ(0, s.mp3.enabled) << "MP3 options of layout 2 are not read";
    const RecorderFilters& f = Recorder_Filters();
    EXPECT_EQ(1024, f.gain->multiplier);
    EXPECT_EQ(50, f.gain->threshold);
    EXPECT_EQ(333, f.gain->hold);
    EXPECT_TRUE(f.denoise->denoise);
    EXPECT_EQ(0, f.chain->SlotCount());
}

// A damaged "FiltersCount" is not trusted: the entries come from the bytes read, five at most.
TEST_F(RecorderFrontEndTest, ADamagedFilterCountReadsAtMostFiveEntries) {
    const int32_t three = 3;
    Write(L"VERSION", three);
    // Six entries stored and counted: the sixth, naming slot 2, is past the five a list holds.
    const int32_t six[6] = {1, 7, 7, 7, 7, 2};
    const int32_t sixCount = 6;
    Write(L"FiltersCount", sixCount);
    Write(L"Filters", six);
    Recorder_Init();
    RecorderFilters& f = Recorder_Filters();
    EXPECT_EQ(f.silence, f.chain->Slot(1));
    EXPECT_EQ(nullptr, f.chain->Slot(2)) << "a sixth entry was read";
    Recorder_Shutdown();

    // A count whose byte size overflows 32 bits (to 4): the walk stays inside the bytes read.
    const int32_t hugeCount = 0x40000001;
    Write(L"FiltersCount", hugeCount);
    const int32_t two[2] = {0, -1};
    Write(L"Filters", two);
    Recorder_Init();
    RecorderFilters& h = Recorder_Filters();
    EXPECT_EQ(h.denoise, h.chain->Slot(0));
    EXPECT_TRUE(h.gain->gainOn);
    EXPECT_EQ(1, h.chain->SlotCount());
    Recorder_Shutdown();

    // A count larger than the list: only the entries stored are taken.
    const int32_t four = 4;
    Write(L"FiltersCount", four);
    const int32_t one[1] = {-2};
    Write(L"Filters", one);
    Recorder_Init();
    RecorderFilters& g = Recorder_Filters();
    EXPECT_TRUE(g.gain->voiceActivatorOn);
    EXPECT_FALSE(g.gain->gainOn);
    EXPECT_EQ(0, g.chain->SlotCount());
}

TEST_F(RecorderFrontEndTest, NothingToStopOrRecordAnswersWrongState) {
    EXPECT_EQ(RecorderCode::kWrongState, Recorder_Stop());
    ASSERT_EQ(0, Recorder_Init());
    EXPECT_EQ(RecorderCode::kWrongState, Recorder_Stop());
    EXPECT_EQ(RecorderCode::kWrongState, Recorder_Stop());
    EXPECT_EQ(RecorderCode::kWrongState, Recorder_StartRecording(L"\\My Documents\\x.wav"));
    // The child of the recorder's key with an empty sub-path.
    EXPECT_EQ(L"Software\\Ostrel\\Orvalen\\Recorder\\", RecorderSettings_Global().key->Path());
}

namespace {
std::wstring HostPath(const std::wstring& devicePath) {
    wchar_t mapped[MAX_PATH];
    return Device_MapPath(devicePath.c_str(), mapped, MAX_PATH) ? mapped : L"";
}

// The last bytes take a while to reach the card.
int SlowClose(FILE* file) {
    Sleep(300);
    return fclose(file);
}

std::atomic<int> endCode{-1};
void NoteEnd(void*, int code) { endCode = code; }

// A recording of 22050 Hz mono under way into the file, with the settings' codec.
void StartRecording(const std::wstring& name, int settingsCodec) {
    RecorderSettings& s = RecorderSettings_Global();
    s.capture = {100, 22050, 1, 16};
    s.codecId = settingsCodec;
    s.mp3.enabled = 1;
    s.mp3.bitrateKbps = 96;
    RecorderEngine* engine = Recorder_Engine();
    ASSERT_EQ(0, engine->OpenCapture(22050, 1, 16));
    ASSERT_EQ(0, Recorder_StartRecording(name.c_str()));
    ASSERT_TRUE(testsupport::PollUntil(20000, [&] { return engine->Processing()->processedBlocks >= 3; }));
}
}  // namespace

// The file holds what its name says, whatever codec the settings name; a stop returns with
// the file closed, so the next recording (or a play-back) may start at once.
TEST_F(RecorderFrontEndTest, AFileHoldsWhatItsNameSaysAndAStopReturnsWithItClosed) {
    ASSERT_EQ(0, Recorder_Init());
    CreateDirectoryW(HostPath(L"\\My Documents").c_str(), nullptr);
    FileWriterThread::closeFile = SlowClose;
    struct Case {
        const wchar_t* name;
        int settingsCodec;
        const char* begins;
    } const cases[] = {{L"\\My Documents\\named.mp3", 0, "\xFF\xF3"},
                       {L"\\My Documents\\named.wav", 1, "RIFF"},
                       {L"\\My Documents\\gsm.wav", 4, "RIFF"},
                       {L"\\My Documents\\named.ogg", 4, "RIFF"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
        StartRecording(c.name, c.settingsCodec);
        ASSERT_EQ(0, Recorder_Stop());
        EXPECT_FALSE(Recorder_Engine()->ProcessingActive() || Recorder_Engine()->WriterActive());
        std::string bytes;
        ASSERT_TRUE(testsupport::ReadBytes(HostPath(c.name), &bytes));
        EXPECT_EQ(c.begins, bytes.substr(0, strlen(c.begins)));
        if (c.settingsCodec == 4) {
            EXPECT_EQ(49, bytes[20]) << "GSM 6.10";
        }
    }
    FileWriterThread::closeFile = fclose;
}

// A recording ends as one without room when its file reaches the largest a WAV header and
// the file system hold.
TEST_F(RecorderFrontEndTest, ARecordingEndsWithNoRoomAtFourGibibytes) {
    ASSERT_EQ(0, Recorder_Init());
    CreateDirectoryW(HostPath(L"\\My Documents").c_str(), nullptr);
    Recorder_Engine()->SetClient(nullptr, NoteEnd);
    StartRecording(L"\\My Documents\\long.wav", 0);
    EXPECT_EQ(-1, endCode.load());
    // As if 4 GiB had been written.
    FileWriterThread* writer = Recorder_Engine()->Writer();
    writer->postedBytes += int64_t{4} << 30;
    writer->receivedBytes += int64_t{4} << 30;
    EXPECT_TRUE(testsupport::PollUntil(20000, [&] { return endCode >= 0; }));
    EXPECT_EQ(RecorderCode::kNoRoom, endCode.load());
}
