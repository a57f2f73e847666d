#include "NotificationStore.h"
#include <cstring>
#include <cwchar>
#include "DeviceStateStore.h"

namespace {
const wchar_t kRecordName[] = L"notifications";
const uint32_t kFirstId = 0x100;

// Copies a caller's text into a fixed field; false when it does not fit.
bool CopyText(const wchar_t* text, wchar_t* field, size_t cch, uint32_t* present) {
    *present = text != nullptr;
    field[0] = 0;
    if (!text) return true;
    size_t n = wcsnlen(text, cch);
    if (n >= cch) return false;
    wmemcpy(field, text, n + 1);
    return true;
}

bool ValidTime(const SYSTEMTIME& st) {
    FILETIME ft;
    return SystemTimeToFileTime(&st, &ft) != FALSE;
}

std::unique_ptr<NotificationStore::Record> Empty() {
    std::unique_ptr<NotificationStore::Record> r(new NotificationStore::Record());
    r->nextId = kFirstId;
    return r;
}

template <size_t N>
bool Ended(const wchar_t (&field)[N]) {
    return wmemchr(field, 0, N) != nullptr;
}

// A stored record that breaks its own rules counts as damaged; every text is read up
// to its terminator, so each must end inside its field.
bool Consistent(const NotificationStore::Record& r) {
    if (r.count > NotificationStore::kCapacity || r.nextId < kFirstId) return false;
    for (uint32_t i = 0; i < r.count; ++i) {
        const NotificationStore::Entry& e = r.entries[i];
        if (e.id == 0 || e.id >= r.nextId) return false;
        if (!Ended(e.application) || !Ended(e.arguments) || !Ended(e.title) || !Ended(e.text) || !Ended(e.sound))
            return false;
    }
    return true;
}
}  // namespace

std::unique_ptr<NotificationStore::Record> NotificationStore::Load() {
    std::unique_ptr<Record> r(new Record());
    if (!DeviceStateStore::Current()->Read(kRecordName, r.get(), sizeof(Record)) || !Consistent(*r)) return Empty();
    return r;
}

bool NotificationStore::Update(const std::function<bool(Record&)>& change) {
    auto store = DeviceStateStore::Current();
    DeviceStateStore::Lock lock(*store);
    if (!lock.Held()) {
        SetLastError(ERROR_BUSY);
        return false;
    }
    std::unique_ptr<Record> r = Load();
    if (!change(*r)) return false;
    if (!store->Write(kRecordName, r.get(), sizeof(Record))) {
        SetLastError(ERROR_WRITE_FAULT);
        return false;
    }
    return true;
}

bool NotificationStore::FromTrigger(const CE_NOTIFICATION_TRIGGER& trigger, const CE_USER_NOTIFICATION* user,
                                    Entry* e) {
    memset(e, 0, sizeof *e);
    bool typeOk = trigger.dwType == CNT_EVENT || (trigger.dwType == CNT_TIME && ValidTime(trigger.stStartTime));
    bool runsSomething = (trigger.lpszApplication && *trigger.lpszApplication) || user;
    if (!typeOk || !runsSomething) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    e->type = trigger.dwType;
    e->event = trigger.dwType == CNT_EVENT ? trigger.dwEvent : 0;
    e->start = trigger.stStartTime;
    e->end = trigger.stEndTime;
    uint32_t title = 0, text = 0, sound = 0;
    // An empty application is none: such a notification only shows (and is kept when due).
    const wchar_t* application = trigger.lpszApplication && *trigger.lpszApplication ? trigger.lpszApplication : nullptr;
    bool fits = CopyText(application, e->application, kApplicationChars, &e->hasApplication) &&
                CopyText(trigger.lpszArguments, e->arguments, kArgumentsChars, &e->hasArguments);
    if (fits && user) {
        e->hasUser = 1;
        e->actionFlags = user->ActionFlags;
        e->maxSound = user->nMaxSound;
        fits = CopyText(user->pwszDialogTitle, e->title, kTitleChars, &title) &&
               CopyText(user->pwszDialogText, e->text, kTextChars, &text) &&
               CopyText(user->pwszSound, e->sound, kSoundChars, &sound);
        e->userFields = title | text << 1 | sound << 2;
    }
    if (!fits) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    return true;
}

int NotificationStore::Find(const Record& record, uint32_t id) {
    for (uint32_t i = 0; i < record.count && id; ++i)
        if (record.entries[i].id == id) return int(i);
    return -1;
}

void NotificationStore::RemoveAt(Record& r, uint32_t index) {
    if (index >= r.count) return;
    memmove(&r.entries[index], &r.entries[index + 1], (r.count - index - 1) * sizeof(Entry));
    --r.count;
    memset(&r.entries[r.count], 0, sizeof(Entry));
}
