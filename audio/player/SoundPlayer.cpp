#include "SoundPlayer.h"

#include "AudioCodec.h"
#include "CodecFactoryTable.h"
#include "DeviceAudio.h"
#include "DeviceFiles.h"
#include "PlayerEngineRecord.h"
#include "RecorderSettings.h"
#include "WavFormat.h"

#include "aural_channel.h"

namespace {
// Below this system volume the device is raised to it and the channel takes the difference.
constexpr int kLowestSystemVolume = 30;
constexpr DWORD kBothChannels = 0x01000100;

int ReadSystemVolume() {
    DWORD volume = 0;
    waveOutGetVolume(nullptr, &volume);
    return static_cast<int>((LOWORD(volume) + HIWORD(volume)) >> 9);
}

void WriteSystemVolume(int volume) { waveOutSetVolume(nullptr, static_cast<DWORD>(volume) * kBothChannels); }

class Lock {
public:
    explicit Lock(CRITICAL_SECTION* section) : section_(section) { EnterCriticalSection(section_); }
    ~Lock() { LeaveCriticalSection(section_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION* section_;
};
}  // namespace

SoundPlayer::SoundPlayer() : equalizer_(new Equalizer) {
    InitializeCriticalSection(&controlLock_);
    InitializeCriticalSection(&feedLock_);
    InitializeCriticalSection(&equalizerLock_);
    const int v = ReadSystemVolume();
    savedSystemVolume_ = v;
    if (v >= 1 && v < kLowestSystemVolume) {
        WriteSystemVolume(kLowestSystemVolume);
        volume_ = v * 256 / kLowestSystemVolume;
    } else {
        WriteSystemVolume(v);
        volume_ = 255;
    }
}

SoundPlayer::~SoundPlayer() {
    Unload();
    PlayerAural_GetList().Close();
    DeleteCriticalSection(&equalizerLock_);
    DeleteCriticalSection(&controlLock_);
    DeleteCriticalSection(&feedLock_);
    const int v = ReadSystemVolume();
    WriteSystemVolume(v == kLowestSystemVolume && volume_ < 255 ? savedSystemVolume_ : v);
}

void SoundPlayer::SetFinishedCallback(FinishedCallback callback, void* user) {
    finished_ = callback;
    finishedUser_ = user;
}

void SoundPlayer::Unload() {
    CloseStream();
    codec_.reset();
    info_.Reset();
    totalFrames_ = 0;
    framesDelivered_ = 0;
}

bool SoundPlayer::Load(const wchar_t* fileName) {
    Unload();
    if (!fileName || wcslen(fileName) >= MAX_PATH) return false;
    info_.name = fileName;
    wchar_t mapped[MAX_PATH];
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (Device_MapPath(fileName, mapped, MAX_PATH) &&
        GetFileAttributesExW(mapped, GetFileExInfoStandard, &attributes))
        info_.fileSize = static_cast<long>(attributes.nFileSizeLow);
    info_.recognised = SoundFileInfo_Probe(fileName, &info_);
    if (!info_.recognised) {
        info_.Reset();
        return false;
    }
    codec_.reset(CodecFactoryTable::Create(info_.isWma ? CodecFactoryTable::kWma : info_.wavCodecId));
    if (!codec_) return false;
    codec_->SetFileName(fileName);
    // A WMA file that the device cannot decode is refused here, so the Signaller rings
    // something else instead of a silence.
    if (info_.isWma && codec_->OpenRead() != AudioCodec::kOk) {
        codec_.reset();
        info_.Reset();
        return false;
    }
    if (info_.isWma) codec_->CloseRead();
    totalFrames_ = info_.isWma ? static_cast<int32_t>(static_cast<float>(info_.wmaDurationMs) *
                                                     static_cast<float>(info_.wmaRate) * 0.001f)
                               : static_cast<int32_t>(info_.wavFrames);
    return true;
}

void SoundPlayer::UpdateVolume() {
    if (channel_ >= 0) Aural_SetVolume(channel_, volume_);
}

bool SoundPlayer::InitOutput() {
    PlayerEngineRecord& record = PlayerAural_GetList();
    PlayerAural_Init(record, EqualizerDsp, RecorderSettings_Global().playback.sampleRate, this);
    if (record.equalizerUnit) {
        DesignEqualizer();
        LoadEqualizerGains();
        record.equalizerUnit->active = 1;
    }
    return record.initialised;
}

bool SoundPlayer::Start() {
    if (!PlayerAural_GetList().initialised || !codec_) return false;
    // A stream whose data ended is closed here, off the engine's threads.
    CloseStream();
    const PlaybackSettings& playback = RecorderSettings_Global().playback;
    framesDelivered_ = 0;
    previousReadEmpty_ = true;
    codec_->SetBufferMs(playback.streamBufferMs);
    if (codec_->OpenRead() != AudioCodec::kOk) return false;
    const int channels = codec_->Channels() == 2 ? 2 : 1;
    const int rate = codec_->SampleRate();
    if (rate < static_cast<int>(wav::kMinSampleRate) || rate > static_cast<int>(wav::kMaxSampleRate)) {
        codec_->CloseRead();
        return false;
    }
    fades_.fadeIn = static_cast<int32_t>(static_cast<int64_t>(playback.fadeInMs) * rate / 1000);
    fades_.fadeOut = static_cast<int32_t>(static_cast<int64_t>(playback.fadeOutMs) * rate / 1000);
    fades_.total = totalFrames_;
    // A second of 16-bit frames.
    const int bytes = rate * 2 * channels;
    SoundStream* stream = AuralStream_Create(nullptr, StreamFillCallback, bytes,
                                             channels == 2 ? kSoundUserStreamStereo : kSoundUserStreamMono, rate, this,
                                             channels);
    if (stream) stream->ready = 1;
    if (!stream || !AuralStream_SetEndCallback(stream, OnStreamEnd, this)) {
        if (stream) AuralStream_Close(stream);
        codec_->CloseRead();
        return false;
    }
    {
        Lock feed(&feedLock_);
        Lock control(&controlLock_);
        stopped_ = false;
        feedStopped_ = false;
        streamEnded_ = false;
        stream_ = stream;
        channel_ = AuralStream_Play(-1, stream, nullptr, FALSE);
        if (channel_ >= 0) {
            UpdateVolume();
            return true;
        }
        stopped_ = true;
        feedStopped_ = true;
        stream_ = nullptr;
    }
    AuralStream_Close(stream);
    codec_->CloseRead();
    return false;
}

bool SoundPlayer::StartIfIdle() {
    Lock feed(&feedLock_);
    Lock control(&controlLock_);
    return IdleLocked() && Start();
}

SoundPlayer::State SoundPlayer::GetState() {
    Lock feed(&feedLock_);
    Lock control(&controlLock_);
    if (!info_.recognised) return kNone;
    if (!StreamOpen() || streamEnded_) return kStopped;
    return Aural_GetPaused(channel_) ? kPaused : kPlaying;
}

void SoundPlayer::RequestStop() {
    {
        Lock feed(&feedLock_);
        feedStopped_ = true;
    }
    {
        Lock control(&controlLock_);
        stopped_ = true;
    }
    CloseStream();
}

void SoundPlayer::CloseStream() {
    {
        // Once this is set no fill touches the codec, and one that was running has ended.
        Lock feed(&feedLock_);
        feedStopped_ = true;
    }
    {
        Lock control(&controlLock_);
        stopped_ = true;
    }
    if (!stream_) return;
    AuralStream_Stop(stream_, FALSE);
    AuralStream_Close(stream_);
    Lock feed(&feedLock_);
    Lock control(&controlLock_);
    stream_ = nullptr;
    channel_ = -1;
    streamEnded_ = false;
    if (codec_) codec_->CloseRead();
}
