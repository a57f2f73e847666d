#include "FactoryPicture.h"

#include <utility>

bool FactoryPicture::Decode(const BYTE* data, UINT size, float xScale, float yScale) {
    if (!data || size == 0) return false;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(CoCreateInstance(CLSID_ImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IImagingFactory,
                                reinterpret_cast<void**>(factory_.Receive()))))
        return false;
    ComRef<IImage> whole;
    if (FAILED(factory_.Get()->CreateImageFromBuffer(data, size, BufferDisposalFlagNone, whole.Receive()))) return false;
    ImageInfo info = {};
    if (FAILED(whole.Get()->GetImageInfo(&info))) return false;
    if (xScale == 1.0f && yScale == 1.0f) {
        image_ = std::move(whole);
    } else {
        const UINT width = static_cast<UINT>(static_cast<int>(info.Width * xScale));
        const UINT height = static_cast<UINT>(static_cast<int>(info.Height * yScale));
        if (FAILED(whole.Get()->GetThumbnail(width, height, image_.Receive()))) return false;
    }
    return SUCCEEDED(image_.Get()->GetImageInfo(&info_)) && info_.Width > 0 && info_.Height > 0;
}

bool FactoryPicture::Draw(HDC dc) {
    const RECT whole = {0, 0, static_cast<LONG>(Width()), static_cast<LONG>(Height())};
    return SUCCEEDED(image_.Get()->Draw(dc, &whole, nullptr));
}
