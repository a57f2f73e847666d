#pragma once
// The skin built into the program: the zip archive of resource type "SKINS", read in place.
#include <windows.h>

#include "Skin.h"

class ResourceSkin : public Skin {
public:
    static constexpr wchar_t kName[] = L"default";
    static constexpr wchar_t kResourceType[] = L"SKINS";
    static constexpr UINT kResourceId = 250;

    // Without the resource the skin has no archive, no GUID and no pictures.
    ResourceSkin(HMODULE module, UINT id);
};
