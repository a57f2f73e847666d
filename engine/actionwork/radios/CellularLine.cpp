#include "CellularLine.h"

#include <cstdint>
#include <cwchar>
#include <vector>

namespace {
const wchar_t kCellularLineName[] = L"Cellular Line";

// The line's name in its capabilities, as the line device reports it.
bool IsCellular(const std::vector<BYTE>& buffer) {
    const auto* caps = reinterpret_cast<const LINEDEVCAPS*>(buffer.data());
    const size_t offset = caps->dwLineNameOffset, size = caps->dwLineNameSize;
    // A name that is not wholly inside what the device filled in is no name.
    if (!size || offset < sizeof(LINEDEVCAPS) || offset > buffer.size() || size > buffer.size() - offset ||
        size > caps->dwUsedSize)
        return false;
    const auto* name = reinterpret_cast<const wchar_t*>(buffer.data() + offset);
    size_t length = size / sizeof(wchar_t);
    while (length && name[length - 1] == 0) --length;
    return length == wcslen(kCellularLineName) && wmemcmp(name, kCellularLineName, length) == 0;
}

// The device's capabilities with its name: asked once at the fixed size, then again
// at the size the device asked for.
bool ReadCaps(HLINEAPP lineApp, DWORD device, std::vector<BYTE>& buffer) {
    buffer.assign(sizeof(LINEDEVCAPS), 0);
    reinterpret_cast<LINEDEVCAPS*>(buffer.data())->dwTotalSize = sizeof(LINEDEVCAPS);
    if (lineGetDevCaps(lineApp, device, kCellularApiVersion, 0, reinterpret_cast<LINEDEVCAPS*>(buffer.data())) != 0)
        return false;
    const DWORD needed = reinterpret_cast<LINEDEVCAPS*>(buffer.data())->dwNeededSize;
    if (needed <= buffer.size()) return true;
    buffer.assign(needed, 0);
    reinterpret_cast<LINEDEVCAPS*>(buffer.data())->dwTotalSize = needed;
    return lineGetDevCaps(lineApp, device, kCellularApiVersion, 0, reinterpret_cast<LINEDEVCAPS*>(buffer.data())) ==
           0;
}
}  // namespace

void CALLBACK CellularLine_IgnoreEvent(DWORD, DWORD, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

int CellularLine_Find(HLINEAPP lineApp, DWORD deviceCount) {
    int found = -1;
    std::vector<BYTE> buffer;
    for (DWORD device = 0; device < deviceCount; ++device) {
        DWORD version = 0;
        LINEEXTENSIONID extension = {};
        if (lineNegotiateAPIVersion(lineApp, device, kCellularApiVersion, kCellularApiVersion, &version,
                                    &extension) != 0)
            continue;
        if (ReadCaps(lineApp, device, buffer) && IsCellular(buffer)) found = static_cast<int>(device);
    }
    return found;
}

LONG TapiLine_Open(TapiLineApp& app) {
    return lineInitialize(&app.lineApp, GetModuleHandleW(nullptr), CellularLine_IgnoreEvent, nullptr,
                          &app.deviceCount);
}

int TapiLine_FindCellular(const TapiLineApp& app) {
    return app.lineApp ? CellularLine_Find(app.lineApp, app.deviceCount) : -1;
}

LONG TapiLine_Close(TapiLineApp& app) {
    if (!app.lineApp || app.closing) return static_cast<LONG>(reinterpret_cast<intptr_t>(app.lineApp));
    app.closing = true;
    LONG result = lineShutdown(app.lineApp);
    app.lineApp = nullptr;
    app.closing = false;
    return result;
}
