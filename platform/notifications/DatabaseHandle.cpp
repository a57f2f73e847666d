#include "DatabaseHandle.h"
#include <cstring>

namespace {
const uint32_t kMagic = 0x4244564F;  // "OVDB"

// Maps the section of a handle; null when the handle is not one.
DatabaseHandle::Cursor* Map(HANDLE handle) {
    if (!handle || handle == INVALID_HANDLE_VALUE) return nullptr;
    return static_cast<DatabaseHandle::Cursor*>(
        MapViewOfFile(handle, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(DatabaseHandle::Cursor)));
}
}  // namespace

HANDLE DatabaseHandle::Create(Kind kind, uint32_t filter) {
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Cursor), nullptr);
    if (!section) return nullptr;
    Cursor initial = {kMagic, kind, 0, filter};
    if (!Write(section, initial)) {
        CloseHandle(section);
        return nullptr;
    }
    return section;
}

bool DatabaseHandle::Read(HANDLE handle, Kind kind, Cursor* cursor) {
    Cursor* view = Map(handle);
    bool ok = view && view->magic == kMagic && view->kind == kind;
    if (ok) *cursor = *view;
    if (view) UnmapViewOfFile(view);
    if (!ok) SetLastError(ERROR_INVALID_HANDLE);
    return ok;
}

bool DatabaseHandle::Write(HANDLE handle, const Cursor& cursor) {
    Cursor* view = Map(handle);
    if (!view) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    *view = cursor;
    UnmapViewOfFile(view);
    return true;
}
