#include "WmaDecoder.h"

#include "BoundFunctions.h"

namespace {
typedef HRESULT(WINAPI* CreateCodecDmoFn)(IMediaObject** object);
typedef HRESULT(WINAPI* QueryUnloadCodecDmoFn)();

// CLSID of the WMA decoder object {2EEB4ADF-4578-4D10-BCA7-BB955F56320A}.
const CLSID kWmaDecoderClsid = {0x2EEB4ADF, 0x4578, 0x4D10, {0xBC, 0xA7, 0xBB, 0x95, 0x5F, 0x56, 0x32, 0x0A}};
// IID_IMediaObject {D8AD0F58-5494-4102-97C5-EC798E59BCF4}.
const IID kMediaObjectIid = {0xD8AD0F58, 0x5494, 0x4102, {0x97, 0xC5, 0xEC, 0x79, 0x8E, 0x59, 0xBC, 0xF4}};
const wchar_t kAsfCodecsKey[] = L"SOFTWARE\\Microsoft\\MediaPlayer\\ASFCodecs";
constexpr REGSAM kKeyRead = 0x20019;

bool CreateFrom(BoundFunction& create, WmaDecoderRef* decoder, int source) {
    auto fn = create.As<CreateCodecDmoFn>();
    if (!fn) return false;
    decoder->object = nullptr;
    fn(&decoder->object);
    decoder->source = source;
    return decoder->object != nullptr;
}
}  // namespace

bool WmaDecoder_HasDecoderLibrary() { return Bound::CreateCodecDMO.Resolve(); }

bool WmaDecoder_Create(WmaDecoderRef* decoder) {
    WmaDecoder_Release(decoder);
    if (CreateFrom(Bound::CreateCodecDMO, decoder, WmaDecoderRef::kWmaDecoderDll)) return true;
    if (CreateFrom(Bound::ProCreateCodecDMO, decoder, WmaDecoderRef::kWma9ProDll)) return true;
    void* object = nullptr;
    if (SUCCEEDED(CoCreateInstance(kWmaDecoderClsid, nullptr, CLSCTX_INPROC_SERVER, kMediaObjectIid, &object)))
        decoder->object = static_cast<IMediaObject*>(object);
    decoder->source = WmaDecoderRef::kCom;
    return decoder->object != nullptr;
}

void WmaDecoder_Release(WmaDecoderRef* decoder) {
    if (!decoder->object) return;
    if (decoder->source == WmaDecoderRef::kCom) {
        decoder->object->Release();
    } else {
        BoundFunction& unload =
            decoder->source == WmaDecoderRef::kWmaDecoderDll ? Bound::QueryUnloadCodecDMO : Bound::ProQueryUnloadCodecDMO;
        if (auto fn = unload.As<QueryUnloadCodecDmoFn>()) fn();
    }
    decoder->object = nullptr;
}

int AsfCodecs_IsRegistered() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAsfCodecsKey, 0, kKeyRead, &key) != ERROR_SUCCESS) return 9;
    RegCloseKey(key);
    return 10;
}
