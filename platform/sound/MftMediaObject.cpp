#include "MftMediaObject.h"

#include <mftransform.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
const IID kTransformIid = {0xBF94C121, 0x5B05, 0x4E6F, {0x80, 0x00, 0xBA, 0x59, 0x89, 0x61, 0x41, 0x4D}};
const IID kMediaObjectIid = {0xD8AD0F58, 0x5494, 0x4102, {0x97, 0xC5, 0xEC, 0x79, 0x8E, 0x59, 0xBC, 0xF4}};
const IID kUnknownIid = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID kWaveFormatExType = {0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};
constexpr HRESULT kInvalidStream = static_cast<HRESULT>(0x80040201);
constexpr HRESULT kTypeNotAccepted = static_cast<HRESULT>(0x80040204);
constexpr HRESULT kNoMoreItems = static_cast<HRESULT>(0x80040206);
constexpr HRESULT kStreamChange = static_cast<HRESULT>(0xC00D6D61);
constexpr DWORD kStartupLite = 1;
constexpr ULONG kMediaFoundationVersion = 0x00020070;
constexpr DWORD kDefaultOutputBytes = 64 * 1024;
constexpr int kMaxDrainedOutputs = 1000;

// Media Foundation, bound at run time: only a device whose decoder needs it loads it.
struct MediaFoundation {
    HRESULT(WINAPI* startup)(ULONG, DWORD) = nullptr;
    HRESULT(WINAPI* createMediaType)(IMFMediaType**) = nullptr;
    HRESULT(WINAPI* initFromWaveFormat)(IMFMediaType*, const WAVEFORMATEX*, UINT32) = nullptr;
    HRESULT(WINAPI* createSample)(IMFSample**) = nullptr;
    HRESULT(WINAPI* createMemoryBuffer)(DWORD, IMFMediaBuffer**) = nullptr;

    bool Load() {
        HMODULE library = LoadLibraryW(L"mfplat.dll");
        if (!library) return false;
        Bind(library, "MFStartup", &startup);
        Bind(library, "MFCreateMediaType", &createMediaType);
        Bind(library, "MFInitMediaTypeFromWaveFormatEx", &initFromWaveFormat);
        Bind(library, "MFCreateSample", &createSample);
        Bind(library, "MFCreateMemoryBuffer", &createMemoryBuffer);
        return startup && createMediaType && initFromWaveFormat && createSample && createMemoryBuffer &&
               SUCCEEDED(startup(kMediaFoundationVersion, kStartupLite));
    }
    template <typename F>
    static void Bind(HMODULE library, const char* name, F* function) {
        *function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    }
};

const MediaFoundation* Functions() {
    static MediaFoundation functions;
    static const bool loaded = functions.Load();
    return loaded ? &functions : nullptr;
}

// A sample holding `bytes` bytes of room (and `data` copied in when given).
IMFSample* NewSample(const MediaFoundation& mf, DWORD bytes, const BYTE* data) {
    IMFSample* sample = nullptr;
    IMFMediaBuffer* buffer = nullptr;
    if (FAILED(mf.createSample(&sample)) || FAILED(mf.createMemoryBuffer(std::max<DWORD>(bytes, 1), &buffer))) {
        if (sample) sample->Release();
        return nullptr;
    }
    if (data) {
        BYTE* target = nullptr;
        if (SUCCEEDED(buffer->Lock(&target, nullptr, nullptr))) {
            memcpy(target, data, bytes);
            buffer->Unlock();
            buffer->SetCurrentLength(bytes);
        }
    }
    sample->AddBuffer(buffer);
    buffer->Release();
    return sample;
}

class MftMediaObject final : public IMediaObject {
public:
    MftMediaObject(const MediaFoundation& mf, IMFTransform* transform) : mf_(mf), transform_(transform) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualGUID(iid, kUnknownIid) || IsEqualGUID(iid, kMediaObjectIid)) {
            *object = static_cast<IMediaObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetStreamCount(DWORD* inputs, DWORD* outputs) override {
        if (!inputs || !outputs) return E_POINTER;
        *inputs = *outputs = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetInputStreamInfo(DWORD, DWORD* flags) override {
        if (flags) *flags = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetOutputStreamInfo(DWORD, DWORD* flags) override {
        if (flags) *flags = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetInputType(DWORD, DWORD, DMO_MEDIA_TYPE*) override { return kNoMoreItems; }
    HRESULT STDMETHODCALLTYPE GetOutputType(DWORD, DWORD, DMO_MEDIA_TYPE*) override { return kNoMoreItems; }
    HRESULT STDMETHODCALLTYPE SetInputType(DWORD stream, const DMO_MEDIA_TYPE* type, DWORD flags) override {
        return SetType(stream, type, flags, true);
    }
    HRESULT STDMETHODCALLTYPE SetOutputType(DWORD stream, const DMO_MEDIA_TYPE* type, DWORD flags) override {
        return SetType(stream, type, flags, false);
    }
    HRESULT STDMETHODCALLTYPE GetInputCurrentType(DWORD, DMO_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetOutputCurrentType(DWORD, DMO_MEDIA_TYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInputSizeInfo(DWORD, DWORD* size, DWORD* lookahead, DWORD* alignment) override {
        MFT_INPUT_STREAM_INFO info = {};
        const HRESULT result = transform_->GetInputStreamInfo(0, &info);
        if (size) *size = info.cbSize;
        if (lookahead) *lookahead = info.cbMaxLookahead;
        if (alignment) *alignment = std::max<DWORD>(info.cbAlignment, 1);
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetOutputSizeInfo(DWORD, DWORD* size, DWORD* alignment) override {
        MFT_OUTPUT_STREAM_INFO info = {};
        const HRESULT result = transform_->GetOutputStreamInfo(0, &info);
        if (size) *size = info.cbSize;
        if (alignment) *alignment = std::max<DWORD>(info.cbAlignment, 1);
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetInputMaxLatency(DWORD, REFERENCE_TIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetInputMaxLatency(DWORD, REFERENCE_TIME) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Flush() override {
        const HRESULT result = transform_->ProcessMessage(MFT_MESSAGE_COMMAND_FLUSH, 0);
        // A transform that ignores the message still holds output of the old position.
        for (int drained = 0; drained < kMaxDrainedOutputs && Produce(); ++drained) {
        }
        pending_.clear();
        pendingAt_ = 0;
        return result;
    }
    HRESULT STDMETHODCALLTYPE Discontinuity(DWORD) override {
        return transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_END_OF_STREAM, 0);
    }
    HRESULT STDMETHODCALLTYPE AllocateStreamingResources() override {
        return transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_BEGIN_STREAMING, 0);
    }
    HRESULT STDMETHODCALLTYPE FreeStreamingResources() override {
        return transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_END_STREAMING, 0);
    }
    HRESULT STDMETHODCALLTYPE GetInputStatus(DWORD, DWORD* flags) override {
        if (!flags) return E_POINTER;
        *flags = pending_.size() > pendingAt_ ? 0 : DMO_INPUT_STATUSF_ACCEPT_DATA;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ProcessInput(DWORD, IMediaBuffer* buffer, DWORD, REFERENCE_TIME, REFERENCE_TIME) override {
        BYTE* data = nullptr;
        DWORD length = 0;
        if (!buffer || FAILED(buffer->GetBufferAndLength(&data, &length))) return E_POINTER;
        IMFSample* sample = NewSample(mf_, length, data);
        if (!sample) return E_OUTOFMEMORY;
        const HRESULT result = transform_->ProcessInput(0, sample, 0);
        sample->Release();
        return result;
    }
    // The transform's output may be larger than the caller's buffer: the rest waits here
    // and the caller hears that more is to come.
    HRESULT STDMETHODCALLTYPE ProcessOutput(DWORD, DWORD count, DMO_OUTPUT_DATA_BUFFER* buffers, DWORD* status) override {
        if (status) *status = 0;
        if (count < 1 || !buffers || !buffers[0].pBuffer) return E_POINTER;
        buffers[0].dwStatus = 0;
        if (pendingAt_ >= pending_.size() && !Produce()) return S_FALSE;
        BYTE* data = nullptr;
        DWORD length = 0, room = 0;
        IMediaBuffer* target = buffers[0].pBuffer;
        if (FAILED(target->GetBufferAndLength(&data, &length)) || FAILED(target->GetMaxLength(&room))) return E_FAIL;
        const size_t take = std::min<size_t>(pending_.size() - pendingAt_, room > length ? room - length : 0);
        memcpy(data + length, pending_.data() + pendingAt_, take);
        target->SetLength(length + static_cast<DWORD>(take));
        pendingAt_ += take;
        if (pendingAt_ < pending_.size()) buffers[0].dwStatus |= DMO_OUTPUT_DATA_BUFFERF_INCOMPLETE;
        return take ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Lock(LONG) override { return S_OK; }

private:
    ~MftMediaObject() { transform_->Release(); }

    HRESULT SetType(DWORD stream, const DMO_MEDIA_TYPE* type, DWORD flags, bool input) {
        if (stream != 0) return kInvalidStream;
        if (!type) return (flags & DMO_SET_TYPEF_CLEAR) ? S_OK : E_POINTER;
        if (!IsEqualGUID(type->formattype, kWaveFormatExType) || !type->pbFormat ||
            type->cbFormat < sizeof(WAVEFORMATEX) - sizeof(WORD))
            return kTypeNotAccepted;
        // The wave format's own extra bytes (the codec's private data) go with it.
        std::vector<BYTE> format(std::max<size_t>(type->cbFormat, sizeof(WAVEFORMATEX)), 0);
        memcpy(format.data(), type->pbFormat, type->cbFormat);
        auto* wave = reinterpret_cast<WAVEFORMATEX*>(format.data());
        if (type->cbFormat < sizeof(WAVEFORMATEX)) wave->cbSize = 0;
        wave->cbSize = static_cast<WORD>(std::min<size_t>(wave->cbSize, format.size() - sizeof(WAVEFORMATEX)));
        IMFMediaType* mediaType = nullptr;
        if (FAILED(mf_.createMediaType(&mediaType))) return E_OUTOFMEMORY;
        HRESULT result = mf_.initFromWaveFormat(mediaType, wave, static_cast<UINT32>(format.size()));
        const DWORD testOnly = (flags & DMO_SET_TYPEF_TEST_ONLY) ? MFT_SET_TYPE_TEST_ONLY : 0;
        if (SUCCEEDED(result))
            result = input ? transform_->SetInputType(0, mediaType, testOnly)
                           : transform_->SetOutputType(0, mediaType, testOnly);
        mediaType->Release();
        return FAILED(result) ? kTypeNotAccepted : S_OK;
    }

    // Takes the transform's next output into pending_; false when it has none.
    bool Produce() {
        pending_.clear();
        pendingAt_ = 0;
        MFT_OUTPUT_STREAM_INFO info = {};
        transform_->GetOutputStreamInfo(0, &info);
        for (int attempt = 0; attempt < 2; ++attempt) {
            IMFSample* sample = NewSample(mf_, std::max<DWORD>(info.cbSize, kDefaultOutputBytes), nullptr);
            if (!sample) return false;
            MFT_OUTPUT_DATA_BUFFER output = {0, sample, 0, nullptr};
            DWORD status = 0;
            const HRESULT result = transform_->ProcessOutput(0, 1, &output, &status);
            if (output.pEvents) output.pEvents->Release();
            if (SUCCEEDED(result)) Append(sample);
            sample->Release();
            // A changed output type is taken as it is (the caller set it; only details move).
            if (result == kStreamChange) continue;
            return SUCCEEDED(result) && !pending_.empty();
        }
        return false;
    }

    void Append(IMFSample* sample) {
        IMFMediaBuffer* buffer = nullptr;
        if (FAILED(sample->ConvertToContiguousBuffer(&buffer))) return;
        BYTE* data = nullptr;
        DWORD length = 0;
        if (SUCCEEDED(buffer->Lock(&data, nullptr, &length))) {
            pending_.assign(data, data + length);
            buffer->Unlock();
        }
        buffer->Release();
    }

    const MediaFoundation& mf_;
    IMFTransform* transform_;
    LONG references_ = 1;
    std::vector<BYTE> pending_;
    size_t pendingAt_ = 0;
};
}  // namespace

IMediaObject* MftMediaObject_Wrap(IUnknown* object) {
    const MediaFoundation* mf = Functions();
    void* transform = nullptr;
    if (!mf || !object || FAILED(object->QueryInterface(kTransformIid, &transform)) || !transform) return nullptr;
    return new (std::nothrow) MftMediaObject(*mf, static_cast<IMFTransform*>(transform));
}
