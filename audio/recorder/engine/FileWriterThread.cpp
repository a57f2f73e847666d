#include "FileWriterThread.h"

#include "DeviceFiles.h"
#include "RecorderCodes.h"

#include <cstdlib>

FileWriterThread::WriteFunction FileWriterThread::writeFile = fwrite;
FileWriterThread::CloseFunction FileWriterThread::closeFile = fclose;

FileWriterThread::FileWriterThread(RecorderThreadCallbacks* callbacks) : callbacks_(callbacks) { StartThread(); }

FileWriterThread::~FileWriterThread() {
    StopAndJoin();
    // Messages still queued at the end are gone with the queue; a file left open is closed.
    if (file_) fclose(file_);
}

void FileWriterThread::Write(void* buffer, uint32_t length) {
    postedBytes += length;
    ++postedBlocks;
    if (!Post(kWriteMessage, reinterpret_cast<WPARAM>(buffer), length)) free(buffer);
}

void FileWriterThread::Seek(long offset, int origin) { Post(kSeekMessage, static_cast<WPARAM>(offset), origin); }

void FileWriterThread::PostOpen(wchar_t* fileName) {
    if (!Post(kOpenMessage, reinterpret_cast<WPARAM>(fileName), 0)) free(fileName);
}

void FileWriterThread::PostClose() { Post(kCloseMessage, 0, 0); }

void FileWriterThread::Begin() {
    Report(false, 1);
    error = false;
    opened = false;
    postedBytes = receivedBytes = writtenBytes = 0;
    postedBlocks = receivedBlocks = writtenBlocks = 0;
}

void FileWriterThread::Abandon() {
    {
        CriticalSectionScope scope(callbackLock_);
        callbacks_ = nullptr;
    }
    // The thread may have ended meanwhile: then it is joined here.
    if (ending_.exchange(kAbandoned) == kEnded) delete this;
}

void FileWriterThread::OnLoopEnd() {
    if (ending_.exchange(kEnded) != kAbandoned) return;
    ForgetThread();
    delete this;
}

void FileWriterThread::OnMessage(const MSG& message) {
    switch (message.message) {
    case kWriteMessage:
        WriteBlock(reinterpret_cast<void*>(message.wParam), static_cast<uint32_t>(message.lParam));
        break;
    case kCloseMessage:
        Close();
        break;
    case kOpenMessage:
        Open(reinterpret_cast<wchar_t*>(message.wParam));
        break;
    case kSeekMessage:
        SeekTo(static_cast<long>(message.wParam), static_cast<int>(message.lParam));
        break;
    default:
        break;
    }
}

void FileWriterThread::Report(bool isError, int value) {
    CriticalSectionScope scope(callbackLock_);
    if (!callbacks_) return;
    if (isError)
        callbacks_->OnThreadError(RecorderThreadCallbacks::Thread::Writer, value);
    else
        callbacks_->OnThreadState(RecorderThreadCallbacks::Thread::Writer, value != 0);
}

void FileWriterThread::Fail(int code) {
    error = true;
    Report(true, code);
}

void FileWriterThread::Open(wchar_t* fileName) {
    if (file_) fclose(file_);
    file_ = nullptr;
    wchar_t mapped[MAX_PATH];
    if (fileName && Device_MapPath(fileName, mapped, MAX_PATH)) file_ = _wfopen(mapped, L"wb");
    free(fileName);
    position_ = end_ = 0;
    lastFlush_ = GetTickCount();
    opened = file_ != nullptr;
    if (!file_) Fail(RecorderCode::kFileOpenFailed);
}

void FileWriterThread::SeekTo(long offset, int origin) {
    if (!file_) return;
    // Seeks go on after a failed write: the codec's size patches follow them.
    clearerr(file_);
    if (fseek(file_, offset, origin) == 0) {
        position_ = _ftelli64(file_);
    } else {
        position_ = -1;
        if (!error) Fail(RecorderCode::kFileWriteFailed);
    }
}

void FileWriterThread::WriteBlock(void* buffer, uint32_t length) {
    receivedBytes += length;
    ++receivedBlocks;
    // After a failure the data ends where it stopped; what still fits inside the file
    // (the header's sizes) is written, so the file says what it holds.
    const bool inside = position_ >= 0 && position_ + length <= end_;
    if (file_ && (!error || inside)) {
        if (length == 0 || writeFile(buffer, length, 1, file_) == 1) {
            writtenBytes += length;
            ++writtenBlocks;
            position_ += length;
            if (position_ > end_) end_ = position_;
        } else {
            position_ = -1;
            if (!error) Fail(RecorderCode::kFileWriteFailed);
        }
    }
    free(buffer);
    if (file_ && !error && GetTickCount() - lastFlush_ >= kFlushEveryMs) {
        lastFlush_ = GetTickCount();
        if (fflush(file_) != 0) Fail(RecorderCode::kFileWriteFailed);
    }
}

void FileWriterThread::Close() {
    // The last bytes reach the card only at fclose: a failure there is a failed write.
    if (file_ && closeFile(file_) != 0 && !error) Fail(RecorderCode::kFileWriteFailed);
    file_ = nullptr;
    Report(false, 0);
    error = false;
}
