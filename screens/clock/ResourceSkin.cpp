#include "ResourceSkin.h"

#include "Zip.h"

namespace {

// Opens the resource's bytes as an archive; null when the resource is missing.
ZipHandle* OpenResourceArchive(HMODULE module, UINT id) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), ResourceSkin::kResourceType);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, found);
    return data && size ? Zip_Open(data, size, ZipSourceMemory) : nullptr;
}

}  // namespace

ResourceSkin::ResourceSkin(HMODULE module, UINT id) : Skin(OpenResourceArchive(module, id), kName) {}
