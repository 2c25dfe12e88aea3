// Loaded into the desktop program (LD_PRELOAD) by exports.sh: parses a document
// through the reader the program exports and writes the events to the file
// named by QUILLET_EXPORT_PROBE, then ends the process before the program
// starts. Built against the headers only; every reader symbol comes from the
// program.
#include "core/stream/InputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/DocumentHandler.h"
#include "core/xml/SimpleXMLParser.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

class CTextStream : public CInputStream {
public:
    explicit CTextStream(const char* text) : m_text(text) {}
    int Read(void* buffer, int count) override {
        const int left = static_cast<int>(std::strlen(m_text + m_at));
        const int n = count < left ? count : left;
        std::memcpy(buffer, m_text + m_at, static_cast<size_t>(n));
        m_at += n;
        return n;
    }

private:
    const char* m_text;
    int m_at = 0;
};

class CTrace : public CDocumentHandler {
public:
    void startElement(const char* name, const CAttributeList& attributes) override {
        trace += std::string("<") + name;
        for (int i = 0; i < attributes.getLength(); ++i)
            trace += std::string(" ") + attributes.getName(i) + "=" + attributes.getValue(i);
        trace += ">";
    }
    void endElement(const char* name) override { trace += std::string("</") + name + ">"; }
    void characters(const char* text, int length) override { trace.append(text, static_cast<size_t>(length)); }
    std::string trace;
};

__attribute__((constructor)) void Probe() {
    const char* out = std::getenv("QUILLET_EXPORT_PROBE");
    if (out == nullptr)
        return;
    CTextStream stream("<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n<Sheet ID=\"7\" Title=\"probe\"/>\r\n"
                       "<Message>hello</Message>\r\n</Quillet>\r\n");
    CTrace handler;
    CSimpleXMLParser parser;
    parser.setDocumentHandler(&handler);
    const int result = parser.parse(&stream);
    if (FILE* file = std::fopen(out, "w")) {
        std::fprintf(file, "%d %s\n", result, handler.trace.c_str());
        std::fclose(file);
    }
    ::_exit(0);
}

} // namespace
