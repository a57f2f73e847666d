#pragma once
// A skin from a zip file of the "Skins" folder, named after the file.
#include "Skin.h"

class ZipSkin : public Skin {
public:
    // The skin of the archive at path, or null when it does not open as a zip.
    static ZipSkin* Open(const std::wstring& path, const std::wstring& name);

private:
    ZipSkin(ZipHandle* zip, const std::wstring& name) : Skin(zip, name) {}
};
