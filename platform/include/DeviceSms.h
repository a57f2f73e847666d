#pragma once
// Text messages of the simulated device: the SMS library "sms.dll" (SmsOpen,
// SmsSendMessage, SmsClose; the layer's stand-in exports them by those names) puts
// every message sent into the device's outbox, which tests read. Nothing leaves the
// device. A test takes the library away to make a device without it, or switches the
// SMS service off so that SmsOpen fails.
#include <windows.h>

#define SMS_LIBRARY L"sms.dll"
// The platform's provider of plain text messages.
#define SMS_MSGTYPE_TEXT L"Microsoft Text SMS Protocol"
#define SMS_MODE_SEND 2
#define SMSAT_UNKNOWN 0  // the number as typed
#define SMSDE_OPTIMAL 0
#define SMS_MAX_ADDRESS_LENGTH 256

// Message options, class and replace option of the text provider.
#define PS_MESSAGE_OPTION_NONE 0
#define PS_MESSAGE_OPTION_STATUSREPORT 2
#define PS_MESSAGE_CLASS1 1
#define PSRO_NONE 0

DECLARE_HANDLE(SMS_HANDLE);
typedef ULONG SMS_MESSAGE_ID;

typedef struct SmsAddress {
    DWORD smsatAddressType;
    wchar_t ptsAddress[SMS_MAX_ADDRESS_LENGTH];
} SMS_ADDRESS;
static_assert(sizeof(SMS_ADDRESS) == 516, "SMS address record");

// What the text provider is told beside the text.
typedef struct TextProviderSpecificData {
    DWORD dwMessageOptions;
    DWORD psMessageClass;
    DWORD psReplaceOption;
    BYTE reserved[152];
} TEXT_PROVIDER_SPECIFIC_DATA;
static_assert(sizeof(TEXT_PROVIDER_SPECIFIC_DATA) == 164, "text provider record");

// The functions as the program binds them by name.
typedef HRESULT (*SmsOpenFunction)(LPCWSTR protocol, DWORD mode, SMS_HANDLE* sms, HANDLE* messageAvailable);
typedef HRESULT (*SmsSendMessageFunction)(SMS_HANDLE sms, const SMS_ADDRESS* smsc, const SMS_ADDRESS* destination,
                                          const SYSTEMTIME* validity, const BYTE* data, DWORD dataSize,
                                          const BYTE* providerData, DWORD providerDataSize, DWORD dataEncoding,
                                          DWORD options, SMS_MESSAGE_ID* messageId);
typedef HRESULT (*SmsCloseFunction)(SMS_HANDLE sms);

// One message of the outbox. Longer texts keep their first characters; textBytes is
// what was sent.
#define DEVICE_SMS_MAX_TEXT 1024
typedef struct DeviceSentSms {
    wchar_t number[SMS_MAX_ADDRESS_LENGTH];
    wchar_t text[DEVICE_SMS_MAX_TEXT];
    DWORD textBytes;
    DWORD addressType;
    DWORD messageOptions;
    DWORD messageClass;
    DWORD replaceOption;
    DWORD dataEncoding;
    DWORD providerDataSize;
    DWORD viaSmsc;  // an SMS centre was named
} DEVICE_SENT_SMS;

#ifdef __cplusplus
extern "C" {
#endif

// Opens the text provider for sending: E_FAIL while the SMS service is off,
// E_INVALIDARG for another provider or mode.
HRESULT Device_SmsOpen(LPCWSTR protocol, DWORD mode, SMS_HANDLE* sms, HANDLE* messageAvailable);
// Puts the message into the outbox. The number must be terminated within its field,
// and the provider data must be the 164-byte text record (E_INVALIDARG otherwise).
HRESULT Device_SmsSendMessage(SMS_HANDLE sms, const SMS_ADDRESS* smsc, const SMS_ADDRESS* destination,
                              const SYSTEMTIME* validity, const BYTE* data, DWORD dataSize,
                              const BYTE* providerData, DWORD providerDataSize, DWORD dataEncoding, DWORD options,
                              SMS_MESSAGE_ID* messageId);
HRESULT Device_SmsClose(SMS_HANDLE sms);

// For tests: the SMS service on or off (on at first); how many messages were sent;
// one of the last sent (0 the newest; the outbox keeps 8), FALSE past them.
BOOL DeviceControl_SetSmsService(BOOL on);
DWORD DeviceControl_GetSentSmsCount(void);
BOOL DeviceControl_GetSentSms(DWORD newest, DEVICE_SENT_SMS* sms);

#ifdef __cplusplus
}
#endif
