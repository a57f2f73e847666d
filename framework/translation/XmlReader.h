#pragma once
// A small pull tokenizer for XML-like text. Each Next() returns one token (tag,
// attribute, text or blank run, or a piece of a comment, CDATA section, processing
// instruction or document type declaration) and leaves its name and value in the
// reader's buffers. It checks no nesting and builds no tree, and it never fails hard:
// malformed markup gives XML_ERROR and reading may go on.
#include <string>

class XmlCharSource;
class XmlReader;

enum XmlToken {
    XML_ERROR = -1,
    XML_END = 0,
    XML_START_TAG = 1,
    XML_END_TAG = 2,
    XML_ATTRIBUTE = 3,
    XML_TEXT = 4,
    XML_BLANK = 5,
    XML_CHUNK = 6,
    XML_COMMENT_START = 7,
    XML_COMMENT_END = 8,
    XML_CDATA_START = 9,
    XML_CDATA_END = 10,
    XML_PI_START = 11,
    XML_PI_END = 12,
    XML_DOCTYPE_START = 13,
    XML_DOCTYPE_END = 14,
};

// Resolves entity names the reader does not know itself.
class XmlEntityHook {
public:
    virtual ~XmlEntityHook() = default;
    // A replacement character, or 0 to keep the reference in the text literally.
    virtual wchar_t UnknownEntity(XmlReader& reader, const wchar_t* name, int length) = 0;
};

class XmlReader {
public:
    static constexpr int kTextCapacity = 1024;
    static constexpr int kMaxTextLength = kTextCapacity - 1;
    static constexpr int kNameCapacity = 128;
    static constexpr int kMaxNameLength = kNameCapacity - 1;
    static constexpr int kMaxEntityNameLength = 31;

    // The source (and hook, when given) must outlive the reader; no hook = hook answering 0.
    explicit XmlReader(XmlCharSource& source, XmlEntityHook* hook = nullptr);

    int Next();

    // Buffers of the last token; none is terminated.
    const wchar_t* Text() const { return m_text; }
    int TextLength() const { return m_textLength; }
    const char* ElementName() const { return m_elementName; }
    int ElementNameLength() const { return m_elementNameLength; }
    const char* AttributeName() const { return m_attributeName; }
    int AttributeNameLength() const { return m_attributeNameLength; }

    std::wstring TextString() const { return std::wstring(m_text, m_textLength); }
    std::string ElementNameString() const { return std::string(m_elementName, m_elementNameLength); }
    std::string AttributeNameString() const { return std::string(m_attributeName, m_attributeNameLength); }

private:
    using StateFunction = int (XmlReader::*)();

    wchar_t Read();
    void PushBack(wchar_t c) { m_pushedBack = c; }
    void StoreText(wchar_t c);
    static void StoreName(char* name, int& length, wchar_t c);
    wchar_t SkipBlanks();

    int TextState();
    int TagStart();
    int AttributeState();
    int ReadAttributeValue();
    // Returns the character the reference stands for; false at the end of input.
    bool DecodeEntity(wchar_t& result);
    int CommentState();
    int CDataState();
    int PiState();
    int DoctypeState();
    int SectionChunk(const char* terminator, int endToken);

    XmlEntityHook* m_hook;
    StateFunction m_state;
    wchar_t m_text[kTextCapacity];
    int m_textLength = 0;
    char m_elementName[kNameCapacity];
    int m_elementNameLength = 0;
    char m_attributeName[kNameCapacity];
    int m_attributeNameLength = 0;
    XmlCharSource& m_source;
    wchar_t m_pushedBack = 0;
    // Once the source has said "end", it stays ended (a zero byte mid-data ends it too).
    bool m_inputEnded = false;
    bool m_endSeen = false;
    // Terminator characters matched at the end of the stored chunk; they carry
    // over into the next chunk so a terminator split between chunks is still found.
    int m_terminatorMatched = 0;
    // Document type declaration: quote count (mod 256) and bracket level.
    unsigned char m_doctypeQuotes = 0;
    unsigned m_doctypeLevel = 0;
};
