#pragma once
// Measuring texts and fitting them to a width, and the text of a duration.
#include <windows.h>

#include "RcString.h"

// Width in pixels of the whole text in the DC's font.
int RcText_GetWidth(const RcString& text, HDC dc);
// The path as it is while narrower than maximum. Otherwise, when it has a backslash: the
// part from the last backslash alone when that is as wide as maximum or wider, else the
// folder's leading characters that fit, "..." and that part. A path without a backslash
// is returned as it is, even when too wide.
RcString Text_ShortenToFit(HDC dc, const RcString& path, int maximum);
// The text as it is while narrower than maximum, else "..." and as many of its last
// characters as fit with it: where two paths end differently, that end shows.
RcString Text_KeepEndToFit(HDC dc, const RcString& text, int maximum);
// Hours and minutes in words ("1 hour 5 min", "2 hours", "0 min"); seconds are dropped.
RcString Duration_Format(unsigned seconds);
