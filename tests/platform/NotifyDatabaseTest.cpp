#include <gtest/gtest.h>
#include <cstring>
#include <utility>
#include "NotificationHelpers.h"
#include "TestSupport.h"
#include "windbase.h"

using notifytest::Handles;
using notifytest::LocalIn;
using notifytest::Set;
using notifytest::Trigger;

namespace {
const wchar_t kMine[] = L"\\Windows\\mine.exe";
const wchar_t kTheirs[] = L"\\Windows\\theirs.exe";

CEGUID ObjectStore() {
    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    return guid;
}

HANDLE OpenNotifyDatabase() {
    CEGUID guid = ObjectStore();
    CEOID oid = 0;
    return CeOpenDatabaseEx(&guid, &oid, NOTIFY_DATABASE_NAME, 0, 0, nullptr);
}

// Walks the database the way a cleaner does: every record's first property, deleting
// the records of `remove` on the way. Gives (record, application) in order.
std::vector<std::pair<CEOID, std::wstring>> Walk(HANDLE db, const wchar_t* remove) {
    std::vector<std::pair<CEOID, std::wstring>> seen;
    DWORD index = 0;
    BYTE* buffer = nullptr;
    DWORD size = 0;
    for (CEOID oid = CeSeekDatabase(db, CEDB_SEEK_BEGINNING, 0, &index); oid;
         oid = CeSeekDatabase(db, CEDB_SEEK_CURRENT, 1, &index)) {
        WORD count = 0;
        CEOID read = CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, nullptr, &buffer, &size, nullptr);
        EXPECT_EQ(oid, read);
        if (!read || count == 0) continue;
        const CEPROPVAL* first = reinterpret_cast<const CEPROPVAL*>(buffer);
        EXPECT_EQ(CEVT_LPWSTR, TypeFromPropID(first->propid));
        EXPECT_EQ(0, HIWORD(first->propid));
        seen.emplace_back(oid, first->val.lpwstr);
        if (remove && wcscmp(first->val.lpwstr, remove) == 0) {
            EXPECT_TRUE(CeDeleteRecord(db, oid));
        }
    }
    if (buffer) LocalFree(buffer);
    return seen;
}
}  // namespace

class NotifyDatabase : public testsupport::FreshDeviceTest {};

TEST_F(NotifyDatabase, RecordsFollowTheNotificationsAndDeletingOneClearsIt) {
    HANDLE a = Set(Trigger::Time(kMine, L"AppRunAtTime", LocalIn(600)));
    HANDLE b = Set(Trigger::Event(NOTIFICATION_EVENT_TIME_CHANGE, kTheirs, L"x"));
    HANDLE c = Set(Trigger::Event(NOTIFICATION_EVENT_TZ_CHANGE, kMine, L"AppRunAfterTzChange"));
    HANDLE d = Set(Trigger::Time(kMine, L"AppRunAtTime", LocalIn(900)));
    ASSERT_TRUE(a && b && c && d);
    ASSERT_TRUE(CeClearUserNotification(d));  // a cleared notification has no record

    HANDLE db = OpenNotifyDatabase();
    ASSERT_NE(INVALID_HANDLE_VALUE, db);
    using Seen = std::vector<std::pair<CEOID, std::wstring>>;
    auto oid = [](HANDLE h) { return CEOID(reinterpret_cast<UINT_PTR>(h)); };
    // Deleting while walking still visits every record once.
    EXPECT_EQ((Seen{{oid(a), kMine}, {oid(b), kTheirs}, {oid(c), kMine}}), Walk(db, kMine));
    EXPECT_EQ(std::vector<HANDLE>{b}, Handles());
    EXPECT_EQ((Seen{{oid(b), kTheirs}}), Walk(db, nullptr));
    EXPECT_FALSE(CeDeleteRecord(db, oid(a)));
    EXPECT_TRUE(CloseHandle(db));

    // A notification set later is a record at once.
    HANDLE e = Set(Trigger::Time(kTheirs, L"y", LocalIn(600)));
    db = OpenNotifyDatabase();
    ASSERT_NE(INVALID_HANDLE_VALUE, db);
    EXPECT_EQ((Seen{{oid(b), kTheirs}, {oid(e), kTheirs}}), Walk(db, nullptr));
    EXPECT_EQ(oid(e), CeSeekDatabase(db, CEDB_SEEK_END, 0, nullptr));
    EXPECT_EQ(0u, CeSeekDatabase(db, CEDB_SEEK_CURRENT, 1, nullptr));
    EXPECT_EQ(DWORD(ERROR_SEEK), GetLastError());
    CloseHandle(db);
}

TEST_F(NotifyDatabase, ReadsGrowTheBufferOnlyWhenAllowed) {
    ASSERT_NE(nullptr, Set(Trigger::Event(NOTIFICATION_EVENT_TIME_CHANGE, kMine, L"AppRunAfterTimeChange")));
    HANDLE db = OpenNotifyDatabase();
    ASSERT_NE(INVALID_HANDLE_VALUE, db);
    ASSERT_NE(0u, CeSeekDatabase(db, CEDB_SEEK_BEGINNING, 0, nullptr));

    DWORD size = 4;
    BYTE* buffer = static_cast<BYTE*>(LocalAlloc(LMEM_FIXED, size));
    WORD count = 0;
    EXPECT_EQ(0u, CeReadRecordPropsEx(db, 0, &count, nullptr, &buffer, &size, nullptr));
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_GT(size, 4u);  // the size it needs

    size = 4;
    ASSERT_NE(0u, CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, nullptr, &buffer, &size, nullptr));
    EXPECT_GE(LocalSize(buffer), size);
    ASSERT_GE(count, 2);
    const CEPROPVAL* props = reinterpret_cast<const CEPROPVAL*>(buffer);
    EXPECT_STREQ(kMine, props[0].val.lpwstr);
    EXPECT_EQ(CEVT_LPWSTR, TypeFromPropID(props[1].propid));
    EXPECT_STREQ(L"AppRunAfterTimeChange", props[1].val.lpwstr);
    LocalFree(buffer);
    CloseHandle(db);
}

TEST_F(NotifyDatabase, ObjectStoreListsTheNotificationDatabase) {
    CEGUID volume;
    CREATE_INVALIDGUID(&volume);
    wchar_t name[64];
    ASSERT_TRUE(CeEnumDBVolumes(&volume, name, 64));
    CEGUID store = ObjectStore();
    EXPECT_EQ(0, memcmp(&store, &volume, sizeof store));
    EXPECT_FALSE(CeEnumDBVolumes(&volume, name, 64));
    EXPECT_EQ(DWORD(ERROR_NO_MORE_ITEMS), GetLastError());

    HANDLE search = CeFindFirstDatabaseEx(&store, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    CEOID oid = CeFindNextDatabaseEx(search, &store);
    ASSERT_NE(0u, oid);
    CEOIDINFO info;
    ASSERT_TRUE(CeOidGetInfoEx(&store, oid, &info));
    EXPECT_EQ(OBJTYPE_DATABASE, info.wObjType);
    EXPECT_STREQ(NOTIFY_DATABASE_NAME, info.infDatabase.szDbaseName);
    EXPECT_EQ(0u, CeFindNextDatabaseEx(search, &store));
    EXPECT_EQ(DWORD(ERROR_NO_MORE_ITEMS), GetLastError());
    EXPECT_TRUE(CloseHandle(search));
    EXPECT_TRUE(CeFlushDBVol(&store));

    // Opening by the id found is the same database.
    CEOID byId = oid;
    HANDLE db = CeOpenDatabaseEx(&store, &byId, nullptr, 0, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, db);
    CloseHandle(db);
}

TEST_F(NotifyDatabase, BadHandlesAndNamesFailCleanly) {
    CEGUID store = ObjectStore();
    CEGUID other;
    CREATE_INVALIDGUID(&other);
    CEOID oid = 0;
    EXPECT_EQ(INVALID_HANDLE_VALUE, CeOpenDatabaseEx(&store, &oid, L"DB_other", 0, 0, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, CeOpenDatabaseEx(&other, &oid, NOTIFY_DATABASE_NAME, 0, 0, nullptr));
    EXPECT_FALSE(CeFlushDBVol(&other));
    EXPECT_FALSE(CeOidGetInfoEx(&store, 12345, nullptr));

    // Handles of another kind, or of nothing at all.
    ScopedHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    HANDLE search = CeFindFirstDatabaseEx(&store, 0);
    HANDLE bad[] = {event.Get(), search, INVALID_HANDLE_VALUE, nullptr};
    for (HANDLE h : bad) {
        EXPECT_EQ(0u, CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr));
        EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
        EXPECT_FALSE(CeDeleteRecord(h, 0x100));
    }
    HANDLE db = OpenNotifyDatabase();
    EXPECT_EQ(0u, CeFindNextDatabaseEx(db, &store));
    // An empty database has no record to seek or read.
    EXPECT_EQ(0u, CeSeekDatabase(db, CEDB_SEEK_BEGINNING, 0, nullptr));
    WORD count = 0;
    BYTE* buffer = nullptr;
    DWORD size = 0;
    EXPECT_EQ(0u, CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, nullptr, &buffer, &size, nullptr));
    EXPECT_EQ(nullptr, buffer);
    CloseHandle(search);
    CloseHandle(db);
}
