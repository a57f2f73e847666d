#include "SoundFileExt.h"

#include <cwchar>
#include <cwctype>

bool SoundFile_IsMpegOrWavExt(const wchar_t* extension) {
    if (!extension || wcslen(extension) != 3) return false;
    const wchar_t a = towlower(extension[0]), b = towlower(extension[1]), c = towlower(extension[2]);
    if (a == L'm' && b == L'p') return c == L'1' || c == L'2' || c == L'3' || c == L'o';
    return a == L'w' && b == L'a' && c == L'v';
}
