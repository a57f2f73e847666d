#include "PlainMediaBuffer.h"

#include <new>

namespace {
// IID_IMediaBuffer {59EFF8B9-938C-4A26-82F2-95CB84CDC837}
const GUID kMediaBufferIid = {0x59EFF8B9, 0x938C, 0x4A26, {0x82, 0xF2, 0x95, 0xCB, 0x84, 0xCD, 0xC8, 0x37}};
// IUnknown {00000000-0000-0000-C000-000000000046}
const GUID kUnknownIid = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}  // namespace

HRESULT PlainMediaBuffer::Create(uint32_t capacity, PlainMediaBuffer** buffer) {
    *buffer = nullptr;
    uint8_t* data = new (std::nothrow) uint8_t[capacity ? capacity : 1];
    if (!data) return E_OUTOFMEMORY;
    *buffer = new (std::nothrow) PlainMediaBuffer(data, 0, capacity);
    if (*buffer) return S_OK;
    delete[] data;
    return E_OUTOFMEMORY;
}

HRESULT PlainMediaBuffer::Wrap(uint8_t* data, uint32_t size, PlainMediaBuffer** buffer) {
    *buffer = new (std::nothrow) PlainMediaBuffer(data, size, size);
    if (*buffer) return S_OK;
    delete[] data;
    return E_OUTOFMEMORY;
}

HRESULT PlainMediaBuffer::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualGUID(iid, kMediaBufferIid) || IsEqualGUID(iid, kUnknownIid)) {
        AddRef();
        *object = static_cast<IMediaBuffer*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG PlainMediaBuffer::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG PlainMediaBuffer::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT PlainMediaBuffer::SetLength(DWORD length) {
    if (length > maxLength_) return E_INVALIDARG;
    length_ = length;
    return S_OK;
}

HRESULT PlainMediaBuffer::GetMaxLength(DWORD* maxLength) {
    if (!maxLength) return E_POINTER;
    *maxLength = maxLength_;
    return S_OK;
}

HRESULT PlainMediaBuffer::GetBufferAndLength(BYTE** data, DWORD* length) {
    if (!data || !length) return E_POINTER;
    *data = data_;
    *length = length_;
    return S_OK;
}
