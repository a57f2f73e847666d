#pragma once
// The public time servers the clock synchronisation can ask, by index. The options
// page offers the same entries in the same order, and the stored "Server" value is an
// index into them, so the order never changes.
constexpr int kTimeServerCount = 6;

// The host name of entry index; entry 0 for an index outside 0..5.
const wchar_t* TimeServer_Host(int index);
