#pragma once
// A plain block of memory handed to the WMA decoder object as its input or output buffer.
#include <windows.h>
#include <mediaobj.h>

#include <cstdint>

class PlainMediaBuffer final : public IMediaBuffer {
public:
    // A buffer of `capacity` bytes, length 0, holding one reference; E_OUTOFMEMORY and no
    // object when the memory is not there.
    static HRESULT Create(uint32_t capacity, PlainMediaBuffer** buffer);
    // Takes `data` (allocated with new[]) as a full buffer of `size` bytes.
    static HRESULT Wrap(uint8_t* data, uint32_t size, PlainMediaBuffer** buffer);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE SetLength(DWORD length) override;
    HRESULT STDMETHODCALLTYPE GetMaxLength(DWORD* maxLength) override;
    HRESULT STDMETHODCALLTYPE GetBufferAndLength(BYTE** data, DWORD* length) override;

    uint32_t Length() const { return length_; }
    uint8_t* Data() const { return data_; }

private:
    PlainMediaBuffer(uint8_t* data, uint32_t length, uint32_t maxLength)
        : length_(length), maxLength_(maxLength), data_(data) {}
    virtual ~PlainMediaBuffer() { delete[] data_; }

    uint32_t length_;
    uint32_t maxLength_;
    LONG references_ = 1;
    uint8_t* data_;
};
