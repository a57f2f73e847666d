#include "DeviceSms.h"

#include "DeviceRecord.h"

#include <cstdint>
#include <cwchar>
#include <mutex>
#include <set>

namespace {
const wchar_t kRecordName[] = L"sms";
constexpr DWORD kOutboxSize = 8;

struct Record {
    uint32_t serviceOff;
    uint32_t sent;
    DEVICE_SENT_SMS outbox[kOutboxSize];  // by sent count modulo its size
};
static_assert(sizeof(Record) == 8 + kOutboxSize * 2592, "SMS record is stored");

Record Load() { return DeviceRecord_Load(kRecordName, Record{}); }

// The handles this process opened.
struct Handles {
    std::mutex lock;
    uintptr_t last = 0;
    std::set<uintptr_t> open;
};

Handles& Held() {
    static Handles handles;
    return handles;
}

bool IsOpen(SMS_HANDLE sms) {
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    return h.open.count(reinterpret_cast<uintptr_t>(sms)) != 0;
}

bool Terminated(const wchar_t* field, size_t length) { return wmemchr(field, 0, length) != nullptr; }
}  // namespace

HRESULT Device_SmsOpen(LPCWSTR protocol, DWORD mode, SMS_HANDLE* sms, HANDLE* messageAvailable) {
    if (!sms || !protocol || wcscmp(protocol, SMS_MSGTYPE_TEXT) != 0 || mode != SMS_MODE_SEND) return E_INVALIDARG;
    *sms = nullptr;
    if (messageAvailable) *messageAvailable = nullptr;
    if (Load().serviceOff) return E_FAIL;
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    uintptr_t opened = ++h.last;
    h.open.insert(opened);
    *sms = reinterpret_cast<SMS_HANDLE>(opened);
    return S_OK;
}

HRESULT Device_SmsSendMessage(SMS_HANDLE sms, const SMS_ADDRESS* smsc, const SMS_ADDRESS* destination,
                              const SYSTEMTIME*, const BYTE* data, DWORD dataSize, const BYTE* providerData,
                              DWORD providerDataSize, DWORD dataEncoding, DWORD, SMS_MESSAGE_ID* messageId) {
    if (!IsOpen(sms)) return E_HANDLE;
    if (!destination || !Terminated(destination->ptsAddress, SMS_MAX_ADDRESS_LENGTH) || (dataSize && !data) ||
        !providerData || providerDataSize != sizeof(TEXT_PROVIDER_SPECIFIC_DATA) || dataSize % sizeof(wchar_t))
        return E_INVALIDARG;
    TEXT_PROVIDER_SPECIFIC_DATA provider;
    memcpy(&provider, providerData, sizeof provider);
    DWORD sent = 0;
    bool ok = DeviceRecord_Update(kRecordName, Record{}, [&](Record& r) {
        if (r.serviceOff) return false;
        DEVICE_SENT_SMS& m = r.outbox[r.sent % kOutboxSize];
        m = DEVICE_SENT_SMS{};
        wcscpy(m.number, destination->ptsAddress);
        DWORD chars = dataSize / sizeof(wchar_t);
        if (chars > DEVICE_SMS_MAX_TEXT - 1) chars = DEVICE_SMS_MAX_TEXT - 1;
        memcpy(m.text, data, chars * sizeof(wchar_t));
        m.textBytes = dataSize;
        m.addressType = destination->smsatAddressType;
        m.messageOptions = provider.dwMessageOptions;
        m.messageClass = provider.psMessageClass;
        m.replaceOption = provider.psReplaceOption;
        m.dataEncoding = dataEncoding;
        m.providerDataSize = providerDataSize;
        m.viaSmsc = smsc != nullptr;
        sent = ++r.sent;
        return true;
    });
    if (!ok) return E_FAIL;
    if (messageId) *messageId = sent;
    return S_OK;
}

HRESULT Device_SmsClose(SMS_HANDLE sms) {
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    return h.open.erase(reinterpret_cast<uintptr_t>(sms)) ? S_OK : E_HANDLE;
}

BOOL DeviceControl_SetSmsService(BOOL on) {
    return DeviceRecord_Update(kRecordName, Record{}, [&](Record& r) {
        r.serviceOff = on ? 0 : 1;
        return true;
    });
}

DWORD DeviceControl_GetSentSmsCount(void) { return Load().sent; }

BOOL DeviceControl_GetSentSms(DWORD newest, DEVICE_SENT_SMS* sms) {
    Record r = Load();
    if (!sms || newest >= kOutboxSize || newest >= r.sent) return FALSE;
    *sms = r.outbox[(r.sent - 1 - newest) % kOutboxSize];
    sms->number[SMS_MAX_ADDRESS_LENGTH - 1] = sms->text[DEVICE_SMS_MAX_TEXT - 1] = 0;
    return TRUE;
}
