#pragma once
// The system's notification database ("DB_notify_events"), whose records shadow the
// notifications: the program deletes its own records and flushes the volume.
#include <windows.h>

class NotifyDatabase {
public:
    static constexpr wchar_t kName[] = L"DB_notify_events";

    // Deletes every record whose first property is the text launcher (case-sensitive),
    // then flushes the object store. A database that cannot be opened is skipped.
    static void DeleteRecordsOf(const wchar_t* launcher);
    // Finds the database on a mounted volume and flushes that volume; false when none has it.
    static bool FlushVolume();
};
