#pragma once
// The device's object-store databases, as far as the device holds any: one volume (the
// object store) with one database, "DB_notify_events", whose records are the device's
// notifications, one per notification in the order of CeGetUserNotificationHandles.
// Deleting a record removes its notification. Database and search handles are kernel
// handles: close them with CloseHandle.
#include <windows.h>

typedef DWORD CEOID;
typedef CEOID* PCEOID;
typedef DWORD CEPROPID;
typedef CEPROPID* PCEPROPID;

// Volume id. The object store's is all 0xFF bytes; an all-zero id starts CeEnumDBVolumes.
typedef struct CeGuid {
    DWORD Data1;
    DWORD Data2;
    DWORD Data3;
    DWORD Data4;
} CEGUID, *PCEGUID;

#define CREATE_SYSTEMGUID(pguid) (memset((pguid), 0xFF, sizeof(CEGUID)))
#define CREATE_INVALIDGUID(pguid) (memset((pguid), 0, sizeof(CEGUID)))

#define CEDB_MAXDBASENAMELEN 32
#define NOTIFY_DATABASE_NAME L"DB_notify_events"

// Property types (low word of a CEPROPID; the high word is the property's id).
#define CEVT_I2 2
#define CEVT_I4 3
#define CEVT_R8 5
#define CEVT_BOOL 11
#define CEVT_UI2 18
#define CEVT_UI4 19
#define CEVT_LPWSTR 31
#define CEVT_FILETIME 64
#define CEVT_BLOB 65
#define TypeFromPropID(propid) LOWORD(propid)
#define PROPID_OF(id, type) ((CEPROPID)(((DWORD)(id) << 16) | (WORD)(type)))

// Object types of CeOidGetInfoEx.
#define OBJTYPE_INVALID 0
#define OBJTYPE_FILE 1
#define OBJTYPE_DIRECTORY 2
#define OBJTYPE_DATABASE 3
#define OBJTYPE_RECORD 4

// CeSeekDatabase.
#define CEDB_SEEK_CEOID 0x00000001      // dwValue is a record's CEOID
#define CEDB_SEEK_BEGINNING 0x00000002  // dwValue records from the first
#define CEDB_SEEK_END 0x00000004        // dwValue (as a negative LONG) records back from the last
#define CEDB_SEEK_CURRENT 0x00000008    // dwValue (as a LONG) records from the current one

// CeReadRecordPropsEx: grow the caller's buffer with LocalReAlloc (LocalAlloc when null).
#define CEDB_ALLOWREALLOC 0x00000001

typedef struct CeBlob {
    DWORD dwCount;
    LPBYTE lpb;
} CEBLOB;

typedef union CeValUnion {
    short iVal;
    USHORT uiVal;
    long lVal;
    ULONG ulVal;
    FILETIME filetime;
    LPWSTR lpwstr;
    CEBLOB blob;
    BOOL boolVal;
    double dblVal;
} CEVALUNION;

typedef struct CePropVal {
    CEPROPID propid;  // type in the low word, id in the high word
    WORD wLenData;
    WORD wFlags;
    CEVALUNION val;
} CEPROPVAL, *PCEPROPVAL;

typedef struct CeDbaseInfo {
    DWORD dwFlags;
    WCHAR szDbaseName[CEDB_MAXDBASENAMELEN];
    DWORD dwDbaseType;
    WORD wNumRecords;
    WORD wNumSortOrder;
    DWORD dwSize;
    FILETIME ftLastModified;
} CEDBASEINFO;

typedef struct CeRecordInfo {
    CEOID oidParent;
} CERECORDINFO;

typedef struct CeOidInfo {
    WORD wObjType;  // OBJTYPE_*
    WORD wPad;
    union {
        CEDBASEINFO infDatabase;
        CERECORDINFO infRecord;
    };
} CEOIDINFO;

// Change notifications of a database are not sent; the parameter is accepted and ignored.
typedef struct CeNotifyRequest {
    DWORD dwSize;
    HWND hwnd;
    DWORD dwFlags;
    HANDLE hHeap;
    DWORD dwParam;
} CENOTIFYREQUEST;

#ifdef __cplusplus
extern "C" {
#endif

// Opens a database of the object store by name (or, with a null name, by *poid, which
// it also fills in). INVALID_HANDLE_VALUE on failure.
HANDLE CeOpenDatabaseEx(PCEGUID pguid, PCEOID poid, LPCWSTR lpszName, CEPROPID propid, DWORD dwFlags,
                        CENOTIFYREQUEST* pRequest);
// Moves the database's current record; its CEOID, or 0 (ERROR_SEEK) when there is none.
// *lpdwIndex (may be null) gets the record's index.
CEOID CeSeekDatabase(HANDLE hDatabase, DWORD dwSeekType, DWORD dwValue, LPDWORD lpdwIndex);
// Reads the current record's properties (all of them when rgPropID is null) into
// *lplpBuffer: CEPROPVALs, then their strings. The record's CEOID, or 0.
CEOID CeReadRecordPropsEx(HANDLE hDatabase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID* rgPropID,
                          LPBYTE* lplpBuffer, LPDWORD lpcbBuffer, HANDLE hHeap);
// Deletes a record, and so its notification.
BOOL CeDeleteRecord(HANDLE hDatabase, CEOID oidRecord);
// The store is written through; flushing a known volume succeeds.
BOOL CeFlushDBVol(PCEGUID pguid);
// The mounted volume after *pguid (the object store after an all-zero id); FALSE with
// ERROR_NO_MORE_ITEMS after the last.
BOOL CeEnumDBVolumes(PCEGUID pguid, LPWSTR lpBuf, DWORD dwNumChars);
// A search over the volume's databases (dwDbaseType 0: all); INVALID_HANDLE_VALUE on failure.
HANDLE CeFindFirstDatabaseEx(PCEGUID pguid, DWORD dwDbaseType);
// The next database's CEOID, 0 (ERROR_NO_MORE_ITEMS) after the last.
CEOID CeFindNextDatabaseEx(HANDLE hEnum, PCEGUID pguid);
// Describes a database or a record of the volume.
BOOL CeOidGetInfoEx(PCEGUID pguid, CEOID oid, CEOIDINFO* oidInfo);

#ifdef __cplusplus
}
#endif
