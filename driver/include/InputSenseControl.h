#pragma once
// The user-activity driver's device and control codes, and the records they carry:
// shared by the driver and its client in the main program.
#include <windows.h>
#include <cstddef>
#include <cstdint>

namespace InputSense {

// The device the driver serves.
constexpr wchar_t kDeviceName[] = L"ISL0:";

// Control codes: device type 0x22, buffered, any access.
constexpr DWORD kSetValue = 0x221614;        // in: 4 bytes, kept for a later kGetValue
constexpr DWORD kGetValue = 0x221618;        // out: 4 bytes
constexpr DWORD kIsActive = 0x22161C;        // out: 4 bytes, 1 for the sole handle with no program client
constexpr DWORD kGetIdleTime = 0x221620;     // out: 4 bytes, milliseconds since the last activity
constexpr DWORD kAddClient = 0x221668;       // in: ProgramClientRecord
constexpr DWORD kRemoveClient = 0x22166C;    // in: 16 bytes, the client's GUID
constexpr DWORD kAddWindow = 0x221670;       // in: WindowClientRecord
constexpr DWORD kRemoveWindow = 0x221674;    // in: 4 bytes, the window handle

// Longest program path and arguments a program client may carry, in characters.
constexpr uint32_t kMaxClientPath = MAX_PATH;
constexpr uint32_t kMaxClientArguments = 32767;

#pragma pack(push, 4)
// A program that the driver starts after the given idle time. The path and the
// arguments are addresses in the sender's process, which the driver copies; on a
// 32-bit device the record is 52 bytes, here its two addresses take 8 bytes each.
struct ProgramClientRecord {
    uint32_t reserved0;      // 0
    uint32_t reserved1;      // 0
    ULONG_PTR path;          // UTF-16, pathLength characters and a terminator
    ULONG_PTR arguments;     // UTF-16, argumentsLength characters and a terminator
    uint32_t pathLength;
    uint32_t argumentsLength;
    uint32_t idleSeconds;
    uint32_t reserved2;      // 0
    GUID key;
    uint32_t startOnPowerOn; // nonzero: also when the system comes back on
};
#pragma pack(pop)
static_assert(sizeof(ProgramClientRecord) == 44 + 2 * sizeof(ULONG_PTR), "program-client record: 52 bytes on 32 bits");
static_assert(offsetof(ProgramClientRecord, pathLength) == 8 + 2 * sizeof(ULONG_PTR), "lengths follow the addresses");
static_assert(offsetof(ProgramClientRecord, key) == 24 + 2 * sizeof(ULONG_PTR), "key GUID");

// A window that the driver tells of activity (lParam 1) and of idleSeconds of idleness
// (lParam 0) with its message. Window handles fit in 32 bits.
struct WindowClientRecord {
    uint32_t reserved0;
    uint32_t reserved1;
    uint32_t window;
    uint32_t message;
    uint32_t idleSeconds;
    uint32_t reserved2;
};
static_assert(sizeof(WindowClientRecord) == 24, "window-client record");

inline HWND WindowOf(uint32_t value) { return static_cast<HWND>(LongToHandle(static_cast<LONG>(value))); }
inline uint32_t WindowValue(HWND window) { return static_cast<uint32_t>(HandleToLong(window)); }

}  // namespace InputSense
