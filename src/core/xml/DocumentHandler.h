#pragma once

class CAttributeList;

// Receives the events of CSimpleXMLParser; every operation is empty here.
// Arguments are owned by the parser and valid only during the call; text is
// zero-terminated.
class CDocumentHandler {
public:
    virtual ~CDocumentHandler() = default;

    virtual void characters(const char* /*text*/, int /*length*/) {}
    virtual void startDocument() {}
    virtual void endDocument() {}
    virtual void startElement(const char* /*name*/, const CAttributeList& /*attributes*/) {}
    virtual void endElement(const char* /*name*/) {}
};
