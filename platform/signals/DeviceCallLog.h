#pragma once
// The device's log of signalling calls (DeviceSignals.h): one record of the state store,
// a ring of the last DEVICE_CALL_LOG_SIZE calls.
#include "DeviceSignals.h"

namespace DeviceCallLog {

// Records one call made now by this process; `device` may be null.
void Add(DeviceCallKind kind, LONG a = 0, LONG b = 0, LONG result = 0, const wchar_t* device = nullptr);

}  // namespace DeviceCallLog
