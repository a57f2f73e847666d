#include "NotifyDatabase.h"

#include "windbase.h"

#include <cstring>

namespace {

// A kernel handle of a database or search, closed at scope end.
class DatabaseHandle {
public:
    explicit DatabaseHandle(HANDLE handle) : handle_(handle) {}
    ~DatabaseHandle() {
        if (IsOpen()) CloseHandle(handle_);
    }
    DatabaseHandle(const DatabaseHandle&) = delete;
    DatabaseHandle& operator=(const DatabaseHandle&) = delete;
    bool IsOpen() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// The record buffer that CeReadRecordPropsEx grows with LocalReAlloc.
class RecordBuffer {
public:
    ~RecordBuffer() {
        if (data_) LocalFree(data_);
    }
    LPBYTE* Address() { return &data_; }
    DWORD* Size() { return &size_; }
    const CEPROPVAL* First() const { return reinterpret_cast<const CEPROPVAL*>(data_); }

private:
    LPBYTE data_ = nullptr;
    DWORD size_ = 0;
};

bool FirstPropertyIs(const RecordBuffer& buffer, WORD count, const wchar_t* text) {
    if (count == 0 || !buffer.First()) return false;
    const CEPROPVAL& first = *buffer.First();
    return first.propid == PROPID_OF(0, CEVT_LPWSTR) && first.val.lpwstr && wcscmp(first.val.lpwstr, text) == 0;
}

}  // namespace

void NotifyDatabase::DeleteRecordsOf(const wchar_t* launcher) {
    if (!launcher) return;
    CEGUID store;
    CREATE_SYSTEMGUID(&store);
    CEOID oid = 0;
    DatabaseHandle database(CeOpenDatabaseEx(&store, &oid, kName, 0, 0, nullptr));
    if (!database.IsOpen()) return;
    RecordBuffer buffer;
    DWORD index = 0;
    CEOID record = CeSeekDatabase(database.Get(), CEDB_SEEK_BEGINNING, 0, &index);
    while (record) {
        WORD count = 0;
        CEOID read = CeReadRecordPropsEx(database.Get(), CEDB_ALLOWREALLOC, &count, nullptr, buffer.Address(),
                                         buffer.Size(), nullptr);
        // A deleted record keeps its place for the seek, so the next step lands on its successor.
        if (read && FirstPropertyIs(buffer, count, launcher)) CeDeleteRecord(database.Get(), read);
        record = CeSeekDatabase(database.Get(), CEDB_SEEK_CURRENT, 1, &index);
    }
    CeFlushDBVol(&store);
}

bool NotifyDatabase::FlushVolume() {
    CEGUID volume;
    CREATE_INVALIDGUID(&volume);
    wchar_t volumeName[MAX_PATH];
    while (CeEnumDBVolumes(&volume, volumeName, MAX_PATH)) {
        DatabaseHandle search(CeFindFirstDatabaseEx(&volume, 0));
        if (!search.IsOpen()) continue;
        while (CEOID oid = CeFindNextDatabaseEx(search.Get(), &volume)) {
            CEOIDINFO info = {};
            if (!CeOidGetInfoEx(&volume, oid, &info) || info.wObjType != OBJTYPE_DATABASE) continue;
            if (wcscmp(info.infDatabase.szDbaseName, kName) != 0) continue;
            CeFlushDBVol(&volume);
            return true;
        }
    }
    return false;
}
