#include "CaptureThread.h"

#include "GainFilter.h"
#include "RecorderCodes.h"
#include "RecorderEngine.h"
#include "RecorderSettings.h"

#include <cstdlib>

CaptureThread::CaptureThread(RecorderEngine* engine, int device, GainFilter* levelFilter)
    : engine_(engine), device_(device), levelFilter_(levelFilter) {
    if (waveInGetNumDevs() == 0) {
        error_ = RecorderCode::kNoInputDevice;
        return;
    }
    const MMRESULT caps = waveInGetDevCapsW(static_cast<UINT_PTR>(static_cast<UINT>(device_)), &caps_, sizeof caps_);
    if (caps != MMSYSERR_NOERROR) {
        error_ = static_cast<int>(caps);
        return;
    }
    if (StartThread()) SetThreadPriority(ThreadHandle(), THREAD_PRIORITY_ABOVE_NORMAL);
}

CaptureThread::~CaptureThread() {
    StopAndJoin();
    if (handle_) {
        waveInReset(handle_);
        CloseDevice();
    }
    ReleaseBuffers();
}

void CaptureThread::SetErrorOnce(int code) {
    int none = 0;
    error_.compare_exchange_strong(none, code);
}

int CaptureThread::OpenDevice(int32_t sampleRate, int32_t channels, int32_t bits, uint32_t samplesPerBuffer) {
    error_ = 0;
    eightBit_ = bits == 8;
    RecorderSettings_Global().capture8Bit = eightBit_;
    state_ = kStarting;
    format_ = {};
    format_.wFormatTag = WAVE_FORMAT_PCM;
    format_.nChannels = static_cast<WORD>(channels);
    format_.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    format_.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format_.nAvgBytesPerSec = format_.nSamplesPerSec * format_.nBlockAlign;
    format_.wBitsPerSample = static_cast<WORD>(bits);
    if (waveInOpen(&handle_, static_cast<UINT>(device_), &format_, ThreadId(), 0, CALLBACK_THREAD) !=
        MMSYSERR_NOERROR) {
        handle_ = nullptr;
        error_ = RecorderCode::kOpenFailed;
        state_ = kIdle;
        return RecorderCode::kOpenFailed;
    }
    samplesPerBuffer_ = samplesPerBuffer;
    bufferBytes_ = samplesPerBuffer * static_cast<uint32_t>(bits / 8) * static_cast<uint32_t>(channels);
    // An 8-bit buffer is widened to 16 bits in place before it is handed on.
    allocationBytes_ = eightBit_ ? 2 * bufferBytes_ : bufferBytes_;
    AudioFormat levelFormat;
    levelFormat.sampleRate = sampleRate;
    levelFormat.channels = channels;
    levelFormat.bitsPerSample = 16;
    levelFilter_->SetFormat(levelFormat);
    levelFilter_->Start();
    for (int n = 0; n < kBuffers; ++n) {
        if (QueueBuffer(n)) continue;
        CloseDevice();
        levelFilter_->Stop();
        error_ = RecorderCode::kQueueFailed;
        state_ = kIdle;
        return RecorderCode::kQueueFailed;
    }
    if (waveInStart(handle_) != MMSYSERR_NOERROR) {
        waveInReset(handle_);
        CloseDevice();
        levelFilter_->Stop();
        error_ = RecorderCode::kStartFailed;
        state_ = kIdle;
        return RecorderCode::kStartFailed;
    }
    LARGE_INTEGER frequency, now, deadline;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&deadline);
    deadline.QuadPart += frequency.QuadPart * kStartTimeoutMs / 1000;
    bool timeoutPosted = false;
    while (state_ == kStarting) {
        Sleep(1);
        QueryPerformanceCounter(&now);
        if (!timeoutPosted && now.QuadPart > deadline.QuadPart) {
            Post(kStartTimeoutMessage, 0, 0);
            timeoutPosted = true;
        }
    }
    return state_ == kCapturing ? 0 : error_.load();
}

bool CaptureThread::QueueBuffer(int n) {
    WAVEHDR& header = headers_[n];
    if (!header.lpData) header.lpData = static_cast<LPSTR>(malloc(allocationBytes_));
    if (!header.lpData) return false;
    header.dwBufferLength = bufferBytes_;
    header.dwBytesRecorded = 0;
    header.dwFlags = 0;
    tags_[n] = {n, handle_};
    header.dwUser = reinterpret_cast<DWORD_PTR>(&tags_[n]);
    if (waveInPrepareHeader(handle_, &header, sizeof header) != MMSYSERR_NOERROR) return false;
    if (waveInAddBuffer(handle_, &header, sizeof header) != MMSYSERR_NOERROR) {
        waveInUnprepareHeader(handle_, &header, sizeof header);
        return false;
    }
    queued_[n] = true;
    return true;
}

void CaptureThread::ReleaseBuffers() {
    for (WAVEHDR& header : headers_) {
        free(header.lpData);
        header.lpData = nullptr;
    }
}

void CaptureThread::CloseDevice() {
    for (int n = 0; n < kBuffers; ++n) {
        if (!queued_[n]) continue;
        waveInUnprepareHeader(handle_, &headers_[n], sizeof headers_[n]);
        queued_[n] = false;
    }
    ReleaseBuffers();
    waveInClose(handle_);
    handle_ = nullptr;
}

void CaptureThread::OnMessage(const MSG& message) {
    switch (message.message) {
    case MM_WIM_DATA:
        OnBufferDone(reinterpret_cast<WAVEHDR*>(message.lParam));
        break;
    case MM_WIM_CLOSE:
        levelFilter_->Stop();
        engine_->OnCaptureClosed(error_);
        state_ = kIdle;
        break;
    case kStopMessage:
        if (handle_ && state_ != kStopping) {
            state_ = kStopping;
            waveInReset(handle_);
            Post(kCloseMessage, 0, 0);
        }
        break;
    case kCloseMessage:
        if (handle_) CloseDevice();
        state_ = kIdle;
        break;
    case kStartTimeoutMessage:
        if (state_ == kStarting && handle_) {
            SetErrorOnce(RecorderCode::kNoData);
            waveInReset(handle_);
            CloseDevice();
            state_ = kIdle;
            levelFilter_->Stop();
        }
        break;
    default:
        break;
    }
}

void CaptureThread::OnBufferDone(WAVEHDR* header) {
    if (!header) return;
    const BufferTag* tag = reinterpret_cast<const BufferTag*>(header->dwUser);
    // Buffers of a device closed meanwhile come back after their memory was released.
    if (!tag || tag->number < 0 || tag->number >= kBuffers || &headers_[tag->number] != header) return;
    const int n = tag->number;
    if (!queued_[n] || tag->device != handle_) return;
    waveInUnprepareHeader(handle_, header, sizeof *header);
    queued_[n] = false;
    if (state_ == kCapturing) {
        uint32_t bytes = header->dwBytesRecorded;
        if (eightBit_) {
            const uint8_t* in = reinterpret_cast<const uint8_t*>(header->lpData);
            int16_t* out = reinterpret_cast<int16_t*>(header->lpData);
            for (uint32_t i = bytes; i-- > 0;) out[i] = static_cast<int16_t>((in[i] - 128) * 256);
            bytes *= 2;
        }
        if (bytes > 0) {
            void* buffer = header->lpData;
            header->lpData = nullptr;
            Deliver(buffer, bytes);
        }
    }
    if (state_ != kStopping && state_ != kIdle && !QueueBuffer(n)) {
        SetErrorOnce(RecorderCode::kQueueFailed);
        state_ = kStopping;
        waveInReset(handle_);
        Post(kCloseMessage, 0, 0);
    }
    if (state_ == kStarting) state_ = kCapturing;
}

void CaptureThread::Deliver(void* buffer, uint32_t bytes) {
    const uint32_t frameBytes = format_.nChannels == 2 ? 4 : 2;
    int16_t* in = static_cast<int16_t*>(buffer);
    uint32_t count = bytes / frameBytes;
    int16_t* out = nullptr;
    uint32_t outCount = 0;
    levelFilter_->Process(in, count, out, outCount);
    if (count > 0) {
        engine_->OnCapturedData(in, count * frameBytes);
    } else {
        free(buffer);
        engine_->OnCapturedData(nullptr, 0);
    }
    if (out && outCount > 0) engine_->OnCapturedData(out, outCount * frameBytes);
}
