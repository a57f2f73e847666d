#include "SmsSender.h"

#include "DeviceSms.h"
#include "OptionalLibrary.h"

#include <cwchar>

namespace {
const wchar_t kSmsLibrary[] = L"sms.dll";
const wchar_t kOpenFunction[] = L"SmsOpen";
const wchar_t kCloseFunction[] = L"SmsClose";
const wchar_t kSendFunction[] = L"SmsSendMessage";
const wchar_t kTextProtocol[] = L"Microsoft Text SMS Protocol";
constexpr DWORD kSendMode = 2;
constexpr DWORD kAddressAsTyped = 0;
constexpr DWORD kStatusReport = 2;
constexpr DWORD kMessageClass1 = 1;
constexpr DWORD kOptimalEncoding = 0;
}  // namespace

int Sms_Send(int deliveryNotification, const wchar_t* number, const wchar_t* message) {
    OptionalLibrary library(kSmsLibrary);
    auto open = library.Get<SmsOpenFunction>(kOpenFunction);
    auto close = library.Get<SmsCloseFunction>(kCloseFunction);
    auto send = library.Get<SmsSendMessageFunction>(kSendFunction);
    if (!open || !close || !send) return kSmsLibraryMissing;

    SMS_HANDLE sms = nullptr;
    if (FAILED(open(kTextProtocol, kSendMode, &sms, nullptr))) return kSmsOpenFailed;

    SMS_ADDRESS destination = {};
    destination.smsatAddressType = kAddressAsTyped;
    // The library reads the field up to its terminator, so one must fit.
    wcsncpy(destination.ptsAddress, number ? number : L"", SMS_MAX_ADDRESS_LENGTH - 1);
    TEXT_PROVIDER_SPECIFIC_DATA provider = {};
    provider.dwMessageOptions = deliveryNotification ? kStatusReport : 0;
    provider.psMessageClass = kMessageClass1;
    if (!message) message = L"";
    SMS_MESSAGE_ID id = 0;
    HRESULT result = send(sms, nullptr, &destination, nullptr, reinterpret_cast<const BYTE*>(message),
                          static_cast<DWORD>(wcslen(message) * sizeof(wchar_t)),
                          reinterpret_cast<const BYTE*>(&provider), sizeof provider, kOptimalEncoding, 0, &id);
    close(sms);
    return result;
}
