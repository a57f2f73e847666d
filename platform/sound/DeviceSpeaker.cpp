// The simulated device's loudspeaker: a wave-out device that plays at the pace of the
// device's clock (and of the writer of a looping buffer: it never plays a part again that
// was not written since), into a recording in the device state while a test records, so
// tests hear what a program played, when, and how loud, each frame once (host ALSA
// devices without hardware are not paced). A handheld always has its loudspeaker: where the host has no wave-out
// device (a headless server), it is the device's only one, recording or not, and it
// takes the place of a host device that does not open.
#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "DeviceAudio.h"
#include "DeviceClock.h"
#include "DeviceSignals.h"
#include "DeviceStateStore.h"
#include "PowerState.h"
#include "ScopedHandle.h"

// The host's own functions, for the host's devices.
#undef waveOutGetNumDevs
#undef waveOutGetDevCapsW
#undef waveOutOpen
#undef waveOutClose
#undef waveOutPrepareHeader
#undef waveOutUnprepareHeader
#undef waveOutWrite
#undef waveOutReset
#undef waveOutGetPosition

namespace {
const wchar_t kRecordName[] = L"speaker";
const wchar_t kRecordingFile[] = L"\\speaker.raw";
const wchar_t kDeviceName[] = L"Device loudspeaker";
const wchar_t kFailingHostName[] = L"Host audio device";
const wchar_t kFailureRecordName[] = L"waveoutfail";
const wchar_t kWriteFailureRecordName[] = L"speakerwritefail";
// Set (to anything), the device layer sees no host wave-out device, as on a server without audio.
const wchar_t kNoHostAudioVariable[] = L"ORVALEN_NO_HOST_AUDIO";
constexpr DWORD kPollMs = 10;

struct SpeakerRecord {
    uint32_t recording;
    uint32_t startTick;      // device tick count when the recording began
    uint64_t startCounter;   // device performance counter then
};

bool LoadRecord(SpeakerRecord* r) {
    return DeviceStateStore::Current()->Read(kRecordName, r, sizeof *r) && r->recording;
}

std::wstring RecordingPath() { return DeviceStateStore::Current()->Folder() + kRecordingFile; }

uint64_t DeviceCounter() {
    LARGE_INTEGER c;
    DeviceClock_QueryPerformanceCounter(&c);
    return uint64_t(c.QuadPart);
}

struct WriteFailureRecord {
    uint32_t on;
    uint32_t fromTick;  // device tick count when the output went away
};

// True once the loudspeaker's output has gone away; `counter` then gets the device
// counter of that moment.
bool OutputGone(uint64_t* counter) {
    WriteFailureRecord r;
    if (!DeviceStateStore::Current()->Read(kWriteFailureRecordName, &r, sizeof r) || !r.on) return false;
    const LONG since = LONG(DeviceClock_GetTickCount() - r.fromTick);
    if (since < 0) return false;
    if (counter) *counter = DeviceCounter() - uint64_t(since) * PowerState::CounterFrequency() / 1000;
    return true;
}

// One open loudspeaker device.
class Speaker {
public:
    explicit Speaker(const WAVEFORMATEX& format) : format_(format), frequency_(PowerState::CounterFrequency()) {
        FollowRecording();
    }
    ~Speaker() { StopThread(); }

    bool Start() {
        stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!stop_ || (recordingStart_ && !file_)) return false;
        thread_.Reset(CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
        return thread_.Valid();
    }

    MMRESULT Write(WAVEHDR* header) {
        std::lock_guard<std::mutex> lock(guard_);
        if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
        if (OutputGone(nullptr)) return MMSYSERR_ERROR;
        header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
        if (queue_.empty()) {
            // The device was idle: the clock of this play starts now.
            playStart_ = DeviceCounter();
            headerStart_ = consumed_ = clockSeen_ = 0;
            limit_ = Frames(header) / 2;
        }
        queue_.push_back(header);
        return MMSYSERR_NOERROR;
    }

    void Reset() {
        std::lock_guard<std::mutex> lock(guard_);
        Advance();  // what played until now is in the recording
        for (WAVEHDR* h : queue_) h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        queue_.clear();
        position_ = 0;
    }

    // Frames played since the first Write after opening or a reset. The writer of a looping
    // buffer learns here how far the play has come and fills what was played; the
    // loudspeaker plays at most half a loop further before it is asked again, so it never
    // plays a part again that its writer could not fill yet: a starved writer leaves a gap
    // of silence, and what it wrote plays once, whole.
    uint64_t Position() {
        std::lock_guard<std::mutex> lock(guard_);
        Advance();
        if (!queue_.empty() && Loops(queue_.front())) limit_ = consumed_ + Frames(queue_.front()) / 2;
        return position_;
    }

    WORD BlockAlign() const { return format_.nBlockAlign; }

private:
    static DWORD WINAPI ThreadProc(void* self) {
        auto* speaker = static_cast<Speaker*>(self);
        while (WaitForSingleObject(speaker->stop_.Get(), kPollMs) == WAIT_TIMEOUT) speaker->Record();
        return 0;
    }

    void StopThread() {
        if (stop_) SetEvent(stop_.Get());
        if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
        thread_.Reset();
    }

    uint64_t ClockFrames() const { return FramesOf(DeviceCounter() - playStart_); }

    // Moves the play through the queue up to the clock, counting the frames it takes (a
    // looping buffer's up to the limit only); headers played to their end are done, once the
    // recording has what they played: however late the recording's thread or the program's
    // calls come, nothing that played is missing from it.
    void Advance() {
        FollowRecording();
        if (queue_.empty()) return;
        uint64_t clock = ClockFrames();
        uint64_t goneAt = 0;
        const bool gone = OutputGone(&goneAt);
        if (gone) clock = std::min(clock, goneAt > playStart_ ? FramesOf(goneAt - playStart_) : 0);
        if (clock > clockSeen_) {
            const uint64_t room = !Loops(queue_.front()) ? UINT64_MAX : limit_ > consumed_ ? limit_ - consumed_ : 0;
            const uint64_t played = std::min(clock - clockSeen_, room);
            RecordSpan(clockSeen_, clock, consumed_, played);
            clockSeen_ = clock;
            consumed_ += played;
        }
        if (gone) return DropQueue(consumed_);
        while (!queue_.empty()) {
            WAVEHDR* h = queue_.front();
            if (Loops(h) || consumed_ < headerStart_ + Frames(h)) break;
            headerStart_ += Frames(h);
            h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
            queue_.pop_front();
        }
        position_ = queue_.empty() ? headerStart_ : consumed_;
    }

    uint64_t FramesOf(uint64_t counts) const {
        return counts / frequency_ * format_.nSamplesPerSec + counts % frequency_ * format_.nSamplesPerSec / frequency_;
    }

    // The output went away at play frame `at`: nothing queued plays on, the position stands.
    void DropQueue(uint64_t at) {
        for (WAVEHDR* h : queue_) h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
        queue_.clear();
        position_ = at;
    }

    static bool Loops(const WAVEHDR* h) {
        return (h->dwFlags & (WHDR_BEGINLOOP | WHDR_ENDLOOP)) == (WHDR_BEGINLOOP | WHDR_ENDLOOP);
    }

    uint64_t Frames(const WAVEHDR* h) const { return h->dwBufferLength / format_.nBlockAlign; }

    // The frame a play's frame `frame` takes from the queue, as one mono sample; false past the queued data.
    bool Sample(uint64_t frame, int* value) const {
        uint64_t start = headerStart_;
        *value = 0;
        if (frame < start) return true;  // played while the recording lagged: lost
        for (const WAVEHDR* h : queue_) {
            const uint64_t frames = h->dwBufferLength / format_.nBlockAlign;
            if (frames == 0) continue;
            if (Loops(h) || frame < start + frames) {
                const uint64_t index = (frame - start) % frames;
                const auto* p = reinterpret_cast<const int16_t*>(h->lpData + index * format_.nBlockAlign);
                int sum = 0;
                for (int c = 0; c < format_.nChannels; ++c) sum += p[c];
                *value = sum / format_.nChannels;
                return true;
            }
            start += frames;
        }
        return false;
    }

    // Recording samples of the device counter span `counts`.
    uint64_t RecordingSamples(uint64_t counts) const {
        return counts / frequency_ * DEVICE_SPEAKER_RATE + counts % frequency_ * DEVICE_SPEAKER_RATE / frequency_;
    }

    // A test starts and stops recording while the loudspeaker is open: it writes into the
    // recording that runs, from the moment it began.
    void FollowRecording() {
        SpeakerRecord r;
        if (!LoadRecord(&r)) {
            file_.Reset();
            recordingStart_ = 0;
            return;
        }
        if (file_ && r.startCounter == recordingStart_) return;
        file_.Reset(CreateFileW(RecordingPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        recordingStart_ = r.startCounter;
        recordedFrom_ = UINT64_MAX;
    }

    void Record() {
        std::lock_guard<std::mutex> lock(guard_);
        Advance();
    }

    // Writes what played in the span [from, to) of the play's clock: its first `played`
    // frames are the queue's from frame `first` on, the rest silence (the loudspeaker waited
    // for its writer). Each frame is written before the writer can fill its place again: it
    // fills only what the position it was given says has played.
    void RecordSpan(uint64_t from, uint64_t to, uint64_t first, uint64_t played) {
        if (!file_) return;
        const uint64_t rate = format_.nSamplesPerSec;
        if (recordedFrom_ != playStart_) {
            recordedFrom_ = playStart_;
            // What played before the recording began is not in it.
            written_ = recordingStart_ > playStart_ ? RecordingSamples(recordingStart_ - playStart_) : 0;
        }
        const uint64_t until = to * DEVICE_SPEAKER_RATE / rate;
        DWORD volume = 0xFFFFFFFF;
        waveOutGetVolume(nullptr, &volume);
        const int gain = int(volume & 0xFFFF);
        std::vector<int16_t> out;
        for (; written_ < until; ++written_) {
            // (A recording that began just before the span, seen in it, takes the frames before it.)
            const int64_t at = int64_t(written_ * rate / DEVICE_SPEAKER_RATE) - int64_t(from);
            int value = 0;
            if (at < int64_t(played) && int64_t(first) + at >= 0 && !Sample(uint64_t(int64_t(first) + at), &value)) break;
            out.push_back(int16_t(value * gain / 0xFFFF));
        }
        if (out.empty()) return;
        // The play's sample written_ lies where the play began in the recording, plus written_.
        const int64_t playAt = playStart_ >= recordingStart_ ? int64_t(RecordingSamples(playStart_ - recordingStart_))
                                                             : -int64_t(RecordingSamples(recordingStart_ - playStart_));
        const int64_t at = (playAt + int64_t(written_ - out.size())) * int64_t(sizeof(int16_t));
        OVERLAPPED where = {};
        where.Offset = DWORD(at);
        where.OffsetHigh = DWORD(uint64_t(at) >> 32);
        DWORD done = 0;
        WriteFile(file_.Get(), out.data(), DWORD(out.size() * sizeof(int16_t)), &done, &where);
    }

    const WAVEFORMATEX format_;
    const uint64_t frequency_;
    uint64_t recordingStart_ = 0;  // the device counter when the recording began; 0: none runs
    std::mutex guard_;
    std::deque<WAVEHDR*> queue_;
    uint64_t playStart_ = 0;      // device counter when the play began
    uint64_t headerStart_ = 0;    // play frame where the front header began
    uint64_t consumed_ = 0;       // frames of the play taken from the queue
    uint64_t clockSeen_ = 0;      // frames of the play's clock when it last advanced
    uint64_t limit_ = 0;          // the frame a looping buffer plays to before its writer asks again
    uint64_t position_ = 0;
    uint64_t recordedFrom_ = UINT64_MAX;  // the play the recording is in
    uint64_t written_ = 0;        // recording samples written of this play
    ScopedFile file_;
    ScopedHandle stop_;
    ScopedHandle thread_;
};

std::mutex speakersGuard;
std::set<Speaker*> speakers;

// The loudspeaker behind a handle, or null for a host device.
Speaker* SpeakerOf(HWAVEOUT h) {
    std::lock_guard<std::mutex> lock(speakersGuard);
    auto* s = reinterpret_cast<Speaker*>(h);
    return speakers.count(s) ? s : nullptr;
}

bool Recording() {
    SpeakerRecord r;
    return LoadRecord(&r);
}

// The host's wave-out devices, counted once per process.
UINT HostDevices() {
    static const UINT count = GetEnvironmentVariableW(kNoHostAudioVariable, nullptr, 0) ? 0 : waveOutGetNumDevs();
    return count;
}

struct FailureRecord {
    uint32_t failure;  // DEVICE_WAVEOUT_...
};

DWORD Failure() {
    FailureRecord r;
    return DeviceStateStore::Current()->Read(kFailureRecordName, &r, sizeof r) ? r.failure : DEVICE_WAVEOUT_OPENS;
}

// The device's own loudspeaker serves while a test records, and always without a host
// device; a test's failing device stands in for the host's.
bool OwnSpeaker(DWORD failure) {
    return failure == DEVICE_WAVEOUT_OPENS && (Recording() || HostDevices() == 0);
}

void SpeakerCaps(const wchar_t* name, WAVEOUTCAPSW* caps) {
    *caps = WAVEOUTCAPSW{};
    wcsncpy(caps->szPname, name, MAXPNAMELEN - 1);
    caps->dwFormats = WAVE_FORMAT_4M16 | WAVE_FORMAT_4S16 | WAVE_FORMAT_2M16 | WAVE_FORMAT_2S16;
    caps->wChannels = 2;
    caps->dwSupport = WAVECAPS_VOLUME;
}

bool Playable(const WAVEFORMATEX* f) {
    return f && f->wFormatTag == WAVE_FORMAT_PCM && f->wBitsPerSample == 16 && (f->nChannels == 1 || f->nChannels == 2) &&
           f->nSamplesPerSec >= 1000 && f->nSamplesPerSec <= 192000 && f->nBlockAlign == f->nChannels * 2;
}
}  // namespace

UINT Device_waveOutGetNumDevs(void) {
    const DWORD failure = Failure();
    return failure != DEVICE_WAVEOUT_OPENS || OwnSpeaker(failure) ? 1 : waveOutGetNumDevs();
}

MMRESULT Device_waveOutGetDevCapsW(UINT_PTR device, LPWAVEOUTCAPSW caps, UINT size) {
    const DWORD failure = Failure();
    if (failure == DEVICE_WAVEOUT_OPENS && !OwnSpeaker(failure)) return waveOutGetDevCapsW(device, caps, size);
    if (device != 0 && device != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
    if (!caps || size < sizeof(WAVEOUTCAPSW)) return MMSYSERR_INVALPARAM;
    SpeakerCaps(failure == DEVICE_WAVEOUT_OPENS ? kDeviceName : kFailingHostName, caps);
    return MMSYSERR_NOERROR;
}

MMRESULT Device_waveOutOpen(LPHWAVEOUT waveOut, UINT device, LPCWAVEFORMATEX format, DWORD_PTR callback,
                            DWORD_PTR instance, DWORD flags) {
    const DWORD failure = Failure();
    if (failure == DEVICE_WAVEOUT_NOTHING_OPENS) return MMSYSERR_ALLOCATED;
    if (OwnSpeaker(failure)) {
        if (device != 0 && device != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
    } else {
        const MMRESULT host = failure == DEVICE_WAVEOUT_HOST_FAILS
                                  ? MMSYSERR_ALLOCATED
                                  : waveOutOpen(waveOut, device, format, callback, instance, flags);
        // A device that is not listed, or what the loudspeaker cannot play, keeps the host's answer.
        const UINT listed = failure == DEVICE_WAVEOUT_OPENS ? HostDevices() : 1;
        if (host == MMSYSERR_NOERROR || (device != WAVE_MAPPER && device >= listed) || !Playable(format) ||
            (flags & CALLBACK_TYPEMASK) != CALLBACK_NULL)
            return host;
    }
    if (!Playable(format)) return WAVERR_BADFORMAT;
    if ((flags & CALLBACK_TYPEMASK) != CALLBACK_NULL) return MMSYSERR_NOTSUPPORTED;
    if (flags & WAVE_FORMAT_QUERY) return MMSYSERR_NOERROR;
    if (!waveOut) return MMSYSERR_INVALPARAM;
    std::unique_ptr<Speaker> speaker(new (std::nothrow) Speaker(*format));
    if (!speaker || !speaker->Start()) return MMSYSERR_NOMEM;
    std::lock_guard<std::mutex> lock(speakersGuard);
    speakers.insert(speaker.get());
    *waveOut = reinterpret_cast<HWAVEOUT>(speaker.release());
    return MMSYSERR_NOERROR;
}

MMRESULT Device_waveOutClose(HWAVEOUT waveOut) {
    Speaker* speaker = SpeakerOf(waveOut);
    if (!speaker) return waveOutClose(waveOut);
    {
        std::lock_guard<std::mutex> lock(speakersGuard);
        speakers.erase(speaker);
    }
    speaker->Reset();
    delete speaker;
    return MMSYSERR_NOERROR;
}

MMRESULT Device_waveOutPrepareHeader(HWAVEOUT waveOut, LPWAVEHDR header, UINT size) {
    if (!SpeakerOf(waveOut)) return waveOutPrepareHeader(waveOut, header, size);
    if (!header || size < sizeof(WAVEHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
    header->dwFlags = (header->dwFlags & (WHDR_BEGINLOOP | WHDR_ENDLOOP)) | WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT Device_waveOutUnprepareHeader(HWAVEOUT waveOut, LPWAVEHDR header, UINT size) {
    if (!SpeakerOf(waveOut)) return waveOutUnprepareHeader(waveOut, header, size);
    if (!header || size < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
    if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT Device_waveOutWrite(HWAVEOUT waveOut, LPWAVEHDR header, UINT size) {
    Speaker* speaker = SpeakerOf(waveOut);
    if (!speaker) return waveOutWrite(waveOut, header, size);
    if (!header || size < sizeof(WAVEHDR) || !header->lpData) return MMSYSERR_INVALPARAM;
    return speaker->Write(header);
}

MMRESULT Device_waveOutReset(HWAVEOUT waveOut) {
    Speaker* speaker = SpeakerOf(waveOut);
    if (!speaker) return waveOutReset(waveOut);
    speaker->Reset();
    return MMSYSERR_NOERROR;
}

MMRESULT Device_waveOutGetPosition(HWAVEOUT waveOut, LPMMTIME time, UINT size) {
    Speaker* speaker = SpeakerOf(waveOut);
    if (!speaker) return waveOutGetPosition(waveOut, time, size);
    if (!time || size < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
    const uint64_t frames = speaker->Position();
    if (time->wType == TIME_SAMPLES) {
        time->u.sample = DWORD(frames);
    } else {
        time->wType = TIME_BYTES;
        time->u.cb = DWORD(frames * speaker->BlockAlign());
    }
    return MMSYSERR_NOERROR;
}

BOOL DeviceControl_RecordSpeaker(BOOL on) {
    SpeakerRecord r = {};
    if (on) {
        // A new recording starts empty.
        ScopedFile file(CreateFileW(RecordingPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return FALSE;
        r.recording = 1;
        r.startTick = DeviceClock_GetTickCount();
        r.startCounter = DeviceCounter();
    } else if (!DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r)) {
        return TRUE;
    }
    r.recording = on != FALSE;
    return DeviceStateStore::Current()->Write(kRecordName, &r, sizeof r) ? TRUE : FALSE;
}

BOOL DeviceControl_SetWaveOutFailure(DWORD failure) {
    if (failure > DEVICE_WAVEOUT_NOTHING_OPENS) return FALSE;
    const FailureRecord r = {failure};
    return DeviceStateStore::Current()->Write(kFailureRecordName, &r, sizeof r) ? TRUE : FALSE;
}

BOOL DeviceControl_FailSpeakerWrites(BOOL on, DWORD fromTick) {
    const WriteFailureRecord r = {on ? 1u : 0u, fromTick};
    return DeviceStateStore::Current()->Write(kWriteFailureRecordName, &r, sizeof r) ? TRUE : FALSE;
}

BOOL DeviceControl_GetSpeakerRecording(wchar_t* path, DWORD cch, DWORD* startTick) {
    SpeakerRecord r;
    if (!DeviceStateStore::Current()->Read(kRecordName, &r, sizeof r)) return FALSE;
    const std::wstring file = RecordingPath();
    if (path) {
        if (cch <= file.size()) return FALSE;
        wcscpy(path, file.c_str());
    }
    if (startTick) *startTick = r.startTick;
    return TRUE;
}
