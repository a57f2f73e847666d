#pragma once
// Where an XmlReader takes its characters from.

class XmlCharSource {
public:
    virtual ~XmlCharSource() = default;
    // The next character as an unsigned 16-bit value; 0 at the end of input.
    virtual wchar_t NextChar() = 0;
};
