#include "DeviceStateStore.h"
#include "DeviceFiles.h"
#include "DeviceSession.h"
#include <cstdint>
#include <mutex>
#include <vector>

namespace {
const wchar_t kStoreFolder[] = L"\\.device";
const wchar_t kRecordSuffix[] = L".state";
const wchar_t kMutexPurpose[] = L"StateLock";
const wchar_t kSequencePurpose[] = L"StateSequence";
const int kReplaceAttempts = 50;
const DWORD kReplaceRetryMs = 5;
const DWORD kLockTimeoutMs = 10000;
const uint32_t kRecordMagic = 0x5344564F;  // "OVDS"

// Every record file starts with this header; the payload follows.
struct RecordHeader {
    uint32_t magic;
    uint32_t size;
    uint32_t checksum;
    uint32_t reserved;
};
static_assert(sizeof(RecordHeader) == 16, "record header is stored on disk");

uint32_t Checksum(const void* data, DWORD size) {
    uint32_t h = 2166136261u;
    const BYTE* p = static_cast<const BYTE*>(data);
    for (DWORD i = 0; i < size; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}

// The whole file, when it is `length` bytes long.
bool ReadWhole(const std::wstring& path, size_t length, std::vector<BYTE>* bytes) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart != LONGLONG(length)) return false;
    bytes->resize(length);
    DWORD got = 0;
    return ::ReadFile(file.Get(), bytes->data(), static_cast<DWORD>(length), &got, nullptr) && got == length;
}

uint64_t Hash64(const std::wstring& text) {
    uint64_t h = 14695981039346656037ull;
    for (wchar_t c : text) h = (h ^ static_cast<uint16_t>(c)) * 1099511628211ull;
    return h;
}

std::wstring HexOf(uint64_t value) {
    wchar_t text[17];
    for (int i = 15; i >= 0; --i, value >>= 4) text[i] = L"0123456789ABCDEF"[value & 15];
    text[16] = 0;
    return text;
}

// One identity per device root, however the path was spelled.
std::wstring CanonicalRoot(const wchar_t* root) {
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(root, MAX_PATH, full, nullptr);
    std::wstring path = (n > 0 && n < MAX_PATH) ? full : root;
    if (!path.empty()) CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    return path;
}
}  // namespace

DeviceStateStore::DeviceStateStore() {
    wchar_t root[MAX_PATH];
    if (!Device_GetRoot(root, MAX_PATH)) return;
    folder_ = std::wstring(root) + kStoreFolder;
    CreateDirectoryW(folder_.c_str(), nullptr);
    // Named objects may not contain backslashes, so the root is named by its hash.
    objectPrefix_ = L"Local\\Orvalen.Device." + HexOf(Hash64(CanonicalRoot(root))) + L".";
    mutex_.Reset(CreateMutexW(nullptr, FALSE, ObjectName(kMutexPurpose).c_str()));
    // Lives as long as any process of the device has it open; a new one starts at 0,
    // when no process is left holding a cached record.
    sequenceSection_.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG64),
                                              ObjectName(kSequencePurpose).c_str()));
    if (sequenceSection_)
        sequence_ = static_cast<volatile LONG64*>(
            MapViewOfFile(sequenceSection_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG64)));
}

DeviceStateStore::~DeviceStateStore() {
    if (sequence_) UnmapViewOfFile(const_cast<LONG64*>(sequence_));
}

LONG64 DeviceStateStore::Sequence() const {
    return InterlockedCompareExchange64(const_cast<LONG64*>(sequence_), 0, 0);
}

std::shared_ptr<DeviceStateStore> DeviceStateStore::Current() {
    static std::mutex guard;
    static std::shared_ptr<DeviceStateStore> current;
    static std::wstring currentRoot;
    // A store once handed out is never destroyed, not even while the process exits with
    // threads still running, so frequent readers may keep a plain pointer to it; roots
    // change only a few times per process.
    static auto* kept = new std::vector<std::shared_ptr<DeviceStateStore>>;
    static LONG currentChanges = -1;
    // The root is looked up again only after Device_SetRoot changed it (the clock and the
    // performance counter read the store very often). Counted before the lookup, so a
    // change in between is looked up once more at the next call.
    const LONG changes = Device_RootChanges();
    std::lock_guard<std::mutex> hold(guard);
    if (current && changes == currentChanges && current->Ready()) return current;
    wchar_t root[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(DEVICE_ROOT_VARIABLE, root, MAX_PATH);
    std::wstring key(root, n < MAX_PATH ? n : 0);
    if (!current || key != currentRoot || !current->Ready()) {
        current = std::make_shared<DeviceStateStore>();
        if (current->Ready()) kept->push_back(current);
        currentRoot = key;
    }
    currentChanges = changes;
    return current;
}

DeviceStateStore::Lock::Lock(const DeviceStateStore& store) : mutex_(store.mutex_.Get()), held_(false) {
    if (!mutex_) return;
    DWORD wait = WaitForSingleObject(mutex_, kLockTimeoutMs);
    // An abandoned mutex is ours now; the records stay whole because each is
    // replaced by a rename, never written in place.
    held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

DeviceStateStore::Lock::~Lock() {
    if (held_) ReleaseMutex(mutex_);
}

std::wstring DeviceStateStore::ObjectName(const wchar_t* purpose) const {
    return objectPrefix_ + purpose;
}

std::wstring DeviceStateStore::RecordPath(const wchar_t* name) const {
    return folder_ + L"\\" + name + kRecordSuffix;
}

bool DeviceStateStore::Read(const wchar_t* name, void* record, DWORD size) const {
    if (!name || !record || !Ready()) return false;
    // Taken before the file is read: a change in between only costs one more read later.
    const LONG64 sequence = Sequence();
    {
        std::lock_guard<std::mutex> hold(cacheGuard_);
        auto it = cache_.find(name);
        if (it != cache_.end() && it->second.sequence == sequence) {
            if (it->second.record.empty() || it->second.record.size() != size) return false;
            memcpy(record, it->second.record.data(), size);
            return true;
        }
    }
    // A missing or damaged record is remembered as absent (empty) too: the clock and the
    // power state are read very often on a device that never stored them.
    const bool found = ReadFile(name, record, size);
    std::lock_guard<std::mutex> hold(cacheGuard_);
    const BYTE* bytes = static_cast<const BYTE*>(record);
    cache_[name] = Cached{sequence, found ? std::vector<BYTE>(bytes, bytes + size) : std::vector<BYTE>()};
    return found;
}

// Records are replaced by rename, never written in place, so no lock is needed to
// read a whole one; sharing delete lets a writer rename over a file being read.
bool DeviceStateStore::ReadFile(const wchar_t* name, void* record, DWORD size) const {
    std::vector<BYTE> bytes;
    if (!ReadWhole(RecordPath(name), sizeof(RecordHeader) + size, &bytes)) return false;
    RecordHeader header;
    memcpy(&header, bytes.data(), sizeof header);
    const BYTE* payload = bytes.data() + sizeof header;
    if (header.magic != kRecordMagic || header.size != size || header.checksum != Checksum(payload, size))
        return false;
    memcpy(record, payload, size);
    return true;
}

bool DeviceStateStore::Holds(const std::wstring& path, const std::vector<BYTE>& bytes) const {
    std::vector<BYTE> stored;
    return ReadWhole(path, bytes.size(), &stored) && stored == bytes;
}

bool DeviceStateStore::Write(const wchar_t* name, const void* record, DWORD size, Lifetime lifetime) {
    if (!name || !record || !Ready()) return false;
    Lock lock(*this);
    if (!lock.Held()) return false;
    RecordHeader header = {kRecordMagic, size, Checksum(record, size), 0};
    std::vector<BYTE> bytes(sizeof header + size);
    memcpy(bytes.data(), &header, sizeof header);
    memcpy(bytes.data() + sizeof header, record, size);

    const std::wstring path = RecordPath(name);
    // A reschedule sets every wake-up again, most of them unchanged. Counted all the same:
    // a reader may have cached what the file held before a change behind the store's back.
    if (Holds(path, bytes)) {
        InterlockedIncrement64(const_cast<LONG64*>(sequence_));
        return true;
    }
    const std::wstring aside = path + L".new";
    {
        ScopedFile file(CreateFileW(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        // On the disk before the rename: a power cut after it must not leave an empty record.
        if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size() || (lifetime == Lifetime::Kept && !FlushFileBuffers(file.Get()))) {
            file.Reset();
            DeleteFileW(aside.c_str());
            return false;
        }
    }
    // A reader may hold the old file for a moment.
    bool replaced = false;
    for (int attempt = 0; attempt < kReplaceAttempts && !replaced; ++attempt) {
        replaced = MoveFileExW(aside.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
        if (!replaced) Sleep(kReplaceRetryMs);
    }
    if (!replaced) {
        DeleteFileW(aside.c_str());
        return false;
    }
    InterlockedIncrement64(const_cast<LONG64*>(sequence_));
    return true;
}
