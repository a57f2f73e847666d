#pragma once
// The end codes of a recording and the results of the recorder's operations.
namespace RecorderCode {
constexpr int kOk = 0;
constexpr int kNoInputDevice = 1;
constexpr int kOpenFailed = 2;        // waveInOpen
constexpr int kQueueFailed = 3;       // a capture buffer could not be queued
constexpr int kStartFailed = 4;       // waveInStart
constexpr int kNoData = 5;            // no buffer within one second
constexpr int kFileOpenFailed = 7;
constexpr int kFileWriteFailed = 8;
constexpr int kFilterStartFailed = 9;
constexpr int kQueueFull = 13;        // the processing thread is too far behind
constexpr int kLowMemory = 14;
constexpr int kNoRoom = 15;           // no room on the volume
constexpr int kNoThread = 16;
constexpr int kOutOfMemory = 17;
constexpr int kWrongState = 18;       // engine missing, busy or idle
constexpr int kBadRequest = 19;       // no file name or codec
constexpr int kWriterBehind = 21;     // the card does not keep up with the recording
}  // namespace RecorderCode
