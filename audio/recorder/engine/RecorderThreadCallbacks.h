#pragma once
// How the processing and file writer threads tell their engine that they became active
// or inactive and that they met an error.
class RecorderThreadCallbacks {
public:
    virtual ~RecorderThreadCallbacks() = default;
    enum class Thread { Processing, Writer };
    virtual void OnThreadState(Thread thread, bool active) = 0;
    virtual void OnThreadError(Thread thread, int code) = 0;
};
