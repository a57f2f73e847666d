#pragma once
// Character source over a byte range: each byte is one character, undecoded,
// so a zero byte ends the input as well as the end of the range.
#include <cstddef>

#include "XmlCharSource.h"

class MemoryCharSource : public XmlCharSource {
public:
    MemoryCharSource(const void* data, size_t size);
    wchar_t NextChar() override;

private:
    const unsigned char* m_position;
    const unsigned char* m_end;
};
