#pragma once
// The device's notifications as one fixed-size record of the device state store: the
// entries in list order (oldest first, an update in place keeps its place), the next
// handle to give out and how many programs the service started. Every change is one
// locked read-modify-write, so all processes of the device see the same list.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <memory>
#include "notify.h"

class NotificationStore {
public:
    static const uint32_t kCapacity = 64;
    // Handles stay below this; the database view numbers itself above it.
    static const uint32_t kLastId = 0xFFFF0000;
    static const uint32_t kApplicationChars = MAX_PATH;
    static const uint32_t kArgumentsChars = MAX_PATH;
    static const uint32_t kTitleChars = 80;
    static const uint32_t kTextChars = 256;
    static const uint32_t kSoundChars = MAX_PATH;

    struct Entry {
        uint32_t id;             // the handle; never 0
        uint32_t status;         // 0 pending, 1 fired
        uint32_t type;           // CNT_*
        uint32_t event;          // NOTIFICATION_EVENT_*
        SYSTEMTIME start;
        SYSTEMTIME end;
        uint32_t seenChanges;    // event entries: the clock's change count already answered
        uint32_t hasApplication;
        uint32_t hasArguments;
        uint32_t hasUser;        // the user-notification fields below are set
        uint32_t actionFlags;
        uint32_t maxSound;
        uint32_t userFields;     // bit 0 title, 1 text, 2 sound present
        uint32_t reserved;
        wchar_t application[kApplicationChars];
        wchar_t arguments[kArgumentsChars];
        wchar_t title[kTitleChars];
        wchar_t text[kTextChars];
        wchar_t sound[kSoundChars];
    };
    static_assert(sizeof(SYSTEMTIME) == 16, "times are stored");
    static_assert(sizeof(Entry) == 80 + 2 * (kApplicationChars + kArgumentsChars + kTitleChars + kTextChars + kSoundChars),
                  "notification entry is stored");

    struct Record {
        uint32_t nextId;
        uint32_t count;          // entries in use, at the front
        uint32_t starts;         // programs the service started
        uint32_t reserved;
        Entry entries[kCapacity];
    };
    static_assert(sizeof(Record) == 16 + kCapacity * sizeof(Entry), "notification record is stored");

    // The record as stored, or an empty list when it is missing or damaged.
    static std::unique_ptr<Record> Load();
    // Locked read-modify-write; `change` returns false to leave the record unchanged
    // (then Update returns false with the error `change` left).
    static bool Update(const std::function<bool(Record&)>& change);

    // Fills an entry from a caller's trigger and user notification; false (with the
    // error set) when they are not acceptable.
    static bool FromTrigger(const CE_NOTIFICATION_TRIGGER& trigger, const CE_USER_NOTIFICATION* user, Entry* entry);
    // Index of the entry with this handle, or -1.
    static int Find(const Record& record, uint32_t id);
    // Removes the entry at `index`, keeping the order of the others.
    static void RemoveAt(Record& record, uint32_t index);
};
