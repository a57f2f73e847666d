#include "DeviceWmaDecoder.h"

#include "MftMediaObject.h"

#include <mutex>
#include <vector>

namespace {
// The host's WMA decoder object {2EEB4ADF-4578-4D10-BCA7-BB955F56320A}: Wine's decoder
// (GStreamer underneath), or Windows' own.
const CLSID kWmaDecoderClsid = {0x2EEB4ADF, 0x4578, 0x4D10, {0xBC, 0xA7, 0xBB, 0x95, 0x5F, 0x56, 0x32, 0x0A}};
const IID kMediaObjectIid = {0xD8AD0F58, 0x5494, 0x4102, {0x97, 0xC5, 0xEC, 0x79, 0x8E, 0x59, 0xBC, 0xF4}};
const IID kUnknownIid = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kClassFactoryIid = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const wchar_t* const kHostDecoderLibraries[] = {L"winegstreamer.dll", L"wmadmod.dll"};

typedef HRESULT(WINAPI* GetClassObjectFn)(REFCLSID clsid, REFIID iid, void** object);

std::mutex handedOutLock;
std::vector<IMediaObject*> handedOut;

// The host object's Media Foundation side when it has one (Wine 8.0's media-object side
// takes no input type), else its media-object side.
IMediaObject* AsMediaObject(IUnknown* host) {
    IMediaObject* object = MftMediaObject_Wrap(host);
    if (!object) host->QueryInterface(kMediaObjectIid, reinterpret_cast<void**>(&object));
    host->Release();
    return object;
}

// Straight from the host library, as a device's codec library makes its decoder: the
// caller's thread needs no COM.
IMediaObject* CreateFromHost() {
    for (const wchar_t* name : kHostDecoderLibraries) {
        HMODULE library = LoadLibraryW(name);
        if (!library) continue;
        auto getClassObject =
            reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
        IClassFactory* factory = nullptr;
        IUnknown* host = nullptr;
        if (getClassObject &&
            SUCCEEDED(getClassObject(kWmaDecoderClsid, kClassFactoryIid, reinterpret_cast<void**>(&factory)))) {
            factory->CreateInstance(nullptr, kUnknownIid, reinterpret_cast<void**>(&host));
            factory->Release();
        }
        // The library stays loaded while its object lives; it is the host's, loaded once.
        if (IMediaObject* object = host ? AsMediaObject(host) : nullptr) return object;
        FreeLibrary(library);
    }
    return nullptr;
}
}  // namespace

HRESULT WINAPI Device_CreateCodecDMO(IMediaObject** object) {
    if (!object) return E_POINTER;
    *object = CreateFromHost();
    if (!*object) return E_FAIL;
    std::lock_guard<std::mutex> hold(handedOutLock);
    handedOut.push_back(*object);
    return S_OK;
}

HRESULT WINAPI Device_QueryUnloadCodecDMO() {
    std::vector<IMediaObject*> objects;
    {
        std::lock_guard<std::mutex> hold(handedOutLock);
        objects.swap(handedOut);
    }
    for (IMediaObject* object : objects) object->Release();
    return S_OK;
}
