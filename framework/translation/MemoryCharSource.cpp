#include "MemoryCharSource.h"

MemoryCharSource::MemoryCharSource(const void* data, size_t size)
    : m_position(static_cast<const unsigned char*>(data)),
      m_end(data ? static_cast<const unsigned char*>(data) + size : nullptr) {
    if (!data) m_position = nullptr;
}

wchar_t MemoryCharSource::NextChar() {
    if (m_position == m_end) return 0;
    return *m_position++;
}
