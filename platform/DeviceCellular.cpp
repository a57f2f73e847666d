#include "DeviceCellular.h"

#include "DeviceRecord.h"

#include <cstdint>
#include <cwchar>
#include <map>
#include <mutex>

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

// The handles this process holds: line applications, their open lines (with the line
// device each one is) and SIM sessions.
struct Handles {
    std::mutex lock;
    uintptr_t last = 0;
    std::map<uintptr_t, bool> apps;
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

LONG lineInitialize(HLINEAPP* lineApp, HINSTANCE, LINECALLBACK, LPCWSTR, LPDWORD numDevs) {
    if (!lineApp || !numDevs) return Result(LINEERR_INVALPARAM);
    *numDevs = Load().lineCount;
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    uintptr_t app = h.Next();
    h.apps[app] = true;
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

LONG lineOpen(HLINEAPP lineApp, DWORD deviceId, HLINE* line, DWORD apiVersion, DWORD, DWORD_PTR, DWORD, DWORD,
              const void*) {
    if (!line) return Result(LINEERR_INVALPARAM);
    if (apiVersion != TAPI_API_VERSION_2_0) return Result(LINEERR_INCOMPATIBLEAPIVERSION);
    if (deviceId >= Load().lineCount) return Result(LINEERR_BADDEVICEID);
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    if (!h.apps.count(Key(lineApp))) return Result(LINEERR_INVALAPPHANDLE);
    uintptr_t opened = h.Next();
    h.lines[opened] = {Key(lineApp), deviceId};
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

LONG lineGetEquipmentState(HLINE line, LPDWORD state, LPDWORD radioSupport) {
    DWORD device = 0;
    if (!LineDevice(line, &device)) return Result(LINEERR_INVALLINEHANDLE);
    if (!state || !radioSupport) return Result(LINEERR_INVALPARAM);
    const Record record = Load();
    if (device >= record.lineCount) return Result(LINEERR_OPERATIONFAILED);
    *state = record.lines[device].equipmentState;
    *radioSupport = 0x10000;
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
    std::lock_guard<std::mutex> guard(h.lock);
    return h.lines.erase(Key(line)) ? 0 : Result(LINEERR_INVALLINEHANDLE);
}

LONG lineShutdown(HLINEAPP lineApp) {
    Handles& h = Held();
    std::lock_guard<std::mutex> guard(h.lock);
    if (!h.apps.erase(Key(lineApp))) return Result(LINEERR_INVALAPPHANDLE);
    for (auto line = h.lines.begin(); line != h.lines.end();)
        line = line->second.first == Key(lineApp) ? h.lines.erase(line) : std::next(line);
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

namespace {
const wchar_t kPhoneStateKey[] = L"System\\State\\Phone";
const wchar_t kPhoneStatusValue[] = L"Status";
}  // namespace

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
