#include "ZipSkin.h"

#include <new>

#include "Zip.h"

ZipSkin* ZipSkin::Open(const std::wstring& path, const std::wstring& name) {
    ZipHandle* zip = Zip_Open(path.c_str(), 0, ZipSourceName);
    if (!zip) return nullptr;
    ZipSkin* skin = new (std::nothrow) ZipSkin(zip, name);
    if (!skin) Zip_Close(zip);
    return skin;
}
