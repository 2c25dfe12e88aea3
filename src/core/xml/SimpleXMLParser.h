#pragma once

#include "core/xml/AttributeList.h"

#include <cstddef>
#include <string>
#include <vector>

class CDocumentHandler;
class CInputStream;

// Event-driven reader for the small XML subset the program writes itself: one
// declaration line, elements with double-quoted attributes, text runs, no
// escaping. It is deliberately lenient and keeps these rules:
//  - everything on the declaration line after "<?xml" is ignored;
//  - an end tag closes the innermost open element, whatever name it spells;
//  - "<A/>" without attributes is a start tag named "A/" (with attributes, "/>"
//    closes the element);
//  - line breaks are dropped everywhere, text runs are trimmed;
//  - "<!...>" tokens are skipped up to the first ">";
//  - no entity or character reference is decoded.
// A parser serves one document; create a fresh one for each.
class CSimpleXMLParser {
public:
    // parse() results.
    static constexpr int kParsed = 1;
    static constexpr int kNothingParsed = 0; // no handler, empty input or no declaration: no event at all
    static constexpr int kMalformed = -1;    // stopped part way: no endDocument

    CSimpleXMLParser() = default;
    virtual ~CSimpleXMLParser() = default;

    // Must precede parse(). The handler is not owned.
    void setDocumentHandler(CDocumentHandler* handler) { m_handler = handler; }

    // Reads the stream to its end, reporting events.
    virtual int parse(CInputStream* stream);

private:
    // Bytes come through a small buffer of our own: one virtual call per byte
    // made parsing several times slower, and a '<' that ends a text run simply
    // stays in the buffer for the next token.
    bool Fill(CInputStream* stream);
    // The first non-empty line into m_token.
    void ReadLine(CInputStream* stream);
    // The next text run or tag into m_token, line breaks dropped; false at the end.
    bool NextToken(CInputStream* stream);
    bool HandleStartTag();
    void AddAttribute(const char* begin, const char* end);
    const char* InnermostName() const { return m_openNames.data() + m_openStarts.back(); }
    void CloseInnermost();

    static constexpr int kBufferSize = 4096;

    CDocumentHandler* m_handler = nullptr;
    char m_buffer[kBufferSize];
    int m_next = 0;
    int m_end = 0;
    bool m_inputEnded = false;
    // Reused for every token and tag, so that a document costs a handful of
    // allocations however many events it has.
    std::string m_token;
    CAttributeList m_attributes;
    // Names of the open elements, each zero-terminated, innermost last.
    std::string m_openNames;
    std::vector<std::size_t> m_openStarts;
};
