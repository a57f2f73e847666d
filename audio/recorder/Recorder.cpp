#include "Recorder.h"

#include "AudioCodec.h"
#include "CodecFactoryTable.h"
#include "DenoiseFilter.h"
#include "FilterChain.h"
#include "GainFilter.h"
#include "InputMixer.h"
#include "OscilloscopeFilter.h"
#include "RecordRequest.h"
#include "RecorderCodes.h"
#include "RecorderEngine.h"
#include "RecorderSettings.h"
#include "SilenceFilter.h"
#include "WmaDecoder.h"

#include <objbase.h>

#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <memory>

namespace {
struct FrontEnd {
    std::unique_ptr<FilterChain> chain;
    std::unique_ptr<DenoiseFilter> denoise;
    std::unique_ptr<SilenceFilter> silence;
    std::unique_ptr<OscilloscopeFilter> oscilloscope;
    std::unique_ptr<GainFilter> gain;
    std::unique_ptr<RecorderEngine> engine;
    std::unique_ptr<AudioCodec> codec;
    RecordRequest request;
    RecorderFilters filters;
    bool wmaAvailable = false;
    bool wmaProbed = false;
    bool comInitialised = false;
};

FrontEnd& State() {
    static FrontEnd state;
    return state;
}

void CreateFilters(FrontEnd& s) {
    s.chain.reset(new FilterChain);
    s.denoise.reset(new DenoiseFilter);
    s.silence.reset(new SilenceFilter);
    s.oscilloscope.reset(new OscilloscopeFilter);
    s.gain.reset(new GainFilter);
    s.filters = {s.chain.get(), s.denoise.get(), s.silence.get(), s.oscilloscope.get(), s.gain.get()};
}
}  // namespace

RecorderEngine* Recorder_Engine() { return State().engine.get(); }
bool Recorder_WmaAvailable() {
    FrontEnd& s = State();
    if (!s.wmaProbed) s.wmaAvailable = WmaDecoder_HasDecoderLibrary();
    s.wmaProbed = true;
    return s.wmaAvailable;
}
RecorderFilters& Recorder_Filters() { return State().filters; }

int Recorder_Init() {
    FrontEnd& s = State();
    if (s.engine) Recorder_Shutdown();
    s.comInitialised = SUCCEEDED(CoInitializeEx(nullptr, 0));
    RecorderSettings& settings = RecorderSettings_Global();
    {
        RegKey recorderKey(kRecorderKeyPath);
        settings.key = RegKey_OpenChild(recorderKey, L"");
    }
    CreateFilters(s);
    s.engine.reset(new RecorderEngine);
    // The engine takes the device the settings hold before they are loaded.
    const int started = s.engine->Start(s.gain.get(), s.chain.get());
    RecorderSettings_Load();
    const int devices = InputMixer_Global().DeviceCount();
    if (settings.inputDevice < 0 || settings.inputDevice >= devices) {
        Recorder_SelectInputDevice(0);
        settings.inputDevice = 0;
    } else {
        Recorder_SelectInputDevice(settings.inputDevice);
    }
    // The WMA decoder is probed when first asked about: loading the device's decoder
    // library wakes the host's media framework, which the dialog need not wait for.
    return started;
}

void Recorder_Shutdown() {
    FrontEnd& s = State();
    if (s.engine && s.engine->IsBusy()) Recorder_Stop();
    s.engine.reset();
    s.codec.reset();
    s.filters = {};
    s.chain.reset();
    s.denoise.reset();
    s.silence.reset();
    s.oscilloscope.reset();
    s.gain.reset();
    if (s.comInitialised) CoUninitialize();
    s.comInitialised = false;
}

namespace {
bool HasExtension(const wchar_t* name, const wchar_t* extension) {
    const wchar_t* dot = wcsrchr(name, L'.');
    if (!dot || wcschr(dot, L'\\') || wcschr(dot, L'/') || wcslen(dot + 1) != wcslen(extension)) return false;
    for (size_t i = 0; extension[i]; ++i)
        if (towlower(dot[1 + i]) != extension[i]) return false;
    return true;
}
}  // namespace

int Recorder_CodecFor(const wchar_t* fileName, int settingsCodecId) {
    // The Save dialog offers both kinds: the file holds what its name says.
    if (HasExtension(fileName, L"mp3")) return CodecFactoryTable::kMp3Encoder;
    if (HasExtension(fileName, L"wav"))
        return settingsCodecId == CodecFactoryTable::kGsm610Wav ? settingsCodecId : CodecFactoryTable::kPcmWav;
    return settingsCodecId;
}

int Recorder_StartRecording(const wchar_t* fileName) {
    FrontEnd& s = State();
    if (!s.engine || s.engine->ProcessingActive()) return RecorderCode::kWrongState;
    if (!fileName || !*fileName) return RecorderCode::kBadRequest;
    s.codec.reset();
    // Ids without a codec (2, 3, 5, 6, 8 on) make nothing.
    s.codec.reset(CodecFactoryTable::Create(Recorder_CodecFor(fileName, RecorderSettings_Global().codecId)));
    if (!s.codec) return RecorderCode::kOutOfMemory;
    const size_t bytes = (wcslen(fileName) + 1) * sizeof(wchar_t);
    wchar_t* copy = static_cast<wchar_t*>(malloc(bytes));
    if (!copy) return RecorderCode::kOutOfMemory;
    memcpy(copy, fileName, bytes);
    s.request.fileName = copy;
    s.request.codec = s.codec.get();
    s.request.sizeLimit = kRecorderMaxFileBytes;
    const int result = s.engine->Record(&s.request);
    if (result != RecorderCode::kOk) free(copy);
    return result;
}

int Recorder_Stop() {
    FrontEnd& s = State();
    if (!s.engine) return RecorderCode::kWrongState;
    const int stopped = s.engine->Stop();
    // The next recording, or a play-back, finds the file closed.
    s.engine->WaitUntilClosed();
    return stopped;
}
