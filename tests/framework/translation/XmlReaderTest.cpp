#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryCharSource.h"
#include "XmlReader.h"

namespace {

// One line per token: "S:name", "E:name", "A:name=value", "T:text", "B:blank",
// "C:chunk", "ERR", "END" and the section markers.
std::wstring Describe(XmlReader& reader, int token) {
    auto widen = [](const std::string& s) { return std::wstring(s.begin(), s.end()); };
    switch (token) {
    case XML_END: return L"END";
    case XML_ERROR: return L"ERR";
    case XML_START_TAG: return L"S:" + widen(reader.ElementNameString());
    case XML_END_TAG: return L"E:" + widen(reader.ElementNameString());
    case XML_ATTRIBUTE: return L"A:" + widen(reader.AttributeNameString()) + L"=" + reader.TextString();
    case XML_TEXT: return L"T:" + reader.TextString();
    case XML_BLANK: return L"B:" + reader.TextString();
    case XML_CHUNK: return L"C:" + reader.TextString();
    case XML_COMMENT_START: return L"<!--";
    case XML_COMMENT_END: return L"-->";
    case XML_CDATA_START: return L"<![CDATA[";
    case XML_CDATA_END: return L"]]>";
    case XML_PI_START: return L"<?";
    case XML_PI_END: return L"?>";
    case XML_DOCTYPE_START: return L"<!DOCTYPE";
    case XML_DOCTYPE_END: return L"DOCTYPE>";
    default: return L"?";
    }
}

// Tokens up to and including XML_END; a runaway reader fails the test instead of hanging.
std::vector<std::wstring> Tokenize(const std::string& bytes, XmlEntityHook* hook = nullptr) {
    MemoryCharSource source(bytes.data(), bytes.size());
    XmlReader reader(source, hook);
    std::vector<std::wstring> tokens;
    for (size_t guard = 0; guard < bytes.size() * 2 + 16; ++guard) {
        int token = reader.Next();
        tokens.push_back(Describe(reader, token));
        if (token == XML_END) return tokens;
    }
    ADD_FAILURE() << "reader did not reach the end of " << bytes.size() << " bytes";
    return tokens;
}

using Tokens = std::vector<std::wstring>;

}  // namespace

TEST(XmlReader, DeliversEveryTokenKindOfADocument) {
    const std::string xml =
        "<?xml version=\"1.0\"?>\r\n"
        "<!DOCTYPE pack [<!ENTITY e \"a>b\">]>\n"
        "<root a=\"1\" b='two words' c=3 d\te = \"x\">"
        "Hello world<!-- note --><![CDATA[x<y]]></root>";
    EXPECT_EQ(Tokens({L"<?", L"C:xml version=\"1.0\"", L"?>", L"B:\r\n",
                      L"<!DOCTYPE", L"C: pack [<!ENTITY e \"a>b\">]", L"DOCTYPE>", L"B:\n",
                      L"S:root", L"A:a=1", L"A:b=two words", L"A:c=3", L"A:d=", L"A:e=x",
                      L"T:Hello", L"B: ", L"T:world",
                      L"<!--", L"C: note ", L"-->",
                      L"<![CDATA[", L"C:x<y", L"]]>",
                      L"E:root", L"END"}),
              Tokenize(xml));
}

TEST(XmlReader, EmptyElementTagEndsWithItsOwnName) {
    EXPECT_EQ(Tokens({L"S:item", L"A:id=X", L"E:item", L"S:next", L"E:next", L"END"}),
              Tokenize("<item id=\"X\"/><next/>"));
    // A value without quotes ends at a blank or before '>'.
    EXPECT_EQ(Tokens({L"S:a", L"A:v=1", L"A:w=2", L"T:t", L"END"}), Tokenize("<a v=1 w=2>t"));
}

TEST(XmlReader, DecodesNamedAndNumericReferences) {
    EXPECT_EQ(Tokens({L"T:>", L"T:<", L"T:&", L"T:'", L"T:\"", L"T:A", L"T:B", L"END"}),
              Tokenize("&gt;&lt;&amp;&apos;&quot;&#65;&#x42;"));
    // Each reference starts a new text token; the text after it joins that token.
    EXPECT_EQ(Tokens({L"T:a", L"T:&b", L"END"}), Tokenize("a&amp;b"));
    // A decoded blank makes a blank run.
    EXPECT_EQ(Tokens({L"T:a", L"B: ", L"T:b", L"END"}), Tokenize("a&#32;b"));
}

TEST(XmlReader, SingleDigitReferenceStaysLiteralButHexTabDecodes) {
    EXPECT_EQ(Tokens({L"T:&#9;", L"END"}), Tokenize("&#9;"));
    EXPECT_EQ(Tokens({L"B:\t", L"END"}), Tokenize("&#x9;"));
    // Digits that do not convert in full leave the reference as written.
    EXPECT_EQ(Tokens({L"T:&#12a;", L"END"}), Tokenize("&#12a;"));
    EXPECT_EQ(Tokens({L"T:&nbsp;x", L"END"}), Tokenize("&nbsp;x"));
}

TEST(XmlReader, MapsWindows1252ReferencesAndKeepsSixteenBits) {
    struct Case {
        const char* reference;
        wchar_t expected;
    } cases[] = {
        {"&#128;", 0},      {"&#129;", 0},      {"&#130;", 0x201A}, {"&#137;", 0x2030},
        {"&#140;", 0x0152}, {"&#141;", 0},      {"&#150;", 0x2013}, {"&#x96;", 0x2013},
        {"&#151;", 0x2014}, {"&#153;", 0x2122}, {"&#159;", 0x0178}, {"&#160;", 0x00A0},
        {"&#127;", 0x007F}, {"&#x20AC;", 0x20AC}, {"&#65601;", 0x0041},
    };
    for (const Case& c : cases) {
        MemoryCharSource source(c.reference, strlen(c.reference));
        XmlReader reader(source);
        ASSERT_EQ(XML_TEXT, reader.Next()) << c.reference;
        ASSERT_EQ(1, reader.TextLength()) << c.reference;
        EXPECT_EQ(c.expected, reader.Text()[0]) << c.reference;
    }
}

TEST(XmlReader, StrayAmpersandSwallowsUpToThirtyOneCharacters) {
    // Up to the ';', tags included, kept literally.
    EXPECT_EQ(Tokens({L"T:x", L"B: ", L"T:&a <b>c;", L"B: ", L"T:d", L"END"}),
              Tokenize("x &a <b>c; d"));
    // No ';' within 31 characters: the name is cut there and a ';' is added.
    const std::string thirtyOne(31, 'n');
    EXPECT_EQ(Tokens({L"T:&" + std::wstring(31, L'n') + L";nnnn", L"END"}),
              Tokenize("&" + thirtyOne + "nnnn"));
}

TEST(XmlReader, UnknownEntitiesGoToTheHook) {
    struct Hook : XmlEntityHook {
        wchar_t UnknownEntity(XmlReader&, const wchar_t* name, int length) override {
            return std::wstring(name, length) == L"euro" ? 0x20AC : 0;
        }
    } hook;
    EXPECT_EQ(Tokens({L"T:\u20AC", L"T:&pound;", L"END"}), Tokenize("&euro;&pound;", &hook));
}

TEST(XmlReader, CutsLongRunsNamesAndValuesToTheirBuffers) {
    const std::string longValue(1500, 'v');
    const std::string longName(200, 'n');
    const std::string longText(1500, 't');
    const std::string xml = "<" + longName + " a=\"" + longValue + "\">" + longText + "<x/>";
    MemoryCharSource doc(xml.data(), xml.size());
    XmlReader reader(doc);
    ASSERT_EQ(XML_START_TAG, reader.Next());
    EXPECT_EQ(std::string(127, 'n'), reader.ElementNameString());
    ASSERT_EQ(XML_ATTRIBUTE, reader.Next());
    EXPECT_EQ(std::wstring(1023, L'v'), reader.TextString());
    ASSERT_EQ(XML_TEXT, reader.Next());
    EXPECT_EQ(1023, reader.TextLength());
    ASSERT_EQ(XML_START_TAG, reader.Next());  // the rest of the run was read and dropped
    EXPECT_EQ("x", reader.ElementNameString());
}

TEST(XmlReader, LongSectionsArriveInChunks) {
    const std::string body(2500, 'c');
    Tokens tokens = Tokenize("<!--" + body + "-->");
    ASSERT_EQ(6u, tokens.size());
    EXPECT_EQ(L"C:" + std::wstring(1023, L'c'), tokens[1]);
    EXPECT_EQ(L"C:" + std::wstring(1023, L'c'), tokens[2]);
    EXPECT_EQ(L"C:" + std::wstring(454, L'c'), tokens[3]);
    EXPECT_EQ(L"-->", tokens[4]);
}

// A terminator that straddles the 1023-character chunk boundary must still close the
// section, and the chunks together must give exactly the content.
TEST(XmlReader, FindsTerminatorsSplitAcrossChunks) {
    struct Kind {
        const char* open;
        const char* close;
        const wchar_t* endMarker;
        char runCharacter;
    } kinds[] = {
        {"<!--", "-->", L"-->", '-'},
        {"<![CDATA[", "]]>", L"]]>", ']'},
        {"<?", "?>", L"?>", '?'},
    };
    for (const Kind& kind : kinds) {
        for (int filler = 1015; filler <= 1026; ++filler) {
            for (const std::string& inner : {std::string(), std::string(1, kind.runCharacter) + "x"}) {
                const std::string content = std::string(filler, 'a') + inner;
                Tokens tokens = Tokenize(kind.open + content + kind.close + "after");
                std::wstring joined;
                size_t i = 1;
                for (; i < tokens.size() && tokens[i].rfind(L"C:", 0) == 0; ++i) joined += tokens[i].substr(2);
                ASSERT_LT(i + 2, tokens.size()) << kind.open << " filler " << filler;
                EXPECT_EQ(std::wstring(content.begin(), content.end()), joined) << kind.open << " filler " << filler;
                EXPECT_EQ(kind.endMarker, tokens[i]) << kind.open << " filler " << filler;
                EXPECT_EQ(L"T:after", tokens[i + 1]) << kind.open << " filler " << filler;
            }
        }
    }
}

TEST(XmlReader, DoctypeEndsOutsideQuotesAndNestedDeclarations) {
    EXPECT_EQ(Tokens({L"<!DOCTYPE", L"C: a \"q>\" [<!E x>]", L"DOCTYPE>", L"S:a", L"E:a", L"END"}),
              Tokenize("<!DOCTYPE a \"q>\" [<!E x>]><a/>"));
}

TEST(XmlReader, MalformedMarkupGivesErrorsAndReadingGoesOn) {
    EXPECT_EQ(Tokens({L"ERR", L"END"}), Tokenize("<abc"));
    EXPECT_EQ(Tokens({L"ERR", L"T:y>", L"END"}), Tokenize("</x y>"));
    EXPECT_EQ(Tokens({L"S:a", L"ERR", L"END"}), Tokenize("<a b=\"never closed"));
    EXPECT_EQ(Tokens({L"S:a", L"ERR", L"A:x=", L"T:b", L"END"}), Tokenize("<a /x>b"));
    EXPECT_EQ(Tokens({L"S:a", L"ERR", L"A:b=", L"T:c", L"END"}), Tokenize("<a <b>c"));
    EXPECT_EQ(Tokens({L"S:a", L"END"}), Tokenize("<a b"));
    EXPECT_EQ(Tokens({L"T:x", L"END"}), Tokenize("x&am"));
    EXPECT_EQ(Tokens({L"<!--", L"END"}), Tokenize("<!-- never closed"));
}

TEST(XmlReader, ZeroByteEndsTheInput) {
    const std::string xml("<a>one\0<b>two</b>", 17);
    EXPECT_EQ(Tokens({L"S:a", L"T:one", L"END"}), Tokenize(xml));
}

// Every truncation of a real document must end cleanly, whatever state it cuts.
TEST(XmlReader, EveryTruncationOfADocumentEnds) {
    const std::string xml =
        "<?xml version=\"1.0\"?><!DOCTYPE d [<!E \"x\">]><rclanguages><rcoutput lang=\"0x407\"/>"
        "</rclanguages><!-- c --><rcsection name=\"MENU\"><rcitem id='A'><rcstring lang=DEU>"
        "&quot;Tsch&#x fc;&amp;&#150;<![CDATA[x]]></rcstring></rcitem></rcsection>";
    for (size_t cut = 0; cut <= xml.size(); ++cut) {
        Tokens tokens = Tokenize(xml.substr(0, cut));
        ASSERT_FALSE(tokens.empty());
        EXPECT_EQ(L"END", tokens.back()) << "cut at " << cut;
    }
}
