#include "FileWriterThread.h"

#include "DeviceFiles.h"
#include "RecorderCodes.h"

#include <cstdlib>

FileWriterThread::CloseFunction FileWriterThread::closeFile = fclose;

FileWriterThread::FileWriterThread(RecorderThreadCallbacks* callbacks) : callbacks_(callbacks) { StartThread(); }

FileWriterThread::~FileWriterThread() {
    StopAndJoin();
    // Messages still queued at the end are gone with the queue; a file left open is closed.
    if (file_) fclose(file_);
}

void FileWriterThread::Write(void* buffer, uint32_t length) {
    postedBytes += static_cast<int32_t>(length);
    ++postedBlocks;
    if (!Post(kWriteMessage, reinterpret_cast<WPARAM>(buffer), length)) free(buffer);
}

void FileWriterThread::Seek(long offset, int origin) { Post(kSeekMessage, static_cast<WPARAM>(offset), origin); }

void FileWriterThread::PostOpen(wchar_t* fileName) {
    if (!Post(kOpenMessage, reinterpret_cast<WPARAM>(fileName), 0)) free(fileName);
}

void FileWriterThread::PostClose() { Post(kCloseMessage, 0, 0); }

void FileWriterThread::Begin() {
    callbacks_->OnThreadState(RecorderThreadCallbacks::Thread::Writer, true);
    error = false;
    postedBytes = postedBlocks = receivedBytes = receivedBlocks = writtenBytes = writtenBlocks = 0;
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
        if (error || !file_) break;
        if (fseek(file_, static_cast<long>(message.wParam), static_cast<int>(message.lParam)) != 0)
            Fail(RecorderCode::kFileWriteFailed);
        break;
    default:
        break;
    }
}

void FileWriterThread::Fail(int code) {
    error = true;
    callbacks_->OnThreadError(RecorderThreadCallbacks::Thread::Writer, code);
}

void FileWriterThread::Open(wchar_t* fileName) {
    if (file_) fclose(file_);
    file_ = nullptr;
    wchar_t mapped[MAX_PATH];
    if (fileName && Device_MapPath(fileName, mapped, MAX_PATH)) file_ = _wfopen(mapped, L"wb");
    free(fileName);
    if (!file_) Fail(RecorderCode::kFileOpenFailed);
}

void FileWriterThread::WriteBlock(void* buffer, uint32_t length) {
    receivedBytes += static_cast<int32_t>(length);
    ++receivedBlocks;
    if (!error && file_) {
        if (length == 0 || fwrite(buffer, length, 1, file_) == 1) {
            writtenBytes += static_cast<int32_t>(length);
            ++writtenBlocks;
        } else {
            Fail(RecorderCode::kFileWriteFailed);
        }
    }
    free(buffer);
}

void FileWriterThread::Close() {
    // The last bytes reach the card only at fclose: a failure there is a failed write.
    if (file_ && closeFile(file_) != 0 && !error) Fail(RecorderCode::kFileWriteFailed);
    file_ = nullptr;
    callbacks_->OnThreadState(RecorderThreadCallbacks::Thread::Writer, false);
    error = false;
}
