#pragma once
// A simple SNTP client: one request to a time server's UDP port 123 per attempt, the
// clock offset from the four timestamps, and the device clock (UTC) set from it.
#include "NtpTime.h"

#include <cstdint>

// What one exchange brought back.
struct SntpResult {
    uint8_t leapIndicator;
    uint8_t stratum;
    NtpTime originate;    // T1: our request's transmit time, echoed
    NtpTime receive;      // T2: the server received it
    NtpTime transmit;     // T3: the server answered
    NtpTime destination;  // T4: the answer arrived
    double roundTripDelay;
    double clockOffset;  // seconds to add to our clock
};

constexpr int kSntpPacketBytes = 48;
constexpr int kSntpReplyBufferBytes = 68;
constexpr unsigned short kSntpPort = 123;
constexpr int kSntpAttempts = 3;
constexpr long kSntpReplyWaitSeconds = 10;

// One exchange with host (a name or a dotted address): 1 with result filled, or 0
// with the socket's error (WSAETIMEDOUT when no reply came in time, ERROR_INVALID_DATA
// for a reply that is not a valid answer to our request) as the thread's last error.
int Sntp_Query(const wchar_t* host, SntpResult& result);
// Up to three exchanges; the first that succeeds sets the device clock. 1 when the
// clock was set, 0 otherwise.
int Sntp_SyncTime(const wchar_t* host);

// The request: client mode of version 3, transmit timestamp `sent`.
void Sntp_BuildRequest(NtpTime sent, uint8_t (&packet)[kSntpPacketBytes]);
// Takes a reply of `bytes` bytes to the request sent at `sent`, arrived at
// `destination`, into result. Only a full server answer to that very request counts:
// mode 4 or 5, a synchronised server (leap indicator not 3, stratum 1 to 15), a
// transmit time and our own transmit time as its originate time.
bool Sntp_ReadReply(const uint8_t* reply, int bytes, NtpTime sent, NtpTime destination, SntpResult& result);
