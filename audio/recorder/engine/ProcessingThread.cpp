#include "ProcessingThread.h"

#include "AudioCodec.h"
#include "FileWriterThread.h"
#include "FilterChain.h"
#include "RecordRequest.h"
#include "RecorderCodes.h"
#include "RecorderSettings.h"

#include <cstdlib>

ProcessingThread::ProcessingThread(FileWriterThread* writer, FilterChain* chain, RecorderThreadCallbacks* callbacks)
    : writer_(writer), chain_(chain), callbacks_(callbacks) {
    StartThread();
}

ProcessingThread::~ProcessingThread() { StopAndJoin(); }

void ProcessingThread::Begin(AudioCodec* recordingCodec) {
    codec = recordingCodec;
    callbacks_->OnThreadState(RecorderThreadCallbacks::Thread::Processing, true);
    error = false;
    postedBytes = postedBlocks = processedBytes = processedBlocks = 0;
}

void ProcessingThread::OnMessage(const MSG& message) {
    switch (message.message) {
    case kDataMessage:
        ProcessBlock(reinterpret_cast<void*>(message.wParam), static_cast<uint32_t>(message.lParam));
        break;
    case kStartMessage:
        StartRecording(reinterpret_cast<const RecordRequest*>(message.lParam));
        break;
    case kStopMessage:
        StopRecording();
        break;
    default:
        break;
    }
}

void ProcessingThread::Fail(int code) {
    error = true;
    callbacks_->OnThreadError(RecorderThreadCallbacks::Thread::Processing, code);
}

void ProcessingThread::StartRecording(const RecordRequest* request) {
    writer_->Begin();
    writer_->PostOpen(request->fileName);
    const RecorderCaptureSetting capture = RecorderSettings_Global().capture;
    channels_ = capture.channels == 2 ? 2 : 1;
    codecOpen_ = false;
    AudioFormat format;
    format.sampleRate = capture.sampleRate;
    format.channels = capture.channels;
    format.bitsPerSample = 16;
    chain_->SetFormat(format);
    if (!chain_->Start()) return Fail(RecorderCode::kFilterStartFailed);
    AudioCodec* recordingCodec = codec;
    recordingCodec->SetFormat(capture.sampleRate, capture.channels, 16);
    const int opened = recordingCodec->OpenWrite();
    if (opened != 0) return Fail(opened);
    codecOpen_ = true;
}

void ProcessingThread::ProcessBlock(void* buffer, uint32_t bytes) {
    processedBytes += bytes;
    ++processedBlocks;
    const uint32_t frameBytes = 2u * static_cast<uint32_t>(channels_);
    if (!error && codecOpen_) {
        int16_t* in = static_cast<int16_t*>(buffer);
        uint32_t inCount = bytes / frameBytes;
        int16_t* out = nullptr;
        uint32_t outCount = 0;
        chain_->Process(in, inCount, out, outCount);
        int written = inCount ? codec.load()->Write(in, inCount * frameBytes) : 0;
        if (written == 0 && out && outCount) written = codec.load()->Write(out, outCount * frameBytes);
        if (out && out != in) free(out);
        if (written != 0) Fail(written);
    }
    free(buffer);
}

void ProcessingThread::StopRecording() {
    chain_->Stop();
    if (codecOpen_) {
        // The codec's last output and size patches go to the writer before it closes.
        const int closed = codec.load()->CloseWrite();
        if (closed != 0 && !error) Fail(closed);
    }
    codecOpen_ = false;
    writer_->PostClose();
    callbacks_->OnThreadState(RecorderThreadCallbacks::Thread::Processing, false);
    error = false;
}
