#include "RecorderEngine.h"

#include "AudioCodec.h"
#include "CaptureThread.h"
#include "DeviceFiles.h"
#include "FileWriterThread.h"
#include "ProcessingThread.h"
#include "RecordRequest.h"
#include "RecorderCodes.h"
#include "RecorderSettings.h"

#include <climits>
#include <cstdlib>
#include <cwchar>
#include <new>

namespace {
// How long the engine's end waits for a writer before leaving it behind.
constexpr DWORD kWriterJoinMs = 2000;
}  // namespace

RecorderEngine::RecorderEngine() = default;

RecorderEngine::~RecorderEngine() {
    // Capture first, so no block arrives at a processing thread that is gone; then the
    // processing thread, whose last messages reach the writer before the writer ends.
    capture_.reset();
    processing_.reset();
    // A writer stuck in a write to a card that does not answer is left to end by itself.
    if (writer_ && !writer_->StopAndJoin(kWriterJoinMs)) writer_.release()->Abandon();
    writer_.reset();
}

int RecorderEngine::Start(GainFilter* levelFilter, FilterChain* chain) {
    if (capture_ || writer_ || processing_) return RecorderCode::kWrongState;
    busy_ = stopRequested_ = recording_ = stopPending_ = writerActive_ = processingActive_ = false;
    errorCode_ = 0;
    capture_.reset(new (std::nothrow) CaptureThread(this, RecorderSettings_Global().inputDevice, levelFilter));
    if (!capture_) return RecorderCode::kOutOfMemory;
    if (const int error = capture_->Error()) {
        capture_.reset();
        return error;
    }
    if (!capture_->HasThread()) {
        capture_.reset();
        return RecorderCode::kNoThread;
    }
    writer_.reset(new (std::nothrow) FileWriterThread(this));
    if (!writer_ || !writer_->HasThread()) {
        writer_.reset();
        capture_.reset();
        return RecorderCode::kNoThread;
    }
    processing_.reset(new (std::nothrow) ProcessingThread(writer_.get(), chain, this));
    if (!processing_ || !processing_->HasThread()) {
        processing_.reset();
        writer_.reset();
        capture_.reset();
        return RecorderCode::kNoThread;
    }
    return RecorderCode::kOk;
}

uint32_t RecorderEngine::SamplesPerBuffer(int32_t sampleRate) {
    return static_cast<uint32_t>((sampleRate + 11025) / 11025 - 1) * 1024u;
}

int RecorderEngine::OpenCapture(int32_t sampleRate, int32_t channels, int32_t bits) {
    CriticalSectionScope scope(lock_);
    if (!capture_) return RecorderCode::kWrongState;
    if (busy_) return RecorderCode::kOk;
    const int opened = capture_->OpenDevice(sampleRate, channels, bits, SamplesPerBuffer(sampleRate));
    if (opened == 0) {
        busy_ = true;
        stopRequested_ = false;
        // Blocks come as 16-bit samples whatever the capture's width.
        captureBytesPerSecond_ = int64_t{sampleRate} * channels * 2;
    }
    return opened;
}

int RecorderEngine::Record(RecordRequest* request) {
    if (!request || !request->fileName || !request->codec) return RecorderCode::kBadRequest;
    CriticalSectionScope scope(lock_);
    if (!capture_ || !processing_ || !busy_) return RecorderCode::kWrongState;
    const wchar_t* name = request->fileName;
    const wchar_t* slash = nullptr;
    for (const wchar_t* c = name; *c; ++c)
        if (*c == L'\\' || *c == L'/') slash = c;
    size_t length = slash ? static_cast<size_t>(slash - name) : 0;
    if (length > kMaxOutputDirectory) length = kMaxOutputDirectory;
    wmemcpy(outputDirectory_, name, length);
    outputDirectory_[length] = 0;
    recording_ = true;
    stopPending_ = false;
    errorCode_ = 0;
    sizeLimit_ = request->sizeLimit;
    request->codec->SetFileName(name);
    request->codec->SetSink(writer_.get());
    processing_->Begin(request->codec);
    processing_->Post(ProcessingThread::kStartMessage, 0, reinterpret_cast<LPARAM>(request));
    estimate_ = -1;
    memoryCountdown_ = 0;
    writerSeen_ = 0;
    capturedSinceWriterMoved_ = 0;
    writerStillSince_ = GetTickCount();
    available_ = 0;
    bufferedTime_ = 0;
    lastRatioTotal_ = 0;
    ratio_ = 0;
    return RecorderCode::kOk;
}

int RecorderEngine::Stop() {
    lock_.Enter();
    if (!capture_ || !busy_ || stopRequested_) {
        lock_.Leave();
        return RecorderCode::kWrongState;
    }
    capture_->Post(CaptureThread::kStopMessage, 0, 0);
    stopRequested_ = true;
    lock_.Leave();
    while (busy_) Sleep(1);
    return RecorderCode::kOk;
}

void RecorderEngine::RequestFinish() {
    CriticalSectionScope scope(lock_);
    if (recording_) stopPending_ = true;
}

bool RecorderEngine::WaitUntilClosed() {
    if (!writer_ || !processing_) return true;
    auto moved = [&] { return writer_->receivedBytes + processing_->processedBytes; };
    int64_t seen = moved();
    DWORD since = GetTickCount();
    while (processingActive_ || writerActive_) {
        if (moved() != seen) {
            seen = moved();
            since = GetTickCount();
        } else if (GetTickCount() - since > kWriterStallMs) {
            return false;
        }
        Sleep(5);
    }
    return true;
}

bool RecorderEngine::FileOpened() const { return writer_ && writer_->opened; }

void RecorderEngine::SetClient(void* context, ClientNotification notification) {
    CriticalSectionScope scope(lock_);
    clientContext_ = context;
    clientNotification_ = notification;
}

bool RecorderEngine::MemoryLow() {
    if (memoryCountdown_ >= 1) {
        --memoryCountdown_;
        return false;
    }
    MEMORYSTATUS status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    if (status.dwAvailPhys > kPlentyOfMemory) memoryCountdown_ = kMemoryCheckEvery;
    return status.dwAvailPhys <= kLowMemory;
}

void RecorderEngine::OnCapturedData(void* buffer, uint32_t bytes) {
    CriticalSectionScope scope(lock_);
    int code = 0;
    if (bytes >= 1) {
        if (!processing_ || !recording_) {
            free(buffer);
            return;
        }
        if (processing_->postedBlocks - processing_->processedBlocks > kMaxBlocksBehind) {
            code = RecorderCode::kQueueFull;
        } else if (MemoryLow()) {
            code = RecorderCode::kLowMemory;
        } else if (WriterBehind(bytes)) {
            code = RecorderCode::kWriterBehind;
        } else if ((estimate_ = RemainingSpace()) == 0) {
            code = RecorderCode::kNoRoom;
        }
        if (code) {
            free(buffer);
        } else {
            processing_->postedBytes += bytes;
            ++processing_->postedBlocks;
            processing_->Post(ProcessingThread::kDataMessage, reinterpret_cast<WPARAM>(buffer), bytes);
        }
    }
    if (recording_ && (code || stopPending_)) EndRecording(code);
}

bool RecorderEngine::WriterBehind(uint32_t bytes) {
    const int64_t received = writer_->receivedBytes;
    const int64_t backlog = writer_->postedBytes - received;
    // Stalled: it had work and took none of it while the capture delivered that many
    // seconds, and as long by the tick count (a capture that runs ahead of the clock, or a
    // writer that waits a moment for a busy card, is no stall).
    if (backlog == 0 || received != writerSeen_) {
        writerSeen_ = received;
        capturedSinceWriterMoved_ = 0;
        writerStillSince_ = GetTickCount();
    } else {
        capturedSinceWriterMoved_ += bytes;
    }
    const bool stalled = captureBytesPerSecond_ > 0 &&
                         capturedSinceWriterMoved_ > kWriterStallSeconds * captureBytesPerSecond_ &&
                         GetTickCount() - writerStillSince_ >= kWriterStallSeconds * 1000u;
    return stalled || backlog > kMaxWriterBacklogBytes ||
           writer_->postedBlocks - writer_->receivedBlocks > kMaxWriterBlocksBehind;
}

void RecorderEngine::EndRecording(int code) {
    processing_->Post(ProcessingThread::kStopMessage, 0, 0);
    recording_ = false;
    stopPending_ = false;
    // The first fault is the one the recording ended with.
    if (errorCode_ == 0) errorCode_ = code;
    if (clientNotification_) clientNotification_(clientContext_, errorCode_);
}

void RecorderEngine::OnCaptureClosed(int code) {
    CriticalSectionScope scope(lock_);
    busy_ = false;
    stopRequested_ = false;
    if (recording_) EndRecording(code);
    estimate_ = -1;
    available_ = 0;
    bufferedTime_ = 0;
    lastRatioTotal_ = 0;
    ratio_ = 0;
}

void RecorderEngine::OnThreadState(Thread thread, bool active) {
    CriticalSectionScope scope(lock_);
    // A thread's last report can arrive while its owner is being reset (the pointer is
    // already null then): only the engine's own record is kept.
    if (thread == Thread::Writer) {
        writerActive_ = active;
        if (writer_) writer_->active = active;
    } else {
        processingActive_ = active;
        if (processing_) processing_->active = active;
    }
}

void RecorderEngine::OnThreadError(Thread, int code) {
    CriticalSectionScope scope(lock_);
    if (errorCode_ == 0) errorCode_ = code;
    if (processingActive_ && processing_) processing_->error = true;
    if (recording_) {
        stopPending_ = true;
    } else if (clientNotification_) {
        // The recording has ended already (a failed final write): the client hears it now.
        clientNotification_(clientContext_, code);
    }
}

int64_t RecorderEngine::TimeOf(int64_t bytes) const {
    const AudioCodec* codec = processing_->codec;
    if (codec->BitsPerSample() != 8) bytes /= 2;
    if (codec->Channels() == 2) bytes /= 2;
    const int32_t rate = codec->SampleRate() > 0 ? codec->SampleRate() : 1;
    return bytes * 1000 / rate;
}

int32_t RecorderEngine::RemainingSpace() {
    ULARGE_INTEGER freeBytes = {};
    if (!Device_GetDiskFreeSpaceExW(outputDirectory_, &freeBytes, nullptr, nullptr) ||
        freeBytes.QuadPart <= kReservedBytes)
        return 0;
    int64_t room = static_cast<int64_t>(freeBytes.QuadPart - kReservedBytes);
    const int64_t received = writer_->receivedBytes;
    if (sizeLimit_ > 0) {
        // Blocks not yet encoded count as written: no codec's output outgrows its input.
        const int64_t committed = received + (processing_->postedBytes - processing_->processedBytes);
        if (committed >= sizeLimit_) return 0;
        if (room > sizeLimit_ - committed) room = sizeLimit_ - committed;
    }
    if (room >= (int64_t(1) << 31)) return -1;
    const int64_t pending = writer_->postedBytes - received;
    if (room <= pending) return 0;
    available_ = room - pending;
    if (!processing_->codec) {
        bufferedTime_ = 0;
        return -1;
    }
    bufferedTime_ = static_cast<int32_t>(TimeOf(pending) / 1024);
    const int64_t posted = writer_->postedBytes;
    const int64_t processed = processing_->processedBytes;
    if (posted > 9999 && processed > 9999) {
        if (ratio_ == 0 || posted - lastRatioTotal_ > 1000) {
            // In 64 bits: processed x 1024 passes 2^31 after 2 MiB of input.
            const int64_t ratio = processed * 1024 / posted;
            ratio_ = ratio > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ratio);
            lastRatioTotal_ = posted;
        }
        const int64_t fits = static_cast<int64_t>(ratio_) * available_ / 1024;
        if (fits > INT32_MAX) return -1;
        const int64_t left = fits - pending;
        if (left <= 0) return 0;
        const int64_t time = TimeOf(left) / 1024;
        return time > 0 ? static_cast<int32_t>(time) : 0;
    }
    lastRatioTotal_ = 0;
    return -1;
}
