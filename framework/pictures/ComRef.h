#pragma once
// An owned COM interface pointer, released with its owner: the platform's one owner
// template, with Release as the release.
#include <objbase.h>

#include "ScopedHandle.h"

template <typename Interface>
struct ComTraits {
    using Handle = Interface*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle object) { object->Release(); }
};
template <typename Interface>
using ComRef = ScopedOwner<ComTraits<Interface>>;
