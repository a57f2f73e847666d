#pragma once
// A DirectX Media Object over a Media Foundation transform: some hosts (Wine 8.0) give their
// WMA decoder a working transform side but a media-object side that takes no input type.
// The device's decoder library hands this out in its place.
#include <windows.h>
#include <mediaobj.h>

// Wraps `transform` (its IUnknown, asked for IMFTransform); null when it is none or the
// host lacks Media Foundation. The wrapper holds its own reference.
IMediaObject* MftMediaObject_Wrap(IUnknown* transform);
