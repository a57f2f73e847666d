#include "DeviceCellular.h"

#include "DeviceRecord.h"

#include <cstdint>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {
const wchar_t kRecordName[] = L"cellular";
const wchar_t kCellularLine[] = L"Cellular Line";
constexpr DWORD kMaxLines = 8;
constexpr size_t kMaxLineName = 64;
constexpr size_t kMaxPin = 16;

struct Line {
    wchar_t name[kMaxLineName];
    uint32_t equipmentState;
    uint32_t registered;
    uint32_t registrations;
};
struct Record {
    uint32_t lineCount;
    Line lines[kMaxLines];
    uint32_t simPresent;
    uint32_t simLockedState;
    uint32_t simUnlockAttempts;
    wchar_t simPin[kMaxPin];  // empty: the SIM asks for no PIN
    uint32_t trust;
};
static_assert(sizeof(Record) == 4 + kMaxLines * (kMaxLineName * 2 + 12) + 12 + kMaxPin * 2 + 4,
              "cellular record is stored");

void ResetLine(Line& line, const wchar_t* name) {
    line = Line{};
    wcsncpy(line.name, name, kMaxLineName - 1);
    line.equipmentState = LINEEQUIPSTATE_FULL;
    line.registered = 1;
}

Record Defaults() {
    Record r = {};
    r.lineCount = 1;
    ResetLine(r.lines[0], kCellularLine);
    r.simPresent = 1;
    r.simLockedState = SIM_LOCKEDSTATE_READY;
    r.trust = OEM_CERTIFY_TRUST;
    return r;
}

Record Load() {
    Record r = DeviceRecord_Load(kRecordName, Defaults());
    if (r.lineCount > kMaxLines) r.lineCount = kMaxLines;
    for (Line& line : r.lines) line.name[kMaxLineName - 1] = 0;
    r.simPin[kMaxPin - 1] = 0;
    return r;
}

template <typename Change>
bool Update(Change change) {
    return DeviceRecord_Update(kRecordName, Defaults(), [&](Record& r) {
        if (r.lineCount > kMaxLines) r.lineCount = kMaxLines;
        return change(r);
    });
}

const wchar_t kPhoneStateKey[] = L"System\\State\\Phone";
const wchar_t kPhoneStatusValue[] = L"Status";
constexpr DWORD kIncomingCallBit = 0x00010000;
constexpr DWORD kActiveCallBit = 0x00020000;
constexpr DWORD kOutgoingCallBit = 0x20000000;

DWORD PhoneStatus(HKEY key) {
    DWORD status = 0, size = sizeof status;
    return RegQueryValueExW(key, kPhoneStatusValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&status), &size) ==
                   ERROR_SUCCESS
               ? status
               : 0;
}

// One call for each kind the shell publishes: ringing, connected, dialling.
DWORD PublishedCallCount() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPhoneStateKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return 0;
    const DWORD status = PhoneStatus(key);
    RegCloseKey(key);
    DWORD calls = 0;
    for (DWORD bit : {kIncomingCallBit, kActiveCallBit, kOutgoingCallBit})
        if (status & bit) ++calls;
    return calls;
}

// What a line application with a callback hears while it has a line open: a new incoming
// call (LINE_APPNEWCALL) and a call that connects (LINE_CALLSTATE, connected), taken
// from the call state the shell publishes, on a thread of the application's own.
class LineEventWatch {
public:
    LineEventWatch(LINECALLBACK callback, uintptr_t line, DWORD_PTR instance)
        : callback_(callback), line_(line), instance_(instance) {
        changed_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!changed_ || !stop_ ||
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPhoneStateKey, 0, nullptr, 0, KEY_READ | KEY_NOTIFY, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        // Armed before the state is read, so that no call falls between them.
        if (!Arm()) return;
        before_ = PhoneStatus(key_);
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~LineEventWatch() {
        if (thread_) {
            SetEvent(stop_);
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
        }
        if (key_) RegCloseKey(key_);
        if (changed_) CloseHandle(changed_);
        if (stop_) CloseHandle(stop_);
    }
    LineEventWatch(const LineEventWatch&) = delete;
    LineEventWatch& operator=(const LineEventWatch&) = delete;

private:
    bool Arm() {
        return RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME, changed_,
                                       TRUE) == ERROR_SUCCESS;
    }
    static DWORD WINAPI Run(void* self) {
        static_cast<LineEventWatch*>(self)->Watch();
        return 0;
    }
    void Watch() {
        const HANDLE waits[] = {stop_, changed_};
        while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            Arm();
            const DWORD now = PhoneStatus(key_);
            if ((now & kIncomingCallBit) && !(before_ & kIncomingCallBit))
                callback_(static_cast<DWORD>(line_), LINE_APPNEWCALL, instance_, 0, 0, 0);
            if ((now & kActiveCallBit) && !(before_ & kActiveCallBit))
                callback_(static_cast<DWORD>(line_), LINE_CALLSTATE, instance_, LINECALLSTATE_CONNECTED, 0, 0);
            before_ = now;
        }
    }

    LINECALLBACK callback_;
    uintptr_t line_;
    DWORD_PTR instance_;
    HKEY key_ = nullptr;
    HANDLE changed_ = nullptr;
    HANDLE stop_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD before_ = 0;
};

// The handles this process holds: line applications (with their callbacks), their open
// lines (with the line device each one is) and SIM sessions.
struct Handles {
    std::mutex lock;
    uintptr_t last = 0;
    std::map<uintptr_t, LINECALLBACK> apps;
    // The event watch of each open line of an application with a callback.
    std::map<uintptr_t, std::unique_ptr<LineEventWatch>> watches;
    std::map<uintptr_t, std::pair<uintptr_t, DWORD>> lines;  // line -> (application, device)
    std::map<uintptr_t, bool> sims;

    uintptr_t Next() { return ++last; }
};

Handles& Held() {
    static Handles handles;
    return handles;
}

uintptr_t Key(const void* handle) { return reinterpret_cast<uintptr_t>(handle); }

bool AppHeld(HLINEAPP app) {
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    return h.apps.count(Key(app)) != 0;
}

// The line device an open line is, or false.
bool LineDevice(HLINE line, DWORD* device) {
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    auto found = h.lines.find(Key(line));
    if (found == h.lines.end()) return false;
    *device = found->second.second;
    return true;
}

bool SimHeld(HSIM sim) {
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    return h.sims.count(Key(sim)) != 0;
}

LONG Result(DWORD code) { return static_cast<LONG>(code); }
}  // namespace

LONG lineInitialize(HLINEAPP* lineApp, HINSTANCE, LINECALLBACK callback, LPCWSTR, LPDWORD numDevs) {
    if (!lineApp || !numDevs) return Result(LINEERR_INVALPARAM);
    *numDevs = Load().lineCount;
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    uintptr_t app = h.Next();
    h.apps[app] = callback;
    *lineApp = reinterpret_cast<HLINEAPP>(app);
    return 0;
}

LONG lineNegotiateAPIVersion(HLINEAPP lineApp, DWORD deviceId, DWORD lowVersion, DWORD highVersion,
                             LPDWORD apiVersion, LINEEXTENSIONID* extensionId) {
    if (!AppHeld(lineApp)) return Result(LINEERR_INVALAPPHANDLE);
    if (!apiVersion) return Result(LINEERR_INVALPARAM);
    if (deviceId >= Load().lineCount) return Result(LINEERR_BADDEVICEID);
    if (lowVersion > TAPI_API_VERSION_2_0 || highVersion < TAPI_API_VERSION_2_0)
        return Result(LINEERR_INCOMPATIBLEAPIVERSION);
    *apiVersion = TAPI_API_VERSION_2_0;
    if (extensionId) *extensionId = LINEEXTENSIONID{};
    return 0;
}

LONG lineGetDevCaps(HLINEAPP lineApp, DWORD deviceId, DWORD apiVersion, DWORD, LINEDEVCAPS* caps) {
    if (!AppHeld(lineApp)) return Result(LINEERR_INVALAPPHANDLE);
    if (!caps) return Result(LINEERR_INVALPARAM);
    if (apiVersion != TAPI_API_VERSION_2_0) return Result(LINEERR_INCOMPATIBLEAPIVERSION);
    if (caps->dwTotalSize < sizeof(LINEDEVCAPS)) return Result(LINEERR_STRUCTURETOOSMALL);
    Record r = Load();
    if (deviceId >= r.lineCount) return Result(LINEERR_BADDEVICEID);
    const DWORD total = caps->dwTotalSize;
    const DWORD nameBytes = static_cast<DWORD>((wcslen(r.lines[deviceId].name) + 1) * sizeof(wchar_t));
    *caps = LINEDEVCAPS{};
    caps->dwTotalSize = total;
    caps->dwNeededSize = sizeof(LINEDEVCAPS) + nameBytes;
    caps->dwUsedSize = sizeof(LINEDEVCAPS);
    caps->dwPermanentLineID = deviceId;
    caps->dwStringFormat = LINESTRINGFORMAT_UNICODE;
    if (total >= caps->dwNeededSize) {
        memcpy(reinterpret_cast<BYTE*>(caps) + sizeof(LINEDEVCAPS), r.lines[deviceId].name, nameBytes);
        caps->dwLineNameOffset = sizeof(LINEDEVCAPS);
        caps->dwLineNameSize = nameBytes;
        caps->dwUsedSize = caps->dwNeededSize;
    }
    return 0;
}

LONG lineOpen(HLINEAPP lineApp, DWORD deviceId, HLINE* line, DWORD apiVersion, DWORD, DWORD_PTR instance, DWORD,
              DWORD, const void*) {
    if (!line) return Result(LINEERR_INVALPARAM);
    if (apiVersion != TAPI_API_VERSION_2_0) return Result(LINEERR_INCOMPATIBLEAPIVERSION);
    if (deviceId >= Load().lineCount) return Result(LINEERR_BADDEVICEID);
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    auto app = h.apps.find(Key(lineApp));
    if (app == h.apps.end()) return Result(LINEERR_INVALAPPHANDLE);
    uintptr_t opened = h.Next();
    h.lines[opened] = {Key(lineApp), deviceId};
    if (app->second) h.watches[opened] = std::make_unique<LineEventWatch>(app->second, opened, instance);
    *line = reinterpret_cast<HLINE>(opened);
    return 0;
}

LONG lineSetEquipmentState(HLINE line, DWORD state) {
    DWORD device = 0;
    if (!LineDevice(line, &device)) return Result(LINEERR_INVALLINEHANDLE);
    if (state < LINEEQUIPSTATE_MINIMUM || state > LINEEQUIPSTATE_FULL) return Result(LINEERR_INVALPARAM);
    bool ok = Update([&](Record& r) {
        if (device >= r.lineCount) return false;
        Line& changed = r.lines[device];
        // A radio that comes back asks its SIM for the PIN again.
        if (state == LINEEQUIPSTATE_FULL && changed.equipmentState != LINEEQUIPSTATE_FULL && r.simPresent &&
            r.simPin[0])
            r.simLockedState = SIM_LOCKEDSTATE_SIM_PIN;
        if (state != LINEEQUIPSTATE_FULL) changed.registered = 0;
        changed.equipmentState = state;
        return true;
    });
    return ok ? 0 : Result(LINEERR_OPERATIONFAILED);
}

LONG lineGetLineDevStatus(HLINE line, LINEDEVSTATUS* status) {
    DWORD device = 0;
    if (!LineDevice(line, &device)) return Result(LINEERR_INVALLINEHANDLE);
    if (!status) return Result(LINEERR_INVALPARAM);
    if (status->dwTotalSize < sizeof(LINEDEVSTATUS)) return Result(LINEERR_STRUCTURETOOSMALL);
    const Record record = Load();
    if (device >= record.lineCount) return Result(LINEERR_OPERATIONFAILED);
    const DWORD total = status->dwTotalSize;
    *status = LINEDEVSTATUS{};
    status->dwTotalSize = total;
    status->dwNeededSize = status->dwUsedSize = sizeof(LINEDEVSTATUS);
    if (wcscmp(record.lines[device].name, kCellularLine) == 0) status->dwNumActiveCalls = PublishedCallCount();
    return 0;
}

LONG lineRegister(HLINE line, DWORD, LPCWSTR, DWORD) {
    DWORD device = 0;
    if (!LineDevice(line, &device)) return Result(LINEERR_INVALLINEHANDLE);
    bool ok = Update([&](Record& r) {
        if (device >= r.lineCount || r.lines[device].equipmentState != LINEEQUIPSTATE_FULL) return false;
        r.lines[device].registered = 1;
        ++r.lines[device].registrations;
        return true;
    });
    return ok ? 0 : Result(LINEERR_OPERATIONFAILED);
}

LONG lineClose(HLINE line) {
    Handles& h = Held();
    std::unique_ptr<LineEventWatch> watch;  // stopped outside the lock: its callback may be running
    {
        std::lock_guard<std::mutex> guard(h.lock);
        if (!h.lines.erase(Key(line))) return Result(LINEERR_INVALLINEHANDLE);
        auto found = h.watches.find(Key(line));
        if (found != h.watches.end()) {
            watch = std::move(found->second);
            h.watches.erase(found);
        }
    }
    return 0;
}

LONG lineShutdown(HLINEAPP lineApp) {
    Handles& h = Held();
    std::vector<std::unique_ptr<LineEventWatch>> watches;
    {
        std::lock_guard<std::mutex> guard(h.lock);
        if (!h.apps.erase(Key(lineApp))) return Result(LINEERR_INVALAPPHANDLE);
        for (auto line = h.lines.begin(); line != h.lines.end();) {
            if (line->second.first != Key(lineApp)) {
                ++line;
                continue;
            }
            auto found = h.watches.find(line->first);
            if (found != h.watches.end()) {
                watches.push_back(std::move(found->second));
                h.watches.erase(found);
            }
            line = h.lines.erase(line);
        }
    }
    return 0;
}

HRESULT SimInitialize(DWORD, SIMCALLBACK, DWORD, HSIM* sim) {
    if (!sim) return E_INVALIDARG;
    *sim = nullptr;
    if (!Load().simPresent) return SIM_E_NOSIM;
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    uintptr_t opened = h.Next();
    h.sims[opened] = true;
    *sim = reinterpret_cast<HSIM>(opened);
    return S_OK;
}

HRESULT SimGetPhoneLockedState(HSIM sim, LPDWORD lockedState) {
    if (!SimHeld(sim) || !lockedState) return E_INVALIDARG;
    Record r = Load();
    if (!r.simPresent) return SIM_E_NOSIM;
    *lockedState = r.simLockedState;
    return S_OK;
}

HRESULT SimUnlockPhone(HSIM sim, LPCWSTR password, LPCWSTR) {
    if (!SimHeld(sim) || !password) return E_INVALIDARG;
    HRESULT result = E_FAIL;
    Update([&](Record& r) {
        ++r.simUnlockAttempts;
        if (!r.simPresent)
            result = SIM_E_NOSIM;
        else if (r.simLockedState != SIM_LOCKEDSTATE_SIM_PIN)
            result = SIM_E_NOTREADY;
        else if (wcscmp(password, r.simPin) != 0)
            result = SIM_E_INCORRECTPASSWORD;
        else {
            r.simLockedState = SIM_LOCKEDSTATE_READY;
            result = S_OK;
        }
        return true;
    });
    return result;
}

HRESULT SimDeinitialize(HSIM sim) {
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    return h.sims.erase(Key(sim)) ? S_OK : E_INVALIDARG;
}

DWORD CeGetCurrentTrust(void) { return Load().trust; }

BOOL DeviceControl_SetTelephonyLines(const wchar_t* const* names, DWORD count) {
    if (count > kMaxLines || (count && !names)) return FALSE;
    for (DWORD i = 0; i < count; ++i)
        if (!names[i] || wcslen(names[i]) >= kMaxLineName) return FALSE;
    return Update([&](Record& r) {
        r.lineCount = count;
        for (DWORD i = 0; i < kMaxLines; ++i) ResetLine(r.lines[i], i < count ? names[i] : L"");
        return true;
    });
}

DWORD DeviceControl_GetLineEquipmentState(DWORD deviceId) {
    Record r = Load();
    return deviceId < r.lineCount ? r.lines[deviceId].equipmentState : 0;
}

BOOL DeviceControl_GetLineRegistered(DWORD deviceId) {
    Record r = Load();
    return deviceId < r.lineCount && r.lines[deviceId].registered;
}

DWORD DeviceControl_GetLineRegistrations(DWORD deviceId) {
    Record r = Load();
    return deviceId < r.lineCount ? r.lines[deviceId].registrations : 0;
}

BOOL DeviceControl_SetSim(BOOL present, const wchar_t* pin) {
    if (pin && wcslen(pin) >= kMaxPin) return FALSE;
    return Update([&](Record& r) {
        r.simPresent = present ? 1 : 0;
        wmemset(r.simPin, 0, kMaxPin);
        if (pin) wcscpy(r.simPin, pin);
        r.simLockedState = r.simPin[0] ? SIM_LOCKEDSTATE_SIM_PIN : SIM_LOCKEDSTATE_READY;
        return true;
    });
}

DWORD DeviceControl_GetSimLockedState(void) { return Load().simLockedState; }
DWORD DeviceControl_GetSimUnlockAttempts(void) { return Load().simUnlockAttempts; }

BOOL DeviceControl_SetTrustLevel(DWORD trust) {
    return Update([&](Record& r) {
        r.trust = trust;
        return true;
    });
}

BOOL DeviceControl_SetPhoneStatus(DWORD status) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPhoneStateKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return FALSE;
    const LSTATUS written =
        RegSetValueExW(key, kPhoneStatusValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&status), sizeof status);
    RegCloseKey(key);
    return written == ERROR_SUCCESS;
}

BOOL DevicePhone_EnsureStatus(void) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPhoneStateKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return FALSE;
    DWORD status = 0;
    LSTATUS result = RegQueryValueExW(key, kPhoneStatusValue, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_FILE_NOT_FOUND)
        result = RegSetValueExW(key, kPhoneStatusValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&status),
                                sizeof status);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}
