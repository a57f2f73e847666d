// The notification database of the object store: a view of the notification record,
// one database record per notification in list order, CEOID = notification handle.
#include <cstring>
#include <cwchar>
#include <vector>
#include "DatabaseHandle.h"
#include "DeviceControl.h"
#include "DeviceStateStore.h"
#include "NotificationStore.h"
#include "notify.h"
#include "windbase.h"

namespace {
using Record = NotificationStore::Record;
using Entry = NotificationStore::Entry;

const CEOID kDatabaseOid = 0xFFFFFF01;  // above every notification handle
const DWORD kDatabaseType = 0;
const wchar_t kVolumeName[] = L"Object Store";
const WORD kPropNotFound = 0x0100;
const wchar_t kFlushRecordName[] = L"volumeflushes";

// Properties of a record, in this order; the first is the application.
enum PropertyId : WORD { kApplication, kArguments, kTriggerType, kEvent, kStartTime, kStatus, kPropertyCount };
const WORD kPropertyTypes[kPropertyCount] = {CEVT_LPWSTR, CEVT_LPWSTR, CEVT_UI4, CEVT_UI4, CEVT_FILETIME, CEVT_UI4};

bool IsObjectStore(const CEGUID* guid) {
    if (!guid) return false;
    const BYTE* b = reinterpret_cast<const BYTE*>(guid);
    for (size_t i = 0; i < sizeof(CEGUID); ++i)
        if (b[i] != 0xFF) return false;
    return true;
}

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

int IndexOf(const Record& r, CEOID oid) { return NotificationStore::Find(r, oid); }

// Records before the one with `oid`, whether or not it still exists (ids grow with the list).
int RecordsBefore(const Record& r, CEOID oid) {
    int n = 0;
    while (n < int(r.count) && r.entries[n].id < oid) ++n;
    return n;
}

// Index the seek lands on, or -1.
int SeekTarget(const Record& r, CEOID current, DWORD type, DWORD value) {
    LONG delta = LONG(value);
    switch (type) {
    case CEDB_SEEK_CEOID: return IndexOf(r, value);
    case CEDB_SEEK_BEGINNING: return int(value);
    case CEDB_SEEK_END: return int(r.count) - 1 + delta;
    case CEDB_SEEK_CURRENT: {
        if (!current) return -1;
        int at = IndexOf(r, current);
        if (at >= 0) return at + delta;
        // The current record is gone: its place lies between its neighbours.
        if (delta == 0) return -1;
        int before = RecordsBefore(r, current);
        return delta > 0 ? before + delta - 1 : before + delta;
    }
    default: return -1;
    }
}

void FileTimeOf(const SYSTEMTIME& st, FILETIME* ft) {
    if (!SystemTimeToFileTime(&st, ft)) *ft = FILETIME{};
}

// Lays the chosen properties of an entry out as CEPROPVALs followed by their strings.
class PropsWriter {
public:
    PropsWriter(const Entry& e, const std::vector<CEPROPID>& wanted) : e_(e), wanted_(wanted) {
        size_ = wanted.size() * sizeof(CEPROPVAL);
        for (CEPROPID id : wanted_)
            if (const wchar_t* t = Text(HIWORD(id))) size_ += (wcslen(t) + 1) * sizeof(wchar_t);
    }
    DWORD Size() const { return DWORD(size_); }

    void Write(BYTE* buffer) const {
        memset(buffer, 0, size_);
        auto* props = reinterpret_cast<CEPROPVAL*>(buffer);
        size_t at = wanted_.size() * sizeof(CEPROPVAL);
        for (size_t i = 0; i < wanted_.size(); ++i) {
            WORD id = HIWORD(wanted_[i]);
            CEPROPVAL& p = props[i];
            if (id >= kPropertyCount) {
                p.propid = wanted_[i];
                p.wFlags = kPropNotFound;
                continue;
            }
            p.propid = PROPID_OF(id, kPropertyTypes[id]);
            if (const wchar_t* t = Text(id)) {
                size_t bytes = (wcslen(t) + 1) * sizeof(wchar_t);
                memcpy(buffer + at, t, bytes);
                p.val.lpwstr = reinterpret_cast<LPWSTR>(buffer + at);
                at += bytes;
            } else if (id == kStartTime) {
                FileTimeOf(e_.start, &p.val.filetime);
            } else {
                p.val.ulVal = id == kTriggerType ? e_.type : id == kEvent ? e_.event : e_.status;
            }
        }
    }

private:
    // A missing application or argument text reads as empty.
    const wchar_t* Text(WORD id) const {
        if (id == kApplication) return e_.application;
        if (id == kArguments) return e_.arguments;
        return nullptr;
    }
    const Entry& e_;
    const std::vector<CEPROPID>& wanted_;
    size_t size_;
};

// Makes *buffer hold `needed` bytes, growing it when the caller allows.
bool Room(DWORD flags, HANDLE heap, LPBYTE* buffer, LPDWORD size, DWORD needed) {
    if (*buffer && *size >= needed) return true;
    if (!(flags & CEDB_ALLOWREALLOC)) {
        *size = needed;
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    void* grown;
    if (heap)
        grown = *buffer ? HeapReAlloc(heap, 0, *buffer, needed) : HeapAlloc(heap, 0, needed);
    else
        grown = *buffer ? LocalReAlloc(*buffer, needed, LMEM_MOVEABLE) : LocalAlloc(LMEM_FIXED, needed);
    if (!grown) return Fail(ERROR_OUTOFMEMORY);
    *buffer = static_cast<LPBYTE>(grown);
    *size = needed;
    return true;
}
}  // namespace

HANDLE CeOpenDatabaseEx(PCEGUID pguid, PCEOID poid, LPCWSTR lpszName, CEPROPID, DWORD, CENOTIFYREQUEST*) {
    bool named = lpszName && lstrcmpiW(lpszName, NOTIFY_DATABASE_NAME) == 0;
    bool byOid = !lpszName && poid && *poid == kDatabaseOid;
    if (!IsObjectStore(pguid) || !(named || byOid)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = DatabaseHandle::Create(DatabaseHandle::kDatabase, 0);
    if (!h) return INVALID_HANDLE_VALUE;
    if (poid) *poid = kDatabaseOid;
    return h;
}

CEOID CeSeekDatabase(HANDLE hDatabase, DWORD dwSeekType, DWORD dwValue, LPDWORD lpdwIndex) {
    DatabaseHandle::Cursor cursor;
    if (!DatabaseHandle::Read(hDatabase, DatabaseHandle::kDatabase, &cursor)) return 0;
    auto r = NotificationStore::Load();
    int target = SeekTarget(*r, cursor.current, dwSeekType, dwValue);
    if (target < 0 || target >= int(r->count)) {
        SetLastError(ERROR_SEEK);
        return 0;
    }
    cursor.current = r->entries[target].id;
    if (!DatabaseHandle::Write(hDatabase, cursor)) return 0;
    if (lpdwIndex) *lpdwIndex = DWORD(target);
    return cursor.current;
}

CEOID CeReadRecordPropsEx(HANDLE hDatabase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID* rgPropID,
                          LPBYTE* lplpBuffer, LPDWORD lpcbBuffer, HANDLE hHeap) {
    DatabaseHandle::Cursor cursor;
    if (!DatabaseHandle::Read(hDatabase, DatabaseHandle::kDatabase, &cursor)) return 0;
    if (!lpcPropID || !lplpBuffer || !lpcbBuffer || (rgPropID && *lpcPropID == 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto r = NotificationStore::Load();
    int at = IndexOf(*r, cursor.current);
    if (at < 0) {
        SetLastError(ERROR_NO_DATA);
        return 0;
    }
    std::vector<CEPROPID> wanted;
    if (rgPropID)
        wanted.assign(rgPropID, rgPropID + *lpcPropID);
    else
        for (WORD id = 0; id < kPropertyCount; ++id) wanted.push_back(PROPID_OF(id, kPropertyTypes[id]));
    PropsWriter writer(r->entries[at], wanted);
    if (!Room(dwFlags, hHeap, lplpBuffer, lpcbBuffer, writer.Size())) return 0;
    writer.Write(*lplpBuffer);
    *lpcPropID = WORD(wanted.size());
    return cursor.current;
}

BOOL CeDeleteRecord(HANDLE hDatabase, CEOID oidRecord) {
    DatabaseHandle::Cursor cursor;
    if (!DatabaseHandle::Read(hDatabase, DatabaseHandle::kDatabase, &cursor)) return FALSE;
    if (!oidRecord || !CeClearUserNotification(reinterpret_cast<HANDLE>(UINT_PTR(oidRecord)))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

BOOL CeFlushDBVol(PCEGUID pguid) {
    if (!IsObjectStore(pguid)) return Fail(ERROR_INVALID_PARAMETER);
    // Every change was written through when it was made; only counted, for tests.
    DeviceStateStore::Current()->Update(kFlushRecordName, DWORD(0), [](DWORD& flushes) {
        ++flushes;
        return true;
    });
    return TRUE;
}

DWORD DeviceControl_GetVolumeFlushes(void) {
    DWORD flushes = 0;
    DeviceStateStore::Current()->Read(kFlushRecordName, &flushes, sizeof flushes);
    return flushes;
}

BOOL CeEnumDBVolumes(PCEGUID pguid, LPWSTR lpBuf, DWORD dwNumChars) {
    if (!pguid) return Fail(ERROR_INVALID_PARAMETER);
    if (IsObjectStore(pguid)) return Fail(ERROR_NO_MORE_ITEMS);
    size_t n = wcslen(kVolumeName);
    if (lpBuf) {
        if (dwNumChars < n + 1) return Fail(ERROR_INSUFFICIENT_BUFFER);
        wmemcpy(lpBuf, kVolumeName, n + 1);
    }
    CREATE_SYSTEMGUID(pguid);
    return TRUE;
}

HANDLE CeFindFirstDatabaseEx(PCEGUID pguid, DWORD dwDbaseType) {
    if (!IsObjectStore(pguid)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = DatabaseHandle::Create(DatabaseHandle::kSearch, dwDbaseType);
    return h ? h : INVALID_HANDLE_VALUE;
}

CEOID CeFindNextDatabaseEx(HANDLE hEnum, PCEGUID) {
    DatabaseHandle::Cursor cursor;
    if (!DatabaseHandle::Read(hEnum, DatabaseHandle::kSearch, &cursor)) return 0;
    if (cursor.current > 0 || (cursor.filter != 0 && cursor.filter != kDatabaseType)) {
        SetLastError(ERROR_NO_MORE_ITEMS);
        return 0;
    }
    cursor.current = 1;
    return DatabaseHandle::Write(hEnum, cursor) ? kDatabaseOid : 0;
}

BOOL CeOidGetInfoEx(PCEGUID pguid, CEOID oid, CEOIDINFO* oidInfo) {
    if (!IsObjectStore(pguid) || !oidInfo) return Fail(ERROR_INVALID_PARAMETER);
    auto r = NotificationStore::Load();
    memset(oidInfo, 0, sizeof *oidInfo);
    if (oid == kDatabaseOid) {
        oidInfo->wObjType = OBJTYPE_DATABASE;
        wcscpy(oidInfo->infDatabase.szDbaseName, NOTIFY_DATABASE_NAME);
        oidInfo->infDatabase.dwDbaseType = kDatabaseType;
        oidInfo->infDatabase.wNumRecords = WORD(r->count);
        return TRUE;
    }
    if (IndexOf(*r, oid) >= 0) {
        oidInfo->wObjType = OBJTYPE_RECORD;
        oidInfo->infRecord.oidParent = kDatabaseOid;
        return TRUE;
    }
    return Fail(ERROR_INVALID_PARAMETER);
}
