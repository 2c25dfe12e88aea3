// Feeds arbitrary bytes to the XML reader; the handler touches every attribute
// accessor, in range and out of it.
#include "core/stream/MemInputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/DocumentHandler.h"
#include "core/xml/SimpleXMLParser.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace {

class CProbeHandler : public CDocumentHandler {
public:
    void characters(const char* text, int length) override {
        // The text must be as long as stated and zero-terminated (it may hold
        // zero bytes of its own).
        if (length < 0 || text[length] != '\0')
            __builtin_trap();
        m_checksum += static_cast<unsigned>(length);
    }
    void startDocument() override { ++m_checksum; }
    void endDocument() override { ++m_checksum; }
    void startElement(const char* name, const CAttributeList& attributes) override {
        m_checksum += static_cast<unsigned>(std::strlen(name));
        const int count = attributes.getLength();
        for (int i = 0; i < count; ++i) {
            const char* attributeName = attributes.getName(i);
            m_checksum += static_cast<unsigned>(std::strlen(attributeName));
            // Copy out: the next call of the same accessor may reuse the buffer.
            const std::string copied = attributeName;
            const char* byName = attributes.getValue(copied.c_str());
            const char* byIndex = attributes.getValue(i);
            if (byName == nullptr || byIndex == nullptr || std::strcmp(byName, byIndex) != 0)
                __builtin_trap();
            if (attributes.getType(i) != nullptr || attributes.getType(copied.c_str()) != nullptr)
                __builtin_trap();
        }
        if (attributes.getValue("\x01"
                                "absent") != nullptr)
            __builtin_trap();
        ExpectOutOfRange(attributes, -1);
        ExpectOutOfRange(attributes, count);
    }
    void endElement(const char* name) override { m_checksum += static_cast<unsigned>(std::strlen(name)); }

private:
    static void ExpectOutOfRange(const CAttributeList& attributes, int index) {
        try {
            attributes.getName(index);
            __builtin_trap();
        } catch (const std::out_of_range&) {
        }
        try {
            attributes.getValue(index);
            __builtin_trap();
        } catch (const std::out_of_range&) {
        }
    }

    unsigned m_checksum = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20)
        return 0;
    CMemInputStream stream(data, static_cast<int>(size));
    CProbeHandler handler;
    CSimpleXMLParser parser;
    parser.setDocumentHandler(&handler);
    const int result = parser.parse(&stream);
    if (result != CSimpleXMLParser::kParsed && result != CSimpleXMLParser::kNothingParsed &&
        result != CSimpleXMLParser::kMalformed)
        __builtin_trap();
    return 0;
}
