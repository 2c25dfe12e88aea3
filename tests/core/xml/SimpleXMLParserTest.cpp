#include "core/stream/MemInputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/DocumentHandler.h"
#include "core/xml/SimpleXMLParser.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// Writes every event as one line: "S name a=v ...", "E name", "C [text]", "begin", "end".
class Recorder : public CDocumentHandler {
public:
    std::vector<std::string> events;

    void startDocument() override { events.push_back("begin"); }
    void endDocument() override { events.push_back("end"); }
    void characters(const char* text, int length) override {
        events.push_back("C [" + std::string(text, static_cast<size_t>(length)) + "]");
    }
    void startElement(const char* name, const CAttributeList& attributes) override {
        std::string line = std::string("S ") + name;
        for (int i = 0; i < attributes.getLength(); ++i)
            line += std::string(" ") + attributes.getName(i) + "=" + attributes.getValue(i);
        events.push_back(line);
    }
    void endElement(const char* name) override { events.push_back(std::string("E ") + name); }
};

struct Result {
    int code;
    std::vector<std::string> events;
};

Result Parse(const std::string& text) {
    Recorder recorder;
    CSimpleXMLParser parser;
    parser.setDocumentHandler(&recorder);
    CMemInputStream in(text.data(), static_cast<int>(text.size()));
    const int code = parser.parse(&in);
    return {code, recorder.events};
}

using Events = std::vector<std::string>;

} // namespace

TEST(SimpleXMLParser, NothingParsedDeliversNoEvent) {
    for (const std::string text : {"", "\r\n\r\n\n", "<Root>\r\n</Root>", "<?XML version=\"1.0\"?>\r\n<A>"}) {
        const auto result = Parse(text);
        EXPECT_EQ(result.code, CSimpleXMLParser::kNothingParsed) << text;
        EXPECT_TRUE(result.events.empty()) << text;
    }
    CSimpleXMLParser noHandler;
    CMemInputStream in("<?xml ?>", 8);
    EXPECT_EQ(noHandler.parse(&in), CSimpleXMLParser::kNothingParsed);
}

TEST(SimpleXMLParser, DeclarationLineRules) {
    // Markup on the declaration line is lost; leading blank lines, blanks and garbage are accepted.
    EXPECT_EQ(Parse("<?xml version=\"1.0\" ?><Root>\r\n<A>x</A>").events,
              (Events{"begin", "S A", "C [x]", "E A", "end"}));
    EXPECT_EQ(Parse("\r\n\n   <?xml?>\r\n<A/>").code, CSimpleXMLParser::kParsed);
    EXPECT_EQ(Parse("garbage <?xml\n<A></A>").events, (Events{"begin", "S A", "E A", "end"}));
}

TEST(SimpleXMLParser, EndTagClosesTheInnermostElementWhateverItsName) {
    EXPECT_EQ(Parse("<?xml?>\n<A>text</B>").events, (Events{"begin", "S A", "C [text]", "E A", "end"}));
    // Elements still open at the end get no end event.
    EXPECT_EQ(Parse("<?xml?>\n<A><B></B>").events, (Events{"begin", "S A", "S B", "E B", "end"}));
}

TEST(SimpleXMLParser, AttributesAndEmptyElements) {
    EXPECT_EQ(Parse("<?xml?>\n<A x=\"1\" y=\"two words\"/>").events,
              (Events{"begin", "S A x=1 y=two words", "E A", "end"}));
    // Without attributes the slash becomes part of the name and nothing is closed.
    EXPECT_EQ(Parse("<?xml?>\n<A/>").events, (Events{"begin", "S A/", "end"}));
    // Tabs and line breaks separate attributes too; quoted '/' and '=' are kept.
    EXPECT_EQ(Parse("<?xml?>\n<A\tp=\"a/b=c\"\r\n q=\"\">").events, (Events{"begin", "S A p=a/b=c q=", "end"}));
}

TEST(SimpleXMLParser, LenientAttributeForms) {
    // Single quotes work without blanks; an unquoted value loses its first and
    // last byte; no '=' gives an empty name; a repeated name keeps the last value.
    EXPECT_EQ(Parse("<?xml?>\n<A s='v' u=value flag r=\"1\" r=\"2\">").events,
              (Events{"begin", "S A s=v u=alu =la r=2 r=2", "end"}));

    class Lookup : public CDocumentHandler {
    public:
        bool missingIsNull = false;
        int length = 0;
        std::string found; // findValue of r, rr, r2 and k7, or "-" for none
        void startElement(const char*, const CAttributeList& attributes) override {
            missingIsNull = attributes.getValue("Missing") == nullptr && attributes.getType("r") == nullptr &&
                            attributes.findValue("Missing") == nullptr && attributes.findValue("") == nullptr;
            length = attributes.getLength();
            EXPECT_THROW(attributes.getName(length), std::out_of_range);
            EXPECT_THROW(attributes.getValue(-1), std::out_of_range);
            for (const char* value : {attributes.findValue("r"), attributes.findValue("rr"), attributes.findValue("r2"),
                                      attributes.findValue("k7")}) {
                found += value != nullptr ? value : "-";
                found += ' ';
            }
            EXPECT_STREQ(attributes.findValue("r"), attributes.getValue("r"));
        }
    };
    // Short lists are searched in line, long ones through an index: both find
    // the last of repeated names, and names that only begin alike never match.
    for (const bool manyAttributes : {false, true}) {
        std::string text = "<?xml?>\n<A r=\"1\" rr=\"x\" r=\"2\"";
        for (int k = 0; manyAttributes && k < 20; ++k)
            text += " k" + std::to_string(k) + "=\"" + std::to_string(k * k) + "\"";
        text += " r=\"3\">";
        Lookup lookup;
        CSimpleXMLParser parser;
        parser.setDocumentHandler(&lookup);
        CMemInputStream in(text.data(), static_cast<int>(text.size()));
        EXPECT_EQ(parser.parse(&in), 1);
        EXPECT_TRUE(lookup.missingIsNull);
        EXPECT_EQ(lookup.length, manyAttributes ? 24 : 4);
        EXPECT_EQ(lookup.found, manyAttributes ? "3 x - 49 " : "3 x - - ");
    }
}

TEST(SimpleXMLParser, TextRunsAreJoinedTrimmedAndNotDecoded) {
    EXPECT_EQ(Parse("<?xml?>\n<A>  ab\r\ncd  </A>").events, (Events{"begin", "S A", "C [abcd]", "E A", "end"}));
    EXPECT_EQ(Parse("<?xml?>\n<A> \t <B/></A>").events, (Events{"begin", "S A", "C []", "S B/", "E B/", "end"}));
    EXPECT_EQ(Parse("<?xml?>\n<A>&lt;&#65; a > b</A>").events,
              (Events{"begin", "S A", "C [&lt;&#65; a > b]", "E A", "end"}));
}

TEST(SimpleXMLParser, BangTokensAreSkippedUpToTheFirstCloseBracket) {
    EXPECT_EQ(Parse("<?xml?>\n<!-- comment --><A/>").events, (Events{"begin", "S A/", "end"}));
    EXPECT_EQ(Parse("<?xml?>\n<!-- a > b --><A/>").events, (Events{"begin", "C [b -->]", "S A/", "end"}));
}

TEST(SimpleXMLParser, MalformedEndsWithoutEndDocument) {
    auto stray = Parse("<?xml?>\n<A></A></A><B>");
    EXPECT_EQ(stray.code, CSimpleXMLParser::kMalformed);
    EXPECT_EQ(stray.events, (Events{"begin", "S A", "E A"}));

    auto cut = Parse("<?xml?>\n<A><B x=\"1\"");
    EXPECT_EQ(cut.code, CSimpleXMLParser::kMalformed);
    EXPECT_EQ(cut.events, (Events{"begin", "S A"}));

    EXPECT_EQ(Parse("<?xml?>\n<").code, CSimpleXMLParser::kMalformed);
}

TEST(SimpleXMLParser, DeepNestingAndUtf8) {
    std::string text = "<?xml?>\n";
    for (int i = 0; i < 5000; ++i)
        text += "<N>";
    text += "<Ü Name=\"日本語 テキスト\"/>";
    for (int i = 0; i < 5000; ++i)
        text += "</N>";
    const auto result = Parse(text);
    EXPECT_EQ(result.code, 1);
    ASSERT_EQ(result.events.size(), 10004u);
    EXPECT_EQ(result.events[5001], "S Ü Name=日本語 テキスト");
    EXPECT_EQ(result.events[5002], "E Ü");
}

TEST(SimpleXMLParser, DocumentsParseOnTwoThreadsAtOnce) {
    // Attribute values live in each list, so concurrent parses never see each other's text.
    auto work = [](const std::string& value, bool* ok) {
        const std::string text = "<?xml?>\n<A v=\"" + value + "\"/>";
        for (int i = 0; i < 2000 && *ok; ++i)
            *ok = Parse(text).events.at(1) == "S A v=" + value;
    };
    bool ok1 = true, ok2 = true;
    std::thread t1(work, std::string(50, 'x'), &ok1);
    std::thread t2(work, std::string(70, 'y'), &ok2);
    t1.join();
    t2.join();
    EXPECT_TRUE(ok1);
    EXPECT_TRUE(ok2);
}
